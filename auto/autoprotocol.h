// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef AUTOPROTOCOL_H
#define AUTOPROTOCOL_H

// The single-byte protocol of the Auto ECUs: the waits, the model codes the
// ECU answers to `identify`, and the step tables of its key sequences (the
// keys themselves are in link/linebytes.h). QtCore only: the trace reader
// names models and keys from the same tables.

#include "ecu/linebytes.h"
#include "ecu/valuepace.h"

#include <QString>

#include <array>
#include <climits>
#include <cstdint>

namespace AutoProtocol {

using namespace AutoKey;

constexpr int LoginWaitMs = 10;
constexpr int SessionWaitMs = 50;
static_assert(SessionWaitMs >= ValuePace::FastestMs, "the journal keeps an hour at this pace");
constexpr int CylinderWaitMs = 10;
constexpr int FaultSlots = 100; // Auto fault-code catalogue

// A model code as the last byte of the answer to `identify`. `expected` is
// the byte the CO login counts as "in step" afterwards; NoExpectation keeps
// what was expected before.
constexpr int NoExpectation = -2;
struct ModelCode {
    int code;
    const char *name;
    int nextStep;
    int expected;
};

constexpr ModelCode LoginModels[] = {
    {0x00, "vixion", 1, 0x1},    {0x01, "mio j", 1, 0x0},   {0x02, "soul gt", 1, 0x0},
    {0x03, "xride new", 1, 0x0}, {0x48, "aerox", -10, 0x0}, {0x80, "error", 1, NoExpectation},
};

// The CO login knows no model 48; a login error expects 0x81 afterwards.
constexpr ModelCode CoLoginModels[] = {
    {0x00, "vixion", 1, 0x1},    {0x01, "mio j", 1, 0x0},  {0x02, "soul gt", 1, 0x0},
    {0x03, "xride new", 1, 0x0}, {0x80, "error", 1, 0x81},
};

template <std::size_t N>
const ModelCode *matchModel(const ModelCode (&table)[N], int code)
{
    for (const ModelCode &model : table) {
        if (model.code == code)
            return &model;
    }
    return nullptr;
}

// One row of a key-sequence table: steps from..to send `key`; the step then
// becomes `next`, or step + 1 (Advance), or stays (Stay).
constexpr int Advance = INT_MIN;
constexpr int Stay = INT_MIN + 1;
struct KeyStep {
    int from;
    int to;
    std::uint8_t key;
    int next;
};

// Steps of the login; every step not listed sends `identify`. The ten
// unlock steps -10..-1 are handled apart.
constexpr KeyStep LoginSteps[] = {
    {1, 1, Action, Stay},    {2, 2, Hold, 3},  {3, 17, Action, Advance},
    {18, 43, Hold, Advance}, {44, 44, Up, 45}, {45, 50, Hold, Advance},
    {51, 51, Hold, 44},
};
constexpr int UnlockFirstStep = -10;
constexpr int AcknowledgeStep = 1;
constexpr int ScanGroupStart = 44;
constexpr int ScanFromStep = 40; // announcements count once the step exceeds this

constexpr KeyStep CoLoginSteps[] = {
    {1, 33, Action, Stay},   {34, 34, Hold, 35},
    {35, 35, Up, 36},        {36, 36, Hold, 37},
    {37, 37, Up, 1},         {38, 38, Up, 39},
    {39, 40, Hold, Advance}, {41, 41, Up, 42},
    {42, 45, Hold, Advance}, {46, INT_MAX - 1, Action, Advance},
};

// The cylinder change; step 12 carries the cylinder (hold for "1", up for "2").
constexpr KeyStep CylinderSteps[] = {
    {0, 7, Action, Advance}, {8, 11, Hold, Advance},    {12, 12, Hold, 13},
    {13, 16, Hold, Advance}, {17, 25, Action, Advance}, {26, INT_MAX, Action, 0},
};
constexpr int CylinderKeyStep = 12;
constexpr int CylinderLastStep = 26;

// The key sequence of an actuator check, by its step.
constexpr KeyStep ActionSteps[] = {
    {1, 9, Action, Advance},
    {10, 20, Hold, Advance},
    {21, 30, Action, Advance},
    {31, 40, Hold, Advance},
    {41, INT_MAX - 1, Action, Advance},
};
constexpr int ActionEnd = 10;    // nine action keys
constexpr int IscActionEnd = 50; // item 67: the 49-key sequence
constexpr int IscItem = 67;

// The key for `step` from `table` and the step that follows it; `fallback`
// when no row holds the step (which then stays).
struct KeyAndStep {
    std::uint8_t key;
    int step;
};
template <std::size_t N>
constexpr KeyAndStep keyFor(const KeyStep (&table)[N], int step, std::uint8_t fallback)
{
    for (const KeyStep &row : table) {
        if (step < row.from || step > row.to)
            continue;
        const int next = row.next == Advance ? step + 1 : row.next == Stay ? step : row.next;
        return {row.key, next};
    }
    return {fallback, step};
}

// The ten bytes that open a locked (model 48) ECU, built from their pieces.
std::array<std::uint8_t, 10> unlockSequence();

} // namespace AutoProtocol

#endif // AUTOPROTOCOL_H
