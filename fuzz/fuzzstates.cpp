// SPDX-License-Identifier: GPL-3.0-or-later
// The session states a fuzz run starts in, set up the way the cycles leave
// them, so that every run goes straight to the replies of that state.
#include "fuzz/fuzzdriver.h"

#include "auto/autoprotocol.h"
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
    for (int code : codes)
        p.addRow(code);
    p.walk().pointer().startOnFirstRow();
    p.mirror();
}

void follow(MainWindowProbe &p, int row)
{
    const int rows = p.table()->rowCount();
    if (rows > 0)
        p.clickRow(row % rows);
}

void autoLogin(MainWindowProbe &p, MainWindow &, int detail)
{
    CycleAccess::loginStep(*p.autoCycle()) = detail % 2 ? -10 : 0; // the unlock walk too
}

void autoScan(MainWindowProbe &p, MainWindow &, int detail)
{
    p.walk().setScanPass(detail % 3);
    CycleAccess::loginStep(*p.autoCycle()) = AutoProtocol::ScanGroupStart + detail % 8;
}

void autoSession(MainWindowProbe &p, MainWindow &, int detail)
{
    fillTable(p, kAutoRows);
    p.setSessionState(SessionState::Up);
    CycleAccess::nextCommand(*p.autoCycle()) = detail & 0x80 ? AutoKey::Up : AutoKey::Hold;
    follow(p, detail);
}

void autoActuator(MainWindowProbe &p, MainWindow &w, int detail)
{
    autoSession(p, w, detail);
    p.walk().selectionReached();
    p.placePointer(p.selectedRow());
    p.walk().press();
    p.walk().startPress();
    p.walk().checkStep() = 1 + detail % 49;
    p.mirror();
}

void coLogin(MainWindowProbe &p, MainWindow &, int detail)
{
    CycleAccess::loginStep(*p.autoCoCycle()) = detail % 50;
}

void coSession(MainWindowProbe &p, MainWindow &, int detail)
{
    p.setSessionState(SessionState::Up);
    if (detail & 1)
        p.autoCoCycle()->key(detail & 2 ? AutoKey::Up : AutoKey::Down);
}

void coCylinder(MainWindowProbe &p, MainWindow &, int detail)
{
    p.setSessionState(detail % 2 ? SessionState::CylinderTwo : SessionState::CylinderOne);
    CycleAccess::cylinderStep(*p.autoCoCycle()) = detail % 27;
}

void kwpLogin(MainWindowProbe &p, MainWindow &, int detail)
{
    CycleAccess::pulseMs(*p.kwpCycle()) = 20 + detail % 6;
}

void kwpSearch(MainWindowProbe &p, MainWindow &, int)
{
    p.setSessionState(SessionState::Search);
}

void kwpScan(MainWindowProbe &p, MainWindow &, int detail)
{
    p.setSessionState(SessionState::Scan);
    p.walk().setScanPass(detail % 3);
}

void kwpPolling(MainWindowProbe &p, MainWindow &, int detail)
{
    fillTable(p, kKwpRows);
    for (int code : kKwpFaultRows)
        p.addRow(code, true);
    p.setSessionState(SessionState::Up);
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
    CycleAccess::pulseMs(*p.kwpCoCycle()) = 20 + detail % 6;
}

void kwpCoRead(MainWindowProbe &p, MainWindow &w, int detail)
{
    kwpCoLogin(p, w, detail);
    p.setSessionState(SessionState::Up);
    if (detail & 2)
        p.kwpCoCycle()->key(AutoKey::Up);
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
