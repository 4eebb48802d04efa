// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/autoecu.h"
#include "sim/autoecukeys.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace sim {

namespace {
using namespace autoecu;

constexpr int kBaud = 15625;
constexpr std::uint8_t kShowCode = 0x40;
constexpr std::uint8_t kChecking = 0x80;
constexpr int kStoredCodesItem = 62;
constexpr int kIscItem = 67;
constexpr int kClearKeys = 9;
constexpr std::size_t kCylinderKeyAt = 12;
constexpr int kGarbageBytes = 7;

Bytes iscSequence()
{
    Bytes keys;
    append(keys, kAction, 9);
    append(keys, kHold, 11);
    append(keys, kAction, 10);
    append(keys, kHold, 10);
    append(keys, kAction, 9);
    return keys;
}

// Position 12 carries the cylinder: hold for "1", up for "2".
Bytes cylinderPattern()
{
    Bytes keys;
    append(keys, kAction, 8);
    append(keys, kHold, 4);
    keys.push_back(kHold);
    append(keys, kHold, 4);
    append(keys, kAction, 10);
    return keys;
}
} // namespace

AutoEcu::AutoEcu(AutoEcuConfig config) : cfg_(std::move(config)) {}

void AutoEcu::onByte(VirtualCable &cable, std::uint8_t byte, Nanos heardAt, const LineState &line)
{
    if (std::abs(line.baud - kBaud) > kBaud / 100) {
        ++ignored_; // another family's line speed: noise to this ECU
        return;
    }
    if (silent_ || heardAt < silentUntil_)
        return;
    if (dropLosesSession_) {
        dropLosesSession_ = false;
        mode_ = Mode::Idle;
    }
    Bytes reply = answer(byte, heardAt);
    if (muteNext_ > 0) {
        --muteNext_; // heard and acted on, but the answer is lost
        return;
    }
    send(cable, std::move(reply), heardAt);
}

void AutoEcu::send(VirtualCable &cable, Bytes reply, Nanos heardAt)
{
    if (reply.empty())
        return;
    if (garbage_) {
        reply.clear();
        for (int i = 0; i < kGarbageBytes; ++i)
            reply.push_back(std::uint8_t(rng_() & 0xff));
    } else if (replyBytes_ >= 0 && reply.size() > std::size_t(replyBytes_)) {
        reply.resize(std::size_t(replyBytes_));
    }
    if (reply.empty())
        return;
    Nanos start = heardAt + Nanos(cfg_.responseDelayUs) * 1000;
    if (lateLeft_ > 0) {
        --lateLeft_;
        start += ms(lateMs_);
    }
    cable.ecuSend(reply, start);
    if (holdMs_ > 0) {
        // An empty send that starts later keeps the line busy until then.
        cable.ecuSend({}, start + Nanos(reply.size()) * cable.byteTimeNs() + ms(holdMs_));
        holdMs_ = 0;
    }
}

void AutoEcu::dropOut(int durationMs, bool losesSession)
{
    silentUntil_ = nowNs() + ms(durationMs);
    dropLosesSession_ = losesSession;
}

AutoEcu::Bytes AutoEcu::answer(std::uint8_t byte, Nanos at)
{
    if (byte == kIdentify)
        return identify();
    switch (mode_) {
    case Mode::Idle: return {}; // nothing but identify is understood before a login
    case Mode::Unlocking: return unlockStep(byte);
    case Mode::Identified:
        if (byte != kAction) {
            reject();
            return {};
        }
        mode_ = Mode::LoginKeys;
        scripts_ = loginScripts();
        scriptIndex_ = 0;
        return {0x00, cfg_.ack};
    case Mode::LoginKeys: return loginKey(byte, at);
    case Mode::Diag: return diagKey(byte, at);
    case Mode::Co: return coKey(byte, at);
    }
    return {};
}
AutoEcu::Bytes AutoEcu::diagKey(std::uint8_t byte, Nanos at)
{
    const std::size_t count = cfg_.items.size();
    const int left = currentCode();
    if ((byte == kUp || byte == kDown) && count > 0) {
        pointer_ = byte == kUp ? (pointer_ + 1) % count : (pointer_ + count - 1) % count;
        fresh_ = true;
        announceLeft_ = 0;
        ++moves_;
        iscKeys_.clear();
    }
    if (byte == kAction)
        actionKey(at);
    else
        actionRun_ = 0;
    trackIscSequence(byte);
    if (cfg_.staleAfterMove && (byte == kUp || byte == kDown) && count > 0)
        return reading(0x00, liveRaw(left)); // fresh_ stays: the code comes next
    return diagReading(at);
}

void AutoEcu::actionKey(Nanos at)
{
    const int code = currentCode();
    const int index = cfg_.items.empty() ? -1 : int(pointer_ % cfg_.items.size());
    acts_.record({EcuAct::Kind::Check, index, code, sessions_, actuator(code), at});
    if (!actuator(code))
        return;
    ++actionKeys_[code];
    checkUntil_ = at + ms(cfg_.checkMs);
    if (code == kStoredCodesItem && ++actionRun_ == kClearKeys) {
        cfg_.raw[kStoredCodesItem] = 0;
        ++codeClears_;
    }
}

void AutoEcu::trackIscSequence(std::uint8_t byte)
{
    static const Bytes sequence = iscSequence();
    if (currentCode() != kIscItem || (iscKeys_.empty() && byte != kAction)) {
        iscKeys_.clear();
        return;
    }
    iscKeys_.push_back(byte);
    if (!std::equal(iscKeys_.begin(), iscKeys_.end(), sequence.begin())) {
        iscKeys_.clear();
        return;
    }
    if (iscKeys_.size() == sequence.size()) {
        cfg_.raw[kIscItem] = 0;
        ++iscClears_;
        iscKeys_.clear();
    }
}

AutoEcu::Bytes AutoEcu::diagReading(Nanos at)
{
    const bool showCode = fresh_ || announceLeft_ > 0 || at - lastCodeAt_ >= ms(cfg_.codeEveryMs);
    if (showCode) {
        fresh_ = false;
        announceLeft_ = std::max(0, announceLeft_ - 1);
        lastCodeAt_ = at;
    }
    std::uint8_t status = showCode ? kShowCode : 0x00;
    if (at < checkUntil_)
        status |= kChecking;
    const int code = currentCode();
    return reading(status, showCode ? code : liveRaw(code));
}

AutoEcu::Bytes AutoEcu::coKey(std::uint8_t byte, Nanos)
{
    if (!cylinderKey(byte)) {
        if (byte == kUp)
            cfg_.coSetting = std::min(127, cfg_.coSetting + 1);
        else if (byte == kDown)
            cfg_.coSetting = std::max(-128, cfg_.coSetting - 1);
        else if (byte == kAction)
            cylinderIndex_ = 1; // the first key of a cylinder change
    }
    return reading(0x00, cfg_.coSetting + 128);
}

bool AutoEcu::cylinderKey(std::uint8_t byte)
{
    static const Bytes pattern = cylinderPattern();
    if (cylinderIndex_ == 0)
        return false;
    const bool choice = cylinderIndex_ == kCylinderKeyAt;
    if (choice ? (byte != kHold && byte != kUp) : byte != pattern[cylinderIndex_]) {
        ++cylinderRejects_;
        cylinderIndex_ = 0;
        return false;
    }
    if (choice)
        cylinderKey_ = byte;
    if (++cylinderIndex_ == pattern.size()) {
        cylinder_ = cylinderKey_ == kUp ? 2 : 1;
        ++cylinderChanges_;
        cylinderIndex_ = 0;
    }
    return true;
}

AutoEcu::Bytes AutoEcu::reading(std::uint8_t status, int data) const
{
    const std::uint8_t speed = std::uint8_t(std::clamp(liveRpm() / 50, 0, 255));
    Bytes bytes = {speed, 0x00, status, std::uint8_t(data & 0xff)};
    int sum = 0;
    for (std::uint8_t b : bytes)
        sum += b;
    bytes.push_back(std::uint8_t(sum & 0xff));
    return bytes;
}
int AutoEcu::raw(int code) const
{
    const auto it = cfg_.raw.find(code);
    return it == cfg_.raw.end() ? 0 : it->second;
}

int AutoEcu::liveRaw(int code) const
{
    static const std::set<int> live = {1, 3, 5, 6, 9, 11};
    const auto ramp = cfg_.ramps.find(code);
    if (ramp != cfg_.ramps.end() && ramp->second.active())
        return ramp->second.at(rampReadings_[code]++);
    const int base = raw(code);
    if (!cfg_.wander || live.count(code) == 0)
        return base;
    return std::clamp(base + int(rng_() % 3) - 1, 0, 255);
}

int AutoEcu::liveRpm() const
{
    if (!cfg_.engineRunning)
        return 0;
    return cfg_.idleRpm + (cfg_.wander ? (int(rng_() % 3) - 1) * 50 : 0);
}

int AutoEcu::currentCode() const
{
    return cfg_.items.empty() ? 0 : cfg_.items[pointer_ % cfg_.items.size()];
}

int AutoEcu::actionKeys(int code) const
{
    const auto it = actionKeys_.find(code);
    return it == actionKeys_.end() ? 0 : it->second;
}

} // namespace sim
