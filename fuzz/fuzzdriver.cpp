// SPDX-License-Identifier: GPL-3.0-or-later
// The fuzz driver: a window on the simulated cable and an ECU that answers
// with the bytes of the input.
#include "fuzz/fuzzdriver.h"

#include "fuzz/fuzzecu.h"
#include "link/usbserial.h"
#include "sim/virtualcable.h"
#include "support/mainwindowprobe.h"
#include "ui/mainwindow.h"

#include <QMetaObject>

#include <algorithm>
#include <cstdint>

namespace fuzzdrive {

namespace {
constexpr int kMaxTicks = 256;
constexpr sim::Nanos kMs = 1000000;
sim::Nanos virtualNow = 1000 * kMs;

} // namespace

void useVirtualClock()
{
    sim::setClock([] { return virtualNow; });
    // A read that waits for the chip's packets moves the clock on.
    sim::setSleeper([](sim::Nanos until) { virtualNow = std::max(virtualNow, until); });
}

void advanceClock(int ms)
{
    virtualNow += sim::Nanos(std::max(ms, 0)) * kMs + 1;
}

Driver::Driver(Family family)
    : family_(family), window_(new MainWindow), probe_(new MainWindowProbe(*window_))
{
    sim::VirtualCable::instance().reset();
    if (family == Family::Kwp)
        probe_->typeBox()->setCurrentIndex(1);
    QMetaObject::invokeMethod(window_.get(), "connect_clicked");
    // The harness ticks by hand; the window's own timer must not.
    probe_->pollTimer()->stop();
    QObject::disconnect(probe_->pollTimer(), nullptr, &probe_->engine(), nullptr);
}

Driver::~Driver()
{
    sim::VirtualCable::instance().seat(nullptr);
    probe_->restoreWaitCursors();
}

void Driver::prepare(bool co)
{
    sim::VirtualCable &cable = sim::VirtualCable::instance();
    advanceClock(1000); // whatever is still on the wire has arrived
    while (cable.receivePending() > 0)
        probe_->link()->readDataHex();
    cable.clearHistory();
    // Each run is a session of its own: an empty table and a new cycle.
    probe_->clearTable();
    probe_->freshCycle(co);
}

bool Driver::tick(bool co)
{
    const char *slot = family_ == Family::Auto
                           ? (co ? "co_send_clicked" : "send_clicked")
                           : (co ? "co_send_clicked_xmax" : "send_clicked_xmax");
    const bool ok = QMetaObject::invokeMethod(window_.get(), slot);
    probe_->pollTimer()->stop();
    return ok;
}

void Driver::run(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return;
    const std::vector<State> &all = states(family_);
    const State &state = all[data[0] % all.size()];
    prepare(state.co);
    state.setup(*probe_, *window_, data[1]);
    auto ecu = std::make_shared<FuzzEcu>(family_, Replies(data + 2, size - 2));
    sim::VirtualCable::instance().seat(ecu);
    for (int i = 0; i < kMaxTicks && !ecu->exhausted(); ++i)
        tick(state.co);
    tick(state.co); // and one tick on a silent line
    sim::VirtualCable::instance().seat(nullptr);
}

} // namespace fuzzdrive
