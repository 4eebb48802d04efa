// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef AUTOPROTOCOL_H
#define AUTOPROTOCOL_H

// The single-byte protocol of the Auto ECUs: key bytes, the model codes the
// ECU answers to `identify`, and the step tables of its key sequences.

#include <QString>
#include <QStringList>

#include <array>
#include <climits>
#include <cstdint>

namespace AutoProtocol {

constexpr std::uint8_t Identify = 0xFE;
constexpr std::uint8_t Hold = 0xCA;
constexpr std::uint8_t Up = 0xCB;
constexpr std::uint8_t Down = 0xCC;
constexpr std::uint8_t Action = 0xCE;

constexpr int LoginWaitMs = 10;
constexpr int SessionWaitMs = 50;
constexpr int SessionFields = 6;
constexpr int LoginAnswerFields = 3; // the echo and two bytes: identify and the acknowledgement
constexpr int FaultSlots = 100;      // Auto fault-code catalogue

// A model code as the last reply field; expected == nullptr keeps
// expectedReply as it is.
struct ModelCode {
    const char *field;
    const char *log;
    int nextStep;
    const char *expected;
};

constexpr ModelCode LoginModels[] = {
    {"0", "login=vixion", 1, "1"},   {"1", "login=mio j", 1, "0"},
    {"2", "login=soul gt", 1, "0"},  {"3", "login=xride new", 1, "0"},
    {"48", "login=aerox", -10, "0"}, {"80", "login=error", 1, nullptr},
};

// The CO login knows no model 48; a login error expects "81" afterwards.
constexpr ModelCode CoLoginModels[] = {
    {"0", "login=vixion", 1, "1"},  {"1", "login=mio j", 1, "0"},
    {"2", "login=soul gt", 1, "0"}, {"3", "login=xride new", 1, "0"},
    {"80", "login=error", 1, "81"},
};

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
constexpr int ScanGroupStart = 44;
constexpr int ScanFromStep = 40; // announcements count once the step exceeds this

constexpr KeyStep CoLoginSteps[] = {
    {1, 33, Action, Stay},   {34, 34, Hold, 35},
    {35, 35, Up, 36},        {36, 36, Hold, 37},
    {37, 37, Up, 1},         {38, 38, Up, 39},
    {39, 40, Hold, Advance}, {41, 41, Up, 42},
    {42, 45, Hold, Advance}, {46, INT_MAX - 1, Action, Advance},
};

// The key sequence of an actuator check, by actionStep.
constexpr KeyStep ActionSteps[] = {
    {1, 9, Action, Advance},
    {10, 20, Hold, Advance},
    {21, 30, Action, Advance},
    {31, 40, Hold, Advance},
    {41, INT_MAX - 1, Action, Advance},
};
constexpr int ActionEnd = 10;    // nine action keys
constexpr int IscActionEnd = 50; // item 67: the 49-key sequence

// The key for `step` from `table`, advancing `step`; false when no row holds it.
template <std::size_t N>
bool keyFor(const KeyStep (&table)[N], int &step, std::uint8_t &key)
{
    for (const KeyStep &row : table) {
        if (step < row.from || step > row.to)
            continue;
        key = row.key;
        if (row.next == Advance)
            ++step;
        else if (row.next != Stay)
            step = row.next;
        return true;
    }
    return false;
}

template <std::size_t N>
const ModelCode *matchModel(const ModelCode (&table)[N], const QString &field)
{
    for (const ModelCode &model : table) {
        if (field == QLatin1String(model.field))
            return &model;
    }
    return nullptr;
}

// Takes the model's login step and expected reply; only a login that has
// not identified its ECU yet (step 0) accepts a model code.
void applyModelCode(const ModelCode *model, int &step, QString &expectedReply);

// The ten bytes that open a locked (model 48) ECU, built from their pieces.
std::array<std::uint8_t, 10> unlockSequence();

// Reply text "fe,0,1," -> fields fe, 0, 1; an empty text gives no field.
QStringList replyFields(const QString &reply);

// Fewer than three fields: a login starts over from identification.
inline bool tooShort(const QStringList &fields, int &step)
{
    if (fields.size() >= 3)
        return false;
    step = 0;
    return true;
}

// The ECU's two-byte answer to `key` (identify, the acknowledging action
// key): the key's echo comes first. The first bytes of a late reading, read
// while the key still waited for the line, are no answer.
inline bool answersKey(const QStringList &fields, std::uint8_t key)
{
    return fields.size() == LoginAnswerFields && fields.first() == QString::number(key, 16);
}

inline QString fieldFromEnd(const QStringList &fields, int back)
{
    return fields.value(fields.size() - back);
}
inline bool showsCode(const QString &status)
{
    return status == "40" || status == "c0";
}
inline bool showsValue(const QString &status)
{
    return status == "0" || status == "80";
}
inline bool showsCheck(const QString &status)
{
    return status == "80" || status == "c0";
}

} // namespace AutoProtocol

#endif // AUTOPROTOCOL_H
