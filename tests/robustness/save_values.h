#pragma once
// The two sets of Option values the settings crash test saves in turn.
#include "core/settings.h"

namespace robust {

inline OptionSettings SavedValues(int which) {
  OptionSettings s;
  s.TirisPage = static_cast<uint8_t>(which ? 17 : 2);
  s.IntervTime = which ? 450 : 120;
  s.BlockNo = static_cast<uint8_t>(which ? 9 : 4);
  s.EMId = which ? 123456789012345ull : 42ull;
  s.BDEId2 = which ? 987654321ull : 7ull;
  for (int i = 0; i < 16; ++i) s.WriteData[i] = static_cast<uint8_t>(which ? 0xF0 + i : 0x10 + i);
  s.LanguageFlag = 0;
  return s;
}

}  // namespace robust
