// SPDX-License-Identifier: GPL-3.0-or-later
// What the simulated KWP ECU answers to each request (the data bytes; the
// frame around them is added by KwpEcu::answerFrame).
#include "sim/kwpecu.h"

#include <algorithm>
#include <cstdint>

namespace sim {

namespace {
constexpr Nanos kMs = 1000000;
constexpr std::uint8_t kRoutineId = 0x70;
constexpr std::uint8_t kValueReport = 0xD0;
constexpr std::uint8_t kChecking = 0xD1;
constexpr std::uint8_t kCoReport = 0xC8;
constexpr std::uint8_t kServiceNotSupported = 0x11;
constexpr std::uint8_t kSubFunctionNotSupported = 0x12;
constexpr std::uint8_t kHistoryStatus = 0x20;
constexpr std::uint8_t kCurrentStatus = 0xA1;
constexpr std::size_t kMaxRecords = 20; // 2 + 3 * 20 data bytes fit a frame
const std::uint8_t kEcuIdent[] = {'T', 'X', '3'};
} // namespace

std::vector<std::uint8_t> KwpEcu::negative(std::uint8_t service, std::uint8_t code)
{
    return {0x7F, service, code};
}

std::vector<std::uint8_t> KwpEcu::answerFor(KwpRequest request, const Bytes &frame, Nanos at)
{
    switch (request) {
    case KwpRequest::StartComm:
        communicating_ = true;
        return {0xC1, 0xEF, 0x8F}; // key bytes: normal timing, format with addresses
    case KwpRequest::StartSession:
        return frame.size() == 6 ? Bytes{0x50, frame[4]} : negative(0x10, kSubFunctionNotSupported);
    case KwpRequest::ReadLocalId:
        if (frame.size() != 6 || frame[4] != 0xFE)
            return negative(0x21, kSubFunctionNotSupported);
        return {0x61, 0xFE, kEcuIdent[0], kEcuIdent[1], kEcuIdent[2]};
    case KwpRequest::TesterPresent: return {0x7E};
    case KwpRequest::ReadDtc: return dtcAnswer(frame.size() > 5 ? frame[4] : 0);
    case KwpRequest::ClearDtc:
        acts_.record({EcuAct::Kind::Clear, -1, 0, wakeUps_, true, at});
        config_.history.clear();
        config_.current.clear();
        return {0x54, 0xFF, 0xFF};
    case KwpRequest::Other:
        return negative(frame[3],
                        frame[3] == 0x31 ? kSubFunctionNotSupported : kServiceNotSupported);
    default: return routine(request, at);
    }
}

std::vector<std::uint8_t> KwpEcu::routine(KwpRequest request, Nanos at)
{
    if (request == KwpRequest::LoginRoutine) {
        phase_ = config_.coEntryActions <= 0 ? Phase::Co : Phase::Select;
        return {0x71, kRoutineId, 0xCE, 0x20};
    }
    if (request == KwpRequest::Action)
        return action(at);
    if (config_.items.empty())
        return negative(0x31, kSubFunctionNotSupported);
    if (request == KwpRequest::Up || request == KwpRequest::Down) {
        // Moving straight after the login routine asks for CO mode.
        if (phase_ == Phase::Select && request == KwpRequest::Up)
            phase_ = Phase::CoArming;
        const Bytes left = phase_ == Phase::Co ? coReport() : itemReport(at);
        setPointer(pointer_ + (request == KwpRequest::Up ? 1 : -1));
        if (config_.staleMoveAnswer)
            return left;
    }
    return phase_ == Phase::Co ? coReport() : itemReport(at);
}

std::vector<std::uint8_t> KwpEcu::itemReport(Nanos at)
{
    const KwpItem &item = config_.items[std::size_t(pointer_)];
    if (at < checkUntil_)
        return {0x71, kRoutineId, kChecking, std::uint8_t(item.code), 0x00, 0x00, 0x00};
    int raw = item.raw;
    if (item.ramp.active()) {
        rampReports_.resize(config_.items.size());
        raw = item.ramp.at(rampReports_[std::size_t(pointer_)]++);
    } else if (item.wobble > 0)
        raw += int(reports_ % unsigned(2 * item.wobble + 1)) - item.wobble;
    ++reports_;
    return {0x71,
            kRoutineId,
            kValueReport,
            std::uint8_t(item.code),
            std::uint8_t(std::clamp(raw, 0, 255)),
            0x00,
            0x00};
}

std::vector<std::uint8_t> KwpEcu::coReport()
{
    if (!config_.engineRunning)
        return {0x71, kRoutineId, kCoReport, 0x00, 0x00};
    int rpm = config_.rpm;
    if (config_.rpmWobble > 0)
        rpm += int(reports_ % unsigned(2 * config_.rpmWobble + 1)) - config_.rpmWobble;
    ++reports_;
    rpm = std::clamp(rpm, 0, 0xFFFF);
    return {0x71, kRoutineId, kCoReport, 0x00, 0x00, std::uint8_t(rpm >> 8), std::uint8_t(rpm)};
}

std::vector<std::uint8_t> KwpEcu::action(Nanos at)
{
    const Bytes ack{0x71, kRoutineId, 0xCE, 0x08};
    switch (phase_) {
    case Phase::Fresh:
    case Phase::Select:
        phase_ = Phase::Diag; // the ordinary login confirms diagnosis
        return ack;
    case Phase::CoArming:
        if (++coActions_ >= config_.coEntryActions)
            phase_ = Phase::Co;
        return ack;
    case Phase::Co: return ack;
    case Phase::Diag: break;
    }
    const bool actuator = !config_.items.empty() && config_.items[std::size_t(pointer_)].actuator;
    acts_.record({EcuAct::Kind::Check, config_.items.empty() ? -1 : pointer_, pointerCode(),
                  wakeUps_, actuator, at});
    if (!actuator)
        return negative(0x31, kSubFunctionNotSupported);
    checkUntil_ = at + Nanos(config_.actuatorMs) * kMs;
    return ack;
}

std::vector<std::uint8_t> KwpEcu::dtcAnswer(int status)
{
    if (status != kHistoryStatus && status != kCurrentStatus)
        return negative(0x18, kSubFunctionNotSupported);
    const std::vector<KwpDtc> &codes = status == kHistoryStatus ? config_.history : config_.current;
    const std::size_t records = std::min(codes.size(), kMaxRecords);
    const int perRecord = status == kHistoryStatus ? 1 : 2;
    const int count = std::clamp(int(records) * perRecord + config_.extraDtcCount, 0, 255);
    Bytes data{0x58, std::uint8_t(count)};
    for (std::size_t k = 0; k < records; ++k) {
        data.push_back(std::uint8_t(codes[k].code >> 8));
        data.push_back(std::uint8_t(codes[k].code));
        data.push_back(std::uint8_t(codes[k].status));
    }
    return data;
}

KwpEcuConfig KwpEcuConfig::demo()
{
    KwpEcuConfig c;
    c.items = {{1, 0x24, false, 2}, {3, 0x62, false, 1}, {5, 0x47},           {6, 0x5A, false, 1},
               {7, 0x00},           {8, 0x66},           {9, 0xB4, false, 1}, {11, 0x60},
               {20, 0x00},          {21, 0x01},          {30, 0x00, true},    {36, 0x00, true},
               {50, 0x00, true},    {51, 0x00, true}};
    c.history = {{0x0113, 0x20}, {0x0335, 0x20}, {0x0122, 0x20}};
    c.current = {{0x0122, 0xA1}};
    c.rpm = 1450;
    c.rpmWobble = 20;
    c.actuatorMs = 2000;
    return c;
}

} // namespace sim
