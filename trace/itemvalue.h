#ifndef ITEMVALUE_H
#define ITEMVALUE_H

#include <QString>

namespace trace {

// The displayed value of an item from its code (decimal text) and raw value
// (hexadecimal text), with the application's conversion rules. The one place
// the CSV export converts: point it at MainWindow::convertdiagval where the
// exporter may link the application.
QString convertItemValue(const QString &codestr, const QString &valstr);

} // namespace trace

#endif // ITEMVALUE_H
