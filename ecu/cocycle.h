// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef COCYCLE_H
#define COCYCLE_H

#include "ecu/cycle.h"
#include "ecu/sessionstate.h"

#include <QList>

#include <cstdint>

// What the CO cycles of both families share: the CO window's Up and Down
// keys, queued until the cycle's next ticks send them. A key pressed while
// the cycle logs in is ignored: it would mean something else to an ECU
// that is not yet in its CO mode.
class CoCycle : public Cycle
{
public:
    bool key(std::uint8_t key) override
    {
        if (state() == SessionState::None)
            return false;
        keys_.append(key);
        return true;
    }

protected:
    bool keyWaiting() const { return !keys_.isEmpty(); }
    std::uint8_t takeKey() { return keys_.takeFirst(); }

private:
    QList<std::uint8_t> keys_;
};

#endif // COCYCLE_H
