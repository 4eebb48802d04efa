// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated Auto ECU's side of the logins: identification, the
// model-48 unlock and the key walks of the normal and the CO login.
#include "sim/autoecu.h"
#include "sim/autoecukeys.h"

#include <cstdint>

namespace sim {

namespace {
using namespace autoecu;
constexpr int kAnnounceReplies = 40; // after login the first item is shown until moved
} // namespace

AutoEcu::Bytes AutoEcu::identify()
{
    if (cfg_.modelCode == kLockedModel && !unlocked_) {
        mode_ = Mode::Unlocking;
        unlockIndex_ = 0;
        return {0x00, kLockedModel};
    }
    mode_ = Mode::Identified;
    const int model = cfg_.modelCode == kLockedModel ? cfg_.unlockedModelCode : cfg_.modelCode;
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
    ++sessions_;
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
        add(kAction, expected); // the ninth is answered with a CO reading
    return co;
}

int AutoEcu::expectedByte() const
{
    // What the tool expects back during the CO login for this model.
    const int model = cfg_.modelCode == kLockedModel ? cfg_.unlockedModelCode : cfg_.modelCode;
    if (model == 0x00)
        return 0x01;
    return model == 0x80 ? 0x81 : 0x00;
}

} // namespace sim
