// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef ITEMVALUE_H
#define ITEMVALUE_H

#include <QString>

namespace trace {

// The displayed value of an item from its code (decimal text) and raw value
// (hexadecimal text), with the application's conversion rules. A copy of
// MainWindow::convertdiagval: the reader links QtCore only, and that one is a
// member of the Widgets window. tests/tst_traceconvert.cpp holds the two
// equal for every item code and raw byte.
QString convertItemValue(const QString &codestr, const QString &valstr);

} // namespace trace

#endif // ITEMVALUE_H
