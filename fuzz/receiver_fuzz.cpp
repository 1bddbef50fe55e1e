// The receiver fed through the receive event path in chunks chosen by the input; nothing may read
// or write past its buffers, and every delivered byte is parsed before the event returns.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "link/receiver.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  ResponseReceiver rx;
  const bool animal = data[0] & 1;
  rx.LogRawBytes = data[0] & 2;
  size_t sink = 0;
  rx.log = [&](const std::string& l) { sink += l.size(); };
  const Subscription sinking = rx.tally.Subscribe(
      [&](const std::string& k, const std::string& id) { sink += k.size() + id.size(); });
  rx.animalIdDisplay = [animal] { return animal; };
  // Chunk sizes cycle through the low bits of the first byte: 1 .. 64 bytes per event.
  size_t off = 1;
  const size_t step = static_cast<size_t>(data[0] >> 2) + 1;
  while (off < size) {
    const size_t n = std::min(step, size - off);
    rx.Feed(data + off, n);
    if (rx.Pending() != 0) std::abort();
    off += n;
  }
  return static_cast<int>(sink & 0);
}
