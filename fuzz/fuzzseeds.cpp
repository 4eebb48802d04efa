// SPDX-License-Identifier: GPL-3.0-or-later
// Seed corpora: what the simulated ECUs really answer, cut into one input
// per session state.
#include "fuzz/fuzzdriver.h"

#include "auto/autoprotocol.h"
#include "fuzz/fuzzecu.h"
#include "sim/autoecu.h"
#include "sim/kwpecu.h"
#include "support/mainwindowprobe.h"
#include "ui/mainwindow.h"

#include <QMetaObject>

#include <cstdint>

namespace fuzzdrive {

namespace {
constexpr std::size_t kSeedReplies = 48;
constexpr int kExtraAfter = 12; // ticks in a session before its extra step

std::shared_ptr<sim::EcuModel> realEcu(Family family)
{
    if (family == Family::Auto)
        return std::make_shared<sim::AutoEcu>(sim::AutoEcuConfig::vixion());
    sim::KwpEcuConfig config = sim::KwpEcuConfig::demo();
    config.startIndex = 3; // not on item 1: the login is followed by a search
    return std::make_shared<sim::KwpEcu>(config);
}

int findState(Family family, const char *name)
{
    const std::vector<State> &all = states(family);
    for (std::size_t i = 0; i < all.size(); ++i)
        if (QLatin1String(all[i].name) == QLatin1String(name))
            return int(i);
    return -1;
}

// The state the window is in, by the name of the harness's state table.
const char *stateName(Family family, bool co, MainWindowProbe &p, bool extra)
{
    const int s = p.sessionState();
    if (family == Family::Auto) {
        if (co)
            return s == SessionState::None ? "auto-co-login"
                   : extra                 ? "auto-cylinder"
                                           : "auto-co-session";
        if (s == SessionState::Up)
            return extra ? "auto-actuator" : "auto-session";
        return p.autoCycle()->loginStep() >= AutoProtocol::ScanGroupStart ? "auto-scan"
                                                                          : "auto-login";
    }
    if (co)
        return s == SessionState::None ? "kwp-co-login" : "kwp-co-reading";
    switch (s) {
    case SessionState::Search: return "kwp-search";
    case SessionState::Scan: return "kwp-scan";
    case SessionState::Up: return extra ? "kwp-fault-rows" : "kwp-polling";
    default: return "kwp-login";
    }
}

// The session's extra step: an actuator check, a cylinder change, a fault row.
void extraStep(Family family, bool co, MainWindow &w, MainWindowProbe &p)
{
    if (family == Family::Auto && co) {
        QMetaObject::invokeMethod(&w, "cyl_changed", Q_ARG(int, 2));
        return;
    }
    const int rows = p.table()->rowCount();
    if (family == Family::Kwp) {
        p.clickRow(rows - 1);
        return;
    }
    for (int r = 0; r < rows; ++r)
        if (p.rowCodes().value(r) == 30)
            p.clickRow(r);
    QMetaObject::invokeMethod(&w, "action_clicked");
}

std::vector<std::uint8_t> seedFrom(int state, const std::vector<std::vector<std::uint8_t>> &replies,
                                   std::size_t from)
{
    std::vector<std::uint8_t> seed{std::uint8_t(state), 0};
    for (std::size_t i = from; i < replies.size() && i < from + kSeedReplies; ++i) {
        const std::size_t n = std::min<std::size_t>(replies[i].size(), 255);
        seed.push_back(std::uint8_t(n));
        seed.insert(seed.end(), replies[i].begin(), replies[i].begin() + long(n));
    }
    return seed;
}
} // namespace

std::vector<std::vector<std::uint8_t>> Driver::recordSeeds(int ticks)
{
    std::vector<std::vector<std::uint8_t>> seeds(states(family_).size());
    for (bool co : {false, true}) {
        prepare(co);
        auto ecu = std::make_shared<RecordingEcu>(family_, realEcu(family_));
        sim::VirtualCable::instance().seat(ecu);
        sim::VirtualCable::instance().tapEcu([ecu](const std::vector<std::uint8_t> &bytes) {
            ecu->pending.insert(ecu->pending.end(), bytes.begin(), bytes.end());
        });
        std::vector<std::size_t> firstReply(seeds.size(), std::size_t(-1));
        int inSession = 0;
        for (int i = 0; i < ticks; ++i) {
            const bool session = probe_->sessionState() == SessionState::Up;
            inSession = session ? inSession + 1 : 0;
            if (inSession == kExtraAfter)
                extraStep(family_, co, *window_, *probe_);
            const int s =
                findState(family_, stateName(family_, co, *probe_, inSession >= kExtraAfter));
            if (s >= 0 && firstReply[std::size_t(s)] == std::size_t(-1))
                firstReply[std::size_t(s)] = ecu->replies.size();
            tick(co);
        }
        for (std::size_t s = 0; s < seeds.size(); ++s)
            if (firstReply[s] != std::size_t(-1))
                seeds[s] = seedFrom(int(s), ecu->replies, firstReply[s]);
        sim::VirtualCable::instance().tapEcu(nullptr);
        sim::VirtualCable::instance().seat(nullptr);
    }
    return seeds;
}

} // namespace fuzzdrive
