#include "fdx/sic7888_format_config.h"

#include <algorithm>

#include "codec/sic7888_layout.h"
#include "link/comm_module.h"

bool SetUpFormatConfig(TTirisC1Dlg& comm, std::span<const uint8_t, 4> word) {
  using namespace fdx::sic7888;
  Response out{};
  if (!comm.Sic7888ReadBlock(out, kProtocolMode, kConfigBlock)) return false;
  // A block read shorter than a block never counts as holding the word.
  if (out[0] >= 5 && std::equal(word.begin(), word.end(), out.begin() + 2)) return true;
  Response written{};
  return comm.Sic7888WriteBlock(written, kProtocolMode, kConfigBlock, word);
}
