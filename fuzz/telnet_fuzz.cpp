// The Telnet / COM port option codec on arbitrary network bytes: the data, answers and notices
// never depend on how the network split the bytes, and data encoded for the network decodes back
// to itself.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "link/telnet_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  telnet::Codec whole, split;
  whole.Offer();
  split.Offer();
  std::vector<uint8_t> a, b;
  whole.Decode(data, size, a);
  const size_t cut = size == 0 ? 0 : data[0] % (size + 1);
  split.Decode(data, cut, b);
  split.Decode(data + cut, size - cut, b);
  if (a != b || whole.TakeReplies() != split.TakeReplies() ||
      whole.TakeNotices() != split.TakeNotices() || whole.ComPort() != split.ComPort())
    std::abort();
  // Data encoded for the network decodes back to itself, in text mode and in binary mode.
  for (const bool binary : {false, true}) {
    telnet::Codec c;
    std::vector<uint8_t> ignored, wire, back;
    if (binary) {
      c.Offer();
      const uint8_t both[] = {telnet::kIac, telnet::kDo,   telnet::kBinary,
                              telnet::kIac, telnet::kWill, telnet::kBinary};
      c.Decode(both, sizeof both, ignored);
    }
    c.Encode(data, size, wire);
    c.Decode(wire.data(), wire.size(), back);
    if (back != std::vector<uint8_t>(data, data + size)) std::abort();
  }
  return 0;
}
