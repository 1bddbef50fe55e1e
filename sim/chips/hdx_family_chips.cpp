// Registration of the HDX family's chips (TI read/write and multipage, SIC279, HDX+): one call
// per chip file of sim/chips.
#include "sim/chip_registry.h"

namespace sim {

void RegisterTiHdx(ChipRegistry& r);
void RegisterSic279(ChipRegistry& r);
void RegisterHdxPlus(ChipRegistry& r);

void RegisterHdxFamilyChips(ChipRegistry& r) {
  RegisterTiHdx(r);
  RegisterSic279(r);
  RegisterHdxPlus(r);
}

}  // namespace sim
