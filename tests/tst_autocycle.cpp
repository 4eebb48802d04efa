// SPDX-License-Identifier: GPL-3.0-or-later
// The Auto cycles' decisions as tables: state and answer in, key, next
// state and what to show out. No window, no event loop, no clock.
#include "auto/autococycle.h"
#include "auto/autocycle.h"

#include <QtTest>

namespace {
// The keys as the ECU knows them, written out here.
constexpr int kIdentify = 0xFE, kHold = 0xCA, kUp = 0xCB, kDown = 0xCC, kAction = 0xCE;

QStringList fields(const QString &text)
{
    return text.isEmpty() ? QStringList() : text.split(',');
}

const QList<QString> kCodes = {"1", "5", "6", "30", "3", "67"};
} // namespace

class TestAutoCycle : public QObject
{
    Q_OBJECT
private slots:
    void loginKeys_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("next");
        QTest::addColumn<bool>("engineOn");
        QTest::newRow("identify") << 0 << kIdentify << 0 << false;
        QTest::newRow("unlisted step identifies") << 99 << kIdentify << 99 << false;
        QTest::newRow("unlock, first byte") << -10 << 0xA1 << -9 << false;
        QTest::newRow("unlock, last byte") << -1 << (0xA1 ^ 0x5A) << 0 << false;
        QTest::newRow("acknowledge") << 1 << kAction << 1 << false;
        QTest::newRow("hold after the ack") << 2 << kHold << 3 << false;
        QTest::newRow("login keys") << 3 << kAction << 4 << false;
        QTest::newRow("last login key") << 17 << kAction << 18 << false;
        QTest::newRow("holds") << 43 << kHold << 44 << false;
        QTest::newRow("scan move") << 44 << kUp << 45 << true;
        QTest::newRow("scan holds") << 50 << kHold << 51 << false;
        QTest::newRow("scan group wraps") << 51 << kHold << 44 << false;
    }
    void loginKeys()
    {
        QFETCH(int, step);
        QFETCH(int, key);
        QFETCH(int, next);
        QFETCH(bool, engineOn);
        const AutoCycle::LoginKey out = AutoCycle::loginKey(step);
        QCOMPARE(int(out.key), key);
        QCOMPARE(step, next);
        QCOMPARE(out.engineOn, engineOn);
        QCOMPARE(out.scanMove, engineOn);
    }

    void loginAnswers_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<int>("next");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("newTable");
        QTest::addColumn<int>("announced"); // -1: nothing announced
        QTest::newRow("vixion") << kIdentify << 0 << "fe,0,0" << 1 << "1" << true << -1;
        QTest::newRow("mio j") << kIdentify << 0 << "fe,0,1" << 1 << "0" << true << -1;
        QTest::newRow("aerox unlocks") << kIdentify << 0 << "fe,0,48" << -10 << "0" << true << -1;
        QTest::newRow("error still goes on")
            << kIdentify << 0 << "fe,0,80" << 1 << "x" << true << -1;
        QTest::newRow("no model code") << kIdentify << 0 << "fe,12,34" << 0 << "x" << true << -1;
        QTest::newRow("identified already")
            << kIdentify << 1 << "fe,0,0" << 1 << "x" << false << -1;
        QTest::newRow("a reading is no identification")
            << kIdentify << 0 << "fe,1c,0,0,20,0" << 0 << "x" << true << -1;
        QTest::newRow("too short") << kIdentify << 5 << "fe,0" << 0 << "x" << false << -1;
        // A late reading's first bytes, read before the echo of the key
        // that had to wait for the line.
        QTest::newRow("a reading's head is no identification")
            << kIdentify << 0 << "1c,0,0" << 0 << "x" << true << -1;
        QTest::newRow("a reading's head is no acknowledgement")
            << kAction << 1 << "1c,0,10" << 1 << "x" << false << -1;
        QTest::newRow("acknowledged") << kAction << 1 << "ce,0,10" << 2 << "x" << false << -1;
        QTest::newRow("acknowledged 90") << kAction << 1 << "ce,0,90" << 2 << "x" << false << -1;
        QTest::newRow("a reading is no acknowledgement")
            << kAction << 1 << "ce,1c,0,0,20,10" << 1 << "x" << false << -1;
        QTest::newRow("announced in the scan")
            << kHold << 45 << "ca,1c,0,40,b,67" << 44 << "x" << false << 11;
        QTest::newRow("checking, announced")
            << kHold << 41 << "ca,1c,0,c0,1,5d" << 44 << "x" << false << 1;
        QTest::newRow("before the scan")
            << kHold << 40 << "ca,1c,0,40,b,67" << 40 << "x" << false << -1;
        QTest::newRow("a glued answer announces nothing")
            << kHold << 45 << "ca,1c,0,40,b,67,1c,0,40,3,5f" << 44 << "x" << false << -1;
    }
    void loginAnswers()
    {
        QFETCH(int, key);
        QFETCH(int, step);
        QFETCH(QString, reply);
        QFETCH(int, next);
        QFETCH(QString, expected);
        QFETCH(bool, newTable);
        QFETCH(int, announced);
        QString expectedReply = "x";
        const AutoCycle::LoginReading reading =
            AutoCycle::readLogin(std::uint8_t(key), step, expectedReply, fields(reply));
        QCOMPARE(step, next);
        QCOMPARE(expectedReply, expected);
        QCOMPARE(reading.newTable, newTable);
        QCOMPARE(reading.tooShort, fields(reply).size() < 3);
        QCOMPARE(reading.announced ? reading.code : -1, announced);
    }

    void scan_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("pass");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("moves");
        QTest::addColumn<QString>("does"); // r: restart, a: add a row, s: session up
        QTest::addColumn<int>("passAfter");
        QTest::newRow("before item 1") << 6 << 0 << 0 << 3 << "" << 0;
        QTest::newRow("item 1 begins the table") << 1 << 0 << 0 << 0 << "ra" << 1;
        QTest::newRow("next item") << 5 << 1 << 1 << 1 << "a" << 1;
        QTest::newRow("an item lost on the way") << 30 << 1 << 2 << 3 << "r" << 0;
        QTest::newRow("one item twice") << 30 << 1 << 4 << 3 << "r" << 0;
        QTest::newRow("item 1 again: done") << 1 << 1 << 6 << 6 << "s" << 0;
        QTest::newRow("item 1 again, out of step") << 1 << 1 << 5 << 6 << "ra" << 1;
    }
    void scan()
    {
        QFETCH(int, code);
        QFETCH(int, pass);
        QFETCH(int, rows);
        QFETCH(int, moves);
        QFETCH(QString, does);
        QFETCH(int, passAfter);
        const AutoCycle::ScanStep step = AutoCycle::scanItem(code, pass, rows, moves);
        QString did;
        did += step.restart ? "r" : "";
        did += step.addRow ? "a" : "";
        did += step.sessionUp ? "s" : "";
        QCOMPARE(did, does);
        QCOMPARE(pass, passAfter);
    }

    // The session key from the selection, the pointer and the Action press.
    void sessionKeys_data()
    {
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("pointerAt");
        QTest::addColumn<bool>("confirmed");
        QTest::addColumn<int>("next");
        QTest::addColumn<int>("actionStep");
        QTest::addColumn<bool>("mayStart");
        QTest::addColumn<bool>("running");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("move");
        QTest::addColumn<int>("stepAfter");
        QTest::newRow("hold on the row")
            << 2 << 2 << true << kHold << 0 << false << false << kHold << 0 << 0;
        QTest::newRow("up when it may move")
            << 4 << 2 << true << kUp << 0 << false << false << kUp << 1 << 0;
        QTest::newRow("the way is decided now")
            << 0 << 2 << true << kUp << 0 << false << false << kDown << -1 << 0;
        QTest::newRow("there already")
            << 2 << 2 << false << kUp << 0 << false << false << kHold << 0 << 0;
        QTest::newRow("no move without a code shown")
            << 4 << 2 << true << kHold << 0 << false << false << kHold << 0 << 0;
        QTest::newRow("the check starts")
            << 3 << 3 << true << kHold << 1 << true << false << kAction << 0 << 2;
        QTest::newRow("a press waits for the row")
            << 3 << 2 << true << kUp << 1 << false << false << kUp << 1 << 1;
        QTest::newRow("a running check holds")
            << 1 << 3 << true << kUp << 12 << false << true << kHold << 0 << 13;
        QTest::newRow("a running check, action again")
            << 1 << 3 << true << kUp << 21 << false << true << kAction << 0 << 22;
        QTest::newRow("no row to go to")
            << 9 << 2 << true << kUp << 0 << false << false << kHold << 0 << 0;
    }
    void sessionKeys()
    {
        QFETCH(int, selected);
        QFETCH(int, pointerAt);
        QFETCH(bool, confirmed);
        QFETCH(int, next);
        QFETCH(int, actionStep);
        QFETCH(bool, mayStart);
        QFETCH(bool, running);
        QFETCH(int, key);
        QFETCH(int, move);
        QFETCH(int, stepAfter);
        int row = 0;
        EcuPointer pointer(row);
        pointer.startOnFirstRow();
        for (int i = 0; i < pointerAt; ++i)
            pointer.moved(1);
        if (confirmed)
            pointer.reported(kCodes[pointerAt].toInt(), kCodes, kCodes.size());
        AutoCycle::SessionView view;
        view.selectedRow = selected;
        view.rows = kCodes.size();
        view.nextCommand = std::uint8_t(next);
        view.checkMayStart = mayStart;
        view.checkRunning = running;
        const AutoCycle::SessionKey out = AutoCycle::sessionKey(view, pointer, actionStep);
        QCOMPARE(int(out.key), key);
        QCOMPARE(out.move, move);
        QCOMPARE(actionStep, stepAfter);
        QCOMPARE(out.checkStarts, mayStart);
    }

    void checkEnds_data()
    {
        QTest::addColumn<bool>("isc");
        QTest::addColumn<int>("keys");
        QTest::addColumn<QString>("sequence");
        QTest::newRow("a check") << false << 9 << QString(9, 'e');
        QTest::newRow("item 67") << true << 49
                                 << QString(9, 'e') + QString(11, 'a') + QString(10, 'e')
                                        + QString(10, 'a') + QString(9, 'e');
    }
    void checkEnds()
    {
        QFETCH(bool, isc);
        QFETCH(int, keys);
        QFETCH(QString, sequence);
        int row = 0;
        EcuPointer pointer(row);
        AutoCycle::SessionView view;
        view.iscCheck = isc;
        view.checkRunning = true;
        int actionStep = 1;
        QString sent;
        for (int i = 0; i < keys; ++i) {
            const AutoCycle::SessionKey out = AutoCycle::sessionKey(view, pointer, actionStep);
            sent += out.key == kAction ? 'e' : out.key == kHold ? 'a' : '?';
            QCOMPARE(out.checkEnds, i == keys - 1);
        }
        QCOMPARE(sent, sequence);
    }

    void sessionAnswers_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("pointerAt"); // confirmed there, -1: just moved to 1
        QTest::addColumn<QString>("checkCode");
        QTest::addColumn<QString>("shows"); // what the verdict says, letter by letter
        QTest::addColumn<int>("next");
        // l lost, o out of step, m malformed, x abort check, r reached,
        // v value <raw>, c check label on, n check label off
        QTest::newRow("value on the row") << "ca,1c,0,0,20,3c" << 0 << 0 << ""
                                          << "rv20n" << kHold;
        QTest::newRow("checking value") << "ca,1c,0,80,20,bc" << 0 << 0 << ""
                                        << "rv20c" << kHold;
        QTest::newRow("code on the row") << "ca,1c,0,40,1,5d" << 0 << 0 << ""
                                         << "rn" << kHold;
        QTest::newRow("code elsewhere: go") << "ca,1c,0,40,1,5d" << 3 << 0 << ""
                                            << "" << kUp;
        QTest::newRow("value elsewhere: hold") << "ca,1c,0,0,20,3c" << 3 << 0 << ""
                                               << "" << kHold;
        QTest::newRow("the code comes late: no value yet") << "cb,1c,0,0,20,3c" << 1 << -1 << ""
                                                           << "" << kHold;
        QTest::newRow("the code after a move") << "ca,1c,0,40,5,61" << 1 << -1 << ""
                                               << "rn" << kHold;
        QTest::newRow("a check on another item stops") << "ce,1c,0,c0,6,e2" << 1 << 1 << "30"
                                                       << "x" << kDown;
        QTest::newRow("a check on its item goes on") << "ce,1c,0,c0,1e,fa" << 3 << 3 << "30"
                                                     << "rc" << kHold;
        QTest::newRow("an unknown code") << "ca,1c,0,40,63,bf" << 0 << 0 << ""
                                         << "o" << kHold;
        QTest::newRow("echo only") << "ca" << 0 << 0 << ""
                                   << "lm" << kHold;
        QTest::newRow("nothing") << "" << 0 << 0 << ""
                                 << "m" << kHold;
        QTest::newRow("glued") << "ca,1c,0,0,20,3c,1c,0,0,20,3c" << 0 << 0 << ""
                               << "m" << kHold;
    }
    void sessionAnswers()
    {
        QFETCH(QString, reply);
        QFETCH(int, selected);
        QFETCH(int, pointerAt);
        QFETCH(QString, checkCode);
        QFETCH(QString, shows);
        QFETCH(int, next);
        int row = 0;
        EcuPointer pointer(row);
        pointer.startOnFirstRow();
        if (pointerAt < 0) {
            pointer.moved(1);
        } else {
            for (int i = 0; i < pointerAt; ++i)
                pointer.moved(1);
            pointer.reported(kCodes[pointerAt].toInt(), kCodes, kCodes.size());
        }
        AutoCycle::SessionView view;
        view.selectedRow = selected;
        view.rows = kCodes.size();
        const AutoCycle::SessionVerdict v =
            AutoCycle::judgeSession(fields(reply), pointer, kCodes, view, checkCode);
        QString said;
        said += v.lost ? "l" : "";
        said += v.outOfStep ? "o" : "";
        said += v.malformed ? "m" : "";
        said += v.abortCheck ? "x" : "";
        said += v.selectionReached ? "r" : "";
        said += v.writeValue ? "v" + v.raw : "";
        said += v.setCheckLabel ? (v.checking ? "c" : "n") : "";
        QCOMPARE(said, shows);
        QCOMPARE(int(v.nextCommand), next);
    }

    // --- the CO cycle ---

    void coLogin_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<int>("next");
        QTest::addColumn<QString>("expectedAfter");
        QTest::addColumn<QString>("does"); // s: session up, t: two cylinders, x: too short
        QTest::newRow("vixion") << kIdentify << 0 << ""
                                << "fe,0,0" << 1 << "1"
                                << "";
        QTest::newRow("a reading is no identification") << kIdentify << 0 << ""
                                                        << "fe,1c,0,0,20,0" << 0 << ""
                                                        << "";
        QTest::newRow("a reading's head is no identification") << kIdentify << 0 << ""
                                                               << "1c,0,0" << 0 << ""
                                                               << "";
        QTest::newRow("a reading's head is no acknowledgement") << kAction << 1 << "1"
                                                                << "1c,0,10" << 1 << "1"
                                                                << "";
        QTest::newRow("a reading is no acknowledgement") << kAction << 1 << "1"
                                                         << "ce,1c,0,0,20,10" << 1 << "1"
                                                         << "";
        QTest::newRow("counted") << kAction << 3 << "1"
                                 << "ce,0,1" << 4 << "1"
                                 << "";
        QTest::newRow("not counted") << kAction << 3 << "1"
                                     << "ce,0,0" << 3 << "1"
                                     << "";
        QTest::newRow("error answer") << kAction << 3 << "1"
                                      << "ce,0,80" << 3 << "81"
                                      << "";
        QTest::newRow("acknowledged") << kAction << 5 << "1"
                                      << "ce,0,10" << 34 << "1"
                                      << "";
        QTest::newRow("single cylinder") << kAction << 9 << "1"
                                         << "ce,0,1" << 38 << "1"
                                         << "";
        QTest::newRow("two cylinders") << kAction << 9 << "1"
                                       << "ce,0,0,40,0,1" << 41 << "1"
                                       << "t";
        QTest::newRow("session at 55") << kAction << 55 << "1"
                                       << "ce,0,0" << 0 << "1"
                                       << "s";
        QTest::newRow("not yet at 54") << kAction << 54 << "1"
                                       << "ce,0,0" << 54 << "1"
                                       << "";
        QTest::newRow("too short") << kAction << 20 << "1"
                                   << "ce,0" << 0 << "1"
                                   << "x";
    }
    void coLogin()
    {
        QFETCH(int, key);
        QFETCH(int, step);
        QFETCH(QString, expected);
        QFETCH(QString, reply);
        QFETCH(int, next);
        QFETCH(QString, expectedAfter);
        QFETCH(QString, does);
        const AutoCoCycle::LoginReading r =
            AutoCoCycle::readLogin(std::uint8_t(key), step, expected, fields(reply));
        QCOMPARE(step, next);
        QCOMPARE(expected, expectedAfter);
        QString did;
        did += r.sessionUp ? "s" : "";
        did += r.twinCylinder ? "t" : "";
        did += r.tooShort ? "x" : "";
        QCOMPARE(did, does);
    }

    void cylinderChange_data()
    {
        QTest::addColumn<int>("wanted");
        QTest::addColumn<QString>("keys");
        const QString head = QString(8, 'e') + QString(4, 'a');
        const QString tail = QString(4, 'a') + QString(10, 'e');
        QTest::newRow("cylinder 1") << int(AutoCoCycle::State::CylinderOne) << head + "a" + tail;
        QTest::newRow("cylinder 2") << int(AutoCoCycle::State::CylinderTwo) << head + "u" + tail;
    }
    void cylinderChange()
    {
        QFETCH(int, wanted);
        QFETCH(QString, keys);
        int step = 0;
        QString sent;
        bool done = false;
        while (!done) {
            const AutoCoCycle::CylinderKey k =
                AutoCoCycle::cylinderKey(step, AutoCoCycle::State(wanted));
            sent += k.key == kAction ? 'e' : k.key == kHold ? 'a' : k.key == kUp ? 'u' : '?';
            done = k.done;
            QVERIFY(sent.size() <= 27);
        }
        QCOMPARE(sent, keys);
        QCOMPARE(step, 0);
    }

    void coReadings_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<bool>("whole");
        QTest::addColumn<int>("rpm");
        QTest::addColumn<QString>("co"); // empty: not shown
        QTest::newRow("setting 5") << "ca,1c,0,0,85,0" << true << 1400 << "5";
        QTest::newRow("setting -128") << "cb,1c,0,0,0,0" << true << 1400 << "-128";
        QTest::newRow("a code shown") << "ca,1c,0,40,85,0" << true << 1400 << "";
        QTest::newRow("short") << "ca,1c,0" << false << 0 << "";
    }
    void coReadings()
    {
        QFETCH(QString, reply);
        QFETCH(bool, whole);
        QFETCH(int, rpm);
        QFETCH(QString, co);
        const AutoCoCycle::Reading r = AutoCoCycle::read(fields(reply));
        QCOMPARE(r.whole, whole);
        QCOMPARE(r.rpm, rpm);
        QCOMPARE(r.hasCo && r.whole ? QString::number(r.co) : QString(), co);
    }
};

QTEST_APPLESS_MAIN(TestAutoCycle)
#include "tst_autocycle.moc"
