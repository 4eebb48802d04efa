// SPDX-License-Identifier: GPL-3.0-or-later
// One program per cable: a second claim of the same name is refused and
// knocks at the holder; the name comes free with its holder. (A killed
// holder: tests/usb/tst_usbbike on Linux, the installer test on Windows.)
// Names here are the test's own, never the programs'.
#include "program/instanceguard.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QtTest>

namespace {
QString uniqueName(const char *what)
{
    return QStringLiteral("test.%1.%2").arg(what).arg(QCoreApplication::applicationPid());
}
} // namespace

class TestInstanceGuard : public QObject
{
    Q_OBJECT
private slots:
    void secondClaimKnocksAtTheFirst()
    {
        const QString name = uniqueName("knock");
        InstanceGuard first(name);
        QVERIFY(first.claimed());
        QSignalSpy knocks(&first, &InstanceGuard::secondStart);
        QVERIFY(!InstanceGuard(name).claimed());
        QVERIFY(knocks.wait(5000));
        QVERIFY(!InstanceGuard(name).claimed()); // the first still holds it
        QVERIFY(knocks.wait(5000));
        QCOMPARE(knocks.count(), 2);
        QVERIFY(InstanceGuard(uniqueName("other")).claimed());
    }

    // The demo claims no name: it must never keep the real program out.
    void noNameClaimsNothing()
    {
        InstanceGuard none{QString()}, noneAgain{QString()};
        QVERIFY(none.claimed() && noneAgain.claimed());
    }

    void nameComesFreeWithItsHolder()
    {
        const QString name = uniqueName("free");
        delete new InstanceGuard(name);
        QVERIFY(InstanceGuard(name).claimed());
    }
};

QTEST_GUILESS_MAIN(TestInstanceGuard)
#include "tst_instanceguard.moc"
