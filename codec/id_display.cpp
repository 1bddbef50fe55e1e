#include "codec/id_display.h"

#include "core/hex.h"
#include "core/messages.h"

namespace fdx {

std::string IdByteDump(std::span<const uint8_t, 8> id) {
  std::string text = LoadMessage(Msg::dataMsg);
  for (size_t i = id.size(); i-- > 0;) {
    hex::AppendByte(text, id[i]);
    text.push_back(' ');
  }
  return text;
}

std::vector<std::string> EmIdLines(std::span<const uint8_t, 5> e) {
  const EmId id = EmId::FromBytes(e);
  std::string second = "ID: ";
  for (size_t i = 4; i >= 1; --i) {
    hex::AppendByte(second, e[i]);
    if (i > 1) second.push_back(' ');
  }
  second += "[" + FormatPaddedDecimal(10, id.serialNumber) + "]";
  return {LoadMessage(Msg::VersionCustomerIDMsg) + FormatPaddedDecimal(3, id.versionCustomerId),
          second};
}

std::string BdeIdLine(std::span<const uint8_t, 8> id) {
  const BdeIdCode c = BdeIdCode::FromBytes(id);
  return "ID: " + std::to_string(c.flag) + " " + std::to_string(c.typeOfTransponder) + " " +
         std::to_string(c.applicationCode) + " " + std::to_string(c.supplierCode) + " " +
         std::to_string(c.serialNumber);
}

std::string FecavaIdLine(std::span<const uint8_t, 5> characters) {
  std::string text = "ID: ";
  for (size_t i = 0; i < characters.size(); ++i) {
    if (i > 0) text.push_back(' ');
    hex::AppendByte(text, FecavaValue(characters[i]));
  }
  return text;
}

}  // namespace fdx
