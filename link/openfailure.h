// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OPENFAILURE_H
#define OPENFAILURE_H

#include <QString>

// Why the link's last Connect failed, as libftdi1 said it.
struct OpenFailure {
    enum class Step {
        None,         // the last Connect succeeded (or none ran)
        Context,      // ftdi_new failed: libusb could not start
        Open,         // ftdi_usb_open failed
        LineProperty, // the adapter opened but refused 8N1
    };
    Step step = Step::None;
    int code = 0; // libftdi1's result of the failed call
    QString text; // libftdi1's error text for it
};

#endif // OPENFAILURE_H
