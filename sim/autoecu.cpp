#include "sim/autoecu.h"

#include <algorithm>
#include <cstdlib>

namespace sim {

namespace {
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kIdentify = 0xFE;
constexpr std::uint8_t kHold = 0xCA;
constexpr std::uint8_t kUp = 0xCB;
constexpr std::uint8_t kDown = 0xCC;
constexpr std::uint8_t kAction = 0xCE;

constexpr int kBaud = 15625;
constexpr int kAnnounceReplies = 40;   // after login the first item is shown until moved
constexpr std::uint8_t kShowCode = 0x40;
constexpr std::uint8_t kChecking = 0x80;
constexpr std::uint8_t kTwinMark = 0x40;
constexpr int kStoredCodesItem = 62;
constexpr int kIscItem = 67;
constexpr int kClearKeys = 9;
constexpr std::size_t kCylinderKeyAt = 12;
constexpr int kGarbageBytes = 7;

Nanos ms(int value)
{
    return Nanos(value) * 1000000;
}

void append(Bytes &to, std::uint8_t key, int count)
{
    to.insert(to.end(), std::size_t(count), key);
}

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

void AutoEcu::onByte(VirtualCable &cable, std::uint8_t byte, Nanos heardAt,
                     const LineState &line)
{
    if (std::abs(line.baud - kBaud) > kBaud / 100) {
        ++ignored_;   // another family's line speed: noise to this ECU
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
        --muteNext_;   // heard and acted on, but the answer is lost
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
    const Nanos start = heardAt + Nanos(cfg_.responseDelayUs) * 1000;
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
    case Mode::Idle:
        return {};   // nothing but identify is understood before a login
    case Mode::Unlocking:
        return unlockStep(byte);
    case Mode::Identified:
        if (byte != kAction) {
            reject();
            return {};
        }
        mode_ = Mode::LoginKeys;
        scripts_ = loginScripts();
        scriptIndex_ = 0;
        return {0x00, cfg_.ack};
    case Mode::LoginKeys:
        return loginKey(byte, at);
    case Mode::Diag:
        return diagKey(byte, at);
    case Mode::Co:
        return coKey(byte, at);
    }
    return {};
}

AutoEcu::Bytes AutoEcu::identify()
{
    if (cfg_.modelCode == 0x48 && !unlocked_) {
        mode_ = Mode::Unlocking;
        unlockIndex_ = 0;
        return {0x00, 0x48};
    }
    mode_ = Mode::Identified;
    const int model = cfg_.modelCode == 0x48 ? cfg_.unlockedModelCode : cfg_.modelCode;
    return {0x00, std::uint8_t(model)};
}

AutoEcu::Bytes AutoEcu::unlockStep(std::uint8_t byte)
{
    if (unlockIndex_ >= cfg_.unlock.size() || byte != cfg_.unlock[unlockIndex_]) {
        ++unlockFailures_;
        mode_ = Mode::Idle;
        return {};
    }
    if (++unlockIndex_ == cfg_.unlock.size()) {
        unlocked_ = true;
        mode_ = Mode::Idle;
    }
    return {0x00, 0x00};
}

AutoEcu::Bytes AutoEcu::loginKey(std::uint8_t byte, Nanos at)
{
    // The walks share their first key; the ECU follows every walk that
    // still matches and gives up when none does.
    const Bytes *reply = nullptr;
    for (Script &s : scripts_) {
        if (!s.alive)
            continue;
        if (scriptIndex_ >= s.keys.size() || s.keys[scriptIndex_] != byte) {
            s.alive = false;
            continue;
        }
        if (scriptIndex_ + 1 == s.keys.size()) {
            const Bytes last = s.replies[scriptIndex_];
            enter(s.then, at);
            return s.then == Mode::Co ? reading(0x00, cfg_.coSetting + 128) : last;
        }
        if (!reply)
            reply = &s.replies[scriptIndex_];
    }
    if (!reply) {
        reject();
        return {};
    }
    ++scriptIndex_;
    return *reply;
}

void AutoEcu::enter(Mode mode, Nanos at)
{
    mode_ = mode;
    scripts_.clear();
    pointer_ = 0;
    fresh_ = false;
    announceLeft_ = kAnnounceReplies;
    lastCodeAt_ = at;
    checkUntil_ = 0;
    actionRun_ = 0;
    iscKeys_.clear();
    cylinderIndex_ = 0;
}

void AutoEcu::reject()
{
    ++rejected_;
    mode_ = Mode::Idle;
    scripts_.clear();
}

AutoEcu::Bytes AutoEcu::diagKey(std::uint8_t byte, Nanos at)
{
    const std::size_t count = cfg_.items.size();
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
    return diagReading(at);
}

void AutoEcu::actionKey(Nanos at)
{
    const int code = currentCode();
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
            cylinderIndex_ = 1;   // the first key of a cylinder change
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

std::vector<AutoEcu::Script> AutoEcu::loginScripts() const
{
    Script normal;
    normal.keys.push_back(kHold);
    append(normal.keys, kAction, 15);
    normal.replies.assign(normal.keys.size(), Bytes{0x00, 0x00});
    normal.then = Mode::Diag;
    return {normal, coScript()};
}

AutoEcu::Script AutoEcu::coScript() const
{
    // Group keys are answered with anything but the expected reply, which
    // the tool would count as one of the nine.
    const Bytes plain = {0x00, std::uint8_t(expectedByte() == 0x00 ? 0x01 : 0x00)};
    const Bytes expected = {0x00, std::uint8_t(expectedByte())};
    Script co;
    co.then = Mode::Co;
    auto add = [&co](std::uint8_t key, const Bytes &reply) {
        co.keys.push_back(key);
        co.replies.push_back(reply);
    };
    for (std::uint8_t key : {kHold, kUp, kHold, kUp})
        add(key, plain);
    for (int i = 0; i < 8; ++i)
        add(kAction, expected);
    add(kAction, cfg_.twoCylinder ? Bytes{0x00, 0x00, kTwinMark, 0x00, 0x01} : expected);
    const Bytes single = {kUp, kHold, kHold, kUp, kHold, kHold, kHold, kHold};
    const Bytes twin = {kUp, kHold, kHold, kHold, kHold};
    for (std::uint8_t key : cfg_.twoCylinder ? twin : single)
        add(key, plain);
    for (int i = 0; i < 9; ++i)
        add(kAction, expected);   // the ninth is answered with a CO reading
    return co;
}

int AutoEcu::expectedByte() const
{
    // What the tool expects back during the CO login for this model.
    const int model = cfg_.modelCode == 0x48 ? cfg_.unlockedModelCode : cfg_.modelCode;
    if (model == 0x00)
        return 0x01;
    return model == 0x80 ? 0x81 : 0x00;
}

int AutoEcu::raw(int code) const
{
    const auto it = cfg_.raw.find(code);
    return it == cfg_.raw.end() ? 0 : it->second;
}

int AutoEcu::liveRaw(int code) const
{
    static const std::set<int> live = {1, 3, 5, 6, 9, 11};
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
