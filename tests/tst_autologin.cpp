// SPDX-License-Identifier: GPL-3.0-or-later
// Auto login over the simulated cable: identification of every model, the
// model-48 unlock, the key walk, and what a short or foreign reply does.
#include "support/logcapture.h"
#include "tst_autobench.h"

#include "link/usbserial.h"

#include "virtualmain.h"
#include <QtTest>

using namespace autobench;

class TestAutoLogin : public QObject
{
    Q_OBJECT
private slots:
    void init() { resetCable(); }

    void identifiesEachModel_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<QString>("logLine");
        QTest::addColumn<QString>("expected");
        QTest::newRow("fe,0,0") << 0x00 << "login=vixion"
                                << "1";
        QTest::newRow("fe,0,1") << 0x01 << "login=mio j"
                                << "0";
        QTest::newRow("fe,0,2") << 0x02 << "login=soul gt"
                                << "0";
        QTest::newRow("fe,0,3") << 0x03 << "login=xride new"
                                << "0";
        QTest::newRow("fe,0,80") << 0x80 << "login=error"
                                 << "";
    }

    void identifiesEachModel()
    {
        QFETCH(int, model);
        QFETCH(QString, logLine);
        QFETCH(QString, expected);
        LogCapture log;
        sim::AutoEcuConfig config = sim::AutoEcuConfig::vixion();
        config.modelCode = model;
        auto ecu = seat(config);
        MainWindow window;
        MainWindowProbe probe(window);
        QVERIFY(log.waitFor("login=ce", kCeiling));
        QCOMPARE(log.count(logLine), 1);
        const QString reply = "diag:fe,0," + QString::number(model, 16) + ",";
        QVERIFY2(log.indexOf(reply) >= 0 && log.indexOf(reply) < log.indexOf(logLine),
                 qPrintable(log.texts().join(" | ")));
        QCOMPARE(probe.autoCycle()->expectedReply(),
                 expected.isEmpty() ? AutoProtocol::NoExpectation : expected.toInt(nullptr, 16));
        // identify once, then the action key until the acknowledgement
        const std::vector<std::uint8_t> sent = sentBytes();
        QCOMPARE(int(sent.at(0)), int(kIdentify));
        QCOMPARE(int(sent.at(1)), int(kAction));
        QCOMPARE(ecu->rejectedLogins(), 0);
    }

    void unlocksModel48ThenIdentifiesAgain()
    {
        LogCapture log;
        sim::AutoEcuConfig config = sim::AutoEcuConfig::vixion();
        config.modelCode = 0x48;
        config.unlockedModelCode = 0x01;
        auto ecu = seat(config);
        MainWindow window;
        MainWindowProbe probe(window);
        QVERIFY(log.waitFor("login=mio j", kCeiling));
        QVERIFY(log.indexOf("login=aerox") >= 0);
        QVERIFY(log.indexOf("login=aerox") < log.indexOf("login=mio j"));
        QCOMPARE(log.count("login=aerox"), 1);
        QVERIFY(ecu->unlocked());
        QCOMPARE(ecu->unlockFailures(), 0);
        const std::vector<std::uint8_t> sent = sentBytes();
        const std::vector<std::uint8_t> expected = join({{kIdentify}, config.unlock, {kIdentify}});
        QVERIFY2(sent.size() >= expected.size(), qPrintable(hex(sent)));
        QCOMPARE(hex({sent.begin(), sent.begin() + long(expected.size())}), hex(expected));
        // and the login goes on from there
        QVERIFY(sessionWithRows(probe, int(config.items.size())));
    }

    void loginWalkAndTable()
    {
        LogCapture log;
        const sim::AutoEcuConfig config = sim::AutoEcuConfig::vixion();
        auto ecu = seat(config);
        MainWindow window;
        MainWindowProbe probe(window);
        QVERIFY(sessionWithRows(probe, 24));
        QCOMPARE(column(probe, 1), textsOf(config.items));
        QCOMPARE(probe.rowCodes(), codesOf(config.items));
        QCOMPARE(probe.status(), QString("Connected-Engine On"));
        QCOMPARE(ecu->rejectedLogins(), 0);
        QCOMPARE(ecu->mode(), sim::AutoEcu::Mode::Diag);
        QCOMPARE(ecu->currentCode(), 1);
        QCOMPARE(probe.scanPass(), 0);
        QCOMPARE(log.count("login=ce"), 1);
        QCOMPARE(log.count("table  add"), 25); // every item, then item 1 again
        QVERIFY(log.contains("code 5 5"));
        QVERIFY(log.contains("code 87 87"));

        // identify, acknowledgement, the login keys, the scan, then hold
        const std::vector<std::uint8_t> walk = join({{kIdentify, kAction, kHold},
                                                     repeat(kAction, 15),
                                                     repeat(kHold, 23),
                                                     repeat(kUp, 24),
                                                     {kHold}});
        QVERIFY(waitUntil([&] { return sentCount() >= walk.size(); }, kCeiling));
        const std::vector<std::uint8_t> sent = sentBytes();
        QCOMPARE(hex({sent.begin(), sent.begin() + long(walk.size())}), hex(walk));

        const int coil = rowOf(probe, 30);
        QCOMPARE(QStringList({probe.cell(coil, 0), probe.cell(coil, 1), probe.cell(coil, 2),
                              probe.cell(coil, 3), probe.cell(coil, 4)}),
                 QStringList({"A", "30", "Coil", "", "-"}));
        const int tps = rowOf(probe, 1);
        QCOMPARE(QStringList({probe.cell(tps, 0), probe.cell(tps, 2), probe.cell(tps, 4)}),
                 QStringList({"-", "TPS", "deg"}));
    }

    // Every ECU item has its row, so that row r stays r steps from item 1;
    // one the catalogue does not know reads "-".
    void codeOfHundredOrMoreGetsADashRow()
    {
        LogCapture log;
        sim::AutoEcuConfig config = sim::AutoEcuConfig::vixion();
        config.items = {1, 3, 5, 0x70, 0xff};
        seat(config);
        MainWindow window;
        MainWindowProbe probe(window);
        QVERIFY(sessionWithRows(probe, 5));
        QCOMPARE(probe.rowCodes(), QList<int>({1, 3, 5, 112, 255}));
        QVERIFY(log.contains("code 112 112"));
        QVERIFY(log.contains("code 255 255"));
        QCOMPARE(
            QStringList({probe.cell(3, 0), probe.cell(3, 1), probe.cell(3, 2), probe.cell(3, 4)}),
            QStringList({"-", "112", "-", "-"}));
    }

    void shortRepliesKeepIdentifying()
    {
        LogCapture log;
        auto ecu = seat();
        ecu->setReplyBytes(1); // echo and one byte: two fields
        MainWindow window;
        MainWindowProbe probe(window);
        QVERIFY(log.waitFor("Connected.", kCeiling));
        QVERIFY(waitUntil([&] { return log.count("diag:fe,0,") >= 5; }, kCeiling));
        QVERIFY(!log.anyStartsWith("login="));
        QCOMPARE(probe.autoCycle()->loginStep(), 0);
        QCOMPARE(probe.status(), QString("Connected-Engine Off"));
        const std::vector<std::uint8_t> sent = sentBytes();
        QCOMPARE(countOf(sent, kIdentify), int(sent.size()));
        ecu->setReplyBytes(-1);
        QVERIFY(sessionWithRows(probe, 24));
    }

    void ecuIgnoresOtherLineSpeeds()
    {
        LogCapture log;
        auto ecu = seat();
        MainWindow window;
        MainWindowProbe probe(window);
        QVERIFY(log.waitFor("Connected.", kCeiling));
        probe.link()->setBaud(10400);
        const int before = ecu->bytesIgnored();
        QVERIFY(waitUntil([&] { return ecu->bytesIgnored() >= before + 5; }, kCeiling));
        QVERIFY(waitUntil([&] { return log.count("diag:fe,") >= 3; }, kCeiling));
        QCOMPARE(probe.table()->rowCount(), 0);
        QCOMPARE(probe.sessionState(), SessionState::None);
    }
};

TAVRIX_VIRTUAL_TEST_MAIN(TestAutoLogin)
#include "tst_autologin.moc"

#include <cstdint>
