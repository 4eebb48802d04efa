// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef COWINDOW_H
#define COWINDOW_H

#include <QDialog>

namespace Ui {
class CoWindow;
}

// The CO adjustment dialog: shows what it is given and raises signals; the
// main window does the talking to the ECU.
class CoWindow : public QDialog
{
    Q_OBJECT

public:
    explicit CoWindow(QWidget *parent = nullptr);
    ~CoWindow() override;

signals:
    void up_clicked();
    void down_clicked();
    void cylChanged(int cyl);

public slots:
    void setDisplay(int rpm, int co);
    void setComboCyl(bool state);

private slots:
    void on_pushButton_up_clicked();
    void on_pushButton_down_clicked();
    void cyl_changed(int cyl);

private:
    Ui::CoWindow *ui;
};

#endif // COWINDOW_H
