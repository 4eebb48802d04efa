// SPDX-License-Identifier: GPL-3.0-or-later
#include "trace/replayjudge.h"

namespace trace {

namespace {

const Kind kShownKinds[] = {Kind::UiStatus, Kind::UiCable, Kind::UiInfo, Kind::UiValue};

QString quoted(const QByteArray &utf8)
{
    return '"' + QString::fromUtf8(utf8) + '"';
}

// The reason beside "Not Connect." comes from the PC's own view of the
// cable (its driver, its permissions), which a replay cannot have: only
// whether one was shown is compared.
int cableShown(const Event &e)
{
    return e.texts.value(0).isEmpty() ? 0 : 1;
}

QString shownText(const Event &e)
{
    const QString name = QString::fromLatin1(kindName(e.kind)).mid(3); // without "ui."
    if (e.kind == Kind::UiValue)
        return QString("value of row %1 %2").arg(e.arg1).arg(quoted(e.texts.value(0)));
    if (e.kind == Kind::UiCable)
        return cableShown(e) ? "a cable reason " + quoted(e.texts.value(0)) : "no cable reason";
    return name + ' ' + quoted(e.texts.value(0));
}

bool sameShown(const Event &a, const Event &b)
{
    if (a.kind == Kind::UiCable)
        return cableShown(a) == cableShown(b);
    return a.texts.value(0) == b.texts.value(0) && (a.kind != Kind::UiValue || a.arg1 == b.arg1);
}

bool sameCall(const Event &want, const Event &seen)
{
    if (want.kind != seen.kind)
        return false;
    switch (want.kind) {
    case Kind::Dtr:
    case Kind::Baud:
    case Kind::Interface: return want.arg1 == seen.arg1;
    case Kind::Line:
        return want.arg1 == seen.arg1 && want.arg2 == seen.arg2 && want.arg3 == seen.arg3;
    default: return true; // the bytes of a write are the ECU's to judge
    }
}

} // namespace

QString describeCall(const Event &e)
{
    const QString name = QString::fromLatin1(kindName(e.kind));
    switch (e.kind) {
    case Kind::Write: return name + ' ' + hexBytes(e.bytes);
    case Kind::Dtr:
    case Kind::Baud:
    case Kind::Interface: return name + ' ' + QString::number(e.arg1);
    case Kind::Open:
        return QString("%1 %2:%3")
            .arg(name)
            .arg(e.arg1, 4, 16, QLatin1Char('0'))
            .arg(e.arg2, 4, 16, QLatin1Char('0'));
    default: return name;
    }
}

ReplayJudge::ReplayJudge(const HandsScript &script) : script_(script)
{
    int lastCable = -1;
    for (const Event &e : script.shown) {
        if (e.kind == Kind::UiCable) {
            if (cableShown(e) == lastCable)
                continue;
            lastCable = cableShown(e);
        }
        expected_[int(e.kind)].append(e);
    }
}

void ReplayJudge::diverged(int line, const QString &what)
{
    if (first_.isEmpty())
        first_ = line > 0 ? QString("trace line %1: %2").arg(line).arg(what) : what;
}

void ReplayJudge::call(const Event &seen, qint64 quietUs)
{
    const int i = calls_++;
    if (i >= script_.calls.size())
        return; // past the end of the recording: nothing to compare with
    const HandsScript::Call &want = script_.calls.at(i);
    if (!sameCall(want.event, seen)) {
        diverged(want.event.line,
                 QString("expected %1, seen %2").arg(describeCall(want.event), describeCall(seen)));
        return;
    }
    if (want.kwpLine && want.quietUs >= 0 && want.quietUs <= KwpP3MaxUs && quietUs > KwpP3MaxUs)
        diverged(want.event.line,
                 QString("the request came %1 ms after the line last spoke (recorded: %2 ms); a "
                         "KWP ECU ends its session after %3 ms")
                     .arg(quietUs / 1000)
                     .arg(want.quietUs / 1000)
                     .arg(KwpP3MaxUs / 1000));
}

void ReplayJudge::shown(const Event &seen)
{
    if (seen.kind == Kind::UiCable) {
        if (cableShown(seen) == lastCableShown_)
            return;
        lastCableShown_ = cableShown(seen);
    }
    const QList<Event> &want = expected_[int(seen.kind)];
    int &next = next_[int(seen.kind)];
    if (next >= want.size())
        return; // the replay goes on past the end of the recording
    const Event &w = want.at(next++);
    ++texts_;
    if (!sameShown(w, seen))
        diverged(w.line, QString("expected %1, seen %2").arg(shownText(w), shownText(seen)));
}

void ReplayJudge::finish()
{
    if (calls_ < script_.calls.size()) {
        const Event &want = script_.calls.at(calls_).event;
        diverged(want.line,
                 QString("expected %1, the program made no more calls").arg(describeCall(want)));
    }
    for (Kind kind : kShownKinds) {
        const QList<Event> &want = expected_[int(kind)];
        const int next = next_.value(int(kind));
        if (next < want.size())
            diverged(
                want.at(next).line,
                QString("expected %1, the window never showed it").arg(shownText(want.at(next))));
    }
}

QString ReplayJudge::summary() const
{
    return QString("%1 calls, %2 actions and %3 texts as recorded")
        .arg(qMin(calls_, int(script_.calls.size())))
        .arg(script_.actions)
        .arg(texts_);
}

} // namespace trace
