// Registration of the FDX family's chips (SIC7888, EM4305, FECAVA and BDE codes): one call per
// chip file of sim/chips.
#include "sim/chip_registry.h"

namespace sim {

void RegisterFdxFamilyChips(ChipRegistry& /*r*/) {}

}  // namespace sim
