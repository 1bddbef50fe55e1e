#pragma once
// The ID codec of the FDX family, in plain C++: the 64-bit ISO 11784 identification code with its
// Japanese national-ID structure, the BDE code, the EM ID with its EM4100 frame, and the FECAVA
// characters with their tag image. Decoders accept any bytes and never fail; encoders cut every
// field to its width.
//
//   const AnimalIdCode code = AnimalIdCode::FromBytes(id);      // id0 .. id7, id0 least
//   significant code.countryCode, code.nationalId, code.Encode() ... AnimalIdLines(id,
//   DisplayModeOf(settings.fReadAnimalID));  // the lines LogAnimalId writes
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace fdx {

// An 8-byte ID as it travels (byte 0 least significant) and as one 64-bit value.
using IdBytes = std::array<uint8_t, 8>;
uint64_t FromIdBytes(std::span<const uint8_t, 8> bytes);
IdBytes ToIdBytes(uint64_t value);

// The ISO 11784 identification code, field by field.
struct AnimalIdCode {
  static constexpr uint64_t kAnimalFlag = uint64_t{1} << 63;
  static constexpr uint64_t kMaxNationalId = (uint64_t{1} << 38) - 1;  // 274877906943
  static constexpr unsigned kMaxCountryCode = 1023;
  static constexpr unsigned kJapan = 392;
  static constexpr unsigned kTestTransponder = 999;

  bool animal = false;           // bit 63: 1 animal application, 0 non-animal ("Industrial")
  unsigned retagCounter = 0;     // bits 60-62
  unsigned userInformation = 0;  // bits 55-59
  unsigned reserved = 0;         // bits 50-54
  unsigned rudiBit = 0;          // bit 49
  unsigned dataBlockFlag = 0;    // bit 48
  unsigned countryCode = 0;      // bits 38-47
  uint64_t nationalId = 0;       // bits 0-37

  static AnimalIdCode Decode(uint64_t value);
  static AnimalIdCode FromBytes(std::span<const uint8_t, 8> bytes) {
    return Decode(FromIdBytes(bytes));
  }
  // An animal code with only country and national ID set, each cut to its width (what the plain
  // ID dialogs compose).
  static AnimalIdCode Animal(unsigned country, uint64_t nationalId);

  // Every field cut to its width.
  uint64_t Encode() const;
  IdBytes Bytes() const { return ToIdBytes(Encode()); }

  // Display forms: country "%03u", national ID "%012llu".
  std::string CountryText() const;
  std::string NationalText() const;
  // The Japanese structure of the 12-digit national ID: digits 1-2 the animal code, 3-4 the
  // maker / sales-company code, 5-12 the individual number.
  std::string AnimalCodeDigits() const { return NationalText().substr(0, 2); }
  std::string MakerCodeDigits() const { return NationalText().substr(2, 2); }
  std::string IndividualDigits() const { return NationalText().substr(4); }

  bool operator==(const AnimalIdCode&) const = default;
};

// A non-animal (industrial) code: the low 63 bits as one number.
inline uint64_t NonAnimalNumber(uint64_t value) {
  return value & ~AnimalIdCode::kAnimalFlag;
}

// The value in decimal, preceded by as many "0" as needed to reach width; a longer number is
// returned unchanged.
std::string FormatPaddedDecimal(int width, uint64_t value);

// The name of the maker whose code (animal code and maker code, the first four digits of the
// national ID) is `firstFour`; empty when the table has none. The names read the same in both
// user-interface languages.
std::string_view MakerCodeName(std::string_view firstFour);

// The display modes of LogAnimalId (setting fReadAnimalID).
enum class AnimalIdDisplayMode { IdOnly = 0, IdAndIndividual = 1, Debug = 2 };
// 0 and 1 as they are; any other value is the debug display.
AnimalIdDisplayMode DisplayModeOf(int fReadAnimalID);
// The entry dialog of the animal-ID writes (setting fWriteAnimalID): 0 the plain ID dialog, any
// other value the detailed dialog.
enum class AnimalIdEntryDialog { IdOnly = 0, Detailed = 1 };
AnimalIdEntryDialog EntryDialogOf(int fWriteAnimalID);

// The lines LogAnimalId writes for the 8 ID bytes in the given mode.
std::vector<std::string> AnimalIdLines(std::span<const uint8_t, 8> id, AnimalIdDisplayMode mode);

// The BDE code: its own fields over the same 8 bytes.
struct BdeIdCode {
  static constexpr uint32_t kMaxApplicationCode = (uint32_t{1} << 30) - 1;
  static constexpr unsigned kMaxSupplierCode = 1023;
  static constexpr uint32_t kMaxSerialNumber = (uint32_t{1} << 22) - 1;
  static constexpr uint32_t kDialogApplicationCode = 4194304;  // what the BDE dialog writes

  unsigned flag = 0;               // bit 63
  unsigned typeOfTransponder = 0;  // bit 62
  uint32_t applicationCode = 0;    // bits 32-61
  unsigned supplierCode = 0;       // bits 22-31 (manufacturer code)
  uint32_t serialNumber = 0;       // bits 0-21

  static BdeIdCode Decode(uint64_t value);
  static BdeIdCode FromBytes(std::span<const uint8_t, 8> bytes) {
    return Decode(FromIdBytes(bytes));
  }
  uint64_t Encode() const;
  IdBytes Bytes() const { return ToIdBytes(Encode()); }

  bool operator==(const BdeIdCode&) const = default;
};

// The EM ID as the module reports it: e0 the version/customer ID, e1..e4 the serial number, e1
// the most significant byte.
struct EmId {
  static constexpr uint64_t kMax = (uint64_t{1} << 40) - 1;  // 1099511627775

  uint8_t versionCustomerId = 0;
  uint32_t serialNumber = 0;

  static EmId FromBytes(std::span<const uint8_t, 5> e);
  static EmId FromValue(uint64_t emId);
  uint64_t Value() const { return uint64_t{versionCustomerId} << 32 | serialNumber; }
};

// The 64-bit EM4100 frame of an EM ID (its low 40 bits): nine header bits, ten rows of a nibble
// and its even parity, four column parities and a stop bit 0; bit 63 is sent first.
uint64_t EncodeEm4100(uint64_t emId);

// FECAVA character parity of a 7-bit value: 1 when v has an even number of 1 bits, so that
// (parity << 7) | v has an odd number.
uint8_t FecavaParity(uint8_t v);
// The character byte of a 7-bit value, and the 7-bit value of a character byte.
inline uint8_t FecavaCharacter(uint8_t v) {
  v &= 0x7F;
  return static_cast<uint8_t>(FecavaParity(v) << 7 | v);
}
inline uint8_t FecavaValue(uint8_t c) {
  return c & 0x7F;
}
// The 12-byte FECAVA tag image of the values v1..v5 (low 7 bits each): 0xAA, 0xE2, then each
// character's high and low nibble in bi-phase code.
std::array<uint8_t, 12> EncodeFecava(std::span<const uint8_t, 5> values);

}  // namespace fdx
