// SPDX-License-Identifier: GPL-3.0-or-later
// The CO dialog and the main window's slots that serve it: the display,
// the cylinder box, and the Up/Down keys on the line.
#include "support/logcapture.h"
#include "support/mainwindowprobe.h"
#include "support/simsupport.h"
#include "support/translationrecorder.h"

#include "ui/cowindow.h"

#include "virtualmain.h"
#include <QComboBox>
#include <QGroupBox>
#include <QLCDNumber>
#include <QSignalSpy>
#include <QtTest>

using sim::VirtualCable;

namespace {
template <typename T>
T *part(QObject *dialog, const char *name)
{
    return dialog->findChild<T *>(name);
}
} // namespace

class TestCoWindow : public QObject
{
    Q_OBJECT
private slots:
    void init() { VirtualCable::instance().reset(); }

    void form()
    {
        TranslationRecorder translations;
        CoWindow dialog;
        QCOMPARE(dialog.objectName(), QString("CoWindow"));
        QCOMPARE(dialog.windowTitle(), QString("Dialog"));
        QCOMPARE(dialog.size(), QSize(400, 202));
        QVERIFY(part<QLCDNumber>(&dialog, "lcdNumber_rpm"));
        QCOMPARE(part<QGroupBox>(&dialog, "groupBox")->title(), QString("RPM"));
        QCOMPARE(part<QGroupBox>(&dialog, "groupBox_2")->title(), QString("CO"));
        QCOMPARE(part<QGroupBox>(&dialog, "groupBox_3")->title(), QString("Cyl"));
        auto *up = part<QPushButton>(&dialog, "pushButton_up");
        auto *down = part<QPushButton>(&dialog, "pushButton_down");
        auto *co = part<QLabel>(&dialog, "label_co");
        QCOMPARE(up->text(), QString("Up"));
        QCOMPARE(down->text(), QString("Down"));
        QCOMPARE(up->minimumHeight(), 35);
        QCOMPARE(down->minimumHeight(), 35);
        QCOMPARE(co->text(), QString("0"));
        QCOMPARE(co->font().pointSize(), 30);
        QCOMPARE(co->alignment(), Qt::AlignCenter);
        auto *cyl = part<QComboBox>(&dialog, "comboBox_cyl");
        QVERIFY(!cyl->isEnabled());
        QCOMPARE(cyl->count(), 2);
        QCOMPARE(cyl->itemText(0), QString("1"));
        QCOMPARE(cyl->itemText(1), QString("2"));
        QCOMPARE(cyl->minimumSize(), QSize(50, 30));
        for (const char *text : {"Dialog", "RPM", "CO", "Up", "Down", "0", "Cyl", "1", "2"})
            QVERIFY2(translations.saw("CoWindow", text), text);
    }

    void display_data()
    {
        QTest::addColumn<int>("rpm");
        QTest::addColumn<int>("co");
        QTest::newRow("1450,-3") << 1450 << -3;
        QTest::newRow("0,0") << 0 << 0;
        QTest::newRow("9999,127") << 9999 << 127;
    }
    void display()
    {
        QFETCH(int, rpm);
        QFETCH(int, co);
        CoWindow dialog;
        dialog.setDisplay(rpm, co);
        QCOMPARE(part<QLCDNumber>(&dialog, "lcdNumber_rpm")->intValue(), rpm);
        QCOMPARE(part<QLabel>(&dialog, "label_co")->text(), QString::number(co));
    }

    void comboCyl()
    {
        CoWindow dialog;
        auto *cyl = part<QComboBox>(&dialog, "comboBox_cyl");
        dialog.setComboCyl(false);
        QVERIFY(!cyl->isEnabled());
        dialog.setComboCyl(true);
        QVERIFY(cyl->isEnabled());
    }

    void buttonsRaiseSignals()
    {
        CoWindow dialog;
        QSignalSpy up(&dialog, SIGNAL(up_clicked()));
        QSignalSpy down(&dialog, SIGNAL(down_clicked()));
        part<QPushButton>(&dialog, "pushButton_up")->click();
        QCOMPARE(up.count(), 1);
        QCOMPARE(down.count(), 0);
        part<QPushButton>(&dialog, "pushButton_down")->click();
        part<QPushButton>(&dialog, "pushButton_down")->click();
        QCOMPARE(up.count(), 1);
        QCOMPARE(down.count(), 2);
    }

    void cylinderBoxSetsTheSessionState()
    {
        VirtualCable::instance().unplug();
        LogCapture log;
        MainWindow window;
        MainWindowProbe probe(window);
        auto *cyl = part<QComboBox>(probe.coWindow(), "comboBox_cyl");
        QSignalSpy changed(probe.coWindow(), SIGNAL(cylChanged(int)));
        probe.freshCycle(true);
        probe.setSessionState(SessionState::Up);
        cyl->setCurrentIndex(1); // "2"
        QCOMPARE(probe.sessionState(), SessionState::CylinderTwo);
        QCOMPARE(log.count("cyl...................... 1"), 1);
        cyl->setCurrentIndex(0); // "1" again
        QCOMPARE(probe.sessionState(), SessionState::CylinderOne);
        QCOMPARE(log.count("cyl...................... 0"), 1);
        QCOMPARE(changed.count(), 2);
        QCOMPARE(changed.at(0).at(0).toInt(), 1);
        QCOMPARE(changed.at(1).at(0).toInt(), 0);
    }

    void mainWindowSetDisplayOnlyInSession_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("shown");
        QTest::newRow("login") << SessionState::None << false;
        QTest::newRow("session") << SessionState::Up << true;
        QTest::newRow("cylinder 1") << SessionState::CylinderOne << false;
        QTest::newRow("cylinder 2") << SessionState::CylinderTwo << false;
    }
    void mainWindowSetDisplayOnlyInSession()
    {
        QFETCH(int, state);
        QFETCH(bool, shown);
        VirtualCable::instance().unplug();
        MainWindow window;
        MainWindowProbe probe(window);
        probe.coWindow()->setDisplay(11, 22);
        probe.freshCycle(true);
        probe.setSessionState(state);
        probe.setReading(1450, -3);
        probe.setDisplay();
        QCOMPARE(part<QLCDNumber>(probe.coWindow(), "lcdNumber_rpm")->intValue(),
                 shown ? 1450 : 11);
        QCOMPARE(part<QLabel>(probe.coWindow(), "label_co")->text(), QString(shown ? "-3" : "22"));
    }

    // A key goes out as the CO tick's own request, never between a tick's
    // request and its reading, so that each answer is read alone.
    void keyGoesOutWithTheNextCoTick_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("byte");
        QTest::newRow("Up CB") << "pushButton_up" << 0xCB;
        QTest::newRow("Down CC") << "pushButton_down" << 0xCC;
    }
    void keyGoesOutWithTheNextCoTick()
    {
        QFETCH(QString, button);
        QFETCH(int, byte);
        VirtualCable &cable = VirtualCable::instance();
        LogCapture log;
        MainWindow window;
        MainWindowProbe probe(window);
        QVERIFY(log.waitFor("Connected.", 20000));
        probe.pollTimer()->stop();
        probe.freshCycle(true);
        probe.setSessionState(SessionState::Up);
        const std::size_t before = cable.transmitted().size();
        part<QPushButton>(probe.coWindow(), button.toLatin1())->click();
        QCOMPARE(cable.transmitted().size(), before);
        QVERIFY(probe.pollTimer()->isActive());
        QCOMPARE(probe.pollTimer()->interval(), 50);
        probe.pollTimer()->stop(); // the test ticks by hand
        QMetaObject::invokeMethod(&window, "co_send_clicked");
        const auto &tx = cable.transmitted();
        QCOMPARE(tx.size(), before + 1);
        QCOMPARE(int(tx.back().value), byte);
        probe.setSessionState(SessionState::Up); // nothing answered: the session had ended
        QMetaObject::invokeMethod(&window, "co_send_clicked"); // then reading again
        QCOMPARE(int(cable.transmitted().back().value), 0xCA);
    }

    void keysAreIgnoredWithoutSession_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("Up") << "pushButton_up";
        QTest::newRow("Down") << "pushButton_down";
    }
    void keysAreIgnoredWithoutSession()
    {
        QFETCH(QString, button);
        VirtualCable &cable = VirtualCable::instance();
        LogCapture log;
        MainWindow window;
        MainWindowProbe probe(window);
        QVERIFY(log.waitFor("Connected.", 20000));
        probe.pollTimer()->stop();
        probe.freshCycle(true);
        const std::size_t sent = cable.transmitted().size();
        QSignalSpy raised(probe.coWindow(), button == "pushButton_up" ? SIGNAL(up_clicked())
                                                                      : SIGNAL(down_clicked()));
        part<QPushButton>(probe.coWindow(), button.toLatin1())->click();
        QCOMPARE(raised.count(), 1); // the dialog still raises its signal
        QCOMPARE(cable.transmitted().size(), sent);
        QVERIFY(!probe.pollTimer()->isActive());
        QCOMPARE(probe.pollTimer()->interval(), 30);
    }

    void failedKeyDropsTheSessionAndReconnects()
    {
        VirtualCable &cable = VirtualCable::instance();
        LogCapture log;
        MainWindow window;
        MainWindowProbe probe(window);
        QVERIFY(log.waitFor("Connected.", 20000));
        probe.pollTimer()->stop();
        probe.freshCycle(true);
        probe.setSessionState(SessionState::Up);
        log.clear();
        cable.failWrites(1);
        part<QPushButton>(probe.coWindow(), "pushButton_up")->click();
        QMetaObject::invokeMethod(&window, "co_send_clicked");
        QCOMPARE(probe.sessionState(), SessionState::None);
        QCOMPARE(probe.status(), QString("Not Connect."));
        QVERIFY(!probe.pollTimer()->isActive());
        QVERIFY(log.waitFor("Connected.", 20000));
        QVERIFY(probe.pollTimer()->isActive());
    }
};

TAVRIX_VIRTUAL_TEST_MAIN(TestCoWindow)
#include "tst_cowindow.moc"
