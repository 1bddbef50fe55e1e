#include "codec/animal_id.h"

#include <bit>
#include <utility>

namespace fdx {

namespace {

uint64_t Bits(uint64_t v, int low, int width) {
  return (v >> low) & ((uint64_t{1} << width) - 1);
}

uint64_t Field(uint64_t value, int low, int width) {
  return (value & ((uint64_t{1} << width) - 1)) << low;
}

// The first four digits of the national ID and the name the debug display writes for them.
constexpr std::pair<std::string_view, std::string_view> kMakerCodeTable[] = {
    {"1410", "富士平工業株式会社"},
    {"1411", "株式会社コスミックエムイー"},
    {"1415", "株式会社日立ハイテクマテリアルズ"},
    {"1420", "日本マイクロチップ技術開発株式会社"},
    {"1430", "株式会社共立商会"},
    {"1440", "日本マイクロチップネットワーク株式会社（共立製薬株式会社）"},
    {"1450", "サージミヤワキ株式会社"},
    {"1460", "共立製薬株式会社"},
    {"1470", "バイオリサーチセンター株式会社"},
    {"1480", "ＤＳファーマアニマルヘルス株式会社"},
    {"1481", "ＤＳファーマアニマルヘルス株式会社"},
    {"1490", "日特エンジニアリング株式会社"},
    {"1499", "ワールドネットワーク株式会社"},
};

}  // namespace

uint64_t FromIdBytes(std::span<const uint8_t, 8> bytes) {
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = v << 8 | bytes[static_cast<size_t>(i)];
  return v;
}

IdBytes ToIdBytes(uint64_t value) {
  IdBytes b{};
  for (size_t i = 0; i < b.size(); ++i) b[i] = static_cast<uint8_t>(value >> (8 * i));
  return b;
}

AnimalIdCode AnimalIdCode::Decode(uint64_t v) {
  AnimalIdCode c;
  c.animal = Bits(v, 63, 1) != 0;
  c.retagCounter = static_cast<unsigned>(Bits(v, 60, 3));
  c.userInformation = static_cast<unsigned>(Bits(v, 55, 5));
  c.reserved = static_cast<unsigned>(Bits(v, 50, 5));
  c.rudiBit = static_cast<unsigned>(Bits(v, 49, 1));
  c.dataBlockFlag = static_cast<unsigned>(Bits(v, 48, 1));
  c.countryCode = static_cast<unsigned>(Bits(v, 38, 10));
  c.nationalId = Bits(v, 0, 38);
  return c;
}

AnimalIdCode AnimalIdCode::Animal(unsigned country, uint64_t nationalId) {
  AnimalIdCode c;
  c.animal = true;
  c.countryCode = country & kMaxCountryCode;
  c.nationalId = nationalId & kMaxNationalId;
  return c;
}

uint64_t AnimalIdCode::Encode() const {
  return Field(animal ? 1 : 0, 63, 1) | Field(retagCounter, 60, 3) | Field(userInformation, 55, 5) |
         Field(reserved, 50, 5) | Field(rudiBit, 49, 1) | Field(dataBlockFlag, 48, 1) |
         Field(countryCode, 38, 10) | Field(nationalId, 0, 38);
}

std::string AnimalIdCode::CountryText() const {
  return FormatPaddedDecimal(3, countryCode);
}

std::string AnimalIdCode::NationalText() const {
  return FormatPaddedDecimal(12, nationalId);
}

std::string FormatPaddedDecimal(int width, uint64_t value) {
  std::string digits = std::to_string(value);
  if (static_cast<int>(digits.size()) < width)
    digits.insert(0, static_cast<size_t>(width) - digits.size(), '0');
  return digits;
}

std::string_view MakerCodeName(std::string_view firstFour) {
  for (const auto& [code, name] : kMakerCodeTable)
    if (code == firstFour) return name;
  return {};
}

AnimalIdDisplayMode DisplayModeOf(int fReadAnimalID) {
  if (fReadAnimalID == 0) return AnimalIdDisplayMode::IdOnly;
  if (fReadAnimalID == 1) return AnimalIdDisplayMode::IdAndIndividual;
  return AnimalIdDisplayMode::Debug;
}

AnimalIdEntryDialog EntryDialogOf(int fWriteAnimalID) {
  return fWriteAnimalID == 0 ? AnimalIdEntryDialog::IdOnly : AnimalIdEntryDialog::Detailed;
}

std::vector<std::string> AnimalIdLines(std::span<const uint8_t, 8> id, AnimalIdDisplayMode mode) {
  const uint64_t v = FromIdBytes(id);
  const AnimalIdCode code = AnimalIdCode::Decode(v);
  if (!code.animal)
    return {"Non animal Application", "ID: " + FormatPaddedDecimal(18, NonAnimalNumber(v))};

  const std::string ccc = code.CountryText();
  const std::string nnn = code.NationalText();
  std::vector<std::string> lines{"Animal Application"};
  switch (mode) {
    case AnimalIdDisplayMode::IdOnly:
      lines.push_back("ID : " + ccc + " " + nnn);
      break;
    case AnimalIdDisplayMode::IdAndIndividual:
      lines.push_back("ID : " + ccc + " " + nnn);
      lines.push_back("国番号        ：" + ccc);
      lines.push_back("動物コード    ：" + code.AnimalCodeDigits());
      lines.push_back("販売会社コード：" + code.MakerCodeDigits());
      lines.push_back("個体識別番号  ：" + code.IndividualDigits());
      break;
    case AnimalIdDisplayMode::Debug: {
      lines.push_back("Country Code    : " + ccc +
                      (code.countryCode == AnimalIdCode::kJapan ? "(Japan)" : ""));
      lines.push_back("ID              : " + nnn);
      lines.push_back("Retag-counter   : " + FormatPaddedDecimal(1, code.retagCounter));
      lines.push_back("User Information: " + FormatPaddedDecimal(2, code.userInformation));
      lines.push_back("Reserved        : " + FormatPaddedDecimal(2, code.reserved));
      lines.push_back("RUDI-Bit        : " + FormatPaddedDecimal(1, code.rudiBit));
      lines.push_back("Data Block Flag : " + FormatPaddedDecimal(1, code.dataBlockFlag));
      const std::string_view maker = MakerCodeName(std::string_view(nnn).substr(0, 4));
      if (!maker.empty()) lines.emplace_back(maker);
      break;
    }
  }
  return lines;
}

BdeIdCode BdeIdCode::Decode(uint64_t v) {
  BdeIdCode c;
  c.flag = static_cast<unsigned>(Bits(v, 63, 1));
  c.typeOfTransponder = static_cast<unsigned>(Bits(v, 62, 1));
  c.applicationCode = static_cast<uint32_t>(Bits(v, 32, 30));
  c.supplierCode = static_cast<unsigned>(Bits(v, 22, 10));
  c.serialNumber = static_cast<uint32_t>(Bits(v, 0, 22));
  return c;
}

uint64_t BdeIdCode::Encode() const {
  return Field(flag, 63, 1) | Field(typeOfTransponder, 62, 1) | Field(applicationCode, 32, 30) |
         Field(supplierCode, 22, 10) | Field(serialNumber, 0, 22);
}

EmId EmId::FromBytes(std::span<const uint8_t, 5> e) {
  EmId id;
  id.versionCustomerId = e[0];
  id.serialNumber = uint32_t{e[1]} << 24 | uint32_t{e[2]} << 16 | uint32_t{e[3]} << 8 | e[4];
  return id;
}

EmId EmId::FromValue(uint64_t emId) {
  EmId id;
  id.versionCustomerId = static_cast<uint8_t>(emId >> 32);
  id.serialNumber = static_cast<uint32_t>(emId);
  return id;
}

uint64_t EncodeEm4100(uint64_t emId) {
  uint64_t frame = 0;
  auto append = [&frame](uint64_t bits, int count) { frame = frame << count | bits; };
  append(0x1FF, 9);
  unsigned columns = 0;
  for (int r = 0; r < 10; ++r) {
    const unsigned nibble = static_cast<unsigned>(emId >> (36 - 4 * r)) & 0xF;
    append(nibble, 4);
    append(std::popcount(nibble) & 1, 1);
    columns ^= nibble;
  }
  append(columns, 4);
  append(0, 1);
  return frame;
}

uint8_t FecavaParity(uint8_t v) {
  return (std::popcount(static_cast<unsigned>(v & 0x7F)) & 1) ? 0 : 1;
}

std::array<uint8_t, 12> EncodeFecava(std::span<const uint8_t, 5> values) {
  // Bi-phase code of a nibble, most significant bit first: 1 becomes 01, 0 becomes 10.
  auto code = [](unsigned n) {
    unsigned out = 0;
    for (int bit = 3; bit >= 0; --bit) out = out << 2 | (((n >> bit) & 1) ? 0b01 : 0b10);
    return static_cast<uint8_t>(out);
  };
  std::array<uint8_t, 12> image{0xAA, 0xE2};
  size_t at = 2;
  for (uint8_t v : values) {
    const uint8_t c = FecavaCharacter(v);
    image[at++] = code(c >> 4);
    image[at++] = code(c & 0x0F);
  }
  return image;
}

}  // namespace fdx
