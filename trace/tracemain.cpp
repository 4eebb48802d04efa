// SPDX-License-Identifier: GPL-3.0-or-later
// tavrix-trace [--csv] FILE: a recording as a readable session, or the
// polled item values over time as CSV.

#include "ecu/itemcatalogue.h"
#include "trace/sessiontext.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: tavrix-trace [--csv] FILE\n");
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool csv = args.removeAll("--csv") > 0;
    if (args.size() != 1 || args.first().startsWith(QLatin1Char('-')))
        return usage();
    const QString path = args.first();
    const trace::ParseResult parsed = trace::parseFile(path);
    if (!parsed.ok) {
        std::fprintf(stderr, "tavrix-trace: %s\n",
                     qPrintable(trace::errorText(path, parsed.error)));
        return 1;
    }
    const QList<QString> catalogue = ItemCatalogue::build();
    const QStringList lines =
        csv ? trace::sessionCsv(parsed, catalogue) : trace::sessionText(parsed, catalogue);
    for (const QString &line : lines)
        std::printf("%s\n", line.toUtf8().constData());
    return 0;
}
