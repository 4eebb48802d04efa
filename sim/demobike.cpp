#include "sim/demobike.h"

namespace sim {

std::shared_ptr<EcuModel> makeDemoBike()
{
    return nullptr;   // a silent line until the ECU models are seated here
}

} // namespace sim
