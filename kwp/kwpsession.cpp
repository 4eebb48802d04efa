// SPDX-License-Identifier: GPL-3.0-or-later
// The KWP family's polling slot: wake-up and login, the search for item 1
// and the table scan. The polling state itself is in kwppolling.cpp.
#include "mainwindow.h"
#include "tick.h"
#include "ui_mainwindow.h"

#include "kwp/kwpcycle.h"
#include "kwp/kwpprotocol.h"
#include "kwp/kwpreply.h"
#include "link/usbserial.h"
#include "pacing.h"
#include "protocolcounters.h"

#include <QDebug>
#include <QTimer>

using KwpCycle::State;

void MainWindow::send_clicked_xmax()
{
    Tick tick(busy.kwpCycle, cycleEpoch, running);
    if (!tick.entered())
        return;
    if (!link->isConnected()) {
        qDebug().noquote() << "usb not connect";
        return;
    }
    pollTimer->stop();
    switch (State(sessionState)) {
    case State::Login: kwpLogin(tick); break;
    case State::Search: kwpSearch(tick); break;
    case State::Scan: kwpScan(tick); break;
    case State::Polling: kwpPoll(tick); break;
    default: pollTimer->start(Pacing::KwpPollMs); break; // a state of the CO cycle
    }
}

void MainWindow::kwpLogin(const Tick &tick)
{
    QStringList frames;
    for (const char *frame : KwpProtocol::LoginSequence)
        frames << QString::fromLatin1(frame);
    if (!kwpLoginSequence(tick, frames, "read", protocolCounters().loginPulseMs, false))
        return;
    // The scan builds the table from nothing: rows of an earlier attempt
    // would otherwise stand twice.
    if (State(sessionState) == State::Scan)
        clear_table();
    pollTimer->start(Pacing::KwpPollMs);
}

void MainWindow::kwpSearch(const Tick &tick)
{
    const QString reply = kwpExchange(cmdHold);
    if (tick.overtaken())
        return;
    qDebug().noquote() << "search ca:" + reply;
    switch (KwpCycle::search(KwpReply::items(reply))) {
    case KwpCycle::Search::Gone:
        return kwpDropSession("ecu disconnected 12", "Connected-Engine Off", Pacing::KwpLostMs);
    case KwpCycle::Search::Found:
        clear_table();
        setSessionState(int(State::Scan));
        break;
    case KwpCycle::Search::MoveOn:
        clear_table();
        link->writeDataStr(cmdUp);
        delay(KwpProtocol::SearchUpWaitMs);
        if (tick.overtaken())
            return;
        qDebug().noquote() << "search cb:" + link->readDataHex();
        break;
    case KwpCycle::Search::Nothing: break;
    }
    pollTimer->start(Pacing::KwpPollMs);
}

void MainWindow::kwpScan(const Tick &tick)
{
    const QString reply = kwpExchange(cmdHold);
    if (tick.overtaken())
        return;
    qDebug().noquote() << "read ca:" + reply;
    const QStringList items = KwpReply::items(reply);
    if (KwpReply::sumcmd(items, cmdHold) < 1)
        return kwpDropSession("ecu disconnected 11", "Connected-Engine Off", Pacing::KwpLostMs);
    const KwpReply::ItemReport report = KwpReply::itemReport(items);
    KwpCycle::ScanStep step;
    if (report.present && report.marker != KwpReply::ValueReport) {
        setSessionState(int(State::Login));
        qDebug().noquote() << "cmd ca failed";
    } else if (report.present) {
        step = KwpCycle::scanItem(report.code, scanPass, pointerRows, scanMoves);
    }
    if (step.restart) {
        const int pass = scanPass;
        clear_table();
        scanPass = pass;
    }
    if (step.addRow && step.faultRow)
        appendFaultRow(step.code);
    else if (step.addRow)
        appendItemRow(step.code);
    if (step.finished) {
        // The pointer is back on item 1, the first row.
        currentCmd = cmdHold;
        pointer.startOnFirstRow();
        setSessionState(int(State::Polling));
    }
    if (step.moveOn && State(sessionState) == State::Scan) {
        ++scanMoves;
        const QStringList moved = KwpReply::items(kwpExchange(cmdUp));
        if (tick.overtaken())
            return;
        const KwpReply::ItemReport answer = KwpReply::itemReport(moved);
        if (answer.present && answer.marker != KwpReply::ValueReport) {
            setSessionState(int(State::Login));
            qDebug().noquote() << "cmd cb failed";
        }
    }
    pollTimer->start(Pacing::KwpPollMs);
}
