// SPDX-License-Identifier: GPL-3.0-or-later
#include "trace/windowsurface.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>

namespace trace {

namespace {

constexpr int kValueColumn = 3;
constexpr int kCodeColumn = 1;

QDialog *findCoWindow()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("CoWindow"))
            return qobject_cast<QDialog *>(w);
    return nullptr;
}

template <class T>
T *child(QWidget *parent, const char *name)
{
    return parent ? parent->findChild<T *>(QLatin1String(name)) : nullptr;
}

} // namespace

WindowSurface::WindowSurface(QWidget *mainWindow)
    : window(mainWindow), typeBox(child<QComboBox>(mainWindow, "comboBox")),
      table(child<QTableWidget>(mainWindow, "tableWidget")),
      action(child<QPushButton>(mainWindow, "pushButton")),
      co(child<QPushButton>(mainWindow, "pushButton_co")),
      info(child<QLabel>(mainWindow, "label_info")),
      cable(child<QLabel>(mainWindow, "label_cable")),
      statusBar(child<QStatusBar>(mainWindow, "statusBar")),
      tableMenu(table ? table->findChild<QMenu *>() : nullptr), coWindow(findCoWindow()),
      up(child<QPushButton>(coWindow, "pushButton_up")),
      down(child<QPushButton>(coWindow, "pushButton_down")),
      cylinder(child<QComboBox>(coWindow, "comboBox_cyl"))
{
}

bool WindowSurface::complete() const
{
    return typeBox && table && action && co && info && statusBar && coWindow && up && down
           && cylinder;
}

QString WindowSurface::status() const
{
    return statusBar ? statusBar->currentMessage() : QString();
}

QString WindowSurface::cableText() const
{
    return cable ? cable->text() : QString();
}

QString WindowSurface::valueOf(int row) const
{
    const QTableWidgetItem *item = table && row >= 0 ? table->item(row, kValueColumn) : nullptr;
    return item ? item->text() : QString();
}

int WindowSurface::codeOf(int row) const
{
    const QTableWidgetItem *item = table && row >= 0 ? table->item(row, kCodeColumn) : nullptr;
    bool ok = false;
    const int code = item ? item->text().toInt(&ok) : -1;
    return ok ? code : -1;
}

QAction *WindowSurface::menuCommand(const QString &text) const
{
    if (!tableMenu)
        return nullptr;
    for (QAction *a : tableMenu->actions())
        if (a->text() == text)
            return a;
    return nullptr;
}

} // namespace trace
