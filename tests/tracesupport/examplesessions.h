// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef EXAMPLESESSIONS_H
#define EXAMPLESESSIONS_H

// One short session of each family against a scripted ECU: the sessions
// behind the shipped example traces and the record/replay tests.

#include "scriptedecu.h"
#include "sessiondriver.h"

#include <memory>

struct ExampleSession {
    QString name;
    std::shared_ptr<ScriptedEcu> ecu;
    QList<LinkStep> steps;
};

ExampleSession autoExample();
ExampleSession kwpExample();

// The KWP requests by name.
QByteArray kwpHold();
QByteArray kwpUp();

// Resets the cable, seats `ecu` (the example's when null), connects the link
// as the main window does (a first open that fails with `failFirstOpen`),
// runs the steps and disconnects. Returns the replies read.
QStringList playSession(const ExampleSession &s, const std::function<void(int)> &wait,
                        std::shared_ptr<sim::EcuModel> ecu = nullptr, bool failFirstOpen = false);

#endif // EXAMPLESESSIONS_H
