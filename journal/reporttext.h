// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef REPORTTEXT_H
#define REPORTTEXT_H

// The customer's report of a session, as a page of HTML for QTextDocument:
// when, which vehicle type and ECU, the fault codes the session read with
// their explanations, the clears it carried out (before and after), the
// last value of each item, and blank fields for the workshop to fill in by
// hand. In Indonesian, the mechanic's and the customer's language. It says
// what was not read rather than reading it.
#include <QDateTime>
#include <QString>

class SessionJournal;

namespace ReportText {

QString html(const SessionJournal &journal, const QDateTime &madeAt);

// An explanation as the catalogue stores it (runs of blanks, "#" between
// its parts) as the lines a reader wants: the title first.
QStringList explanationLines(const QString &text);

} // namespace ReportText

#endif // REPORTTEXT_H
