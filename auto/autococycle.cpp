// SPDX-License-Identifier: GPL-3.0-or-later
#include "auto/autococycle.h"

#include <QDebug>

#include <climits>

using namespace AutoProtocol;

namespace AutoCoCycle {

namespace {
constexpr int kSessionFromStep = 55; // a reply off the pattern from here on opens the session
constexpr int kCylinderStep = 9;     // the step whose answer tells the cylinder count
constexpr int kKeyGroupStep = 34;
constexpr int kSingleGroupStep = 38;
constexpr int kTwinGroupStep = 41;
constexpr int kLastCountedStep = 33;
constexpr int kCoRawZero = 128; // raw CO setting of 0
constexpr int kRpmPerCount = 50;

// The cylinder change; step 12 carries the cylinder (hold for "1", up for "2").
constexpr KeyStep kCylinderSteps[] = {
    {0, 7, Action, Advance}, {8, 11, Hold, Advance},    {12, 12, Hold, 13},
    {13, 16, Hold, Advance}, {17, 25, Action, Advance}, {26, INT_MAX, Action, 0},
};
constexpr int kCylinderKeyStep = 12;
constexpr int kCylinderLastStep = 26;

void countReply(bool expected, int &step, LoginReading &reading)
{
    if (expected) {
        qDebug().noquote() << "login=1";
        if (step < kCylinderStep) {
            ++step;
            qDebug().noquote() << "login=ce2";
        } else if (step == kCylinderStep) {
            step = kSingleGroupStep;
        }
        qDebug().noquote() << QString::number(step);
        return;
    }
    qDebug().noquote() << "tick cerr= " + QString::number(step);
    if (step >= kSessionFromStep) {
        reading.sessionUp = true;
        step = 0;
        qDebug().noquote() << "tick 55";
    }
}
} // namespace

std::uint8_t loginKey(int &step)
{
    std::uint8_t key = Identify;
    keyFor(CoLoginSteps, step, key);
    return key;
}

LoginReading readLogin(std::uint8_t key, int &step, QString &expectedReply,
                       const QStringList &fields)
{
    LoginReading reading;
    reading.tooShort = tooShort(fields, step);
    if (reading.tooShort)
        return reading;
    const QString last = fields.last();
    // Only the ECU's own answer identifies or acknowledges (see
    // AutoCycle::readLogin): past the acknowledgement come action keys.
    const bool answer = answersKey(fields, key);
    if (key == Identify && answer)
        applyModelCode(matchModel(CoLoginModels, last), step, expectedReply);
    if (key == Action && last == QLatin1String("80") && step >= 1 && step <= kLastCountedStep)
        expectedReply = "81";
    if (last == QLatin1String("10") || last == QLatin1String("90")) {
        if (step < kKeyGroupStep && answer) {
            qDebug().noquote() << "login=ce";
            step = kKeyGroupStep;
        }
    } else if (last == QLatin1String("1") && fieldFromEnd(fields, 3) == QLatin1String("40")
               && step == kCylinderStep) {
        step = kTwinGroupStep;
        reading.twinCylinder = true;
        qDebug().noquote() << "login=r25";
    } else {
        countReply(last == expectedReply, step, reading);
    }
    return reading;
}

CylinderKey cylinderKey(int &step, State wanted)
{
    const int sent = step;
    std::uint8_t key = Action;
    keyFor(kCylinderSteps, step, key);
    if (sent == kCylinderKeyStep && wanted == State::CylinderTwo)
        key = Up;
    return {key, sent >= kCylinderLastStep};
}

Reading read(const QStringList &fields)
{
    Reading reading;
    reading.lost = fields.size() == 1;
    if (fields.size() != SessionFields)
        return reading;
    reading.whole = true;
    reading.rpm = fields.value(1).toInt(nullptr, 16) * kRpmPerCount;
    reading.hasCo = !showsCode(fields.value(3));
    if (reading.hasCo)
        reading.co = fields.value(4).toInt(nullptr, 16) - kCoRawZero;
    return reading;
}

} // namespace AutoCoCycle
