// SPDX-License-Identifier: GPL-3.0-or-later
// One program per cable: a second claim of the same name is refused and
// knocks at the holder; the name comes free with its holder. (A killed
// holder: tests/usb/tst_usbbike on Linux, the installer test on Windows.)
// Names here are the test's own, never the programs'.
#include "program/instanceguard.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QtTest>

#ifdef Q_OS_WIN
#include <windows.h>

#include <sddl.h>
#else
#include <cerrno>
#include <cstddef>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

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
        QCOMPARE(InstanceGuard(name).state(), InstanceGuard::State::Knocked);
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

    // Fails closed: a claim that cannot be made or checked is no claim,
    // and says why; the second program then starts no session.
#ifdef Q_OS_WIN
    // A name Windows refuses (no such namespace folder): CreateEventW fails
    // with another error than access denied.
    void unmadeClaimIsNoClaim()
    {
        InstanceGuard guard(uniqueName("no\\such\\folder"));
        QCOMPARE(guard.state(), InstanceGuard::State::Unchecked);
        QVERIFY(!guard.claimed());
        QVERIFY2(guard.reason().contains(QStringLiteral("kode 3)")), qPrintable(guard.reason()));
    }

    // The name held by an event whose security lets nobody in, as a copy
    // running as administrator holds it for a normal user: held, and the
    // knock cannot get through.
    void claimHeldOutOfReach()
    {
        const QString name = uniqueName("elevated");
        SECURITY_ATTRIBUTES security{sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
        QVERIFY(ConvertStringSecurityDescriptorToSecurityDescriptorW(
            L"D:P", SDDL_REVISION_1, &security.lpSecurityDescriptor, nullptr));
        const QString full = InstanceGuard::objectName(name);
        HANDLE holder =
            CreateEventW(&security, FALSE, FALSE, reinterpret_cast<LPCWSTR>(full.utf16()));
        LocalFree(security.lpSecurityDescriptor);
        QVERIFY(holder);
        InstanceGuard guard(name);
        CloseHandle(holder);
        QCOMPARE(guard.state(), InstanceGuard::State::HeldAway);
        QVERIFY(!guard.claimed());
    }
#else
    // No socket to be had (a sandbox refusing it): unchecked. In a child
    // process of its own, for the filter stays with the process.
    void unmadeClaimIsNoClaim()
    {
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            sock_filter filter[] = {
                BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
                BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_socket, 0, 1),
                BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EACCES),
                BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
            };
            sock_fprog program{sizeof filter / sizeof *filter, filter};
            if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0
                || prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0)
                _exit(2);
            InstanceGuard guard(uniqueName("refused"));
            const bool closed = guard.state() == InstanceGuard::State::Unchecked && !guard.claimed()
                                && !guard.reason().isEmpty();
            _exit(closed ? 0 : 1);
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
        QVERIFY(InstanceGuard(uniqueName("refused")).claimed()); // nothing was left held
    }
#endif

    void nameComesFreeWithItsHolder()
    {
        const QString name = uniqueName("free");
        delete new InstanceGuard(name);
        QVERIFY(InstanceGuard(name).claimed());
    }
};

QTEST_GUILESS_MAIN(TestInstanceGuard)
#include "tst_instanceguard.moc"
