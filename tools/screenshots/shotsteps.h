// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SHOTSTEPS_H
#define SHOTSTEPS_H

#include <QDir>
#include <QString>

class MainWindow;

// Drives one demo window through the views the README shows and writes
// each as a PNG into `outDir`. Returns an empty text when every view was
// reached and written, else what went wrong.
QString takeScreenshots(MainWindow &window, const QDir &outDir);
// The one picture of the window at the screen's scale: a value with its
// unit and the longest item name, side by side, into `outDir`/`name`.
QString takeScaledScreenshot(MainWindow &window, const QDir &outDir, const QString &name);

#endif // SHOTSTEPS_H
