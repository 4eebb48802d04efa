// SPDX-License-Identifier: GPL-3.0-or-later
// The session journal without a window: the bound on its memory, where the
// lines break, the ECU the logins name, the fault codes and clears it keeps,
// the CSV, and the thinning of long lines for the chart.
#include "chartsegments.h"
#include "csvtext.h"
#include "journalcsv.h"
#include "kwp/kwplogin.h"
#include "kwp/kwpreply.h"
#include "reporttext.h"
#include "sessionjournal.h"

#include "auto/autoprotocol.h"
#include "link/linebytes.h"

#include <QtTest>

#include <functional>

namespace {
// A clock the test moves by hand.
struct ManualClock {
    qint64 ms = 1000;
    SessionJournal::Clock clock()
    {
        return [this] { return ms; };
    }
};

const QDateTime kStart(QDate(2026, 12, 8), QTime(9, 30, 0), Qt::OffsetFromUTC, 7 * 3600);

int pieces(const SessionJournal &journal, int code)
{
    return ChartSegments::lines(journal.item(code)->samples(), 0, 1000000, 500).size();
}
} // namespace

class TestSessionJournal : public QObject
{
    Q_OBJECT
private slots:
    // --- memory ---

    void ringTurnsRoundKeepingTheNewest()
    {
        SampleRing ring(4);
        for (int i = 0; i < 10; ++i)
            ring.push(i * 10, i);
        QCOMPARE(ring.size(), 4);
        QCOMPARE(ring.overwritten(), qint64(6));
        QCOMPARE(ring.at(0).value, 6.0);
        QCOMPARE(ring.last().value, 9.0);
        QCOMPARE(ring.lowerBound(75), 2); // the sample at 80
        QCOMPARE(ring.lowerBound(0), 0);
        QCOMPARE(ring.lowerBound(1000), 4);
    }

    void anHourAtTheFastestPaceAndNoMore()
    {
        // One Auto session tick waits 50 ms and shows one value.
        QVERIFY(qint64(SessionJournal::SamplesPerItem) * AutoProtocol::SessionWaitMs
                >= 3600 * 1000);
        ManualClock clock;
        SessionJournal journal;
        journal.setClock(clock.clock(), kStart);
        const int values = SessionJournal::SamplesPerItem + 500;
        for (int i = 0; i < values; ++i) {
            clock.ms += AutoProtocol::SessionWaitMs;
            journal.valueShown("1", "TPS", QString::number(i % 100), "deg");
        }
        const ItemHistory *tps = journal.item(1);
        QCOMPARE(tps->samples().size(), SessionJournal::SamplesPerItem);
        QCOMPARE(tps->values(), qint64(values));
        QCOMPARE(tps->samples().last().value, double((values - 1) % 100));
    }

    // --- where the line breaks ---

    void breaks_data()
    {
        QTest::addColumn<QString>("between");
        QTest::addColumn<int>("pieces");
        QTest::newRow("nothing") << "" << 1;
        QTest::newRow("another item") << "item" << 2;
        QTest::newRow("a new table") << "table" << 2;
        QTest::newRow("the session") << "session" << 2;
        QTest::newRow("the cable") << "cable" << 2;
        QTest::newRow("the type box") << "type" << 2;
        QTest::newRow("a row clicked") << "click" << 1; // polling goes on meanwhile
    }
    void breaks()
    {
        QFETCH(QString, between);
        QFETCH(int, pieces);
        ManualClock clock;
        SessionJournal journal;
        journal.setClock(clock.clock(), kStart);
        const QMap<QString, std::function<void()>> events = {
            {"item", [&] { journal.valueShown("3", "IAPS", "33", "kPa"); }},
            {"table", [&] { journal.tableCleared(); }},
            {"session", [&] { journal.sessionChanged(); }},
            {"cable", [&] { journal.cableLost(); }},
            {"type", [&] { journal.typeChosen("xmax"); }},
            {"click", [&] { journal.itemSelected("3"); }},
        };
        for (int i = 0; i < 3; ++i, clock.ms += 50)
            journal.valueShown("1", "TPS", QString::number(i), "deg");
        if (events.contains(between))
            events[between]();
        for (int i = 0; i < 3; ++i, clock.ms += 50)
            journal.valueShown("1", "TPS", QString::number(i), "deg");
        QCOMPARE(::pieces(journal, 1), pieces);
    }

    void aTextThatIsNoNumberBreaksTheLine()
    {
        ManualClock clock;
        SessionJournal journal;
        journal.setClock(clock.clock(), kStart);
        for (const char *value : {"1", "2", "-", "3", "4"}) {
            clock.ms += 50;
            journal.valueShown("7", "Wheel Speed", value, "-");
        }
        QCOMPARE(pieces(journal, 7), 2);
        QCOMPARE(journal.item(7)->values(), qint64(5));
        QVERIFY(SessionJournal::isFaultItem(61) && SessionJournal::isFaultItem(62));
        QVERIFY(!SessionJournal::isFaultItem(1));
    }

    void longLinesAreThinnedKeepingTheirPeaks()
    {
        SampleRing ring(100000);
        for (int i = 0; i < 50000; ++i)
            ring.push(i * 50, i == 31234 ? 900 : i == 4321 ? -900 : i % 7);
        const QList<QVector<QPointF>> lines = ChartSegments::lines(ring, 0, 50000 * 50, 300);
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines[0].size() <= 600, qPrintable(QString::number(lines[0].size())));
        double low = 0, high = 0;
        for (const QPointF &p : lines[0]) {
            low = qMin(low, p.y());
            high = qMax(high, p.y());
        }
        QCOMPARE(high, 900.0);
        QCOMPARE(low, -900.0);
        for (int i = 1; i < lines[0].size(); ++i)
            QVERIFY(lines[0][i].x() >= lines[0][i - 1].x());
    }

    void aLineComesInFromTheLeftEdge()
    {
        SampleRing ring(100);
        for (int i = 0; i < 10; ++i)
            ring.push(i * 1000, i);
        const QList<QVector<QPointF>> lines = ChartSegments::lines(ring, 4500, 9000, 100);
        QCOMPARE(lines.size(), 1);
        QCOMPARE(lines[0].first(), QPointF(4.0, 4)); // the sample before the span
        QCOMPARE(lines[0].last(), QPointF(9.0, 9));
    }

    // --- the ECU the logins name ---

    void kwpIdentity_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("identity");
        QTest::newRow("text") << "85,f0,10,61,fe,54,58,33,62"
                              << "TX3 (54 58 33)";
        QTest::newRow("bytes") << "84,f0,10,61,fe,1,ff,6c"
                               << "01 FF";
        QTest::newRow("refused") << "83,f0,10,7f,21,12,f5"
                                 << "";
        QTest::newRow("echo only") << ""
                                   << "";
    }
    void kwpIdentity()
    {
        QFETCH(QString, answer);
        QFETCH(QString, identity);
        const QString echo = "82,10,f0,21,fe,a1";
        const KwpReply reply = KwpReply::parse(answer.isEmpty() ? echo : echo + ',' + answer,
                                               KwpFrames::ReadLocalIdFE);
        QCOMPARE(KwpLogin::identity(reply), identity);
        // Only the answer to the identification request names the ECU.
        QVERIFY(
            KwpLogin::identity(KwpReply::parse(echo + ',' + answer, KwpFrames::Hold)).isEmpty());
    }

    // --- fault codes and clears ---

    void aClearKeepsBeforeAndAfter_data()
    {
        QTest::addColumn<bool>("xmax");
        QTest::newRow("auto") << false;
        QTest::newRow("xmax") << true;
    }
    void aClearKeepsBeforeAndAfter()
    {
        QFETCH(bool, xmax);
        ManualClock clock;
        SessionJournal journal;
        journal.setClock(clock.clock(), kStart);
        journal.typeChosen(xmax ? "xmax" : "auto");
        if (xmax)
            journal.faultsRead(62, {true, 0, 1, {{"P0122", "TPS low"}}});
        else
            journal.valueShown("62", "Clear Malfunction Code", "2", "-");
        clock.ms += 1000;
        journal.faultsCleared();
        QCOMPARE(journal.faults().clears().size(), 1);
        clock.ms += 1000;
        if (xmax)
            journal.faultsRead(62, {true, 0, 0, {}});
        else
            journal.valueShown("62", "Clear Malfunction Code", "0", "-");
        const FaultLedger::Clear &clear = journal.faults().clears().first();
        QCOMPARE(clear.family, xmax ? FaultLedger::Xmax : FaultLedger::Auto);
        QCOMPARE(clear.ms, qint64(1000));
        QVERIFY(clear.before[FaultLedger::Current].read);
        QCOMPARE(clear.before[FaultLedger::Current].count, xmax ? 1 : 2);
        QCOMPARE(clear.after[FaultLedger::Current].count, 0);
        QVERIFY(!clear.after[FaultLedger::History].read);
        if (xmax)
            QCOMPARE(clear.before[FaultLedger::Current].codes.first().code, QString("P0122"));
    }

    // --- CSV ---

    void csvField_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("field");
        QTest::newRow("plain") << "TPS"
                               << "TPS";
        QTest::newRow("comma") << "a,b"
                               << "\"a,b\"";
        QTest::newRow("quote") << "say \"x\""
                               << "\"say \"\"x\"\"\"";
        QTest::newRow("line break") << "a\nb"
                                    << "\"a\nb\"";
        QTest::newRow("empty") << ""
                               << "";
    }
    void csvField()
    {
        QFETCH(QString, text);
        QFETCH(QString, field);
        QCOMPARE(CsvText::field(text), field);
    }

    void csvRowsInTimeOrderAcrossItems()
    {
        ManualClock clock;
        clock.ms = 0;
        SessionJournal journal;
        journal.setClock(clock.clock(), kStart);
        clock.ms = 1234;
        journal.valueShown("9", "Volt", "13.5", "Volt");
        clock.ms = 1284;
        journal.valueShown("1", "TPS", "40", "deg");
        clock.ms = 1334;
        journal.valueShown("9", "Volt", "-4.5", "Volt");
        clock.ms = 61000;
        journal.valueShown("7", "Wheel, front", "3", "-");
        const QStringList lines = JournalCsv::lines(journal);
        const QStringList expected = {
            "time,seconds,code,item,value,unit",
            "2026-12-08T09:30:01.234+07:00,1.234,9,Volt,13.5,Volt",
            "2026-12-08T09:30:01.284+07:00,1.284,1,TPS,40,deg",
            "2026-12-08T09:30:01.334+07:00,1.334,9,Volt,-4.5,Volt",
            "2026-12-08T09:31:01.000+07:00,61.000,7,\"Wheel, front\",3,-",
        };
        QCOMPARE(lines, expected);
    }

    // --- the report's words ---

    void explanationsReadAsLines()
    {
        const QString stored =
            "Error pada injektor 2 (kanan)                    #Kontak yang "
            "longgar pada konektor injektor\n-Injektor atau rangkaiannya tidak "
            "berfungsi                    #-";
        QCOMPARE(ReportText::explanationLines(stored),
                 QStringList({"Error pada injektor 2 (kanan)",
                              "Kontak yang longgar pada konektor injektor",
                              "Injektor atau rangkaiannya tidak berfungsi"}));
        QCOMPARE(ReportText::explanationLines(""), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestSessionJournal)
#include "tst_sessionjournal.moc"
