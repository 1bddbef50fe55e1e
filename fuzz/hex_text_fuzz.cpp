// The hex text conversion of the dialogs on arbitrary text: at most one byte per two characters,
// and every byte's digits come from the text's own characters.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/hex.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto bytes = hex::HexTextToBytes(text);
  if (bytes.size() > size / 2) std::abort();
  // A text of hex digit pairs only converts back to itself.
  bool pairsOnly = size % 2 == 0;
  for (char c : text)
    if (!std::isxdigit(static_cast<unsigned char>(c))) pairsOnly = false;
  if (pairsOnly) {
    std::string back;
    for (uint8_t b : bytes) back += hex::Byte(b);
    for (size_t i = 0; i < size; ++i)
      if (std::toupper(static_cast<unsigned char>(text[i])) != back[i]) std::abort();
  }
  return 0;
}
