// SPDX-License-Identifier: GPL-3.0-or-later
// One program per cable: a second claim of the same name is refused and
// knocks at the holder; the name comes free with its holder, even when the
// holder is killed. Names here are the test's own, never the programs'.
#include "instanceguard.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

namespace {
// The suite started again as a child that holds a name until it is killed.
const char kHoldVariable[] = "TAVRIX_TEST_HOLD_NAME";

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
        {
            InstanceGuard second(name);
            QVERIFY(!second.claimed());
        }
        QVERIFY(knocks.wait(5000));
        QCOMPARE(knocks.count(), 1);
        InstanceGuard third(name);
        QVERIFY(!third.claimed()); // the first still holds it
        QVERIFY(knocks.wait(5000));
    }

    void otherNamesAndNoNameAreFree()
    {
        InstanceGuard first(uniqueName("one"));
        InstanceGuard other(uniqueName("two"));
        InstanceGuard none{QString()};
        InstanceGuard noneAgain{QString()};
        QVERIFY(first.claimed());
        QVERIFY(other.claimed());
        QVERIFY(none.claimed());
        QVERIFY(noneAgain.claimed());
    }

    void nameComesFreeWithItsHolder()
    {
        const QString name = uniqueName("free");
        {
            InstanceGuard first(name);
        }
        InstanceGuard next(name);
        QVERIFY(next.claimed());
    }

    void killedHolderLeavesNothingBehind()
    {
        const QString name = uniqueName("killed");
        QProcess holder;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(kHoldVariable, name);
        holder.setProcessEnvironment(env);
        holder.start(QCoreApplication::applicationFilePath(), QStringList());
        QVERIFY(holder.waitForStarted(10000));
        QVERIFY(holder.waitForReadyRead(20000)); // it says so once it holds the name
        QCOMPARE(holder.readAllStandardOutput().trimmed(), QByteArray("holding"));
        QVERIFY(!InstanceGuard(name).claimed());
        holder.kill();
        QVERIFY(holder.waitForFinished(10000));
        InstanceGuard next(name);
        QVERIFY(next.claimed());
    }
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QString held = qEnvironmentVariable(kHoldVariable);
    if (!held.isEmpty()) {
        InstanceGuard guard(held);
        std::printf("%s\n", guard.claimed() ? "holding" : "taken");
        std::fflush(stdout);
        return app.exec(); // until killed
    }
    TestInstanceGuard test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_instanceguard.moc"
