// The chip types that --tag and scenario files know: the first three chips, then one
// registration file per tag family, to which the family's chips add their calls.
#include "sim/chip_registry.h"

#define QZH_BUILTIN_CHIPS(X) \
  X(RegisterFdxb)            \
  X(RegisterEm4100)          \
  X(RegisterTiReadOnly)      \
  X(RegisterHdxFamilyChips)  \
  X(RegisterFdxFamilyChips)

namespace sim {

#define QZH_DECLARE_CHIP(fn) void fn(ChipRegistry&);
QZH_BUILTIN_CHIPS(QZH_DECLARE_CHIP)
#undef QZH_DECLARE_CHIP

const ChipRegistry& ChipRegistry::Builtin() {
  static const ChipRegistry registry = [] {
    ChipRegistry r;
#define QZH_REGISTER_CHIP(fn) fn(r);
    QZH_BUILTIN_CHIPS(QZH_REGISTER_CHIP)
#undef QZH_REGISTER_CHIP
    return r;
  }();
  return registry;
}

}  // namespace sim
