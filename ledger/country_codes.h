#pragma once
// The country codes of ISO 11784 animal codes: ISO 3166-1 numeric codes for countries, 900-998
// for manufacturers, 999 for test transponders. The ISO 3166-1 list is generated at build time
// from Debian's iso-codes package (ledger/iso3166_numeric.cmake).
namespace ledger {

inline constexpr unsigned kTestCountry = 999;

// Sorted ascending.
extern const unsigned short kIso3166Numeric[];
extern const unsigned kIso3166Count;

bool IsIso3166Numeric(unsigned code);
// 900-998: codes given to manufacturers.
inline bool IsManufacturerCode(unsigned code) {
  return code >= 900 && code <= 998;
}

}  // namespace ledger
