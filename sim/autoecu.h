// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef AUTOECU_H
#define AUTOECU_H

// A single-byte ("Auto") ECU behind the simulated cable. It hears the line
// only at 15625 baud, answers each key byte after a short delay (the cable
// already echoes the byte), follows the login key walks it expects and no
// others, and keeps an item pointer that `up`/`down` move with wrap-around.
//
//   auto ecu = std::make_shared<sim::AutoEcu>(sim::AutoEcuConfig::vixion());
//   sim::VirtualCable::instance().seat(ecu);
//   ecu->setRaw(61, 0x0c);  ecu->setSilent(true);  ecu->dropOut(2000);
//
// Session replies are five bytes: rpm/50, 0, status, code or value,
// checksum. Status 0x40 shows the item code, 0x00 its value; 0x80 is added
// while an actuator check runs.

#include "sim/ecuact.h"
#include "sim/ramp.h"
#include "sim/virtualcable.h"

#include <cstdint>
#include <map>
#include <random>
#include <set>
#include <vector>

namespace sim {

struct AutoEcuConfig {
    int modelCode = 0;                // answer to identify: 0, 1, 2, 3, 48 (locked), 80
    int unlockedModelCode = 1;        // what a model-48 ECU answers once opened
    std::vector<std::uint8_t> unlock; // the ten bytes that open model 48
    bool twoCylinder = false;         // the CO login reports two cylinders ("r25")
    std::uint8_t ack = 0x10;          // login acknowledgement: 0x10 or 0x90
    std::vector<int> items;           // item codes in the ECU's order, item 1 first
    std::map<int, int> raw;           // raw value by item code (missing: 0)
    std::set<int> actuators;          // items that run a check on the action key
    int idleRpm = 1400;
    bool engineRunning = true;
    bool wander = false;       // live values drift a little around their raw
    std::map<int, Ramp> ramps; // items whose raw climbs and falls as it is read
    int coSetting = 0;         // -128 .. 127, sent as co + 128
    int codeEveryMs = 700;     // the item code is shown again this often
    int checkMs = 1200;        // an actuator check runs this long
    int responseDelayUs = 2000;
    // After a move the first reading still shows the value of the item
    // left; the new item's code comes one reply late.
    bool staleAfterMove = false;

    static AutoEcuConfig vixion();     // 24 items, values steady
    static AutoEcuConfig vixionDemo(); // the same bike, engine idling, live, throttle blipped
};

class AutoEcu : public EcuModel
{
public:
    enum class Mode { Idle, Unlocking, Identified, LoginKeys, Diag, Co };

    explicit AutoEcu(AutoEcuConfig config = AutoEcuConfig::vixion());

    void onByte(VirtualCable &cable, std::uint8_t byte, Nanos heardAt,
                const LineState &line) override;

    // --- the bike ---
    void setRaw(int code, int raw) { cfg_.raw[code] = raw; }
    int raw(int code) const;
    void setEngineRunning(bool on) { cfg_.engineRunning = on; }
    void setIdleRpm(int rpm) { cfg_.idleRpm = rpm; }
    void setWander(bool on) { cfg_.wander = on; }

    // --- faults on demand ---
    void setSilent(bool silent) { silent_ = silent; }
    void setReplyBytes(int count) { replyBytes_ = count; } // -1: whole replies
    void setGarbage(bool garbage) { garbage_ = garbage; }
    void muteNext(int count) { muteNext_ = count; }
    // Silent for `ms`; losing the session means a new login afterwards.
    void dropOut(int ms, bool losesSession = true);
    // After its next reply the ECU holds the line for `ms`, so that the
    // tool's following request finds nothing to read in its wait.
    void holdLineAfterNextReply(int ms) { holdMs_ = ms; }
    // The next `count` answers come `ms` later than usual.
    void answerLate(int count, int ms)
    {
        lateLeft_ = count;
        lateMs_ = ms;
    }

    // --- what it saw ---
    Mode mode() const { return mode_; }
    int currentCode() const;
    int rejectedLogins() const { return rejected_; }
    int unlockFailures() const { return unlockFailures_; }
    bool unlocked() const { return unlocked_; }
    int actionKeys(int code) const;
    int iscClears() const { return iscClears_; }
    int storedCodesClears() const { return codeClears_; }
    int coSetting() const { return cfg_.coSetting; }
    int cylinder() const { return cylinder_; }
    int cylinderChanges() const { return cylinderChanges_; }
    int cylinderRejects() const { return cylinderRejects_; }
    int bytesIgnored() const { return ignored_; }
    int movesHeard() const { return moves_; }
    // Every action key heard in a diagnosis session (see sim/ecuact.h).
    ActLog &acts() { return acts_; }
    int sessions() const { return sessions_; }
    const std::vector<int> &items() const { return cfg_.items; }

private:
    using Bytes = std::vector<std::uint8_t>;
    struct Script {
        Bytes keys;
        std::vector<Bytes> replies;
        Mode then;
        bool alive = true;
    };

    Bytes answer(std::uint8_t byte, Nanos at);
    Bytes identify();
    Bytes unlockStep(std::uint8_t byte);
    Bytes loginKey(std::uint8_t byte, Nanos at);
    Bytes diagKey(std::uint8_t byte, Nanos at);
    Bytes coKey(std::uint8_t byte, Nanos at);
    void actionKey(Nanos at);
    void trackIscSequence(std::uint8_t byte);
    bool cylinderKey(std::uint8_t byte);
    void enter(Mode mode, Nanos at);
    void reject();
    Bytes reading(std::uint8_t status, int data) const;
    Bytes diagReading(Nanos at);
    std::vector<Script> loginScripts() const;
    Script coScript() const;
    int expectedByte() const;
    bool actuator(int code) const { return cfg_.actuators.count(code) != 0; }
    int liveRaw(int code) const;
    int liveRpm() const;
    void send(VirtualCable &cable, Bytes reply, Nanos heardAt);

    AutoEcuConfig cfg_;
    Mode mode_ = Mode::Idle;
    bool unlocked_ = false;
    std::size_t unlockIndex_ = 0;
    std::vector<Script> scripts_;
    std::size_t scriptIndex_ = 0;
    std::size_t pointer_ = 0;
    bool fresh_ = false;
    int announceLeft_ = 0;
    Nanos lastCodeAt_ = 0;
    Nanos checkUntil_ = 0;
    int actionRun_ = 0;
    Bytes iscKeys_;
    std::size_t cylinderIndex_ = 0;
    std::uint8_t cylinderKey_ = 0;
    int cylinder_ = 1;

    bool silent_ = false;
    int replyBytes_ = -1;
    bool garbage_ = false;
    int muteNext_ = 0;
    Nanos silentUntil_ = 0;
    bool dropLosesSession_ = false;
    int holdMs_ = 0;
    int lateLeft_ = 0;
    int lateMs_ = 0;
    ActLog acts_;
    int sessions_ = 0;

    int rejected_ = 0;
    int unlockFailures_ = 0;
    std::map<int, int> actionKeys_;
    int iscClears_ = 0;
    int codeClears_ = 0;
    int cylinderChanges_ = 0;
    int cylinderRejects_ = 0;
    int ignored_ = 0;
    int moves_ = 0;
    mutable std::minstd_rand rng_{20260};
    mutable std::map<int, long> rampReadings_; // readings of each ramped item so far
};

} // namespace sim

#endif // AUTOECU_H
