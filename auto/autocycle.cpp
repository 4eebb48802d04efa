// SPDX-License-Identifier: GPL-3.0-or-later
#include "auto/autocycle.h"

#include "scanpass.h"

#include <QDebug>

using namespace AutoProtocol;

namespace AutoCycle {

LoginKey loginKey(int &step)
{
    if (step >= -10 && step <= -1) {
        const std::uint8_t key = unlockSequence()[std::size_t(step + 10)];
        ++step;
        return {key, false, false};
    }
    const bool scanGroup = step == ScanGroupStart;
    std::uint8_t key = Identify;
    keyFor(LoginSteps, step, key);
    return {key, scanGroup, scanGroup};
}

LoginReading readLogin(std::uint8_t key, int &step, QString &expectedReply,
                       const QStringList &fields)
{
    LoginReading reading;
    reading.tooShort = tooShort(fields, step);
    if (reading.tooShort)
        return reading;
    const int keyStep = step;
    // Only the ECU's own answer to the key identifies or acknowledges: a
    // reading or a late answer that happens to end in a model code or an
    // acknowledgement would send the login keys, action keys among them, to
    // an ECU in its diagnosis.
    const bool shortAnswer = answersKey(fields, key);
    if (key == Identify) {
        reading.newTable = step == 0;
        if (shortAnswer)
            applyModelCode(matchModel(LoginModels, fields.last()), step, expectedReply);
    }
    if (shortAnswer
        && (fields.last() == QLatin1String("10") || fields.last() == QLatin1String("90"))
        && step == 1) {
        qDebug().noquote() << "login=ce";
        step = 2;
    }
    if (showsCode(fieldFromEnd(fields, 3)) && keyStep > ScanFromStep) {
        qDebug().noquote() << "table  add";
        const int code = fieldFromEnd(fields, 2).toInt(nullptr, 16);
        qDebug().noquote() << "code " + QString::number(code) + " " + QString::number(code);
        // Only a whole ECU reading announces an item: a broken or glued
        // answer would put a row in the table that the ECU does not have.
        reading.announced = fields.size() == SessionFields;
        reading.code = code;
        step = ScanGroupStart;
    }
    return reading;
}

ScanStep scanItem(int code, int &scanPass, int rows, int moves)
{
    ScanStep step;
    step.restart = ScanPass::outOfStep(scanPass, rows, moves);
    if (code != 1) {
        step.addRow = scanPass == 1; // items met before item 1 are not listed
        return step;
    }
    if (scanPass == 1) {
        step.sessionUp = true;
        scanPass = 0;
        return step;
    }
    step.restart = true;
    step.addRow = true;
    scanPass = 1;
    return step;
}

SessionKey sessionKey(const SessionView &view, const EcuPointer &pointer, int &actionStep)
{
    SessionKey out;
    if (view.checkRunning || view.checkMayStart) {
        out.checkStarts = !view.checkRunning;
        keyFor(ActionSteps, actionStep, out.key);
        out.checkEnds = actionStep >= (view.iscCheck ? IscActionEnd : ActionEnd);
        return out;
    }
    // The ECU moves only when it has just shown a code; the way is decided
    // now, toward the row selected now.
    const bool mayMove = view.nextCommand == Up || view.nextCommand == Down;
    const bool target = view.selectedRow >= 0 && view.selectedRow < view.rows;
    if (mayMove && target && pointer.row() != view.selectedRow) {
        out.move = view.selectedRow > pointer.row() ? 1 : -1;
        out.key = out.move > 0 ? Up : Down;
    }
    return out;
}

SessionVerdict judgeSession(const QStringList &fields, EcuPointer &pointer,
                            const QList<QString> &codes, const SessionView &view,
                            const QString &checkCode)
{
    SessionVerdict out;
    if (fields.size() != SessionFields) {
        out.lost = fields.size() == 1;
        out.malformed = true;
        return out;
    }
    const QString status = fields.value(3);
    const QString data = fields.value(4);
    if (showsCode(status)) {
        bool ok = false;
        const int code = data.toInt(&ok, 16);
        if (!checkCode.isEmpty() && (!ok || QString::number(code) != checkCode))
            out.abortCheck = true;
        if (ok && pointer.reported(code, codes, view.rows) == EcuPointer::Report::Unknown) {
            out.outOfStep = true;
            return out;
        }
    }
    if (pointer.standsOn(view.selectedRow)) {
        out.selectionReached = true;
        out.writeValue = showsValue(status);
        out.raw = data;
        out.setCheckLabel = true;
        out.checking = showsCheck(status);
    } else if (pointer.row() != view.selectedRow && showsCode(status)) {
        out.nextCommand = view.selectedRow > pointer.row() ? Up : Down;
    }
    return out;
}

} // namespace AutoCycle
