// SPDX-License-Identifier: GPL-3.0-or-later
// Faults in every session state of both families: the cable pulled, writes
// failing, the ECU silent, garbage on the line, each for a while and then
// put right. Every case must end with the whole table polling again, with
// no adapter context and no wait cursor left behind. One window per family
// is shared by its cases, so that each case starts from a running session.
#include "kwpharness.h"
#include "tst_autobench.h"

#include "virtualmain.h"
#include <QGuiApplication>
#include <QtTest>

using sim::VirtualCable;

namespace {
enum class Family { Auto, Kwp };
enum class Fault { Unplug, FailWrites, Silence, Garbage };

constexpr int kCeiling = 60000;
constexpr int kFaultMs = 900; // how long a fault lasts at least
constexpr int kAfterNotConnectMs = 400;

const char *const kAutoStates[] = {"login",    "scan",     "session",
                                   "actuator", "co-login", "co-session"};
const char *const kKwpStates[] = {"login", "search", "scan", "polling", "fault-row", "co"};
const struct {
    const char *name;
    Fault fault;
} kFaults[] = {{"unplug", Fault::Unplug},
               {"fail-writes", Fault::FailWrites},
               {"silence", Fault::Silence},
               {"garbage", Fault::Garbage}};

sim::AutoEcuConfig smallAutoBike()
{
    sim::AutoEcuConfig config = sim::AutoEcuConfig::vixion();
    config.items = {1, 3, 9, 30}; // 30 runs an actuator check
    return config;
}

// One family's bike and window, kept over the cases of that family.
struct Bench {
    explicit Bench(Family f) : family(f), probe(window)
    {
        if (family == Family::Auto) {
            autoEcu = std::make_shared<sim::AutoEcu>(smallAutoBike());
            VirtualCable::instance().seat(autoEcu);
        } else {
            kwpEcu = std::make_shared<sim::KwpEcu>();
            VirtualCable::instance().seat(kwpEcu);
            probe.typeBox()->setCurrentIndex(1);
        }
    }
    QList<int> expectedRows() const
    {
        return family == Family::Auto ? QList<int>{1, 3, 9, 30} : QList<int>{1, 2, 3, 61, 62};
    }
    bool fullTable()
    {
        return probe.sessionState() == SessionState::Up && !probe.coWindow()->isVisible()
               && probe.rowCodes() == expectedRows()
               && probe.table()->rowCount() == expectedRows().size();
    }
    void setFault(Fault fault, bool on)
    {
        VirtualCable &cable = VirtualCable::instance();
        switch (fault) {
        case Fault::Unplug: on ? cable.unplug() : cable.plug(); break;
        case Fault::FailWrites: cable.failWrites(on ? VirtualCable::Forever : 0); break;
        case Fault::Silence: autoEcu ? autoEcu->setSilent(on) : kwpEcu->setSilent(on); break;
        case Fault::Garbage:
            if (autoEcu)
                autoEcu->setGarbage(on);
            else if (on)
                kwpEcu->injectFault(sim::KwpRequest::Any, sim::KwpFault::Garbage, -1);
            else
                kwpEcu->clearFaults();
            break;
        }
    }

    Family family;
    LogCapture log;
    std::shared_ptr<sim::AutoEcu> autoEcu;
    std::shared_ptr<sim::KwpEcu> kwpEcu;
    MainWindow window;
    MainWindowProbe probe;
};

// What a case saw while it ran.
struct Outcome {
    bool entered = false; // the state was reached and the fault applied
    bool sawNotConnect = false;
    QString otherWhileUnplugged; // a status shown after "Not Connect." with no cable
    bool coAgain = false;        // CO cases: the CO reading came back
    QString failure;
};
} // namespace

class TestFaultMatrix : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { VirtualCable::instance().reset(); }
    void cleanupTestCase() { bench.reset(); }

    void matrix_data()
    {
        QTest::addColumn<int>("family");
        QTest::addColumn<QString>("state");
        QTest::addColumn<int>("fault");
        for (const char *state : kAutoStates)
            for (const auto &f : kFaults)
                QTest::addRow("auto/%s/%s", state, f.name)
                    << int(Family::Auto) << QString(state) << int(f.fault);
        for (const char *state : kKwpStates)
            for (const auto &f : kFaults)
                QTest::addRow("kwp/%s/%s", state, f.name)
                    << int(Family::Kwp) << QString(state) << int(f.fault);
    }

    void matrix()
    {
        QFETCH(int, family);
        QFETCH(QString, state);
        QFETCH(int, fault);
        Bench &b = benchFor(Family(family));
        QVERIFY2(waitUntil([&] { return b.fullTable(); }, kCeiling), "no session to start from");
        const Outcome out = runCase(b, state, Fault(fault));
        QVERIFY2(out.failure.isEmpty(), qPrintable(out.failure));
        QVERIFY2(out.entered, "the state was never reached");
        if (Fault(fault) == Fault::Unplug || Fault(fault) == Fault::FailWrites)
            QVERIFY2(out.sawNotConnect, "\"Not Connect.\" never shown while the cable was gone");
        QCOMPARE(out.otherWhileUnplugged, QString()); // and it stays until the cable is back
        if (state.startsWith("co"))
            QVERIFY2(out.coAgain, "the CO reading did not come back");
        QVERIFY2(waitUntil([&] { return b.fullTable(); }, kCeiling),
                 "the table is not polled again");
        QCOMPARE(b.probe.status(), QString("Connected-Engine On"));
        QVERIFY(VirtualCable::instance().contextsAlive() <= 1);
        QVERIFY(VirtualCable::instance().openHandles() <= 1);
        QVERIFY(waitUntil([] { return QGuiApplication::overrideCursor() == nullptr; }, 3000));
    }

private:
    Bench &benchFor(Family family)
    {
        if (!bench || bench->family != family) {
            bench.reset();
            VirtualCable::instance().reset();
            bench.reset(new Bench(family));
        }
        return *bench;
    }

    // Leads the window into `state`; returns when it is there. A state met
    // only inside a tick is given to the watcher as a condition instead.
    static std::function<bool()> prepare(Bench &b, const QString &state)
    {
        MainWindowProbe &p = b.probe;
        if (b.family == Family::Auto) {
            if (state == "login" || state == "scan") {
                b.autoEcu->dropOut(150); // the session is lost: a new login
                const bool scan = state == "scan";
                return [&p, scan] {
                    const int step = p.autoCycle() ? p.autoCycle()->loginStep() : -1;
                    return p.sessionState() == SessionState::None
                           && (scan ? step >= 44 : step >= 2 && step <= 40);
                };
            }
            if (state == "actuator") {
                p.clickRow(int(p.rowCodes().indexOf(30)));
                waitUntil([&p] { return !p.selectionPending(); }, kCeiling);
                p.actionButton()->click();
                return [&p] { return p.actionStep() > 1; };
            }
            if (state == "co-login")
                return [&p] {
                    return p.coWindow()->isVisible() && p.sessionState() == SessionState::None
                           && p.autoCoCycle() && p.autoCoCycle()->loginStep() >= 2;
                };
            if (state == "co-session")
                return [&p] {
                    return p.coWindow()->isVisible() && p.sessionState() == SessionState::Up
                           && p.rpm() > 0;
                };
            return [&b] { return b.fullTable(); };
        }
        if (state == "login" || state == "search" || state == "scan") {
            if (state == "search")
                b.kwpEcu->setPointer(1); // not on item 1: the login is followed by a search
            b.kwpEcu->injectFault(sim::KwpRequest::Any, sim::KwpFault::Silence, 2);
            const int wanted = state == "login"    ? -1
                               : state == "search" ? SessionState::Search
                                                   : SessionState::Scan;
            return [&p, wanted] {
                return wanted < 0 ? p.status() == "Connecting..." : p.sessionState() == wanted;
            };
        }
        if (state == "fault-row") {
            const int row = int(p.rowCodes().indexOf(61));
            p.clickRow(row);
            return [&p, row] { return p.selectedRow() == row && !p.selectionPending(); };
        }
        if (state == "co")
            return [&p] {
                return p.coWindow()->isVisible() && p.sessionState() == SessionState::Up
                       && p.rpm() > 0;
            };
        return [&b] { return b.fullTable(); };
    }

    // The case as steps run by a watcher, which also runs inside the waits
    // of a tick and inside the modal CO window.
    static Outcome runCase(Bench &b, const QString &state, Fault fault)
    {
        Outcome out;
        const bool co = state.startsWith("co");
        const std::function<bool()> inState = prepare(b, state);
        const bool cableGone = fault == Fault::Unplug || fault == Fault::FailWrites;
        int phase = 0;
        CableClock clock;
        CableClock faultClock;
        CableClock notConnectClock;
        clock.start();
        Watcher watch([&] {
            if (clock.elapsed() > kCeiling) {
                out.failure =
                    QString("stuck in phase %1, status \"%2\"").arg(phase).arg(b.probe.status());
                if (co && b.probe.coWindow()->isVisible())
                    b.probe.coWindow()->done(0);
                b.setFault(fault, false);
                return true;
            }
            switch (phase) {
            case 0: // reach the state, then break something
                if (!inState())
                    return false;
                b.setFault(fault, true);
                out.entered = true;
                faultClock.start();
                phase = 1;
                return false;
            case 1: // let the fault last; watch what the mechanic sees
                if (b.probe.status() == "Not Connect." && !out.sawNotConnect) {
                    out.sawNotConnect = true;
                    notConnectClock.start();
                } else if (fault == Fault::Unplug && out.sawNotConnect
                           && b.probe.status() != "Not Connect.") {
                    out.otherWhileUnplugged = b.probe.status();
                }
                if (faultClock.elapsed() < kFaultMs)
                    return false;
                if (cableGone
                    && (!out.sawNotConnect || notConnectClock.elapsed() < kAfterNotConnectMs))
                    return false;
                b.setFault(fault, false);
                b.probe.setReading(0, b.probe.coValue()); // a reading after the fault sets it again
                phase = 2;
                return !co;
            default: // CO: the reading comes back, then the window closes
                if (b.probe.sessionState() != SessionState::Up || b.probe.rpm() <= 0)
                    return false;
                out.coAgain = true;
                b.probe.coWindow()->done(0);
                return true;
            }
        }, 1);
        if (co)
            b.probe.coButton()->click(); // returns when the watcher closes the window
        waitUntil([&] { return watch.done(); }, kCeiling + 5000);
        return out;
    }

    std::unique_ptr<Bench> bench;
};

TAVRIX_VIRTUAL_TEST_MAIN(TestFaultMatrix)
#include "tst_faultmatrix.moc"
