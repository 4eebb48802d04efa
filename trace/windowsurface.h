// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef WINDOWSURFACE_H
#define WINDOWSURFACE_H

// The widgets a mechanic sees and uses, found by their object names: all
// that the recorder's eyes and the replay's hands know of the window.

#include <QString>

class QAction;
class QComboBox;
class QDialog;
class QLabel;
class QMenu;
class QPushButton;
class QStatusBar;
class QTableWidget;
class QWidget;

namespace trace {

struct WindowSurface {
    explicit WindowSurface(QWidget *mainWindow);

    QWidget *window;
    QComboBox *typeBox;
    QTableWidget *table;
    QPushButton *action;
    QPushButton *co;
    QLabel *info;
    QLabel *cable; // the reason beside "Not Connect."; may be missing
    QStatusBar *statusBar;
    QMenu *tableMenu; // the table's right-button menu; may be missing
    // The CO window: a top-level dialog of its own.
    QDialog *coWindow;
    QPushButton *up;
    QPushButton *down;
    QComboBox *cylinder;

    bool complete() const; // every widget the hands need is there
    QString status() const;
    QString cableText() const;
    QString valueOf(int row) const;
    int codeOf(int row) const; // -1 when the row has none
    QAction *menuCommand(const QString &text) const;
};

} // namespace trace

#endif // WINDOWSURFACE_H
