// SPDX-License-Identifier: GPL-3.0-or-later
// The chart against the simulated bikes on virtual time: its line is the
// Value cell's values with their times; another item, the CO window, a
// pulled cable and the type box leave gaps, not jumps; it follows the
// selection and survives the main window.
#include "chartrig.h"
#include "tst_autobench.h"

#include "ui/chartsegments.h"

#include "virtualmain.h"
#include <QAbstractButton>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtCharts/QChart>
#include <QtCharts/QValueAxis>
#include <QtTest>

using namespace chartrig;

namespace {
// The chart's pieces of `code` in seconds, against the journal's in ms.
bool drawnAsKept(ChartWindow *chart, const Rig &rig, int code)
{
    const QList<QList<QPointF>> drawn = chart->drawnLines(code);
    const QList<QPair<qint64, qint64>> kept = rig.piecesOf(code);
    if (drawn.size() != kept.size())
        return false;
    for (int i = 0; i < drawn.size(); ++i) {
        if (!qFuzzyCompare(drawn[i].first().x(), kept[i].first / 1000.0)
            || !qFuzzyCompare(drawn[i].last().x(), kept[i].second / 1000.0))
            return false;
    }
    return true;
}

// The line of a session of 40 s with the same clicks at the same times:
// each byte with the time it was written, from the window's making on;
// with `chart` the chart is open and worked meanwhile, and the CSV and the
// report are saved.
QStringList lineOf(Family family, bool chart)
{
    Rig rig{family};
    const sim::Nanos start = sim::nowNs();
    QObject *context = rig.window.get();
    const int other = family == Family::Auto ? 9 : 5;
    QTimer::singleShot(15000, context, [&] { rig.probe->clickRow(rig.rowOf(other)); });
    QTimer::singleShot(25000, context, [&] { rig.probe->clickRow(rig.rowOf(kThrottle)); });
    QTemporaryDir dir;
    QTimer work;
    int step = 0;
    if (chart) {
        QTimer::singleShot(100, context, [&] { rig.openChart(); });
        QObject::connect(&work, &QTimer::timeout, [&] {
            ChartWindow *w = rig.probe->tableMenu()->chartWindow();
            QString error;
            switch (++step % 6) {
            case 0: w->setSpan(step % 3); break;
            case 1: w->setPaused(true); break;
            case 2: w->setPaused(false); break;
            case 3: w->view(other); break;
            case 4: rig.probe->tableMenu()->saveCsv(dir.filePath("a.csv"), &error); break;
            default: rig.probe->tableMenu()->saveReport(dir.filePath("a.pdf"), &error); break;
            }
        });
        work.start(700);
    }
    runFor(40000);
    QStringList line;
    for (const sim::TxByte &b : sim::VirtualCable::instance().transmitted())
        line << QString("%1@%2").arg(b.value, 2, 16, QChar('0')).arg(b.writtenAt - start);
    return line;
}
} // namespace

class TestChart : public QObject
{
    Q_OBJECT
private slots:
    void family_data()
    {
        QTest::addColumn<int>("family");
        QTest::newRow("auto") << int(Family::Auto);
        QTest::newRow("kwp") << int(Family::Kwp);
    }

    // Every value the cell showed, in order, at the time it showed it; and
    // the chart draws exactly those.
    void lineIsTheValueCell_data() { family_data(); }
    void lineIsTheValueCell()
    {
        QFETCH(int, family);
        Rig rig{Family(family)};
        QVERIFY(rig.sessionUp());
        ChartWindow *chart = rig.openChart();
        QVERIFY(chart && chart->isVisible());
        chart->setSpan(ChartWindow::WholeSession);
        QVERIFY(rig.select(kThrottle));
        QVERIFY(rig.moreValues(kThrottle, 40));

        const QList<chartrig::Shown> shown = rig.shownOf(kThrottle);
        const QList<Sample> series = rig.seriesOf(kThrottle);
        QCOMPARE(series.size(), shown.size());
        for (int i = 0; i < shown.size(); ++i) {
            QCOMPARE(series[i].ms, shown[i].ms);
            QCOMPARE(QString::number(series[i].value, 'g', 6), shown[i].text);
        }
        chart->redraw();
        QCOMPARE(chart->viewedCode(), kThrottle);
        const QList<QList<QPointF>> drawn = chart->drawnLines(kThrottle);
        QCOMPARE(drawn.size(), 1);
        QCOMPARE(drawn[0].size(), series.size());
        for (int i = 0; i < series.size(); ++i)
            QCOMPARE(drawn[0][i], QPointF(series[i].ms / 1000.0, series[i].value));
        // In the item's unit, its name as the title.
        QCOMPARE(chart->chart()->title(), QString("<b>TPS</b>"));
        const auto *y =
            qobject_cast<QtCharts::QValueAxis *>(chart->chart()->axes(Qt::Vertical).value(0));
        QCOMPARE(y->titleText(), QString("deg"));
    }

    // Another item in between: a gap in the first item's line where the
    // other was polled; the chart follows the selection, the legend brings
    // an earlier item back until the next selection.
    void anotherItemLeavesAGap()
    {
        Rig rig{Family::Auto};
        QVERIFY(rig.sessionUp());
        ChartWindow *chart = rig.openChart();
        chart->setSpan(ChartWindow::WholeSession);
        QVERIFY(rig.select(kThrottle) && rig.moreValues(kThrottle, 20));
        QVERIFY(rig.select(6) && rig.moreValues(6, 20));
        chart->redraw();
        QCOMPARE(chart->viewedCode(), 6);
        QVERIFY(rig.select(kThrottle) && rig.moreValues(kThrottle, 20));

        const QList<QPair<qint64, qint64>> tps = rig.piecesOf(kThrottle);
        const QList<QPair<qint64, qint64>> cts = rig.piecesOf(6);
        QCOMPARE(tps.size(), 2);
        QCOMPARE(cts.size(), 1);
        QVERIFY(tps[0].second < cts[0].first);
        QVERIFY(tps[1].first > cts[0].second);

        chart->redraw();
        QCOMPARE(chart->viewedCode(), kThrottle);
        QVERIFY(drawnAsKept(chart, rig, kThrottle));
        QVERIFY(drawnAsKept(chart, rig, 6));
        // The other item's line keeps to the middle of the scale.
        const auto *y =
            qobject_cast<QtCharts::QValueAxis *>(chart->chart()->axes(Qt::Vertical).value(0));
        const double span = y->max() - y->min();
        const QList<QList<QPointF>> other = chart->drawnLines(6);
        for (const QPointF &p : other.first())
            QVERIFY(p.y() >= y->min() + 0.19 * span && p.y() <= y->min() + 0.81 * span);

        chart->view(6);
        chart->redraw();
        QCOMPARE(chart->viewedCode(), 6);
        QCOMPARE(chart->drawnLines(6).first().last().y(), rig.seriesOf(6).last().value);
        rig.probe->clickRow(rig.rowOf(5));
        chart->redraw();
        QCOMPARE(chart->viewedCode(), 5);
    }

    // Open, redrawn, paused, saved: the chart adds no byte to the line and
    // moves none in time.
    void sameLineWithTheChartOpen_data() { family_data(); }
    void sameLineWithTheChartOpen()
    {
        QFETCH(int, family);
        const QStringList without = lineOf(Family(family), false);
        const QStringList with = lineOf(Family(family), true);
        QVERIFY(without.size() > 300);
        QCOMPARE(with.size(), without.size());
        QCOMPARE(with, without);
    }

    // The CO window (modal), a pulled cable and the type box: the chart
    // stays, and the line has a gap over the time without values.
    void breaksLeaveGaps_data()
    {
        QTest::addColumn<int>("family");
        QTest::addColumn<QString>("what");
        QTest::newRow("auto co") << int(Family::Auto) << "co";
        QTest::newRow("kwp co") << int(Family::Kwp) << "co";
        QTest::newRow("auto cable") << int(Family::Auto) << "cable";
        QTest::newRow("kwp cable") << int(Family::Kwp) << "cable";
        QTest::newRow("type box") << int(Family::Demo) << "type";
    }
    void breaksLeaveGaps()
    {
        QFETCH(int, family);
        QFETCH(QString, what);
        Rig rig{Family(family)};
        QVERIFY(rig.sessionUp());
        QPointer<ChartWindow> chart = rig.openChart();
        QVERIFY(rig.moreValues(kThrottle, 10));
        const qint64 breakFrom = rig.nowMs();
        if (what == "co") {
            const QString error = autobench::inCoWindow(*rig.probe, [&] {
                runFor(3000);
                CHECK_OR_RETURN(chart && chart->isVisible(), "chart gone in the CO window");
                return QString();
            });
            QVERIFY2(error.isEmpty(), qPrintable(error));
        } else if (what == "cable") {
            sim::VirtualCable::instance().unplug();
            runFor(3000);
            sim::VirtualCable::instance().plug();
        } else {
            rig.probe->typeBox()->setCurrentIndex(1);
        }
        const qint64 breakTo = rig.nowMs();
        QVERIFY(rig.sessionUp());
        QVERIFY(rig.moreValues(kThrottle, 10));

        const QList<QPair<qint64, qint64>> pieces = rig.piecesOf(kThrottle);
        QCOMPARE(pieces.size(), 2);
        QVERIFY(pieces[0].second <= breakFrom);
        QVERIFY(pieces[1].first >= breakTo);
        QVERIFY(chart && chart->isVisible());
        chart->setSpan(ChartWindow::WholeSession);
        chart->redraw();
        QVERIFY(drawnAsKept(chart, rig, kThrottle));
    }

    // Fault rows, though numbers, draw no line; they stay in the journal.
    void faultRowsAreNotDrawn()
    {
        Rig rig{Family::Kwp};
        QVERIFY(rig.sessionUp());
        ChartWindow *chart = rig.openChart();
        QVERIFY(rig.select(62));
        QVERIFY(rig.select(61));
        chart->redraw();
        QVERIFY(chart->drawnLines(61).isEmpty() && chart->drawnLines(62).isEmpty());
        QCOMPARE(rig.probe->journal().item(62)->lastText(), QString("1"));
        QCOMPARE(rig.probe->journal().item(61)->lastText(), QString("2"));
    }

    void pauseHoldsTheDrawing()
    {
        Rig rig{Family::Auto};
        QVERIFY(rig.sessionUp());
        ChartWindow *chart = rig.openChart();
        QVERIFY(rig.moreValues(kThrottle, 5));
        chart->setPaused(true);
        runFor(200);
        const int redraws = chart->redraws();
        const QList<QList<QPointF>> held = chart->drawnLines(kThrottle);
        QVERIFY(rig.moreValues(kThrottle, 40));
        QCOMPARE(chart->redraws(), redraws);
        QCOMPARE(chart->drawnLines(kThrottle), held);
        chart->setPaused(false);
        QVERIFY(chart->drawnLines(kThrottle) != held);
        // Redraws are capped: about 10 a second while values come at 20.
        const int before = chart->redraws();
        runFor(5000);
        const int count = chart->redraws() - before;
        QVERIFY2(count >= 40 && count <= 51, qPrintable(QString::number(count)));
    }

    // The right button opens the menu and nothing else: the row the cycles
    // follow, the current row and the ECU stay; the left button still selects.
    void rightButtonOpensTheMenuOnly()
    {
        Rig rig{Family::Auto};
        rig.window->show();
        QVERIFY(rig.sessionUp());
        QVERIFY(rig.select(5));
        const int followed = rig.rowOf(5);
        QTableWidget *table = rig.probe->table();
        const int target = rig.rowOf(9);
        table->scrollToItem(table->item(target, 2));
        const QPoint at = table->viewport()->mapTo(
            rig.window.get(), table->visualItemRect(table->item(target, 2)).center());
        QSignalSpy clicked(table, SIGNAL(cellClicked(int, int)));
        QSignalSpy pressed(table, SIGNAL(cellPressed(int, int)));
        QSignalSpy menuShown(rig.probe->tableMenu()->menu(), SIGNAL(aboutToShow()));
        const std::size_t sentBefore = autobench::sentCount();
        QTest::mouseClick(rig.window->windowHandle(), Qt::RightButton, {}, at);
        QCOMPARE(menuShown.count(), 1);
        QStringList texts;
        for (const QAction *a : rig.probe->tableMenu()->menu()->actions())
            texts << a->text();
        QCOMPARE(texts, QStringList({"Grafik", "Laporan…", "Simpan CSV…"}));
        rig.probe->tableMenu()->menu()->hide();
        QVERIFY(rig.moreValues(5, 10));
        QCOMPARE(clicked.count(), 0);
        QCOMPARE(pressed.count(), 0);
        QCOMPARE(table->currentRow(), followed);
        QCOMPARE(rig.probe->selectedRow(), followed);
        QVERIFY(!rig.probe->selectionPending());
        const std::vector<std::uint8_t> sent = autobench::sentSince(sentBefore);
        QCOMPARE(autobench::countOf(sent, autobench::kUp)
                     + autobench::countOf(sent, autobench::kDown),
                 0);
        QTest::mouseClick(rig.window->windowHandle(), Qt::LeftButton, {}, at);
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(rig.probe->selectedRow(), target);
    }

    // The dialogs open without a loop of their own: the ticks go on while
    // the mechanic picks a file, and only the chosen file is written.
    void dialogsHoldNoTick()
    {
        Rig rig{Family::Auto};
        rig.window->show();
        QVERIFY(rig.sessionUp());
        QVERIFY(rig.moreValues(kThrottle, 5));
        QTemporaryDir dir;
        rig.probe->tableMenu()->csvAction()->trigger();
        auto *csvDialog = rig.window->findChild<QFileDialog *>();
        QVERIFY(csvDialog && csvDialog->isVisible());
        QVERIFY(rig.moreValues(kThrottle, 40, 3000));
        // The name it offers: the data and the time on the session's clock.
        const QString csv = dir.filePath("tavrix-data-20261208-0930.csv");
        csvDialog->setDirectory(dir.path());
        QMetaObject::invokeMethod(csvDialog, "accept");
        QFile file(csv);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.first(), QString("time,seconds,code,item,value,unit"));
        QCOMPARE(lines.size(), 1 + rig.seriesOf(kThrottle).size());
        QVERIFY(lines.last().contains(",1,TPS,"));

        rig.probe->tableMenu()->reportAction()->trigger();
        auto *box = rig.window->findChild<QMessageBox *>();
        QVERIFY(box && box->isVisible());
        QVERIFY(rig.moreValues(kThrottle, 20, 2000));
        QAbstractButton *pdf = nullptr;
        for (QAbstractButton *b : box->buttons())
            pdf = b->text() == "Simpan PDF…" ? b : pdf;
        QVERIFY(pdf);
        pdf->click();
        QFileDialog *pdfDialog = nullptr;
        QVERIFY(waitUntil([&] {
            for (QFileDialog *d : rig.window->findChildren<QFileDialog *>())
                pdfDialog = d->isVisible() ? d : pdfDialog;
            return pdfDialog;
        }));
        QVERIFY(rig.moreValues(kThrottle, 20, 2000));
        const QString report = dir.filePath("laporan-tavrix-20261208-0930.pdf");
        pdfDialog->setDirectory(dir.path());
        QMetaObject::invokeMethod(pdfDialog, "accept");
        QFile pdfFile(report);
        QVERIFY(pdfFile.open(QIODevice::ReadOnly));
        QVERIFY(pdfFile.read(5) == "%PDF-");
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2);
    }

    // Closing the main window closes the chart; the chart outlives neither
    // the window's close nor its end.
    void chartGoesWithTheWindow()
    {
        Rig rig{Family::Auto};
        rig.window->show();
        QVERIFY(rig.sessionUp());
        QPointer<ChartWindow> chart = rig.openChart();
        QVERIFY(rig.moreValues(kThrottle, 5));
        rig.window->close();
        QVERIFY(chart && !chart->isVisible());
        runFor(1000);
        rig.destroyWindow();
        QVERIFY(!chart);
    }
};

TAVRIX_VIRTUAL_TEST_MAIN(TestChart)
#include "tst_chart.moc"

#include <cstdint>
