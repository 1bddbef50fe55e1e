#include "cli/tag_identity.h"

#include <algorithm>
#include <array>

#include "codec/animal_id.h"
#include "codec/country_names.h"
#include "codec/tag_type.h"
#include "core/hex.h"

namespace {

// 'I' frames carry at most this many ID bytes; the codec reads eight (missing ones are zero).
constexpr int kMaxIdBytes = 16;

}  // namespace

TagIdentity IdentityOfFrame(const uint8_t* f, bool japaneseNames) {
  TagIdentity id;
  const int count = std::clamp(static_cast<int>(f[3]) - 1, 0, kMaxIdBytes);
  const std::string kindText = f[3] >= 1 ? hex::Byte(f[4]) : std::string("00");
  id.tagType = TallyTagLabel(kindText);
  for (int k = count - 1; k >= 0; --k)
    id.bytes += (id.bytes.empty() ? "" : " ") + hex::Byte(f[5 + k]);
  std::array<uint8_t, 8> eight{};
  std::copy_n(f + 5, std::min(count, 8), eight.begin());
  id.kind = "id";
  const auto type = f[3] >= 1 ? TagTypeOf(f[4]) : std::nullopt;
  if (type == TagType::Em) {
    std::array<uint8_t, 5> five{};
    std::copy_n(eight.begin(), five.size(), five.begin());
    const fdx::EmId em = fdx::EmId::FromBytes(five);
    id.kind = "em";
    id.em = TagIdentity::Em{em.versionCustomerId, em.serialNumber};
  } else if (type == TagType::FdxB || type == TagType::ReadOnly) {
    const fdx::AnimalIdCode code = fdx::AnimalIdCode::FromBytes(eight);
    if (code.animal) {
      id.kind = "animal";
      id.animal = TagIdentity::Animal{
          code.countryCode,     fdx::CountryName(code.countryCode, japaneseNames),
          code.nationalId,      code.retagCounter,
          code.userInformation, code.reserved,
          code.rudiBit != 0,    code.dataBlockFlag != 0};
    } else if (type == TagType::FdxB) {
      // A read-only HDX tag without the animal flag carries no code of the standard.
      id.kind = "industrial";
      id.industrial = fdx::NonAnimalNumber(fdx::FromIdBytes(eight));
    }
  }
  return id;
}

QJsonObject IdentityJson(const TagIdentity& id) {
  QJsonObject o{{"code_kind", QString::fromStdString(id.kind)}};
  if (id.animal) {
    const TagIdentity::Animal& a = *id.animal;
    o.insert("country", static_cast<int>(a.country));
    if (!a.countryName.empty()) o.insert("country_name", QString::fromStdString(a.countryName));
    o.insert("national", static_cast<qint64>(a.national));
    o.insert("flags", QJsonObject{{"retag_counter", static_cast<int>(a.retagCounter)},
                                  {"user_information", static_cast<int>(a.userInformation)},
                                  {"reserved", static_cast<int>(a.reserved)},
                                  {"rudi", a.rudi},
                                  {"data_block", a.dataBlock}});
  }
  if (id.industrial) o.insert("industrial", QString::number(*id.industrial));
  if (id.em) {
    o.insert("em_number", static_cast<qint64>(id.em->serial));
    o.insert("em_version", static_cast<int>(id.em->version));
  }
  return o;
}

std::string IdentityText(const TagIdentity& id) {
  std::string t = "Tag Type: " + id.tagType + "\nKind: " + id.kind + "\nID: " + id.bytes + "\n";
  if (id.animal) {
    const TagIdentity::Animal& a = *id.animal;
    const fdx::AnimalIdCode code = fdx::AnimalIdCode::Animal(a.country, a.national);
    t += "Country: " + code.CountryText() + (a.countryName.empty() ? "" : " " + a.countryName) +
         "\nNational ID: " + code.NationalText() + "\nFlags: retag counter " +
         std::to_string(a.retagCounter) + ", user information " +
         std::to_string(a.userInformation) + ", reserved " + std::to_string(a.reserved) +
         ", RUDI " + (a.rudi ? "1" : "0") + ", data block " + (a.dataBlock ? "1" : "0") + "\n";
  }
  if (id.industrial) t += "Number: " + fdx::FormatPaddedDecimal(19, *id.industrial) + "\n";
  if (id.em)
    t += "EM number: " + fdx::FormatPaddedDecimal(10, id.em->serial) +
         "\nEM version: " + std::to_string(id.em->version) + "\n";
  return t;
}
