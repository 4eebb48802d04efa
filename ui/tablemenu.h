// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TABLEMENU_H
#define TABLEMENU_H

// The item table's context menu: "Grafik" (the chart window), "Laporan…"
// (the report, saved as PDF or printed) and "Simpan CSV…" (the chart's
// data). Beside the form, not in it: the table's right button opens the
// menu and does nothing else (the selection the cycles follow stays; the
// left button and cellClicked are untouched). Its dialogs open without an
// event loop of their own, so that a tick waiting meanwhile is not held.
// Nothing is written but the file the mechanic chooses.
#include <QObject>
#include <QPointer>
#include <QString>

class ChartWindow;
class QMainWindow;
class QMenu;
class QAction;
class QTableWidget;
class SessionJournal;

class TableMenu : public QObject
{
    Q_OBJECT

public:
    TableMenu(QMainWindow *window, QTableWidget *table, SessionJournal *journal);

    QMenu *menu() const { return menu_; }
    QAction *chartAction() const { return chart_; }
    QAction *reportAction() const { return report_; }
    QAction *csvAction() const { return csv_; }
    ChartWindow *chartWindow() const;

    // What the dialogs end in; false with the reason in `error`.
    bool saveCsv(const QString &path, QString *error) const;
    bool saveReport(const QString &path, QString *error) const;
    QString reportHtml() const;

public slots:
    void showChart();
    void chooseCsv();
    void chooseReport();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    void popUp(const QPoint &pos);
    void csvChosen(const QString &path);
    void reportChosen(const QString &path);

private:
    void openSaveDialog(const QString &title, const char *stem, const char *suffix,
                        const char *chosenSlot);
    void choosePdf();
    void choosePrinter();
    void warn(const QString &text);
    QString fileName(const char *stem, const char *suffix) const;

    QMainWindow *window_;
    // The table's viewport, kept: events reach the filter while the table is
    // being destroyed, when it can no longer be asked for it.
    QWidget *viewport_;
    QPointer<SessionJournal> journal_;
    QMenu *menu_;
    QAction *chart_, *report_, *csv_;
    QPointer<ChartWindow> chartWindow_;
};

#endif // TABLEMENU_H
