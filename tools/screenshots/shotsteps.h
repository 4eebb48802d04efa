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

#endif // SHOTSTEPS_H
