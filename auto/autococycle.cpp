// SPDX-License-Identifier: GPL-3.0-or-later
#include "auto/autococycle.h"

#include "auto/autoprotocol.h"
#include "auto/keystep.h"

#include <QDebug>

#include <cstdint>

using namespace AutoProtocol;

namespace {
constexpr int kSessionFromStep = 55; // a reply off the pattern from here on opens the session
constexpr int kCylinderStep = 9;     // the step whose answer tells the cylinder count
constexpr int kKeyGroupStep = 34;
constexpr int kSingleGroupStep = 38;
constexpr int kTwinGroupStep = 41;
constexpr int kLastCountedStep = 33;
constexpr int kCoRawZero = 128; // raw CO setting of 0
constexpr int kRpmPerCount = 50;
constexpr int kTwinMarker = 0x40;
constexpr int kLoginError = 0x80;
constexpr int kLoginErrorExpected = 0x81;
} // namespace

Step AutoCoCycle::next()
{
    // A tick is one key: the step after it ends the tick, the timer running on.
    if (keySent_) {
        keySent_ = false;
        return Step();
    }
    keySent_ = true;
    asked_ = state_;
    switch (state_) {
    case State::Login: return loginKey();
    case State::CylinderOne:
    case State::CylinderTwo: return cylinderKey();
    case State::Session: return sessionKey();
    }
    return sessionKey();
}

Effects AutoCoCycle::onReply(const QByteArray &answer)
{
    const AutoReply reply = AutoReply::parse(answer);
    switch (asked_) {
    case State::Login: return readLogin(reply);
    case State::Session: return readSession(reply);
    case State::CylinderOne:
    case State::CylinderTwo: break; // the change's answers are not examined
    }
    return {};
}

bool AutoCoCycle::cylinder(int index)
{
    const State change = index == 1 ? State::CylinderTwo : State::CylinderOne;
    // The keys of a change mean something else to an ECU still logging in:
    // a choice made meanwhile waits for the session.
    if (state_ == State::Login)
        wanted_ = change;
    else
        state_ = change;
    return true;
}

int AutoCoCycle::cylinderOwed() const
{
    return int(state_ == State::CylinderOne || state_ == State::CylinderTwo ? state_ : wanted_);
}

// --- login ---

Step AutoCoCycle::loginKey()
{
    const KeyAndStep key = keyFor(CoLoginSteps, loginStep_, Identify);
    loginStep_ = key.step;
    sent_ = key.key;
    return keyStep(key.key, SessionWaitMs, QString());
}

Effects AutoCoCycle::readLogin(const AutoReply &reply)
{
    Effects out;
    if (reply.tooShort()) {
        loginStep_ = 0;
        return out;
    }
    // Only the ECU's own answer identifies or acknowledges (as in the
    // polling login): past the acknowledgement come action keys.
    const bool answer = reply.answers(sent_);
    const ModelCode *model =
        sent_ == Identify && answer ? matchModel(CoLoginModels, reply.last) : nullptr;
    if (model && loginStep_ == 0) {
        qDebug().noquote() << QStringLiteral("login=") + QLatin1String(model->name);
        out.ecuNamed = QLatin1String(model->name);
        loginStep_ = model->nextStep;
        expectedReply_ = model->expected;
    }
    if (sent_ == Action && reply.last == kLoginError && loginStep_ >= 1
        && loginStep_ <= kLastCountedStep)
        expectedReply_ = kLoginErrorExpected;
    if (reply.acknowledges()) {
        if (loginStep_ < kKeyGroupStep && answer) {
            qDebug().noquote() << "login=ce";
            loginStep_ = kKeyGroupStep;
        }
    } else if (reply.last == 0x1 && reply.status == kTwinMarker && loginStep_ == kCylinderStep) {
        loginStep_ = kTwinGroupStep;
        out.offerCylinders = true;
        qDebug().noquote() << "login=r25";
    } else {
        countReply(reply.last == expectedReply_, out);
    }
    return out;
}

void AutoCoCycle::countReply(bool inStep, Effects &out)
{
    if (inStep) {
        qDebug().noquote() << "login=1";
        if (loginStep_ < kCylinderStep) {
            ++loginStep_;
            qDebug().noquote() << "login=ce2";
        } else if (loginStep_ == kCylinderStep) {
            loginStep_ = kSingleGroupStep;
        }
        qDebug().noquote() << QString::number(loginStep_);
        return;
    }
    qDebug().noquote() << "tick cerr= " + QString::number(loginStep_);
    if (loginStep_ < kSessionFromStep)
        return;
    loginStep_ = 0;
    qDebug().noquote() << "tick 55";
    // A cylinder chosen while the login ran is changed now.
    state_ = wanted_ != State::Login ? wanted_ : State::Session;
    wanted_ = State::Login;
    out.status = Status::EngineOn;
}

// --- cylinder change ---

Step AutoCoCycle::cylinderKey()
{
    const int step = cylinderStep_;
    KeyAndStep key = keyFor(CylinderSteps, step, Action);
    if (step == CylinderKeyStep && state_ == State::CylinderTwo)
        key.key = Up;
    cylinderStep_ = key.step;
    if (step >= CylinderLastStep)
        state_ = State::Session; // the last key: the session reads again
    sent_ = key.key;
    return keyStep(key.key, CylinderWaitMs, QStringLiteral("login cyl:"));
}

// --- session ---

Step AutoCoCycle::sessionKey()
{
    // An Up or Down press goes out in place of the reading: its answer is a
    // reading like any, with the new CO setting in it.
    sent_ = keyWaiting() ? takeKey() : Hold;
    return keyStep(sent_, SessionWaitMs, QString());
}

Effects AutoCoCycle::readSession(const AutoReply &reply)
{
    Effects out;
    if (reply.isReading()) {
        out.rpm = reply.speedCount * kRpmPerCount;
        // While the ECU shows an item code the CO setting keeps its last value.
        if (!reply.showsCode())
            out.co = reply.shown - kCoRawZero;
    } else {
        out.rpm = 0;
        out.co = 0;
    }
    out.display = true;
    if (reply.size == 1) {
        state_ = State::Login;
        out.status = Status::EngineOff;
    }
    return out;
}
