#include "shell/decoded_id.h"

#include "codec/country_names.h"
#include "codec/tag_type.h"

std::string DecodedIdText(const fdx::FrameId& id, bool japanese) {
  // An FDX-B ID holds at least the country and national ID (six bytes); a read-only HDX ID is an
  // animal code only when it has all eight bytes and the animal flag.
  const size_t n = id.bytes.size();
  const bool fdxb = id.kind == static_cast<uint8_t>(TagType::FdxB);
  if (!id.iso || n > 8 || (fdxb ? n < 6 : (n != 8 || !id.Animal()))) return "";
  std::string text = id.iso->CountryText() + " " + id.iso->NationalText();
  const std::string name = fdx::CountryName(id.iso->countryCode, japanese);
  if (!name.empty()) text += " (" + name + ")";
  return text;
}
