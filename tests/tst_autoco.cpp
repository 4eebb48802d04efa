// SPDX-License-Identifier: GPL-3.0-or-later
// Auto CO mode over the simulated cable: the CO login, engine speed and CO
// in the dialog, the Up/Down keys, the cylinder change, and the way back.
#include "support/logcapture.h"
#include "tst_autobench.h"

#include "virtualmain.h"
#include <QRegularExpression>
#include <QtTest>

using namespace autobench;

namespace {
std::vector<std::uint8_t> coWalk(bool twin)
{
    const std::vector<std::uint8_t> single = {kUp, kHold, kHold, kUp, kHold, kHold, kHold, kHold};
    const std::vector<std::uint8_t> pair = {kUp, kHold, kHold, kHold, kHold};
    return join({{kIdentify, kAction, kHold, kUp, kHold, kUp},
                 repeat(kAction, 9),
                 twin ? pair : single,
                 repeat(kAction, 9),
                 {kHold}});
}

std::vector<std::uint8_t> cylinderKeys(std::uint8_t choice)
{
    return join(
        {repeat(kAction, 8), repeat(kHold, 4), {choice}, repeat(kHold, 4), repeat(kAction, 10)});
}

QString coSession(MainWindowProbe &probe, const LogCapture &log, int rpm, const QString &co)
{
    CHECK_OR_RETURN(log.waitFor("tick 55", kCeiling), "no CO session");
    CHECK_OR_RETURN(probe.sessionState() == SessionState::Up, "session state");
    CHECK_OR_RETURN(probe.status() == "Connected-Engine On", probe.status());
    CHECK_OR_RETURN(
        waitUntil([&] { return lcd(probe)->intValue() == rpm && coLabel(probe)->text() == co; },
                  kCeiling),
        QString("display %1 / %2").arg(lcd(probe)->intValue()).arg(coLabel(probe)->text()));
    return QString();
}
} // namespace

class TestAutoCo : public QObject
{
    Q_OBJECT
private slots:
    void init() { resetCable(); }

    void coLoginWalksToTheSession()
    {
        LogCapture log;
        auto ecu = seat();
        MainWindow window;
        MainWindowProbe probe(window);
        QVERIFY(log.waitFor("Connected.", kCeiling));
        const std::size_t mark = sentCount();
        const QString error = inCoWindow(probe, [&] { return coSession(probe, log, 1400, "0"); });
        QVERIFY2(error.isEmpty(), qPrintable(error));
        const std::vector<std::uint8_t> walk = coWalk(false);
        const std::vector<std::uint8_t> sent = sentSince(mark);
        QVERIFY(sent.size() >= walk.size());
        QCOMPARE(hex({sent.begin(), sent.begin() + long(walk.size())}), hex(walk));
        QVERIFY(log.contains("logiiin"));
        QCOMPARE(log.count("login=vixion"), 1);
        QCOMPARE(log.count("login=ce"), 1);
        QCOMPARE(log.count("login=ce2"), 8);
        QVERIFY(log.contains("38"));
        QVERIFY(log.contains("tick cerr= 55"));
        QVERIFY(!log.contains("login=r25"));
        QVERIFY(!cylBox(probe)->isEnabled());
        QCOMPARE(ecu->rejectedLogins(), 0);
    }

    void upAndDownStepTheSettingWithoutDroppingTheDisplay()
    {
        LogCapture log;
        sim::AutoEcuConfig config = sim::AutoEcuConfig::vixion();
        config.coSetting = 5; // so that a 0 on the display is never right
        auto ecu = seat(config);
        MainWindow window;
        MainWindowProbe probe(window);
        QVERIFY(log.waitFor("Connected.", kCeiling));
        int firstSessionLine = 0;
        bool zeroSeen = false;
        const QString error = inCoWindow(probe, [&]() -> QString {
            const QString up = coSession(probe, log, 1400, "5");
            if (!up.isEmpty())
                return up;
            firstSessionLine = log.indexOf("tick 55");
            auto press = [&](const char *button, int expected, int offsetMs) -> bool {
                QTimer::singleShot(offsetMs, coButton(probe, button), SLOT(click()));
                return waitUntil([&] {
                    zeroSeen |= lcd(probe)->intValue() == 0 || coLabel(probe)->text() == "0";
                    return ecu->coSetting() == expected
                           && coLabel(probe)->text() == QString::number(expected);
                }, kCeiling);
            };
            // the presses land at varying points of the CO ticks
            for (int i = 6; i <= 15; ++i)
                CHECK_OR_RETURN(press("pushButton_up", i, (i * 17) % 60),
                                "up " + QString::number(i));
            for (int i = 14; i >= 12; --i)
                CHECK_OR_RETURN(press("pushButton_down", i, (i * 23) % 60),
                                "down " + QString::number(i));
            CHECK_OR_RETURN(lcd(probe)->intValue() == 1400, "rpm");
            return QString();
        });
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QVERIFY(!zeroSeen);
        // every reading the CO session decoded was one whole reply
        const QRegularExpression reading("^([0-9a-f]{1,2},)+$");
        int readings = 0;
        for (int i = firstSessionLine + 1; i < log.texts().size(); ++i) {
            const QString line = log.texts().at(i);
            if (!reading.match(line).hasMatch())
                continue;
            ++readings;
            QCOMPARE(line.count(','), 6);
        }
        QVERIFY(readings > 13);
        // each press went out once, as a CO tick's own key
        const std::vector<std::uint8_t> sent = sentBytes();
        QCOMPARE(countOf(sent, kUp) - countOf(coWalk(false), kUp), 10);
        QCOMPARE(countOf(sent, kDown), 3);
    }

    void malformedCoRepliesStillZeroTheDisplay()
    {
        LogCapture log;
        sim::AutoEcuConfig config = sim::AutoEcuConfig::vixion();
        config.coSetting = 4;
        config.idleRpm = 1500;
        auto ecu = seat(config);
        MainWindow window;
        MainWindowProbe probe(window);
        QVERIFY(log.waitFor("Connected.", kCeiling));
        const QString error = inCoWindow(probe, [&]() -> QString {
            const QString up = coSession(probe, log, 1500, "4");
            if (!up.isEmpty())
                return up;
            ecu->setReplyBytes(2);
            CHECK_OR_RETURN(waitUntil(
                                [&] {
                return lcd(probe)->intValue() == 0 && coLabel(probe)->text() == "0";
            }, kCeiling),
                            "not zeroed");
            CHECK_OR_RETURN(probe.sessionState() == SessionState::Up, "session lost");
            ecu->setReplyBytes(-1);
            CHECK_OR_RETURN(waitUntil([&] { return lcd(probe)->intValue() == 1500; }, kCeiling),
                            "rpm back");
            ecu->setSilent(true);
            CHECK_OR_RETURN(
                waitUntil([&] { return probe.sessionState() == SessionState::None; }, kCeiling),
                "session kept");
            CHECK_OR_RETURN(probe.status() == "Connected-Engine Off", probe.status());
            ecu->setSilent(false);
            CHECK_OR_RETURN(waitUntil([&] { return log.count("tick 55") == 2; }, kCeiling),
                            "no second CO login");
            CHECK_OR_RETURN(waitUntil([&] { return coLabel(probe)->text() == "4"; }, kCeiling),
                            "co back");
            return QString();
        });
        QVERIFY2(error.isEmpty(), qPrintable(error));
    }

    void twoCylinderModelChangesCylinder()
    {
        LogCapture log;
        sim::AutoEcuConfig config = sim::AutoEcuConfig::vixion();
        config.modelCode = 0x01;
        config.twoCylinder = true;
        auto ecu = seat(config);
        MainWindow window;
        MainWindowProbe probe(window);
        QVERIFY(log.waitFor("Connected.", kCeiling));
        std::size_t mark = sentCount();
        std::vector<std::uint8_t> toTwo, toOne;
        const QString error = inCoWindow(probe, [&]() -> QString {
            const QString up = coSession(probe, log, 1400, "0");
            if (!up.isEmpty())
                return up;
            CHECK_OR_RETURN(log.contains("login=r25"), "no r25");
            CHECK_OR_RETURN(cylBox(probe)->isEnabled(), "box disabled");
            const std::vector<std::uint8_t> walk = coWalk(true);
            const std::vector<std::uint8_t> sent = sentSince(mark);
            CHECK_OR_RETURN(hex({sent.begin(), sent.begin() + long(walk.size())}) == hex(walk),
                            hex(sent));
            for (int index : {1, 0}) {
                mark = sentCount();
                cylBox(probe)->setCurrentIndex(index);
                CHECK_OR_RETURN(
                    probe.sessionState()
                        == (index == 1 ? SessionState::CylinderTwo : SessionState::CylinderOne),
                    "state");
                CHECK_OR_RETURN(waitUntil(
                                    [&] {
                    return probe.sessionState() == SessionState::Up && sentCount() > mark + 28;
                }, kCeiling),
                                "change never ended");
                (index == 1 ? toTwo : toOne) = sentSince(mark);
                CHECK_OR_RETURN(ecu->cylinder() == (index == 1 ? 2 : 1), "ECU cylinder");
            }
            return QString();
        });
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(hex({toTwo.begin(), toTwo.begin() + 28}), hex(join({cylinderKeys(kUp), {kHold}})));
        QCOMPARE(hex({toOne.begin(), toOne.begin() + 28}),
                 hex(join({cylinderKeys(kHold), {kHold}})));
        QCOMPARE(ecu->cylinderChanges(), 2);
        QCOMPARE(ecu->cylinderRejects(), 0);
        QCOMPARE(log.count("cyl...................... 1"), 1);
        QCOMPARE(log.count("cyl...................... 0"), 1);
        int cylLines = 0;
        for (const QString &line : log.texts())
            cylLines += line.startsWith("login cyl:");
        QCOMPARE(cylLines, 54);
    }

    void closingTheDialogBringsTheTableBack()
    {
        LogCapture log;
        auto ecu = seat();
        MainWindow window;
        MainWindowProbe probe(window);
        QVERIFY(sessionWithRows(probe, 24));
        QVERIFY(selectAndRead(probe, *ecu, 9));
        const QString error = inCoWindow(probe, [&]() -> QString {
            CHECK_OR_RETURN(probe.table()->rowCount() == 0, "table kept");
            return coSession(probe, log, 1400, "0");
        });
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(probe.status(), QString("Connected-Engine Off"));
        QVERIFY(sessionWithRows(probe, 24));
        QCOMPARE(probe.rowCodes(), codesOf(sim::AutoEcuConfig::vixion().items));
        QCOMPARE(probe.status(), QString("Connected-Engine On"));
        QCOMPARE(log.count("login=vixion"), 3); // first login, CO login, and again
        QVERIFY(selectAndRead(probe, *ecu, 9));
        QCOMPARE(probe.cell(rowOf(probe, 9), 3), QString("13.5"));
    }
};

TAVRIX_VIRTUAL_TEST_MAIN(TestAutoCo)
#include "tst_autoco.moc"

#include <cstdint>
