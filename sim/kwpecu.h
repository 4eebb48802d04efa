// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef KWPECU_H
#define KWPECU_H

// A simulated ISO 14230 (KWP 2000) motorcycle ECU behind the K-line cable.
//
//   auto ecu = std::make_shared<sim::KwpEcu>(sim::KwpEcuConfig::demo());
//   sim::VirtualCable::instance().seat(ecu);
//
// It listens at 10400 baud only (10399 after the chip's rounding) and wakes
// only on a fast-init pulse: DTR low for a width inside [pulseMinMs,
// pulseMaxMs], then high. After StartCommunication it answers well-formed
// frames (format, target 0xF0, source 0x10, service + 0x40, data, checksum)
// a response time of 25 to 50 ms after the request's last byte. Frames with
// a wrong checksum, wrong addresses or a gap of more than 20 ms between two
// bytes are ignored; a session with no request for sessionTimeoutMs is over
// and the ECU stays silent until the next wake-up.
//
// Services: 0x81 StartCommunication, 0x10 StartDiagnosticSession, 0x21
// ReadDataByLocalIdentifier 0xFE, 0x3E TesterPresent, 0x18 fault codes by
// status (0x20 history, 0xA1 current), 0x14 clear, and the local routine
// 0x31 0x70 with parameter 0xCA (report the pointer's item), 0xCB / 0xCC
// (move the pointer, wrapping round its item list), 0xCE 0x20 (login) and
// 0xCE 0x08 (actuator check, reported with 0xD1 while it lasts). Anything
// else gets a negative response (0x7F).
//
// Item reports: 71 70 marker code raw 00 00, so that marker, code and raw
// value stand 6, 5 and 4 places from the end of the tester's reply list.
// Fault-code answers: 58 count, then code high, code low, status per record.
// The current-code answer counts each record twice (it reports two status
// bits per code), which is how the tool reads row 62.
//
// CO mode: a login that moves the pointer up right after the login routine
// and then requests coEntryActions actuator checks puts the ECU in CO mode,
// where the hold routine answers 71 70 C8 00 00 rpmHigh rpmLow (without the
// speed bytes while the engine is off).
#include "sim/ecuact.h"
#include "sim/ramp.h"
#include "sim/virtualcable.h"

#include <cstdint>
#include <vector>

namespace sim {

struct KwpItem {
    int code;
    int raw;
    bool actuator = false;
    int wobble = 0; // the value wanders by up to this much
    Ramp ramp{};    // active: the value climbs and falls as it is reported instead
};

struct KwpDtc {
    int code; // 0x0113 is shown as P0113
    int status = 0x20;
};

struct KwpEcuConfig {
    std::vector<KwpItem> items{{1, 0x20}, {2, 0x40}, {3, 0x60}};
    int startIndex = 0; // pointer position at power-up
    double pulseMinMs = 19.5;
    double pulseMaxMs = 45.0; // generous: a loaded PC stretches the pulse
    int responseMs = 30;      // clamped to 25 .. 50
    int sessionTimeoutMs = 5000;
    int actuatorMs = 1500;
    std::vector<KwpDtc> history;
    std::vector<KwpDtc> current;
    int extraDtcCount = 0; // the count byte claims this much more than sent
    int rpm = 1500;
    int rpmWobble = 0;
    bool engineRunning = true;
    int coEntryActions = 1; // 0: CO reports right after the login routine
    // The answer to a move still reports the item left; the new item's code
    // comes one reply late, with the next hold.
    bool staleMoveAnswer = false;

    // A bike worth looking at in the demo.
    static KwpEcuConfig demo();
};

enum class KwpRequest {
    Any,
    StartComm,
    StartSession,
    ReadLocalId,
    LoginRoutine,
    Hold,
    Up,
    Down,
    Action,
    TesterPresent,
    ReadDtc,
    ClearDtc,
    Other
};

enum class KwpFault {
    Silence,  // heard, not answered
    Negative, // 7F service 22
    Garbage,  // bytes that are no frame
};

class KwpEcu : public EcuModel
{
public:
    explicit KwpEcu(KwpEcuConfig config = KwpEcuConfig());

    void onByte(VirtualCable &cable, std::uint8_t byte, Nanos heardAt,
                const LineState &line) override;
    void onDtr(VirtualCable &cable, bool level, Nanos at) override;

    KwpEcuConfig &config() { return config_; }
    // The next `count` requests of the kind get the fault (-1: until cleared).
    void injectFault(KwpRequest which, KwpFault how, int count = 1);
    void clearFaults() { faults_.clear(); }
    void setSilent(bool silent) { silent_ = silent; }
    void setPointer(int index);
    int pointerIndex() const { return pointer_; }
    int pointerCode() const;
    bool awake() const { return awake_; }
    bool coMode() const { return phase_ == Phase::Co; }
    // The next `count` answers come `ms` later than their response time.
    void answerLate(int count, int ms)
    {
        lateLeft_ = count;
        lateMs_ = ms;
    }
    // Every actuator check and every clear heard in a diagnosis session.
    ActLog &acts() { return acts_; }

    struct Heard {
        KwpRequest request;
        std::vector<std::uint8_t> frame;
        Nanos at; // end of the frame's last byte
    };
    // Every frame heard; a long demo run keeps only the latest (the oldest
    // half goes once kHeardKept are recorded). clearHeard empties it.
    const std::vector<Heard> &heard() const { return heard_; }
    void clearHeard() { heard_.clear(); }
    static constexpr std::size_t kHeardKept = 20000;
    int heardCount(KwpRequest request) const;
    int ignoredFrames() const { return ignored_; }
    const std::vector<double> &pulseWidthsMs() const { return pulses_; }
    int wakeUps() const { return wakeUps_; }

    // Frame helpers, also used by tests: checksum and a whole answer frame.
    static std::uint8_t checksum(const std::vector<std::uint8_t> &bytes);
    static std::vector<std::uint8_t> answerFrame(const std::vector<std::uint8_t> &data);

private:
    enum class Phase { Fresh, Select, Diag, CoArming, Co };
    using Bytes = std::vector<std::uint8_t>;

    bool listening(const LineState &line) const;
    std::size_t expectedLength() const;
    bool acceptable(const Bytes &frame, Nanos at);
    void handleFrame(VirtualCable &cable, const Bytes &frame, Nanos at);
    bool applyFault(KwpRequest request, const Bytes &frame, Bytes &answer);
    static KwpRequest classify(const Bytes &frame);
    Bytes answerFor(KwpRequest request, const Bytes &frame, Nanos at);
    Bytes routine(KwpRequest request, Nanos at);
    Bytes itemReport(Nanos at);
    Bytes coReport();
    Bytes action(Nanos at);
    Bytes dtcAnswer(int status);
    static Bytes negative(std::uint8_t service, std::uint8_t code);

    KwpEcuConfig config_;
    struct Fault {
        KwpRequest which;
        KwpFault how;
        int count;
    };
    std::vector<Fault> faults_;
    Bytes buffer_;
    Nanos lastByteAt_ = 0;
    Nanos lowSince_ = -1;
    Nanos lastFrameAt_ = 0;
    Nanos checkUntil_ = 0;
    bool awake_ = false;
    bool communicating_ = false;
    bool silent_ = false;
    Phase phase_ = Phase::Fresh;
    int coActions_ = 0;
    int pointer_ = 0;
    unsigned reports_ = 0;
    std::vector<long> rampReports_; // value reports of each item so far, by list place
    std::vector<Heard> heard_;
    int ignored_ = 0;
    std::vector<double> pulses_;
    int wakeUps_ = 0;
    int lateLeft_ = 0;
    int lateMs_ = 0;
    ActLog acts_;
};

} // namespace sim

#endif // KWPECU_H
