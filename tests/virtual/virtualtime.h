// SPDX-License-Identifier: GPL-3.0-or-later
// Virtual time lives beside the simulated cable, in a library of its own:
// the hands-free replay (tavrix-replay --hands) runs on it too.
#include "sim/virtualtime/virtualtime.h"
