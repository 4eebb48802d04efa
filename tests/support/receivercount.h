// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef RECEIVERCOUNT_H
#define RECEIVERCOUNT_H

#include <QObject>

// How many connections a signal of `sender` has. QObject::receivers is
// protected; naming it through a derived class gives a member pointer that
// can be applied to any QObject.
struct ReceiverCount : QObject {
    static int of(const QObject *sender, const char *signal)
    {
        int (QObject::*receivers)(const char *) const = &ReceiverCount::receivers;
        return (sender->*receivers)(signal);
    }
};

#endif // RECEIVERCOUNT_H
