// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: arbitrary bytes as a recorded session, and what a
// hands-free replay makes of one that reads: its steps and its judge.
#include "trace/handsscript.h"
#include "trace/replayjudge.h"
#include "trace/traceparser.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    trace::ParseLimits limits;
    limits.maxLineLength = 512; // long lines are refused the same way, sooner
    const trace::ParseResult result = trace::parseBytes(bytes, limits);
    if (!result.ok) {
        (void)trace::errorText(QStringLiteral("fuzz.ktrace"), result.error);
        return 0;
    }
    const trace::HandsScript script = trace::handsScript(result.events);
    trace::ReplayJudge judge(script);
    for (const trace::HandsScript::Call &call : script.calls)
        judge.call(call.event, call.quietUs);
    for (const trace::Event &shown : script.shown)
        judge.shown(shown);
    judge.finish();
    (void)judge.summary();
    return 0;
}
