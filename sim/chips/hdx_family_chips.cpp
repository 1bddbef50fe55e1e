// Registration of the HDX family's chips (TI read/write and multipage, SIC279, HDX+): one call
// per chip file of sim/chips.
#include "sim/chip_registry.h"

namespace sim {

void RegisterHdxFamilyChips(ChipRegistry& /*r*/) {}

}  // namespace sim
