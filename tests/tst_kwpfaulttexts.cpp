// SPDX-License-Identifier: GPL-3.0-or-later
// The KWP fault-code catalogue and the listing built from a 0x18 answer.
#include "kwpexpected.h"
#include "support/kwpscript.h"
#include "support/mainwindowprobe.h"
#include "support/simsupport.h"

#include <QtTest>

using sim::VirtualCable;

class TestKwpFaultTexts : public QObject
{
    Q_OBJECT
private slots:
    void init() { VirtualCable::instance().reset(); }

    void choosingXmaxBuildsTheCatalogue()
    {
        MainWindow window;
        MainWindowProbe probe(window);
        probe.typeBox()->setCurrentIndex(1);
        const QList<QString> &list = probe.errorList();
        QCOMPARE(list.size(), 2196);
        QList<int> filled;
        int length = 0, blanks = 0, hashes = 0, feeds = 0;
        for (int i = 0; i < list.size(); ++i) {
            if (list[i].isEmpty())
                continue;
            filled << i;
            length += list[i].size();
            blanks += list[i].count(' ');
            hashes += list[i].count('#');
            feeds += list[i].count('\n');
        }
        QCOMPARE(filled, QList<int>({11,  13,  23,  71,  72,   73,   74,   75,   76,  77,  78,
                                     79,  84,  85,  91,  92,   106,  107,  108,  112, 113, 117,
                                     118, 122, 123, 132, 201,  335,  351,  480,  500, 507, 511,
                                     560, 601, 622, 657, 1601, 1604, 1605, 2158, 2195}));
        QCOMPARE(length, Expected::totalLength);
        QCOMPARE(blanks, Expected::totalBlanks);
        QCOMPARE(hashes, Expected::totalHashes);
        QCOMPARE(feeds, Expected::totalLineFeeds);
        QCOMPARE(list[113], QString(Expected::text113));
        QCOMPARE(list[71], QString(Expected::text71));
        QCOMPARE(list[106], QString(Expected::text106));
        QCOMPARE(list[507], QString(Expected::text507));
        QCOMPARE(list[2195], QString(Expected::text2195));
        QCOMPARE(probe.itemList()[61],
                 QString("xClear Malfunction History,-,Jumlah history kesalahan(tekan tombol "
                         "action untuk menghapus)"));
        // Back to Auto: its own list of 100 again.
        probe.typeBox()->setCurrentIndex(0);
        QCOMPARE(probe.errorList().size(), 100);
    }

    void listing_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("text");
        const QString h61 = "Info: History kode kesalahan:\n";
        const QString h62 = "Info: Daftar kode kesalahan:\n";
        QTest::newRow("58,2,1,10,20,1,13,40")
            << "84,f0,10,58,2,1,10,20,1,13,40,5e," << 61 << 2
            << h61 + "P0110: \nP0113: " + Expected::text113 + "\n";
        QTest::newRow("62 count 4 lists 2")
            << "84,f0,10,58,4,1,22,a1,3,35,a1,1,13,a1,0," << 62 << 2
            << h62 + "P0122: " + Expected::text122 + "\nP0335: " + Expected::text335 + "\n";
        QTest::newRow("count 0") << "82,f0,10,58,0,a,b,c," << 61 << 0 << h61;
        QTest::newRow("a,12 reads 0a12")
            << "85,f0,10,58,1,a,12,20,0," << 61 << 1 << h61 + "P0a12: \n";
        QTest::newRow("21,95 highest slot") << "85,f0,10,58,1,21,95,20,0," << 61 << 1
                                            << h61 + "P2195: " + Expected::text2195 + "\n";
        QTest::newRow("22,0 above the catalogue")
            << "85,f0,10,58,1,22,0,20,0," << 61 << 1 << h61 + "P2200: \n";
        QTest::newRow("99,99 above the catalogue")
            << "85,f0,10,58,1,99,99,20,0," << 61 << 1 << h61 + "P9999: \n";
        QTest::newRow("count 5, two records")
            << "88,f0,10,58,5,1,13,20,5,7,20,0," << 61 << 5
            << h61 + "P0113: " + Expected::text113 + "\nP0507: " + Expected::text507 + "\n";
        QTest::newRow("count 3, record cut short")
            << "86,f0,10,58,3,1,13,20,5,0" << 61 << 3 << h61 + "P0113: " + Expected::text113 + "\n";
    }
    void listing()
    {
        QFETCH(QString, answer);
        QFETCH(int, row);
        QFETCH(int, count);
        QFETCH(QString, text);
        MainWindow window;
        MainWindowProbe probe(window);
        probe.typeBox()->setCurrentIndex(1);
        // The fault-code row selected: tester-present, then its request.
        KwpCycle cycle(25, probe.errorList());
        kwpscript::startPolling(cycle, {1, 3});
        cycle.select(row == 61 ? 2 : 3);
        const kwpscript::Seen seen = kwpscript::tick(cycle, [&](const KwpFrame &frame) {
            QString reply = answer;
            reply.chop(1);
            return frame == KwpFrames::TesterPresent ? kwpscript::positive(frame) : reply;
        });
        QCOMPARE(seen.sent.join(' '),
                 row == 61 ? "TesterPresent ReadDtcHistory" : "TesterPresent ReadDtcCurrent");
        QCOMPARE(seen.value, QString::number(count));
        QCOMPARE(seen.info, text);
    }
};

QTEST_MAIN(TestKwpFaultTexts)
#include "tst_kwpfaulttexts.moc"
