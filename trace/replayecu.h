// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef REPLAYECU_H
#define REPLAYECU_H

// An ECU that answers from a recording. Each request heard is compared with
// the next recorded request; when they agree the recorded answer goes out
// with the recorded delay, the echo left to the cable. When they do not, it
// logs the trace line, the bytes expected and the bytes seen, and stays
// silent, as an ECU that does not understand would; it keeps waiting for the
// expected request, so the replay picks up again if the tester comes back.

#include "sim/virtualcable.h"
#include "trace/exchanges.h"

#include <cstdint>
#include <functional>

namespace trace {

class ReplayEcu : public sim::EcuModel
{
public:
    explicit ReplayEcu(const QList<Event> &events);

    void onByte(sim::VirtualCable &cable, std::uint8_t byte, sim::Nanos heardAt,
                const sim::LineState &line) override;

    int answered() const { return next_; }
    int requests() const { return script_.size(); }
    int divergences() const { return divergences_; }
    // Hears each divergence: the trace line of the request expected, and
    // what was expected and seen.
    void setDivergenceListener(std::function<void(int line, const QString &what)> listener)
    {
        divergenceListener_ = std::move(listener);
    }

private:
    void startBurst();
    void answer(sim::VirtualCable &cable, sim::Nanos heardAt);
    void reportDivergence();
    void reportEnd();

    QList<Exchange> script_;
    int next_ = 0;
    QByteArray heard_; // bytes of the request being heard
    sim::Nanos lastHeard_ = 0;
    sim::Nanos byteNs_ = 0;
    bool mismatch_ = false;
    bool reported_ = false;
    bool endReported_ = false;
    int divergences_ = 0;
    QString lastReport_;
    std::function<void(int, const QString &)> divergenceListener_;
};

} // namespace trace

#endif // REPLAYECU_H
