// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef VALUEPACE_H
#define VALUEPACE_H

// The fastest pace at which any cycle shows a new value: the Auto session,
// one value a tick, each after its answer's wait. What keeps values (the
// session journal) sizes its memory from it; each family's waits are held
// to it where they are defined.
namespace ValuePace {
constexpr int FastestMs = 50;
} // namespace ValuePace

#endif // VALUEPACE_H
