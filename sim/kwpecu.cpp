// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated KWP ECU: wake-up, framing, checks and dispatch. The answers
// themselves are in kwpecuanswers.cpp.
#include "sim/kwpecu.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace sim {

namespace {
constexpr int kLineBaud = 10400;
constexpr double kBaudTolerance = 0.02;
constexpr Nanos kMs = 1000000;
constexpr Nanos kInterByteMaxNs = 20 * kMs;
constexpr std::uint8_t kEcuAddress = 0x10;
constexpr std::uint8_t kFunctionalAddress = 0x33;
constexpr std::uint8_t kTesterAddress = 0xF0;
constexpr std::uint8_t kModeMask = 0xC0;
constexpr std::uint8_t kPhysical = 0x80;
constexpr std::uint8_t kFunctional = 0xC0;
constexpr std::uint8_t kLengthMask = 0x3F;
} // namespace

KwpEcu::KwpEcu(KwpEcuConfig config) : config_(std::move(config))
{
    setPointer(config_.startIndex);
}

void KwpEcu::setPointer(int index)
{
    const int n = int(config_.items.size());
    pointer_ = n > 0 ? ((index % n) + n) % n : 0;
}

int KwpEcu::pointerCode() const
{
    return config_.items.empty() ? -1 : config_.items[std::size_t(pointer_)].code;
}

void KwpEcu::injectFault(KwpRequest which, KwpFault how, int count)
{
    faults_.push_back({which, how, count});
}

int KwpEcu::heardCount(KwpRequest request) const
{
    return int(std::count_if(heard_.begin(), heard_.end(),
                             [request](const Heard &h) { return h.request == request; }));
}

std::uint8_t KwpEcu::checksum(const std::vector<std::uint8_t> &bytes)
{
    unsigned sum = 0;
    for (std::uint8_t b : bytes)
        sum += b;
    return std::uint8_t(sum & 0xFF);
}

std::vector<std::uint8_t> KwpEcu::answerFrame(const std::vector<std::uint8_t> &data)
{
    Bytes frame;
    frame.reserve(data.size() + 4);
    frame.push_back(std::uint8_t(kPhysical | (data.size() & kLengthMask)));
    frame.push_back(kTesterAddress);
    frame.push_back(kEcuAddress);
    for (std::uint8_t b : data)
        frame.push_back(b);
    frame.push_back(checksum(frame));
    return frame;
}

void KwpEcu::onDtr(VirtualCable &, bool level, Nanos at)
{
    if (!level) {
        lowSince_ = at;
        return;
    }
    if (lowSince_ < 0)
        return; // DTR raised without a pulse: the adapter being opened
    const double widthMs = double(at - lowSince_) / double(kMs);
    lowSince_ = -1;
    pulses_.push_back(widthMs);
    // Any pulse ends the session the line had; only a fast-init one starts one.
    awake_ = widthMs >= config_.pulseMinMs && widthMs <= config_.pulseMaxMs;
    communicating_ = false;
    buffer_.clear();
    if (!awake_)
        return;
    ++wakeUps_;
    lastFrameAt_ = at;
    phase_ = Phase::Fresh;
    coActions_ = 0;
    checkUntil_ = 0;
}

bool KwpEcu::listening(const LineState &line) const
{
    return std::abs(line.baud - kLineBaud) <= kLineBaud * kBaudTolerance && line.bits == 8
           && line.parity == 0;
}

// Header (format, target, source), the data bytes the format announces, and
// the checksum. Formats without addresses are not this ECU's.
std::size_t KwpEcu::expectedLength() const
{
    const std::uint8_t format = buffer_.front();
    const std::size_t data = format & kLengthMask;
    const bool addressed = (format & kPhysical) != 0;
    return (addressed ? 3 : 1) + data + 1;
}

void KwpEcu::onByte(VirtualCable &cable, std::uint8_t byte, Nanos heardAt, const LineState &line)
{
    if (!listening(line)) {
        buffer_.clear(); // at any other speed the ECU hears only noise
        return;
    }
    if (!buffer_.empty() && heardAt - lastByteAt_ > kInterByteMaxNs) {
        ++ignored_; // a frame broken off: start afresh
        buffer_.clear();
    }
    lastByteAt_ = heardAt;
    buffer_.push_back(byte);
    if (buffer_.size() < expectedLength())
        return;
    const Bytes frame = buffer_;
    buffer_.clear();
    handleFrame(cable, frame, heardAt);
}

bool KwpEcu::acceptable(const Bytes &frame, Nanos at)
{
    const std::uint8_t mode = frame[0] & kModeMask;
    const bool addressed =
        (mode == kPhysical && frame.size() > 4 && frame[1] == kEcuAddress)
        || (mode == kFunctional && frame.size() > 4 && frame[1] == kFunctionalAddress);
    if (!addressed || frame[2] != kTesterAddress
        || checksum(Bytes(frame.begin(), frame.end() - 1)) != frame.back())
        return false;
    if (!awake_)
        return false;
    if (at - lastFrameAt_ > Nanos(config_.sessionTimeoutMs) * kMs) {
        awake_ = communicating_ = false; // the session has timed out
        return false;
    }
    return communicating_ || frame[3] == 0x81;
}

void KwpEcu::handleFrame(VirtualCable &cable, const Bytes &frame, Nanos at)
{
    if (!acceptable(frame, at)) {
        ++ignored_;
        return;
    }
    lastFrameAt_ = at;
    const KwpRequest request = classify(frame);
    if (heard_.size() >= kHeardKept)
        heard_.erase(heard_.begin(), heard_.begin() + long(kHeardKept / 2));
    heard_.push_back({request, frame, at});
    Bytes answer;
    if (!applyFault(request, frame, answer)) {
        if (silent_)
            return;
        answer = answerFrame(answerFor(request, frame, at));
    }
    if (answer.empty())
        return;
    int p2 = std::clamp(config_.responseMs, 25, 50);
    if (lateLeft_ > 0) {
        --lateLeft_;
        p2 += lateMs_;
    }
    cable.ecuSend(answer, at + Nanos(p2) * kMs);
}

// True when an injected fault decides the answer (empty: none at all).
bool KwpEcu::applyFault(KwpRequest request, const Bytes &frame, Bytes &answer)
{
    for (auto it = faults_.begin(); it != faults_.end(); ++it) {
        if (it->which != KwpRequest::Any && it->which != request)
            continue;
        const KwpFault how = it->how;
        if (it->count > 0 && --it->count == 0)
            faults_.erase(it);
        if (how == KwpFault::Negative)
            answer = answerFrame(negative(frame[3], 0x22));
        else if (how == KwpFault::Garbage)
            answer = {0x55, 0xAA, 0x01, 0xFE, 0x00, 0x13, 0x37, 0x42};
        return true;
    }
    return false;
}

KwpRequest KwpEcu::classify(const Bytes &frame)
{
    const std::uint8_t sid = frame[3];
    const auto param = [&frame](std::size_t i) { return i + 5 < frame.size() ? frame[4 + i] : -1; };
    switch (sid) {
    case 0x81: return KwpRequest::StartComm;
    case 0x10: return KwpRequest::StartSession;
    case 0x21: return KwpRequest::ReadLocalId;
    case 0x3E: return KwpRequest::TesterPresent;
    case 0x18: return KwpRequest::ReadDtc;
    case 0x14: return KwpRequest::ClearDtc;
    default: break;
    }
    if (sid != 0x31 || param(0) != 0x70)
        return KwpRequest::Other;
    switch (param(1)) {
    case 0xCA: return KwpRequest::Hold;
    case 0xCB: return KwpRequest::Up;
    case 0xCC: return KwpRequest::Down;
    case 0xCE:
        return param(2) == 0x20   ? KwpRequest::LoginRoutine
               : param(2) == 0x08 ? KwpRequest::Action
                                  : KwpRequest::Other;
    default: return KwpRequest::Other;
    }
}

} // namespace sim
