// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/cowindow.h"
#include "ui_cowindow.h"

CoWindow::CoWindow(QWidget *parent) : QDialog(parent), ui(new Ui::CoWindow)
{
    ui->setupUi(this);
    connect(ui->comboBox_cyl, SIGNAL(currentIndexChanged(int)), this, SLOT(cyl_changed(int)));
}

CoWindow::~CoWindow()
{
    delete ui;
}

void CoWindow::setDisplay(int rpm, int co)
{
    ui->lcdNumber_rpm->display(rpm);
    ui->label_co->setText(QString::number(co));
}

void CoWindow::setComboCyl(bool state)
{
    // Nothing ever disables the box again once a two-cylinder ECU showed up.
    if (state)
        ui->comboBox_cyl->setEnabled(true);
}

void CoWindow::on_pushButton_up_clicked()
{
    emit up_clicked();
}

void CoWindow::on_pushButton_down_clicked()
{
    emit down_clicked();
}

void CoWindow::cyl_changed(int cyl)
{
    emit cylChanged(cyl);
}
