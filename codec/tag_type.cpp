#include "codec/tag_type.h"

#include <optional>

#include "core/messages.h"

namespace {

struct TagTypeRow {
  TagType type;
  std::optional<Msg> label;  // from the message catalogue
  const char* fixedLabel;    // when the catalogue has none
  const char* tallyLabel;    // nullptr: "??"
  const char* maker;
};

// clang-format off
constexpr TagTypeRow kTagTypes[] = {
    {.type = TagType::ReadWrite, .label = Msg::RWTagMsg,        .fixedLabel = "", .tallyLabel = "RW",     .maker = ""},
    {.type = TagType::ReadOnly,  .label = Msg::ReadOnlyTagMsg,  .fixedLabel = "", .tallyLabel = "RO",     .maker = ""},
    {.type = TagType::MultiPage, .label = Msg::MultiPageTagMsg, .fixedLabel = "", .tallyLabel = "MPT",    .maker = ""},
    {.type = TagType::Aes,       .label = Msg::AESTagMsg,       .fixedLabel = "", .tallyLabel = "AES",    .maker = ""},
    {.type = TagType::Sic279,    .label = Msg::SIC279TagMsg,    .fixedLabel = "", .tallyLabel = "SIC279", .maker = ""},
    {.type = TagType::Em,        .label = Msg::EMTagMsg,        .fixedLabel = "", .tallyLabel = "EM",     .maker = "EM"},
    {.type = TagType::FdxB,      .label = Msg::FDXBTagMsg,      .fixedLabel = "", .tallyLabel = "FDX-B",  .maker = ""},
    {.type = TagType::Sic7888,   .label = Msg::SIC7888TagMsg,   .fixedLabel = "", .tallyLabel = nullptr,  .maker = "SIC7888"},
    {.type = TagType::Fecava,    .label = std::nullopt,         .fixedLabel = "FECAVA Tag", .tallyLabel = nullptr, .maker = "FECAVA"},
    {.type = TagType::Bde,       .label = std::nullopt,         .fixedLabel = "BDE Tag",    .tallyLabel = nullptr, .maker = ""},
};
// clang-format on

const TagTypeRow* RowOf(uint8_t byte) {
  for (const TagTypeRow& row : kTagTypes)
    if (static_cast<uint8_t>(row.type) == byte) return &row;
  return nullptr;
}

}  // namespace

std::optional<TagType> TagTypeOf(uint8_t byte) {
  if (const TagTypeRow* row = RowOf(byte)) return row->type;
  return std::nullopt;
}

std::string TagTypeLabel(uint8_t byte) {
  const TagTypeRow* row = RowOf(byte);
  if (!row) return LoadMessage(Msg::UnkownTagMsg);
  return row->label ? LoadMessage(*row->label) : std::string(row->fixedLabel);
}

const char* TallyTagLabel(const std::string& k) {
  // The kind is written as two hexadecimal digits; only "00" .. "09" name a type.
  if (k.size() == 2 && k[0] == '0' && k[1] >= '0' && k[1] <= '9')
    if (const TagTypeRow* row = RowOf(static_cast<uint8_t>(k[1] - '0')); row && row->tallyLabel)
      return row->tallyLabel;
  return "??";
}

const char* TagTypeMaker(TagType type) {
  return RowOf(static_cast<uint8_t>(type))->maker;
}
