// SPDX-License-Identifier: GPL-3.0-or-later
// The item catalogue, the item rows and the table slots: what the mechanic
// sees in the table and in the "Info:" label.
#include "support/mainwindowprobe.h"
#include "support/simsupport.h"

#include "ecu/itemcatalogue.h"

#include <QtTest>

using sim::VirtualCable;

namespace {
QStringList rowOf(const MainWindowProbe &probe, int row)
{
    QStringList cells;
    for (int c = 0; c < 5; ++c)
        cells << probe.cell(row, c);
    return cells;
}
} // namespace

class TestCatalogue : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        VirtualCable::instance().reset();
        VirtualCable::instance().unplug(); // table work only; no ticks
    }

    void everySlotHasThreeFields()
    {
        MainWindow window;
        MainWindowProbe probe(window);
        QCOMPARE(probe.itemList().size(), 100);
        for (int slot = 0; slot < 100; ++slot)
            QCOMPARE(probe.itemList()[slot].split(',').size(), 3);
        QCOMPARE(probe.itemList()[63].split(',').value(2), QString(" "));
        QCOMPARE(probe.itemList()[7].split(',').value(2), QString(" Display putaran roda"));
    }

    void namedSlots_data()
    {
        QTest::addColumn<int>("slot");
        QTest::addColumn<QString>("entry");
        QTest::newRow("1") << 1 << "TPS,deg,Throttle position sensor";
        QTest::newRow("9") << 9 << "Volt,Volt,Voltase sistem bahan bakar";
        QTest::newRow("52")
            << 52 << "xRelay,-,Periksa Relay Lampu Depan (tekan tombol action untuk memeriksa)";
        QTest::newRow("61") << 61 << "Malfunction Display,-,History kode kesalahan";
        QTest::newRow("62")
            << 62
            << "xClear Malfunction Code,-,Jumlah kode kesalahan(tekan tombol action untuk menghapus)";
        QTest::newRow("67") << 67 << "xClear ISC Correction Value,-,Display kode ISC";
        QTest::newRow("87")
            << 87 << "xAir Fuel Control,-,Air Fuel Control(tekan tombol action untuk reset)";
    }
    void namedSlots()
    {
        QFETCH(int, slot);
        QFETCH(QString, entry);
        QCOMPARE(ItemCatalogue::build().value(slot), entry);
    }

    void emptySlots()
    {
        const QList<QString> list = ItemCatalogue::build();
        const QSet<int> named = {1,  3,  5,  6,  7,  8,  9,  11, 20, 21, 30, 31, 36,
                                 37, 48, 50, 51, 52, 54, 60, 61, 62, 63, 67, 70, 87};
        for (int slot = 0; slot < 100; ++slot)
            QCOMPARE(list[slot] == "-,-,-", !named.contains(slot));
    }

    void appendItemRow_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QStringList>("cells");
        QTest::newRow("30") << 30 << QStringList{"A", "30", "Coil", "", "-"};
        QTest::newRow("1") << 1 << QStringList{"-", "1", "TPS", "", "deg"};
        QTest::newRow("2") << 2 << QStringList{"-", "2", "-", "", "-"};
        QTest::newRow("0") << 0 << QStringList{"-", "0", "-", "", "-"};
        QTest::newRow("31") << 31 << QStringList{"A", "31", "Coil 2", "", "-"};
        QTest::newRow("7") << 7 << QStringList{"-", "7", "Wheel Speed", "", "-"};
        QTest::newRow("54") << 54 << QStringList{"A", "54", "ISC/FID", "", "-"};
        QTest::newRow("99") << 99 << QStringList{"-", "99", "-", "", "-"};
    }
    void appendItemRow()
    {
        QFETCH(int, code);
        QFETCH(QStringList, cells);
        MainWindow window;
        MainWindowProbe probe(window);
        probe.appendItemRow(5);
        probe.appendItemRow(code);
        QCOMPARE(probe.table()->rowCount(), 2);
        QCOMPARE(rowOf(probe, 1), cells);
        QCOMPARE(probe.rowCodes(), (QList<int>{5, cells[1].toInt()}));
    }

    // A code outside the catalogue still gets its row, so that the rows
    // behind it stay where the ECU has them; its fields read "-".
    void codesOutsideTheCatalogueGetADashRow_data()
    {
        QTest::addColumn<int>("code");
        QTest::newRow("100") << 100;
        QTest::newRow("255") << 255;
    }
    void codesOutsideTheCatalogueGetADashRow()
    {
        QFETCH(int, code);
        MainWindow window;
        MainWindowProbe probe(window);
        probe.appendItemRow(1);
        probe.appendItemRow(code);
        probe.appendItemRow(30);
        QCOMPARE(probe.rowCodes(), (QList<int>{1, code, 30}));
        QCOMPARE(rowOf(probe, 1), (QStringList{"-", QString::number(code), "-", "", "-"}));
        QCOMPARE(rowOf(probe, 2), (QStringList{"A", "30", "Coil", "", "-"}));
        probe.clickRow(1);
        QCOMPARE(probe.infoLabel()->text(), QString("Info: -"));
        QVERIFY(!probe.actionButton()->isEnabled());
        QGuiApplication::restoreOverrideCursor();
    }

    void clickingARow_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("info");
        QTest::addColumn<bool>("action");
        QTest::newRow("30") << 30
                            << "Info: Periksa koil pengapian(tekan tombol action untuk memeriksa)"
                            << true;
        QTest::newRow("1") << 1 << "Info: Throttle position sensor" << false;
        QTest::newRow("2") << 2 << "Info: -" << false;
        QTest::newRow("63") << 63 << "Info:  " << false;
        QTest::newRow("61") << 61 << "Info: History kode kesalahan" << false;
        QTest::newRow("62") << 62
                            << "Info: Jumlah kode kesalahan(tekan tombol action untuk menghapus)"
                            << true;
    }
    void clickingARow()
    {
        QFETCH(int, code);
        QFETCH(QString, info);
        QFETCH(bool, action);
        MainWindow window;
        MainWindowProbe probe(window);
        probe.appendItemRow(50); // an actuator row first: Action on
        probe.appendItemRow(code);
        probe.clickRow(0);
        QVERIFY(probe.actionButton()->isEnabled());
        probe.clickRow(1);
        QCOMPARE(probe.infoLabel()->text(), info);
        QCOMPARE(probe.actionButton()->isEnabled(), action);
        QCOMPARE(probe.selectedRow(), 1);
        QCOMPARE(probe.ecuRow(), 0);
        QVERIFY(probe.selectionPending());
        QGuiApplication::restoreOverrideCursor();
    }

    void item61AfterXmax()
    {
        MainWindow window;
        MainWindowProbe probe(window);
        probe.appendItemRow(61);
        probe.typeBox()->setCurrentIndex(1); // Xmax
        probe.appendItemRow(61);
        const QString info = "Info: Jumlah history kesalahan(tekan tombol action untuk menghapus)";
        probe.clickRow(0); // appended before the switch: no actuator mark
        QCOMPARE(probe.infoLabel()->text(), info);
        QVERIFY(!probe.actionButton()->isEnabled());
        probe.clickRow(1);
        QCOMPARE(rowOf(probe, 1), (QStringList{"A", "61", "Clear Malfunction History", "", "-"}));
        QCOMPARE(probe.infoLabel()->text(), info);
        QVERIFY(probe.actionButton()->isEnabled());
        probe.typeBox()->setCurrentIndex(0); // Auto leaves the catalogue as it is
        QCOMPARE(probe.itemList()[61], ItemCatalogue::xmaxHistoryEntry());
        QGuiApplication::restoreOverrideCursor();
    }

    // A click says where the mechanic wants the ECU, not where it is: the
    // row the ECU stands on is the cycle's to know.
    void clicksLeaveTheEcuRowAlone()
    {
        MainWindow window;
        MainWindowProbe probe(window);
        for (int code : {1, 3, 5, 6})
            probe.appendItemRow(code);
        for (int row : {2, 2, 3}) {
            probe.clickRow(row);
            QCOMPARE(probe.selectedRow(), row);
            QCOMPARE(probe.ecuRow(), 0);
        }
        QGuiApplication::restoreOverrideCursor();
    }

    void clearTable()
    {
        MainWindow window;
        MainWindowProbe probe(window);
        probe.walk().select(3);
        probe.walk().pointer().moved(2);
        probe.clearTable(); // empty table: the rows stay as they are
        QCOMPARE(probe.selectedRow(), 3);
        QCOMPARE(probe.ecuRow(), 2);
        for (int code : {1, 3, 30})
            probe.addRow(code);
        probe.setSessionState(SessionState::Up);
        probe.clickRow(2);
        probe.actionButton()->click();
        QCOMPARE(probe.actionStep(), 1);
        probe.clearTable();
        QCOMPARE(probe.table()->rowCount(), 0);
        QVERIFY(probe.rowCodes().isEmpty());
        QCOMPARE(probe.selectedRow(), 0);
        QCOMPARE(probe.ecuRow(), 0);
        // what was asked of the rows goes with them, cursors and all
        QCOMPARE(probe.actionStep(), 0);
        QVERIFY(!probe.selectionPending());
        QVERIFY(!probe.actionButton()->isEnabled());
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    // The frames of the polling, the check and the fault codes, byte for byte.
    void kwpCommandStrings()
    {
        const QStringList expected = {"0x83,0x10,0xF0,0x31,0x70,0xCA,0xEE",
                                      "0x83,0x10,0xF0,0x31,0x70,0xCB,0xEF",
                                      "0x83,0x10,0xF0,0x31,0x70,0xCC,0xF0",
                                      "0x84,0x10,0xF0,0x31,0x70,0xCE,0x08,0xFB",
                                      "0xC1,0x33,0xF0,0x3E,0x22",
                                      "0x84,0x10,0xF0,0x18,0xA1,0xFF,0xFF,0x3B",
                                      "0x84,0x10,0xF0,0x14,0xFF,0xFF,0xFF,0x95",
                                      "0x84,0x10,0xF0,0x18,0x20,0xFF,0xFF,0xBA"};
        const QStringList frames = {
            KwpFrames::Hold.text(),          KwpFrames::Up.text(),
            KwpFrames::Down.text(),          KwpFrames::Action.text(),
            KwpFrames::TesterPresent.text(), KwpFrames::ReadDtcCurrent.text(),
            KwpFrames::ClearDtc.text(),      KwpFrames::ReadDtcHistory.text()};
        QCOMPARE(frames, expected);
    }
};

QTEST_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
