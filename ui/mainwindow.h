// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef MAINWINDOW_H
#define MAINWINDOW_H

#include "journal/sessionjournal.h"

#include <QMainWindow>
#include <QString>

class QCloseEvent;
class CableStatus;
class CoWindow;
class SessionEngine;
struct Shown;

namespace Ui {
class MainWindow;
}

// The one window of the tool. It shows what the session engine decides
// (SessionEngine: the link, the poll timer and the protocol cycles of both
// families) and hands it the mechanic's clicks and keys; its slots keep the
// names the tool has always had and only pass them on.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    SessionEngine *engine() const { return engine_; }
    CoWindow *coDialog() const { return coWindow; }
    SessionJournal &sessionJournal() { return journal; }
    // Takes back the wait cursors this window put up (a harness that ends
    // a session in the middle).
    void restoreWaitCursors();

public slots:
    QString convertdiagval(QString codestr, QString valstr);

private slots:
    void load_errorlist_auto();
    void load_errorlist_xmax();
    void connect_clicked();
    void send_clicked();
    void send_clicked_xmax();
    void comboBox_typeChanged(int index);
    void table_clicked();
    void action_clicked();
    void delay(int ms);
    void delay_login(int ms);
    void ftdiwriteError();
    void co_send_clicked_xmax();
    void co_clicked();
    void co_send_clicked();
    void up_clicked();
    void down_clicked();
    void setDisplay();
    void clear_table();
    void cyl_changed(int cyl);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    friend class MainWindowProbe; // tests read the wait cursors

    // The one place where what the engine decided reaches the widgets.
    void apply(const Shown &shown);
    void appendItemRow(const Shown &shown);
    void writeValue(int row, const QString &value);
    void showWaitCursor(bool &shown, bool wanted);

    Ui::MainWindow *ui;
    SessionEngine *engine_;
    CoWindow *coWindow;
    CableStatus *cableStatus = nullptr;
    // One wait cursor at most for each kind of pending work.
    bool selectionCursor = false;
    bool actionCursor = false;
    // What the session showed, for the chart, the CSV and the report.
    SessionJournal journal;
};

#endif // MAINWINDOW_H
