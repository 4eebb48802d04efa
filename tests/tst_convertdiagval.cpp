// SPDX-License-Identifier: GPL-3.0-or-later
// Raw item values to displayed values, case by case.
#include "support/mainwindowprobe.h"

#include "sim/virtualcable.h"

#include <QtTest>

class TestConvertDiagVal : public QObject
{
    Q_OBJECT
private slots:
    void init() { sim::VirtualCable::instance().reset(); }

    void converts_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("shown");
        QTest::newRow("9 af") << "9"
                              << "af"
                              << "13";
        QTest::newRow("9 b4") << "9"
                              << "b4"
                              << "13.5";
        QTest::newRow("9 0") << "9"
                             << "0"
                             << "-4.5";
        QTest::newRow("9 2d") << "9"
                              << "2d"
                              << "0";
        QTest::newRow("8 7b") << "8"
                              << "7b"
                              << "2.4";
        QTest::newRow("8 99") << "8"
                              << "99"
                              << "3";
        QTest::newRow("8 4") << "8"
                             << "4"
                             << "0";
        QTest::newRow("8 ff") << "8"
                              << "ff"
                              << "5.1";
        QTest::newRow("1 ff") << "1"
                              << "ff"
                              << "127";
        QTest::newRow("1 1") << "1"
                             << "1"
                             << "0";
        QTest::newRow("1 2") << "1"
                             << "2"
                             << "1";
        QTest::newRow("3 0") << "3"
                             << "0"
                             << "0";
        QTest::newRow("3 1") << "3"
                             << "1"
                             << "0";
        QTest::newRow("3 cb") << "3"
                              << "cb"
                              << "101";
        QTest::newRow("5 0") << "5"
                             << "0"
                             << "-30";
        QTest::newRow("5 3f") << "5"
                              << "3f"
                              << "33";
        QTest::newRow("6 6e") << "6"
                              << "6e"
                              << "80";
        QTest::newRow("11 1e") << "11"
                               << "1e"
                               << "0";
        QTest::newRow("61 c") << "61"
                              << "c"
                              << "12";
        QTest::newRow("7 3c") << "7"
                              << "3c"
                              << "60";
        QTest::newRow("2 ff") << "2"
                              << "ff"
                              << "255";
        QTest::newRow("0 10") << "0"
                              << "10"
                              << "16";
        QTest::newRow("-1 10") << "-1"
                               << "10"
                               << "16";
        QTest::newRow("5 empty") << "5"
                                 << ""
                                 << "-30";
        QTest::newRow("5 zz") << "5"
                              << "zz"
                              << "-30";
        QTest::newRow("9 empty") << "9"
                                 << ""
                                 << "-4.5";
        QTest::newRow("x 10") << "x"
                              << "10"
                              << "16";
        QTest::newRow("9 1f4 wide") << "9"
                                    << "1f4"
                                    << "45.5";
    }

    void converts()
    {
        QFETCH(QString, code);
        QFETCH(QString, raw);
        QFETCH(QString, shown);
        MainWindow window;
        MainWindowProbe probe(window);
        QCOMPARE(probe.convert(code, raw), shown);
    }

    void invokableByName()
    {
        MainWindow window;
        QString out;
        QVERIFY(QMetaObject::invokeMethod(&window, "convertdiagval", Q_RETURN_ARG(QString, out),
                                          Q_ARG(QString, "9"), Q_ARG(QString, "b4")));
        QCOMPARE(out, QString("13.5"));
    }
};

QTEST_MAIN(TestConvertDiagVal)
#include "tst_convertdiagval.moc"
