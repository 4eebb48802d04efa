// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef DEMOBIKE_H
#define DEMOBIKE_H

#include "sim/virtualcable.h"

namespace sim {

// The bike the demo program finds behind its simulated cable.
std::shared_ptr<EcuModel> makeDemoBike();

} // namespace sim

#endif // DEMOBIKE_H
