// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef REPORTDOCUMENT_H
#define REPORTDOCUMENT_H

// The report's pages: an A4 PDF, or the printer the mechanic chose.
#include <QString>

class QPrinter;

namespace ReportDocument {

bool savePdf(const QString &html, const QString &path, QString *error);
void print(const QString &html, QPrinter *printer);

} // namespace ReportDocument

#endif // REPORTDOCUMENT_H
