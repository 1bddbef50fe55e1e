// The ID codec on arbitrary codes: fields recompose the code, the display lines never fail, and
// the receiver's decoration of an 'I' frame agrees with the codec's country and national ID.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "codec/animal_id.h"
#include "link/frame.h"
#include "link/receiver.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 9) return 0;
  uint8_t id[8];
  std::memcpy(id, data + 1, 8);
  const uint64_t v = fdx::FromIdBytes(std::span<const uint8_t, 8>(id, 8));
  const fdx::AnimalIdCode code = fdx::AnimalIdCode::Decode(v);
  if (code.Encode() != v) std::abort();
  if (fdx::BdeIdCode::Decode(v).Encode() != v) std::abort();
  for (int mode = 0; mode < 3; ++mode)
    (void)fdx::AnimalIdLines(std::span<const uint8_t, 8>(id, 8), fdx::DisplayModeOf(mode));
  (void)fdx::EncodeEm4100(v & fdx::EmId::kMax);
  uint8_t five[5];
  std::memcpy(five, id, 5);
  (void)fdx::EncodeFecava(std::span<const uint8_t, 5>(five, 5));

  // An FDX-B 'I' frame of the same bytes through the receiver: its "ID: " line shows the codec's
  // fields.
  std::vector<uint8_t> payload{0x06};
  payload.insert(payload.end(), id, id + 8);
  const auto f = frame::BuildResponseFrame(frame::TypeId, payload);
  std::string line;
  ResponseReceiver rx;
  rx.animalIdDisplay = [] { return true; };
  rx.log = [&](const std::string& l) { line = l; };
  rx.Feed(f.data(), f.size());
  const std::string expect = "[" + code.CountryText() + ", " + code.NationalText() + "]";
  if (line.size() < expect.size() ||
      line.compare(line.size() - expect.size(), expect.size(), expect) != 0)
    std::abort();
  return 0;
}
