#include "codec/frame_id.h"

#include <algorithm>
#include <array>

#include "codec/tag_type.h"
#include "core/hex.h"

namespace fdx {

FrameId FrameId::Decode(std::span<const uint8_t> data) {
  FrameId id;
  if (data.empty()) return id;
  id.kind = data[0];
  id.bytes.assign(data.begin() + 1, data.end());
  IdBytes eight{};
  std::copy_n(id.bytes.begin(), std::min(id.bytes.size(), eight.size()), eight.begin());
  id.value = FromIdBytes(eight);
  switch (static_cast<TagType>(id.kind)) {
    case TagType::Em:
      id.em = EmId::FromBytes(std::span<const uint8_t, 5>(eight.data(), 5));
      break;
    case TagType::FdxB:
      id.iso = AnimalIdCode::Decode(id.value);
      break;
    case TagType::ReadOnly:
      if (id.value & AnimalIdCode::kAnimalFlag) id.iso = AnimalIdCode::Decode(id.value);
      break;
    default:
      break;
  }
  return id;
}

std::string FrameId::KindText() const {
  return hex::Byte(kind);
}

std::string FrameId::HexText() const {
  std::string text;
  text.reserve(bytes.size() * 3);
  for (auto b = bytes.rbegin(); b != bytes.rend(); ++b) {
    hex::AppendByte(text, *b);
    text.push_back(' ');
  }
  return text;
}

std::string FrameId::Decoration() const {
  if (em) return "[" + FormatPaddedDecimal(10, em->serialNumber) + "]";
  if (iso) return "[" + iso->CountryText() + ", " + iso->NationalText() + "]";
  return "";
}

}  // namespace fdx
