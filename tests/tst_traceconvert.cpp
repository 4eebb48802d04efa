// SPDX-License-Identifier: GPL-3.0-or-later
// The trace reader's CSV converts raw item values with its own copy of the
// application's rules (the reader links QtCore only). This suite holds the
// copy to the application's conversion for every item code and raw byte, so
// the two cannot drift apart.
#include "support/mainwindowprobe.h"

#include "protocolcounters.h"
#include "sim/virtualcable.h"
#include "trace/itemvalue.h"

#include <QtTest>

#include <memory>

namespace {
// Raw texts besides the 256 byte values: what a garbled reply can give.
const QStringList kOddRaws = {"", "zz", "100", "1ff", "-1", "-ff", "0x10", " 5", "FF", "Ab"};
} // namespace

class TestTraceConvert : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<MainWindow> window;

    QString application(const QString &code, const QString &raw)
    {
        return MainWindowProbe(*window).convert(code, raw);
    }

private slots:
    void initTestCase()
    {
        sim::VirtualCable::instance().reset();
        protocolCounters() = ProtocolCounters();
        window = std::make_unique<MainWindow>();
    }
    void cleanupTestCase() { window.reset(); }

    void sameAsTheApplication_data()
    {
        QTest::addColumn<QString>("code");
        for (int code = 0; code < 100; ++code)
            QTest::newRow(qPrintable("code " + QString::number(code))) << QString::number(code);
        for (const char *odd : {"-1", "100", "255", "x", "", "09", " 9", "9 "})
            QTest::newRow(qPrintable(QString("code '%1'").arg(odd))) << QString(odd);
    }

    void sameAsTheApplication()
    {
        QFETCH(QString, code);
        QStringList raws = kOddRaws;
        for (int raw = 0; raw < 256; ++raw)
            raws << QString::number(raw, 16)
                 << QString::number(raw, 16).toUpper().rightJustified(2, '0');
        for (const QString &raw : raws) {
            const QString ours = trace::convertItemValue(code, raw);
            const QString theirs = application(code, raw);
            QVERIFY2(
                ours == theirs,
                qPrintable(QString("raw '%1': trace %2, application %3").arg(raw, ours, theirs)));
        }
    }

    // The comparison above is only worth something if the codes differ.
    void conversionsDifferByCode()
    {
        QSet<QString> shown;
        for (int code = 0; code < 100; ++code)
            shown << application(QString::number(code), "b4");
        QVERIFY(shown.size() >= 5);
        QCOMPARE(trace::convertItemValue("9", "b4"), QString("13.5"));
    }
};

QTEST_MAIN(TestTraceConvert)
#include "tst_traceconvert.moc"
