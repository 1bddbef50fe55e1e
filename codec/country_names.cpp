#include "codec/country_names.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdint>
#include <map>
#include <optional>

#include "core/files.h"

namespace fdx {

namespace {

constexpr const char* kTablePath = "/usr/share/iso-codes/json/iso_3166-1.json";
constexpr const char* kJapanesePath = "/usr/share/locale/ja/LC_MESSAGES/iso_3166-1.mo";
constexpr size_t kDataLimit = size_t{4} << 20;

struct Names {
  std::string english;
  std::string japanese;
};

uint32_t Word(std::string_view bytes, size_t at, bool swapped) {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) {
    const uint32_t b = static_cast<uint8_t>(bytes[at + (swapped ? 3 - i : i)]);
    v |= b << (8 * i);
  }
  return v;
}

// The string an entry of a .mo table (length, offset) points to, when it lies inside the bytes.
std::optional<std::string_view> MoString(std::string_view bytes, size_t entry, bool swapped) {
  if (entry > bytes.size() || bytes.size() - entry < 8) return std::nullopt;
  const size_t length = Word(bytes, entry, swapped);
  const size_t offset = Word(bytes, entry + 4, swapped);
  if (offset > bytes.size() || bytes.size() - offset < length) return std::nullopt;
  return bytes.substr(offset, length);
}

std::map<unsigned, Names> LoadNames() {
  std::map<unsigned, Names> names;
  const files::ReadResult table = files::ReadWhole(kTablePath, kDataLimit);
  if (!table.Ok()) return names;
  const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(table.data));
  const files::ReadResult mo = files::ReadWhole(kJapanesePath, kDataLimit);
  const auto japanese =
      mo.Ok() ? ReadMoCatalogue(mo.data) : std::unordered_map<std::string, std::string>{};
  const QJsonArray countries = doc.object().value("3166-1").toArray();
  for (qsizetype i = 0; i < countries.size(); ++i) {
    const QJsonObject country = countries.at(i).toObject();
    bool ok = false;
    const unsigned numeric = country.value("numeric").toString().toUInt(&ok, 10);
    // The common name where the table has one ("Taiwan", "Bolivia"), else the short name.
    const std::string name = country.value("name").toString().toStdString();
    const std::string common = country.value("common_name").toString().toStdString();
    if (!ok || name.empty()) continue;
    Names& n = names[numeric];
    n.english = common.empty() ? name : common;
    auto ja = japanese.find(n.english);
    if (ja == japanese.end()) ja = japanese.find(name);
    n.japanese = ja != japanese.end() && !ja->second.empty() ? ja->second : n.english;
  }
  return names;
}

}  // namespace

std::unordered_map<std::string, std::string> ReadMoCatalogue(std::string_view bytes) {
  std::unordered_map<std::string, std::string> catalogue;
  if (bytes.size() < 20) return catalogue;
  const uint32_t magic = Word(bytes, 0, false);
  const bool swapped = magic == 0xde120495u;
  if (magic != 0x950412deu && !swapped) return catalogue;
  const size_t count = Word(bytes, 8, swapped);
  const size_t originals = Word(bytes, 12, swapped);
  const size_t translations = Word(bytes, 16, swapped);
  for (size_t i = 0; i < count; ++i) {
    // Each table entry is 8 bytes; a count that runs past the bytes ends at their end.
    if (i > (bytes.size() / 8)) break;
    const auto id = MoString(bytes, originals + i * 8, swapped);
    const auto text = MoString(bytes, translations + i * 8, swapped);
    if (!id || !text) continue;
    catalogue.emplace(std::string(*id), std::string(*text));
  }
  return catalogue;
}

std::string CountryName(unsigned numeric, bool japanese) {
  static const std::map<unsigned, Names> names = LoadNames();
  const auto it = names.find(numeric);
  if (it == names.end()) return "";
  return japanese ? it->second.japanese : it->second.english;
}

}  // namespace fdx
