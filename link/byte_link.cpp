#include "link/byte_link.h"

std::string ComErrorsToStr(TComErrors errors) {
  if (errors == 0) return "<Ok>";
  static const char* const kNames[] = {"Frame", "Parity", "Overrun", "Break",
                                       "IO",    "Mode",   "RxOver",  "TxFull"};
  std::string s = "<ComError:";
  bool first = true;
  for (int i = 0; i < 8; ++i) {
    if (errors & (1u << i)) {
      if (!first) s += ",";
      s += kNames[i];
      first = false;
    }
  }
  return s + ">";
}
