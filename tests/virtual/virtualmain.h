// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef VIRTUALMAIN_H
#define VIRTUALMAIN_H

// QTEST_MAIN for suites that run the program on virtual time: the dispatcher
// goes in before the application object. CMake links tests/virtual into
// every suite that uses this macro.
#include "virtualtime.h"

#include <QApplication>
#include <QtTest>

#define TAVRIX_VIRTUAL_TEST_MAIN(TestObject)                                                       \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        VirtualTime::install();                                                                    \
        QApplication app(argc, argv);                                                              \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }

#endif // VIRTUALMAIN_H
