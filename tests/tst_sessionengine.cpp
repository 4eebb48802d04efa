// SPDX-License-Identifier: GPL-3.0-or-later
// The session engine alone, with no window, on virtual time against the
// simulated bike: what it decides of its own (the cable's status and hint,
// whether an Action press, a row click or a CO key is taken) travels in
// what it emits, and the ECU hears only what those decisions allow.
#include "ecu/linebytes.h"
#include "ecu/sessionstate.h"
#include "link/usbserial.h"
#include "session/sessionengine.h"
#include "sim/autoecu.h"
#include "sim/virtualcable.h"
#include "support/simsupport.h"

#include "virtualmain.h"
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <cstdint>
#include <memory>

using sim::VirtualCable;

namespace {
constexpr int kCeiling = 60000;

// Everything the engine emitted, in order.
struct Heard {
    QList<Shown> all;
    std::optional<Status> status() const
    {
        for (int i = all.size() - 1; i >= 0; --i)
            if (all[i].status)
                return all[i].status;
        return std::nullopt;
    }
    template <class F>
    bool any(F f) const
    {
        return std::any_of(all.begin(), all.end(), f);
    }
};

std::size_t actionKeysSince(std::size_t from)
{
    std::size_t n = 0;
    const auto &sent = VirtualCable::instance().transmitted();
    for (std::size_t i = from; i < sent.size(); ++i)
        n += sent[i].value == AutoKey::Action;
    return n;
}
} // namespace

class TestSessionEngine : public QObject
{
    Q_OBJECT
private slots:
    void init() { VirtualCable::instance().reset(); }

    // The status and the reason beside "Not Connect." are values the engine
    // emits; without a cable it tries again three seconds later.
    void theCableAsTheEngineSaysIt_data()
    {
        QTest::addColumn<bool>("plugged");
        QTest::newRow("no cable") << false;
        QTest::newRow("cable") << true;
    }
    void theCableAsTheEngineSaysIt()
    {
        QFETCH(bool, plugged);
        plugged ? VirtualCable::instance().plug() : VirtualCable::instance().unplug();
        SessionEngine engine;
        Heard heard;
        connect(&engine, &SessionEngine::shown, [&](const Shown &s) { heard.all << s; });
        QVERIFY(waitUntil([&] { return heard.status().has_value(); }, 1000));
        QCOMPARE(*heard.status(), plugged ? Status::EngineOff : Status::NotConnected);
        const Shown &last = heard.all.last();
        QVERIFY(last.cableHint);
        QCOMPARE(last.cableHint->isEmpty(), plugged);
        QCOMPARE(engine.pollTimer()->isActive(), plugged);
        if (!plugged) {
            const int lookups = VirtualCable::instance().lookups();
            runFor(2900);
            QCOMPARE(VirtualCable::instance().lookups(), lookups);
            runFor(200);
            QCOMPARE(VirtualCable::instance().lookups(), lookups + 1);
        }
    }

    // Action is the engine's to allow: only on a row whose item the
    // catalogue made an actuator when the row came, and only in a session.
    void actionOnlyWhereTheEngineAllowsIt()
    {
        auto ecu = std::make_shared<sim::AutoEcu>(sim::AutoEcuConfig::vixion());
        VirtualCable::instance().seat(ecu);
        SessionEngine engine;
        std::optional<bool> enabled, busy;
        connect(&engine, &SessionEngine::shown, [&](const Shown &s) {
            if (s.actionEnabled)
                enabled = s.actionEnabled;
            if (s.actionBusy)
                busy = s.actionBusy;
        });
        QVERIFY(waitUntil([&] { return engine.sessionState() == SessionState::Up; }, kCeiling));
        const int volt = engine.rowCodes().indexOf(9);
        const int coil = engine.rowCodes().indexOf(30);
        QVERIFY(volt >= 0 && coil >= 0);

        engine.selectRow(volt);
        QCOMPARE(enabled, std::optional<bool>(false));
        std::size_t mark = VirtualCable::instance().transmitted().size();
        engine.pressAction();
        QVERIFY(!busy.value_or(false)); // not taken
        runFor(2000);
        QCOMPARE(actionKeysSince(mark), std::size_t(0));

        engine.selectRow(coil);
        QCOMPARE(enabled, std::optional<bool>(true));
        mark = VirtualCable::instance().transmitted().size();
        engine.pressAction();
        QCOMPARE(busy, std::optional<bool>(true));
        QVERIFY(waitUntil([&] { return !*busy; }, kCeiling));
        QCOMPARE(actionKeysSince(mark), std::size_t(9));
    }

    // A CO key is the CO session's: before it is up the key is not taken
    // and the timer keeps its pace; once it is, the key goes out.
    void coKeyOnlyInTheCoSession()
    {
        auto ecu = std::make_shared<sim::AutoEcu>(sim::AutoEcuConfig::vixion());
        VirtualCable::instance().seat(ecu);
        SessionEngine engine;
        QVERIFY(waitUntil([&] { return engine.link()->isConnected(); }, kCeiling));
        QVERIFY(engine.enterCo());
        engine.coKey(AutoKey::Up);
        QCOMPARE(engine.pollTimer()->interval(), 30);
        QVERIFY(waitUntil([&] { return engine.sessionState() == SessionState::Up; }, kCeiling));
        const std::size_t mark = VirtualCable::instance().transmitted().size();
        engine.coKey(AutoKey::Up);
        QCOMPARE(engine.pollTimer()->interval(), 50);
        QVERIFY(waitUntil([&] {
            const auto &sent = VirtualCable::instance().transmitted();
            return sent.size() > mark && sent[mark].value == AutoKey::Up;
        }, 1000));
        engine.leaveCo();
        QCOMPARE(int(engine.cycle()->kind()), int(Cycle::Kind::Auto));
    }
};

TAVRIX_VIRTUAL_TEST_MAIN(TestSessionEngine)
#include "tst_sessionengine.moc"
