// SPDX-License-Identifier: GPL-3.0-or-later
// The KWP cycles' decisions as tables: answers in, next state, frames and
// what to show out. The frames are written out here, not taken from the
// program's own table. No window, no event loop, no clock.
#include "kwp/kwpcocycle.h"
#include "kwp/kwpcycle.h"
#include "kwp/kwpreply.h"

#include <QtTest>

using KwpCycle::RowKind;

namespace {
const QString kHold = "0x83,0x10,0xF0,0x31,0x70,0xCA,0xEE";
const QString kUp = "0x83,0x10,0xF0,0x31,0x70,0xCB,0xEF";
const QString kDown = "0x83,0x10,0xF0,0x31,0x70,0xCC,0xF0";
const QString kAction = "0x84,0x10,0xF0,0x31,0x70,0xCE,0x08,0xFB";
const QString kTesterPresent = "0xC1,0x33,0xF0,0x3E,0x22";
const QString kClear = "0x84,0x10,0xF0,0x14,0xFF,0xFF,0xFF,0x95";
const QString kHistory = "0x84,0x10,0xF0,0x18,0x20,0xFF,0xFF,0xBA";
const QString kCurrent = "0x84,0x10,0xF0,0x18,0xA1,0xFF,0xFF,0x3B";

const QString kHoldEcho = "83,10,f0,31,70,ca,ee,";
// A hold answer reporting `marker`, item `code` and raw value `raw`.
QStringList report(int marker, int code, int raw)
{
    return KwpReply::items(kHoldEcho
                           + QString("87,f0,10,71,70,%1,%2,%3,0,0,55")
                                 .arg(marker, 0, 16)
                                 .arg(code, 0, 16)
                                 .arg(raw, 0, 16));
}

// Rows: items 1, 3, 30, 5, 3 then the fault-code rows 61 and 62.
const QList<QString> kCodes = {"1", "3", "30", "5", "3", "61", "62"};
constexpr int kItemRows = 5;

struct Pointer {
    int row = 0;
    EcuPointer pointer{row};
    explicit Pointer(int at, bool confirmed = true)
    {
        pointer.startOnFirstRow();
        for (int i = 0; i < at; ++i)
            pointer.moved(1);
        if (confirmed)
            pointer.reported(kCodes[at].toInt(), kCodes, kItemRows);
    }
};
} // namespace

class TestKwpCycle : public QObject
{
    Q_OBJECT
private slots:
    void loginReports_data()
    {
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<int>("state");
        QTest::newRow("item 1: scan") << report(0xD0, 1, 0x20) << int(KwpCycle::State::Scan);
        QTest::newRow("item 0: scan") << report(0xD0, 0, 0x20) << int(KwpCycle::State::Scan);
        QTest::newRow("item 5: search") << report(0xD0, 5, 0x20) << int(KwpCycle::State::Search);
        QTest::newRow("checking: no report") << report(0xD1, 5, 0) << int(KwpCycle::State::Login);
        QTest::newRow("echo only") << KwpReply::items(kHoldEcho) << int(KwpCycle::State::Login);
    }
    void loginReports()
    {
        QFETCH(QStringList, items);
        QFETCH(int, state);
        QCOMPARE(int(KwpCycle::loginReport(items)), state);
    }

    void pulse()
    {
        int pulse = 25;
        QList<int> tried;
        for (int i = 0; i < 7; ++i) {
            KwpCycle::pulseMissed(pulse);
            tried << pulse;
        }
        QCOMPARE(tried, (QList<int>{24, 23, 22, 21, 20, 25, 24}));
    }

    void positiveAnswers_data()
    {
        QTest::addColumn<QString>("frame");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<bool>("positive");
        QTest::newRow("start comm") << "0xC1,0x33,0xF0,0x81,0x65"
                                    << "c1,33,f0,81,65,83,f0,10,c1,ef,8f,c2" << true;
        QTest::newRow("hold") << kHold << kHoldEcho + "87,f0,10,71,70,d0,1,20,0,0,29" << true;
        QTest::newRow("negative") << kHold << kHoldEcho + "83,f0,10,7f,31,22,55" << false;
        QTest::newRow("garbage") << kUp << "83,10,f0,31,70,cb,ef,55,aa,1,fe,0,13,37,42" << false;
        QTest::newRow("echo only") << kHold << kHoldEcho << false;
    }
    void positiveAnswers()
    {
        QFETCH(QString, frame);
        QFETCH(QString, reply);
        QFETCH(bool, positive);
        QCOMPARE(KwpReply::positiveAnswer(KwpReply::items(reply), frame), positive);
    }

    void search_data()
    {
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<int>("result");
        QTest::newRow("found") << report(0xD0, 1, 0) << int(KwpCycle::Search::Found);
        QTest::newRow("move on") << report(0xD0, 7, 0) << int(KwpCycle::Search::MoveOn);
        QTest::newRow("gone") << KwpReply::items(kHoldEcho) << int(KwpCycle::Search::Gone);
        QTest::newRow("checking") << report(0xD1, 1, 0) << int(KwpCycle::Search::Nothing);
    }
    void search()
    {
        QFETCH(QStringList, items);
        QFETCH(int, result);
        QCOMPARE(int(KwpCycle::search(items)), result);
    }

    void scan_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("pass");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("moves");
        QTest::addColumn<QString>(
            "does"); // r restart, a<code> add, f fault row, e finished, m move on
        QTest::addColumn<int>("passAfter");
        QTest::newRow("item 1 begins") << 1 << 0 << 0 << 3 << "ra1m" << 1;
        QTest::newRow("before item 1") << 9 << 0 << 0 << 2 << "m" << 0;
        QTest::newRow("next item") << 3 << 1 << 1 << 1 << "a3m" << 1;
        QTest::newRow("item 1 again: history row") << 1 << 1 << 4 << 4 << "a61f" << 2;
        QTest::newRow("and again: current row, done") << 1 << 2 << 4 << 4 << "a62fe" << 0;
        QTest::newRow("out of step") << 3 << 1 << 2 << 3 << "rm" << 0;
        QTest::newRow("item 1, out of step") << 1 << 1 << 3 << 4 << "ra1m" << 1;
    }
    void scan()
    {
        QFETCH(int, code);
        QFETCH(int, pass);
        QFETCH(int, rows);
        QFETCH(int, moves);
        QFETCH(QString, does);
        QFETCH(int, passAfter);
        const KwpCycle::ScanStep step = KwpCycle::scanItem(code, pass, rows, moves);
        QString did;
        did += step.restart ? "r" : "";
        did += step.addRow ? "a" + QString::number(step.code) : "";
        did += step.faultRow ? "f" : "";
        did += step.finished ? "e" : "";
        did += step.moveOn ? "m" : "";
        QCOMPARE(did, does);
        QCOMPARE(pass, passAfter);
    }

    void rowKinds()
    {
        QCOMPARE(KwpCycle::rowKind(0, kItemRows, kCodes), RowKind::Item);
        QCOMPARE(KwpCycle::rowKind(5, kItemRows, kCodes), RowKind::History);
        QCOMPARE(KwpCycle::rowKind(6, kItemRows, kCodes), RowKind::Current);
        QCOMPARE(KwpCycle::rowKind(7, kItemRows, kCodes), RowKind::None);
        QCOMPARE(KwpCycle::rowKind(-1, kItemRows, kCodes), RowKind::None);
    }

    // One polling tick's frames: what goes first, what is read after it.
    void plan_data()
    {
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("pointerAt");
        QTest::addColumn<bool>("confirmed");
        QTest::addColumn<bool>("request");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("read");
        QTest::addColumn<int>("move");
        QTest::newRow("on the row") << 2 << 2 << true << false << "" << kHold << 0;
        QTest::newRow("up") << 3 << 1 << true << false << kUp << kHold << 1;
        QTest::newRow("down") << 0 << 2 << false << false << kDown << kHold << -1;
        QTest::newRow("the check, confirmed") << 2 << 2 << true << true << kAction << kHold << 0;
        QTest::newRow("the check waits for the ECU's word")
            << 2 << 2 << false << false << "" << kHold << 0;
        QTest::newRow("history row") << 5 << 2 << true << false << kTesterPresent << kHistory << 0;
        QTest::newRow("current row") << 6 << 2 << true << false << kTesterPresent << kCurrent << 0;
        QTest::newRow("clear from the history row")
            << 5 << 2 << true << true << kClear << kHistory << 0;
        QTest::newRow("clear from the current row")
            << 6 << 0 << false << true << kClear << kCurrent << 0;
        QTest::newRow("no such row") << 9 << 2 << true << false << "" << kHold << 0;
    }
    void plan()
    {
        QFETCH(int, selected);
        QFETCH(int, pointerAt);
        QFETCH(bool, confirmed);
        QFETCH(bool, request);
        QFETCH(QString, first);
        QFETCH(QString, read);
        QFETCH(int, move);
        Pointer p(pointerAt, confirmed);
        KwpCycle::PollView view;
        view.selectedRow = selected;
        view.kind = KwpCycle::rowKind(selected, kItemRows, kCodes);
        view.requestMayStart = request;
        const KwpCycle::PollPlan plan = KwpCycle::planPoll(view, p.pointer);
        QCOMPARE(plan.first, first);
        QCOMPARE(plan.read, read);
        QCOMPARE(plan.move, move);
        QCOMPARE(plan.startsRequest, request);
    }

    void followUps_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("then");
        QTest::newRow("up") << kUp << int(RowKind::Item) << kHold;
        QTest::newRow("down") << kDown << int(RowKind::Item) << kHold;
        QTest::newRow("action") << kAction << int(RowKind::Item) << kHold;
        QTest::newRow("nothing") << QString() << int(RowKind::Item) << kHold;
        QTest::newRow("tester present, history")
            << kTesterPresent << int(RowKind::History) << kHistory;
        QTest::newRow("clear, current") << kClear << int(RowKind::Current) << kCurrent;
    }
    void followUps()
    {
        QFETCH(QString, first);
        QFETCH(int, kind);
        QFETCH(QString, then);
        QCOMPARE(KwpCycle::followUp(first, RowKind(kind)), then);
    }

    void movesTaken_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<int>("move");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("taken");
        const QString upEcho = "83,10,f0,31,70,cb,ef,";
        QTest::newRow("answered") << kUp << 1 << upEcho + "87,f0,10,71,70,d0,3,30,0,0,5b" << true;
        QTest::newRow("answered for the item left")
            << kUp << 1 << upEcho + "87,f0,10,71,70,d0,1,20,0,0,49" << true;
        QTest::newRow("garbled") << kUp << 1 << upEcho + "55,aa,1,fe,0,13,37,42" << false;
        QTest::newRow("refused") << kUp << 1 << upEcho + "83,f0,10,7f,31,22,55" << false;
        QTest::newRow("unanswered") << kUp << 1 << upEcho << false;
        QTest::newRow("after a late answer")
            << kUp << 1 << "82,f0,10,58,0,da," + upEcho + "87,f0,10,71,70,d0,3,30,0,0,5b" << true;
        QTest::newRow("no move, no question") << kAction << 0 << QString() << true;
    }
    void movesTaken()
    {
        QFETCH(QString, first);
        QFETCH(int, move);
        QFETCH(QString, answer);
        QFETCH(bool, taken);
        KwpCycle::PollPlan plan;
        plan.first = first;
        plan.move = move;
        QCOMPARE(KwpCycle::moveTaken(plan, KwpReply::items(answer)), taken);
    }

    // What the reading of a tick shows, judged against the selection now.
    void answers_data()
    {
        QTest::addColumn<QString>("read");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("pointerAt");
        QTest::addColumn<bool>("confirmed");
        QTest::addColumn<QString>("shows"); // g gone, n nothing, s short, o out of step,
                                            // r reached, v<raw> value, c/k check label, f faults
        const QStringList history =
            KwpReply::items("84,10,f0,18,20,ff,ff,ba,88,f0,10,58,2,1,13,20,3,35,20,99");
        QTest::newRow("value of the row")
            << kHold << report(0xD0, 30, 7) << 2 << 2 << true << "rv7k";
        QTest::newRow("checking") << kHold << report(0xD1, 30, 0) << 2 << 2 << true << "rc";
        QTest::newRow("the move is confirmed")
            << kHold << report(0xD0, 30, 7) << 2 << 2 << false << "rv7k";
        QTest::newRow("the item left, just after a move")
            << kHold << report(0xD0, 3, 9) << 2 << 2 << false << "";
        QTest::newRow("another row's item") << kHold << report(0xD0, 5, 9) << 2 << 2 << true << "";
        QTest::newRow("a code twice: the nearer row")
            << kHold << report(0xD0, 3, 9) << 4 << 2 << true << "";
        QTest::newRow("unknown code") << kHold << report(0xD0, 99, 9) << 2 << 2 << true << "o";
        QTest::newRow("negative answer")
            << kHold << KwpReply::items(kHoldEcho + "83,f0,10,7f,31,22,55") << 2 << 2 << true << "";
        QTest::newRow("echo only") << kHold << KwpReply::items(kHoldEcho) << 2 << 2 << true << "g";
        QTest::newRow("nothing") << kHold << KwpReply::items("") << 2 << 2 << true << "n";
        QTest::newRow("short") << kHold << KwpReply::items("83,10,f0") << 2 << 2 << true << "s";
        QTest::newRow("history listed") << kHistory << history << 5 << 2 << true << "rf";
        QTest::newRow("history, now on the current row")
            << kHistory << history << 6 << 2 << true << "";
        QTest::newRow("history, now on an item row") << kHistory << history << 1 << 2 << true << "";
    }
    void answers()
    {
        QFETCH(QString, read);
        QFETCH(QStringList, items);
        QFETCH(int, selected);
        QFETCH(int, pointerAt);
        QFETCH(bool, confirmed);
        QFETCH(QString, shows);
        Pointer p(pointerAt, confirmed);
        KwpCycle::PollView view;
        view.selectedRow = selected;
        view.kind = KwpCycle::rowKind(selected, kItemRows, kCodes);
        const KwpCycle::PollVerdict v =
            KwpCycle::judgePoll(read, items, p.pointer, kCodes, kItemRows, view);
        using Answer = KwpCycle::PollVerdict::Answer;
        QString said;
        said += v.answer == Answer::Gone      ? "g"
                : v.answer == Answer::Nothing ? "n"
                : v.answer == Answer::Short   ? "s"
                                              : "";
        said += v.outOfStep ? "o" : "";
        said += v.selectionReached ? "r" : "";
        said += v.writeValue ? "v" + v.raw : "";
        said += v.setCheckLabel ? (v.checking ? "c" : "k") : "";
        said += v.listFaults ? "f" : "";
        QCOMPARE(said, shows);
    }

    void coReadings_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<bool>("inCoMode");
        QTest::addColumn<QString>("shows"); // l lost, o engine off, or the speed
        QTest::newRow("1500 rpm") << kHoldEcho + "87,f0,10,71,70,c8,0,0,5,dc,8d" << true << "1500";
        QTest::newRow("one-digit low byte")
            << kHoldEcho + "87,f0,10,71,70,c8,0,0,5,c,bd" << true << "1292";
        QTest::newRow("engine off") << kHoldEcho + "85,f0,10,71,70,c8,0,0,cb" << true << "o";
        QTest::newRow("an item report")
            << kHoldEcho + "87,f0,10,71,70,d0,1,20,0,0,29" << false << "-1";
        QTest::newRow("echo only") << kHoldEcho << false << "l";
    }
    void coReadings()
    {
        QFETCH(QString, reply);
        QFETCH(bool, inCoMode);
        QFETCH(QString, shows);
        const QStringList items = KwpReply::items(reply);
        QCOMPARE(KwpCoCycle::reportsInCoMode(items), inCoMode);
        const KwpCoCycle::Reading r = KwpCoCycle::read(items);
        QCOMPARE(r.lost ? "l" : r.engineOff ? "o" : QString::number(r.rpm), shows);
    }
};

QTEST_APPLESS_MAIN(TestKwpCycle)
#include "tst_kwpcycle.moc"
