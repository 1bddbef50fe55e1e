#include "cli/tag_identity.h"

#include "codec/animal_id.h"
#include "codec/country_names.h"
#include "codec/tag_type.h"

TagIdentity IdentityOf(const fdx::FrameId& frameId, bool japaneseNames) {
  TagIdentity id;
  id.tagType = TallyTagLabel(frameId.KindText());
  id.bytes = frameId.HexText();
  if (!id.bytes.empty()) id.bytes.pop_back();  // the blank after the last byte
  id.kind = "id";
  if (frameId.em) {
    id.kind = "em";
    id.em = TagIdentity::Em{frameId.em->versionCustomerId, frameId.em->serialNumber};
  } else if (frameId.Animal()) {
    const fdx::AnimalIdCode& code = *frameId.iso;
    id.kind = "animal";
    id.animal =
        TagIdentity::Animal{code.countryCode,     fdx::CountryName(code.countryCode, japaneseNames),
                            code.nationalId,      code.retagCounter,
                            code.userInformation, code.reserved,
                            code.rudiBit != 0,    code.dataBlockFlag != 0};
  } else if (frameId.iso) {
    // An FDX-B code without the animal flag (a read-only HDX tag without it carries no code).
    id.kind = "industrial";
    id.industrial = fdx::NonAnimalNumber(frameId.value);
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
