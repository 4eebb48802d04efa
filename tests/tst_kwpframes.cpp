// SPDX-License-Identifier: GPL-3.0-or-later
// The twelve KWP frames and the pure readers of KWP replies.
#include "kwp/kwpframes.h"
#include "kwp/kwpreply.h"

#include <QtTest>

class TestKwpFrames : public QObject
{
    Q_OBJECT
private slots:
    void checksumOfEveryFrame_data()
    {
        QTest::addColumn<QString>("frame");
        const char *const frames[] = {
            KwpFrames::StartComm,   KwpFrames::StartSession,   KwpFrames::ReadLocalIdFE,
            KwpFrames::RoutineCE20, KwpFrames::Hold,           KwpFrames::Up,
            KwpFrames::Down,        KwpFrames::Action,         KwpFrames::TesterPresent,
            KwpFrames::ClearDtc,    KwpFrames::ReadDtcHistory, KwpFrames::ReadDtcCurrent,
        };
        for (const char *f : frames)
            QTest::newRow(f) << QString::fromLatin1(f);
    }
    void checksumOfEveryFrame()
    {
        QFETCH(QString, frame);
        const QStringList bytes = frame.split(',');
        QVERIFY(bytes.size() >= 5);
        int sum = 0;
        for (int i = 0; i + 1 < bytes.size(); ++i) {
            bool ok = false;
            sum += bytes[i].toInt(&ok, 16);
            QVERIFY(ok);
        }
        QCOMPARE(bytes.last().toInt(nullptr, 16), sum % 256);
        // Format byte: addressing mode and the number of data bytes.
        const int format = bytes[0].toInt(nullptr, 16);
        QCOMPARE(format & 0x3F, bytes.size() - 4);
        QCOMPARE(bytes[2], QString("0xF0"));
        QCOMPARE(bytes[1], QString((format & 0xC0) == 0xC0 ? "0x33" : "0x10"));
    }

    void itemsOfAReply_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("empty") << "" << QStringList({""});
        QTest::newRow("83,10,") << "83,10," << QStringList({"83", "10"});
        QTest::newRow("83,a,0,f0,") << "83,a,0,f0," << QStringList({"83", "a", "0", "f0"});
        QTest::newRow("83,10") << "83,10" << QStringList({"83", "10"});
        QTest::newRow("83,,10,") << "83,,10," << QStringList({"83", "", "10"});
    }
    void itemsOfAReply()
    {
        QFETCH(QString, reply);
        QFETCH(QStringList, items);
        QCOMPARE(KwpReply::items(reply), items);
    }

    void sumcmdAndEcho_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<int>("sum");
        QTest::addColumn<bool>("echo");
        QTest::newRow("empty") << "" << -6 << false;
        QTest::newRow("echo only") << "83,10,f0,31,70,ca,ee," << 0 << true;
        QTest::newRow("one more") << "83,10,f0,31,70,ca,ee,87," << 1 << false;
        QTest::newRow("partial echo") << "83,10,f0," << -4 << false;
    }
    void sumcmdAndEcho()
    {
        QFETCH(QString, reply);
        QFETCH(int, sum);
        QFETCH(bool, echo);
        const QStringList items = KwpReply::items(reply);
        QCOMPARE(KwpReply::sumcmd(items, KwpFrames::Hold), sum);
        QCOMPARE(KwpReply::echoOnly(items, KwpFrames::Hold), echo);
    }

    void hexAtIsSafe_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("value");
        QTest::newRow("a") << 0 << 0x0A;
        QTest::newRow("0a") << 1 << 0x0A;
        QTest::newRow("zz") << 2 << 0;
        QTest::newRow("past the end") << 3 << 0;
        QTest::newRow("negative") << -1 << 0;
    }
    void hexAtIsSafe()
    {
        QFETCH(int, index);
        QFETCH(int, value);
        QCOMPARE(KwpReply::hexAt({"a", "0a", "zz"}, index), value);
    }

    void itemReportCountsFromTheEnd_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<bool>("present");
        QTest::addColumn<int>("marker");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("raw");
        QTest::newRow("value report")
            << "83,10,f0,31,70,ca,ee,87,f0,10,71,70,d0,5,47,0,0,6b," << true << 0xD0 << 5 << "47";
        QTest::newRow("checking") << "83,10,f0,31,70,ca,ee,87,f0,10,71,70,d1,1e,0,0,0,a0," << true
                                  << 0xD1 << 0x1E << "0";
        QTest::newRow("six items") << "83,10,f0,31,70,ca" << false << 0 << 0 << "";
        QTest::newRow("seven items") << "d0,1,2,3,4,5,6" << true << 1 << 2 << "3";
    }
    void itemReportCountsFromTheEnd()
    {
        QFETCH(QString, reply);
        QFETCH(bool, present);
        QFETCH(int, marker);
        QFETCH(int, code);
        QFETCH(QString, raw);
        const KwpReply::ItemReport r = KwpReply::itemReport(KwpReply::items(reply));
        QCOMPARE(r.present, present);
        QCOMPARE(r.marker, marker);
        QCOMPARE(r.code, code);
        QCOMPARE(r.raw, raw);
    }

    void coRpm_data()
    {
        QTest::addColumn<QString>("answer"); // after the echo of the hold frame
        QTest::addColumn<int>("rpm");
        QTest::newRow("05 dc") << "87,f0,10,71,70,c8,0,0,5,dc,ff" << 1500;
        QTest::newRow("05 0c") << "87,f0,10,71,70,c8,0,0,5,c,2f" << 1292;
        QTest::newRow("16 items") << "85,f0,10,71,70,c8,0,0,90" << -1;
        QTest::newRow("no c8") << "87,f0,10,71,70,d0,0,0,5,dc,ff" << -1;
    }
    void coRpm()
    {
        QFETCH(QString, answer);
        QFETCH(int, rpm);
        const QStringList items = KwpReply::items(QString("83,10,f0,31,70,ca,ee,") + answer);
        QCOMPARE(KwpReply::coRpm(items), rpm);
    }
};

QTEST_MAIN(TestKwpFrames)
#include "tst_kwpframes.moc"
