// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/virtualcable.h"

#include "sim/demobike.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <thread>

namespace sim {

namespace {
std::function<Nanos()> &clockFn()
{
    static std::function<Nanos()> fn;
    return fn;
}

std::function<void(Nanos)> &sleeperFn()
{
    static std::function<void(Nanos)> fn;
    return fn;
}

constexpr Nanos kNsPerMs = 1000000;
// Before any packet: the chip's timer ran out long ago.
constexpr Nanos kLongAgo = std::numeric_limits<Nanos>::min() / 4;

// libftdi1's own error codes for the situations the cable models.
constexpr int kNoDevice = -3;  // ftdi_usb_open: usb device not found
constexpr int kNoAccess = -4;  // ftdi_usb_open: usb_open() failed
constexpr int kBusy = -5;      // ftdi_usb_open: unable to claim device
constexpr int kNotOpen = -666; // any call on a context without device
constexpr int kTransferFailed = -1;

std::vector<VirtualCable::ListedDevice> defaultListing()
{
    return {{"FTDI", "FT232R USB UART", "A50285BI", false},
            {"FTDI", "Dual RS232-HS", "FT4232H1", false}};
}
} // namespace

Nanos nowNs()
{
    if (clockFn())
        return clockFn()();
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void setClock(std::function<Nanos()> clock)
{
    clockFn() = std::move(clock);
    sleeperFn() = nullptr;
}

void setSleeper(std::function<void(Nanos)> sleeper)
{
    sleeperFn() = std::move(sleeper);
}

void sleepUntil(Nanos until)
{
    if (sleeperFn()) {
        sleeperFn()(until);
        return;
    }
    if (clockFn())
        return; // a lent clock moves only when its owner moves it
    const Nanos left = until - nowNs();
    if (left > 0)
        std::this_thread::sleep_for(std::chrono::nanoseconds(left));
}

VirtualCable &VirtualCable::instance()
{
    static VirtualCable cable;
    return cable;
}

VirtualCable::VirtualCable()
{
    lastPacketAt_ = kLongAgo;
    listed_ = defaultListing();
    ecu_ = makeDemoBike();
}

void VirtualCable::reset()
{
    plugged_ = true;
    openToken_ = 0;
    line_ = LineState();
    lineFreeAt_ = 0;
    latencyMs_ = DefaultLatencyMs;
    lastPacketAt_ = kLongAgo;
    rx_.clear();
    ecu_.reset();
    clearHistory();
    listed_ = defaultListing();
    failNew_ = 0;
    failOpen_ = refuseBaud_ = refuseLine_ = failFindAll_ = false;
    failWrites_ = 0;
    refusal_ = Refusal::None;
}

void VirtualCable::clearHistory()
{
    tx_.clear();
    dtr_.clear();
    baud_.clear();
    reads_.clear();
    received_.clear();
    calls_.clear();
}

namespace {
// A long demo run keeps only the latest entries of a log.
template <typename T>
void keepBounded(std::vector<T> &log)
{
    constexpr std::size_t kKeep = 100000;
    if (log.size() >= kKeep)
        log.erase(log.begin(), log.begin() + kKeep / 2);
}
} // namespace

void VirtualCable::noteCall(std::string call)
{
    keepBounded(calls_);
    calls_.push_back(std::move(call));
}

void VirtualCable::plug()
{
    plugged_ = true;
}

void VirtualCable::unplug()
{
    // A pulled plug kills every handle; the bytes in flight are gone too.
    plugged_ = false;
    openToken_ = 0;
    rx_.clear();
}

void VirtualCable::seat(std::shared_ptr<EcuModel> ecu)
{
    ecu_ = std::move(ecu);
}

Nanos VirtualCable::byteTimeNs() const
{
    return line_.baud > 0 ? Nanos(10) * 1000000000LL / line_.baud : 0;
}

void VirtualCable::queueRx(std::uint8_t value, Nanos arrivesAt, bool echo)
{
    // Keep arrival order: a byte never overtakes one queued before it.
    if (!rx_.empty())
        arrivesAt = std::max(arrivesAt, rx_.back().arrivesAt);
    rx_.push_back({value, arrivesAt, echo});
    keepBounded(received_);
    received_.push_back(rx_.back());
}

void VirtualCable::ecuSend(const std::vector<std::uint8_t> &bytes, Nanos startAt)
{
    if (!plugged_)
        return;
    if (ecuTap_)
        ecuTap_(bytes);
    Nanos t = std::max(startAt, lineFreeAt_);
    const Nanos step = byteTimeNs();
    for (std::uint8_t b : bytes) {
        t += step;
        queueRx(b, t, false);
    }
    lineFreeAt_ = std::max(lineFreeAt_, t);
}

void VirtualCable::setLatencyMs(int ms)
{
    if (ms >= 1 && ms <= 255)
        latencyMs_ = ms;
}

void VirtualCable::failNextNew(int count)
{
    failNew_ = count;
}
void VirtualCable::failOpen(bool fail)
{
    failOpen_ = fail;
}
void VirtualCable::refuseBaud(bool refuse)
{
    refuseBaud_ = refuse;
}
void VirtualCable::refuseLineProperty(bool refuse)
{
    refuseLine_ = refuse;
}
void VirtualCable::failWrites(int count)
{
    failWrites_ = count;
}

bool VirtualCable::takeNewFailure()
{
    if (failNew_ <= 0)
        return false;
    --failNew_;
    return true;
}

int VirtualCable::receivePending() const
{
    const Nanos now = nowNs();
    return int(std::count_if(rx_.begin(), rx_.end(),
                             [now](const RxByte &b) { return b.arrivesAt <= now; }));
}

int VirtualCable::open(int vendor, int product)
{
    if (!plugged_ || failOpen_ || vendor != VendorId || product != ProductId)
        return kNoDevice;
    if (refusal_ == Refusal::NoPermission)
        return kNoAccess;
    if (openToken_ != 0 || refusal_ == Refusal::Busy)
        return kBusy; // the interface is claimed by another handle or program
    openToken_ = nextToken_++;
    ++openHandles_;
    // ftdi_usb_open resets the chip and sets 9600 baud.
    line_.baud = chipBaud(9600);
    rx_.clear();
    return openToken_;
}

void VirtualCable::close(int token)
{
    if (token != 0 && token == openToken_)
        openToken_ = 0;
    if (token != 0)
        --openHandles_;
}

bool VirtualCable::isOpen(int token) const
{
    return plugged_ && token != 0 && token == openToken_;
}

int VirtualCable::chipBaud(int requested)
{
    if (requested <= 0)
        return 0;
    // 3 MHz base clock; below 1.5 MBd the divisor runs in eighths up to
    // 0x1FFFF, above it only 3, 2 and 1.5 MBd exist.
    constexpr double kBase = 3000000.0;
    double actual;
    if (requested >= kBase)
        actual = kBase;
    else if (requested >= kBase / 1.5)
        actual = kBase / 1.5;
    else if (requested >= kBase / 2)
        actual = kBase / 2;
    else {
        const long eighths = std::min(std::lround(kBase * 8.0 / requested), 0x1FFFFL);
        actual = kBase * 8.0 / double(eighths);
    }
    if (std::fabs(actual - requested) > requested * 0.05)
        return 0;
    return int(std::lround(actual));
}

int VirtualCable::setBaud(int token, int requested)
{
    if (!isOpen(token))
        return kNotOpen;
    const int actual = refuseBaud_ ? 0 : chipBaud(requested);
    keepBounded(baud_);
    baud_.push_back({requested, actual, nowNs()});
    if (actual == 0)
        return -1;
    line_.baud = actual;
    if (ecu_)
        ecu_->onBaud(*this, actual, nowNs());
    return 0;
}

int VirtualCable::setLineProperty(int token, int bits, int stopBits, int parity)
{
    if (!isOpen(token))
        return kNotOpen;
    if (refuseLine_)
        return -1;
    line_.bits = bits;
    line_.stopBits = stopBits;
    line_.parity = parity;
    return 0;
}

int VirtualCable::setDtr(int token, bool level)
{
    if (!isOpen(token))
        return kNotOpen;
    line_.dtr = level;
    const Nanos at = nowNs();
    keepBounded(dtr_);
    dtr_.push_back({level, at});
    if (ecu_)
        ecu_->onDtr(*this, level, at);
    return 0;
}

int VirtualCable::write(int token, const std::uint8_t *buf, int size)
{
    if (!isOpen(token))
        return kNotOpen;
    if (size < 0)
        return kTransferFailed;
    const Nanos now = nowNs();
    for (int i = 0; i < size; ++i) {
        if (failWrites_ != 0) {
            if (failWrites_ > 0)
                --failWrites_;
            return kTransferFailed;
        }
        const Nanos start = std::max(now, lineFreeAt_);
        const Nanos end = start + byteTimeNs();
        lineFreeAt_ = end;
        keepBounded(tx_);
        tx_.push_back({buf[i], now, end, line_.baud, line_.dtr});
        queueRx(buf[i], end, true); // the adapter hears itself
        if (ecu_)
            ecu_->onByte(*this, buf[i], end, line_);
    }
    return size;
}

int VirtualCable::inTransfer(int token, std::uint8_t *buf, int room, Nanos startedAt, Nanos &endsAt)
{
    endsAt = startedAt;
    if (!isOpen(token))
        return kNotOpen;
    constexpr int kPacketData = PacketSize - StatusBytes;
    const Nanos latency = Nanos(latencyMs_) * kNsPerMs;
    int filled = 0;
    Nanos at = startedAt; // the host asks for the next packet from here on
    while (room - filled >= StatusBytes) {
        const int cap = std::min(kPacketData, room - filled - StatusBytes);
        // The timer's run-out, or sooner the moment a full packet waits.
        Nanos due = std::max(at, lastPacketAt_ + latency);
        if (cap > 0 && int(rx_.size()) >= cap)
            due = std::min(due, std::max(at, rx_[std::size_t(cap - 1)].arrivesAt));
        buf[filled] = ModemStatus[0];
        buf[filled + 1] = ModemStatus[1];
        int n = 0;
        while (n < cap && !rx_.empty() && rx_.front().arrivesAt <= due) {
            buf[filled + StatusBytes + n++] = rx_.front().value;
            rx_.pop_front();
        }
        filled += StatusBytes + n;
        lastPacketAt_ = due;
        at = due;
        if (StatusBytes + n < PacketSize)
            break; // a short packet ends the transfer
    }
    endsAt = at;
    return filled;
}

int VirtualCable::bulkIn(int token, std::uint8_t *buf, int room)
{
    Nanos endsAt = 0;
    const int result = inTransfer(token, buf, room, nowNs(), endsAt);
    if (result >= 0)
        sleepUntil(endsAt);
    return result;
}

int VirtualCable::purgeReceive(int token)
{
    if (!isOpen(token))
        return kNotOpen;
    const Nanos now = nowNs();
    int dropped = 0;
    while (!rx_.empty() && rx_.front().arrivesAt <= now) {
        rx_.pop_front();
        ++dropped;
    }
    return dropped;
}

void VirtualCable::noteRead(const ReadCall &read)
{
    keepBounded(reads_);
    reads_.push_back(read);
}

} // namespace sim
