// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: arbitrary bytes as a recorded session.
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
    if (!result.ok)
        (void)trace::errorText(QStringLiteral("fuzz.ktrace"), result.error);
    return 0;
}
