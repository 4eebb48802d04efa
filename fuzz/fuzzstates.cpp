// SPDX-License-Identifier: GPL-3.0-or-later
// The session states a fuzz run starts in, set up the way the cycles leave
// them, so that every run goes straight to the replies of that state.
#include "fuzz/fuzzdriver.h"

#include "auto/autoprotocol.h"
#include "protocolcounters.h"
#include "support/mainwindowprobe.h"

namespace fuzzdrive {

namespace {
// The Vixion's items and the KWP demo bike's, as a scan leaves them.
const int kAutoRows[] = {1,  3,  5,  6,  7,  8,  9,  11, 20, 21, 30, 31,
                         36, 37, 50, 51, 54, 60, 61, 62, 63, 67, 70, 87};
const int kKwpRows[] = {1, 3, 5, 6, 7, 8, 9, 11, 20, 21, 30, 36, 50, 51};
const int kKwpFaultRows[] = {61, 62};

template <std::size_t N>
void fillTable(MainWindowProbe &p, const int (&codes)[N])
{
    p.clearTable();
    for (int code : codes)
        p.appendItemRow(code);
    p.pointer().startOnFirstRow();
}

void follow(MainWindowProbe &p, int row)
{
    const int rows = p.table()->rowCount();
    if (rows > 0)
        p.clickRow(row % rows);
}

void autoLogin(MainWindowProbe &p, MainWindow &, int detail)
{
    p.sessionState() = 0;
    protocolCounters().loginStep = detail % 2 ? -10 : 0; // the unlock walk too
}

void autoScan(MainWindowProbe &p, MainWindow &, int detail)
{
    p.sessionState() = 0;
    p.scanPass() = detail % 3;
    protocolCounters().loginStep = AutoProtocol::ScanGroupStart + detail % 8;
}

void autoSession(MainWindowProbe &p, MainWindow &, int detail)
{
    fillTable(p, kAutoRows);
    p.setSessionState(1);
    p.nextCommand() = detail & 0x80 ? AutoProtocol::Up : AutoProtocol::Hold;
    follow(p, detail);
}

void autoActuator(MainWindowProbe &p, MainWindow &w, int detail)
{
    autoSession(p, w, detail);
    p.selectionPending() = false;
    p.placePointer(p.selectedRow());
    p.actionRequest().press(p.selectedRow(), p.sessionSerial());
    p.actionRequest().start();
    p.actionStep() = 1 + detail % 49;
}

void coLogin(MainWindowProbe &p, MainWindow &, int detail)
{
    p.clearTable();
    p.setSessionState(0);
    protocolCounters().coLoginStep = detail % 50;
}

void coSession(MainWindowProbe &p, MainWindow &w, int detail)
{
    coLogin(p, w, 0);
    p.setSessionState(1);
    if (detail & 1)
        p.coKeys().append(detail & 2 ? AutoProtocol::Up : AutoProtocol::Down);
}

void coCylinder(MainWindowProbe &p, MainWindow &w, int detail)
{
    coLogin(p, w, 0);
    p.sessionState() = detail % 2 ? 3 : 2;
    protocolCounters().cylinderStep = detail % 27;
}

void kwpLogin(MainWindowProbe &p, MainWindow &, int detail)
{
    p.sessionState() = 0;
    protocolCounters().loginPulseMs = 20 + detail % 6;
}

void kwpSearch(MainWindowProbe &p, MainWindow &, int)
{
    p.sessionState() = 12;
}

void kwpScan(MainWindowProbe &p, MainWindow &, int detail)
{
    p.clearTable();
    p.sessionState() = 11;
    p.scanPass() = detail % 3;
}

void kwpPolling(MainWindowProbe &p, MainWindow &, int detail)
{
    fillTable(p, kKwpRows);
    for (int code : kKwpFaultRows)
        p.appendFaultRow(code);
    p.setSessionState(1);
    follow(p, detail);
    if (detail & 0x80)
        QMetaObject::invokeMethod(p.actionButton(), "click");
}

void kwpFaultRows(MainWindowProbe &p, MainWindow &w, int detail)
{
    kwpPolling(p, w, 0);
    const int rows = p.table()->rowCount();
    follow(p, rows - 1 - detail % 2);
}

void kwpCoLogin(MainWindowProbe &p, MainWindow &, int detail)
{
    p.clearTable();
    p.setSessionState(0);
    protocolCounters().loginPulseMsCo = 20 + detail % 6;
}

void kwpCoRead(MainWindowProbe &p, MainWindow &w, int detail)
{
    kwpCoLogin(p, w, detail);
    p.sessionState() = detail & 1 ? 2 : 1;
    if (detail & 2)
        p.coKeys().append(AutoProtocol::Up);
}
} // namespace

const std::vector<State> &states(Family family)
{
    static const std::vector<State> autoStates = {
        {"auto-login", false, autoLogin},     {"auto-scan", false, autoScan},
        {"auto-session", false, autoSession}, {"auto-actuator", false, autoActuator},
        {"auto-co-login", true, coLogin},     {"auto-co-session", true, coSession},
        {"auto-cylinder", true, coCylinder},
    };
    static const std::vector<State> kwpStates = {
        {"kwp-login", false, kwpLogin},
        {"kwp-search", false, kwpSearch},
        {"kwp-scan", false, kwpScan},
        {"kwp-polling", false, kwpPolling},
        {"kwp-fault-rows", false, kwpFaultRows},
        {"kwp-co-login", true, kwpCoLogin},
        {"kwp-co-reading", true, kwpCoRead},
    };
    return family == Family::Auto ? autoStates : kwpStates;
}

} // namespace fuzzdrive
