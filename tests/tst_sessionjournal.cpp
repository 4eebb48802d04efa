// SPDX-License-Identifier: GPL-3.0-or-later
// The session journal without a window: what the end-to-end suites cannot
// reach in reasonable time or see in a picture: the bound on its memory, a
// text that is no number, the thinning of long lines for the chart, and
// the CSV's rows and times.
#include "journal/journalcsv.h"
#include "journal/sessionjournal.h"
#include "ui/chartsegments.h"

#include "auto/autoprotocol.h"

#include <QtTest>

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
            journal.valueShown(1, "TPS", QString::number(i % 100), "deg");
        }
        const ItemHistory *tps = journal.item(1);
        QCOMPARE(tps->samples().size(), SessionJournal::SamplesPerItem);
        QCOMPARE(tps->values(), qint64(values));
        QCOMPARE(tps->samples().last().value, double((values - 1) % 100));
    }

    // --- where the line breaks ---

    void aTextThatIsNoNumberBreaksTheLine()
    {
        ManualClock clock;
        SessionJournal journal;
        journal.setClock(clock.clock(), kStart);
        for (const char *value : {"1", "2", "-", "3", "4"}) {
            clock.ms += 50;
            journal.valueShown(7, "Wheel Speed", value, "-");
        }
        QCOMPARE(pieces(journal, 7), 2);
        QCOMPARE(journal.item(7)->values(), qint64(5));
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

    // --- CSV ---

    void csvRowsInTimeOrderAcrossItems()
    {
        ManualClock clock;
        clock.ms = 0;
        SessionJournal journal;
        journal.setClock(clock.clock(), kStart);
        clock.ms = 1234;
        journal.valueShown(9, "Volt", "13.5", "Volt");
        clock.ms = 1284;
        journal.valueShown(1, "TPS", "40", "deg");
        clock.ms = 1334;
        journal.valueShown(9, "Volt", "-4.5", "Volt");
        clock.ms = 61000;
        journal.valueShown(7, "Wheel, front", "3", "-");
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
};

QTEST_GUILESS_MAIN(TestSessionJournal)
#include "tst_sessionjournal.moc"
