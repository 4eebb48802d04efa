// SPDX-License-Identifier: GPL-3.0-or-later
// Where the ECU stands: moves booked as they are sent, reports that confirm
// or correct them, a first report after a move taken with care.
#include "ecu/ecupointer.h"

#include <QtTest>

namespace {
// The table the pointer walks: item 5 stands twice, far apart.
const QList<int> kCodes = {1, 5, 6, 150, 30, 3, 5, 51, 61, 62};
constexpr int kItemRows = 8; // 61 and 62 are fault-code rows

// Runs a script of moves ("+", "-") and reports ("r<code>") from row 0,
// confirmed, and returns what each report said: C, R, S or U.
QString play(EcuPointer &pointer, const QString &script)
{
    QString said;
    pointer.startOnFirstRow();
    for (const QString &event : script.split(' ', Qt::SkipEmptyParts)) {
        if (event == "+" || event == "-") {
            pointer.moved(event == "+" ? 1 : -1);
            continue;
        }
        const EcuPointer::Report report = pointer.reported(event.mid(1).toInt(), kCodes, kItemRows);
        said += "CRSU"[int(report)];
    }
    return said;
}
} // namespace

class TestEcuPointer : public QObject
{
    Q_OBJECT
private slots:
    void reports_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("said");
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("confirmed");
        QTest::newRow("start on item 1") << ""
                                         << "" << 0 << true;
        QTest::newRow("a move is not confirmed yet") << "+ +"
                                                     << "" << 2 << false;
        QTest::newRow("the ECU says where it is") << "+ + r6"
                                                  << "C" << 2 << true;
        QTest::newRow("first word after a move naming the item left") << "+ + r5"
                                                                      << "S" << 2 << false;
        QTest::newRow("then the right one") << "+ + r5 r6"
                                            << "SC" << 2 << true;
        QTest::newRow("a move lost: the second word puts it right") << "+ + r5 r5"
                                                                    << "SR" << 1 << true;
        QTest::newRow("a code twice: the nearest row") << "+ + + + + r5 r5"
                                                       << "SR" << 6 << true;
        QTest::newRow("a code twice: the row believed") << "+ + + + + + r5"
                                                        << "C" << 6 << true;
        QTest::newRow("the nearest row, down the table") << "+ + + r150 r5"
                                                         << "CR" << 1 << true;
        QTest::newRow("an unknown item, beyond the catalogue") << "+ + + r150"
                                                               << "C" << 3 << true;
        QTest::newRow("a code no row has") << "+ r99"
                                           << "S" << 1 << false;
        QTest::newRow("a code no row has, settled") << "+ r5 r99"
                                                    << "CU" << 1 << false;
        QTest::newRow("fault-code rows are out of reach") << "+ r5 r61"
                                                          << "CU" << 1 << false;
        QTest::newRow("a check on the row confirms it again") << "+ + + + r30 r30"
                                                              << "CC" << 4 << true;
    }
    void reports()
    {
        QFETCH(QString, script);
        QFETCH(QString, said);
        QFETCH(int, row);
        QFETCH(bool, confirmed);
        EcuPointer pointer;
        QCOMPARE(play(pointer, script), said);
        QCOMPARE(pointer.row(), row);
        QCOMPARE(pointer.confirmed(), confirmed);
        QCOMPARE(pointer.standsOn(row), confirmed);
        QVERIFY(!pointer.standsOn(row + 1));
    }

    void forgettingKeepsTheRow()
    {
        EcuPointer pointer;
        play(pointer, "+ + r6");
        pointer.forget();
        QCOMPARE(pointer.row(), 2);
        QVERIFY(!pointer.confirmed());
        // a report after forgetting is not taken for a stale one
        QCOMPARE(pointer.reported(5, kCodes, kItemRows), EcuPointer::Report::Corrects);
        QCOMPARE(pointer.row(), 1);
    }
};

QTEST_APPLESS_MAIN(TestEcuPointer)
#include "tst_ecupointer.moc"
