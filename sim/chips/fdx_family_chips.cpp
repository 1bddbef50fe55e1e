// Registration of the FDX family's chips (SIC7888, EM4305, FECAVA and BDE codes): one call per
// chip file of sim/chips.
#include "sim/chip_registry.h"

namespace sim {

void RegisterFecava(ChipRegistry& r);
void RegisterBde(ChipRegistry& r);
void RegisterSic7888(ChipRegistry& r);
void RegisterEm4305(ChipRegistry& r);

void RegisterFdxFamilyChips(ChipRegistry& r) {
  RegisterFecava(r);
  RegisterBde(r);
  RegisterSic7888(r);
  RegisterEm4305(r);
}

}  // namespace sim
