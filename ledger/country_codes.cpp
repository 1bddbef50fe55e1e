#include "ledger/country_codes.h"

#include <algorithm>

namespace ledger {

bool IsIso3166Numeric(unsigned code) {
  return std::binary_search(kIso3166Numeric, kIso3166Numeric + kIso3166Count, code);
}

}  // namespace ledger
