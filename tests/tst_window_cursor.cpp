// SPDX-License-Identifier: GPL-3.0-or-later
// The wait cursor never outlives the work it stands for: one per pending
// selection, one per pending action, none once the table or session is gone.
#include "support/mainwindowprobe.h"
#include "support/simsupport.h"

#include "link/usbserial.h"

#include <QGuiApplication>
#include <QtTest>

using sim::VirtualCable;

namespace {
// How many override cursors are stacked; pops them all.
int popAllCursors()
{
    int n = 0;
    while (QGuiApplication::overrideCursor() && n < 100) {
        QGuiApplication::restoreOverrideCursor();
        ++n;
    }
    return n;
}

bool waitCursorShown()
{
    const QCursor *cursor = QGuiApplication::overrideCursor();
    return cursor && cursor->shape() == Qt::WaitCursor;
}
} // namespace

class TestWindowCursor : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        VirtualCable::instance().reset();
        VirtualCable::instance().unplug(); // no session: nothing arrives
        popAllCursors();
    }
    void cleanup() { popAllCursors(); }

    void repeatedClicksStackOneCursor()
    {
        MainWindow window;
        MainWindowProbe probe(window);
        for (int code : {1, 3, 30})
            probe.appendItemRow(code);
        probe.clickRow(0);
        QVERIFY(waitCursorShown());
        probe.clickRow(1);
        probe.clickRow(2);
        probe.clickRow(2);
        QCOMPARE(popAllCursors(), 1);
    }

    void repeatedActionPressesStackOneCursor()
    {
        MainWindow window;
        MainWindowProbe probe(window);
        probe.appendItemRow(30);
        probe.setSessionState(SessionState::Up);
        probe.clickRow(0);
        QVERIFY(probe.actionButton()->isEnabled());
        probe.actionButton()->click();
        QCOMPARE(probe.actionStep(), 1);
        probe.actionButton()->click();
        probe.actionButton()->click();
        QCOMPARE(probe.actionStep(), 1);
        QCOMPARE(popAllCursors(), 2); // the selection's and the action's
    }

    void clearingTheTableRestoresTheCursor()
    {
        MainWindow window;
        MainWindowProbe probe(window);
        probe.addRow(30);
        probe.setSessionState(SessionState::Up);
        probe.clickRow(0);
        probe.actionButton()->click();
        QCOMPARE(probe.actionStep(), 1);
        probe.clearTable();
        QVERIFY(!QGuiApplication::overrideCursor());
        // a new selection shows the cursor again, once
        probe.appendItemRow(1);
        probe.clickRow(0);
        probe.clickRow(0);
        QCOMPARE(popAllCursors(), 1);
    }

    // Without a session there is nobody to carry a check out: a press then
    // shows no cursor and leaves nothing waiting for the next session.
    void actionWithoutSessionIsNotKept()
    {
        MainWindow window;
        MainWindowProbe probe(window);
        probe.appendItemRow(30);
        probe.clickRow(0);
        QCOMPARE(popAllCursors(), 1);
        probe.actionButton()->click();
        QCOMPARE(probe.actionStep(), 0);
        QVERIFY(!probe.actionRequest().waiting());
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    // A failed write ends the session: the walk to the row and the check are
    // dropped with their cursors, and a later session does not take them up.
    void aDroppedSessionDropsTheRequests()
    {
        MainWindow window;
        MainWindowProbe probe(window);
        probe.appendItemRow(30);
        probe.setSessionState(SessionState::Up);
        probe.clickRow(0);
        probe.actionButton()->click();
        QVERIFY(waitCursorShown());
        unsigned char byte = 0xCA;
        probe.link()->writeDataHex(&byte); // fails: no adapter
        QCOMPARE(probe.status(), QString("Not Connect."));
        QVERIFY(!QGuiApplication::overrideCursor());
        QVERIFY(!probe.selectionPending());
        QCOMPARE(probe.actionStep(), 0);
        QVERIFY(!probe.actionRequest().waiting());
        probe.clickRow(0);
        QCOMPARE(popAllCursors(), 1);
    }

    void cursorsOfOtherCodeAreLeftAlone()
    {
        MainWindow window;
        MainWindowProbe probe(window);
        QGuiApplication::setOverrideCursor(Qt::BusyCursor); // not ours
        probe.appendItemRow(1);
        probe.clickRow(0);
        probe.clearTable();
        QVERIFY(QGuiApplication::overrideCursor());
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::BusyCursor);
        QCOMPARE(popAllCursors(), 1);
    }
};

QTEST_MAIN(TestWindowCursor)
#include "tst_window_cursor.moc"
