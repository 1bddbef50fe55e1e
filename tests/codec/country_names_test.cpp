// The country names of the animal codes: both languages from the installed iso-codes data, codes
// that name no country, and .mo catalogues that are damaged or in the other byte order.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "codec/country_names.h"

using namespace fdx;

namespace {

void PutWord(std::string& s, uint32_t v, bool bigEndian) {
  for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>(v >> (8 * (bigEndian ? 3 - i : i))));
}

// A catalogue of one entry "Japan" -> "日本".
std::string OneEntryCatalogue(bool bigEndian) {
  const std::string id = "Japan", text = "日本";
  std::string mo;
  PutWord(mo, 0x950412de, bigEndian);
  PutWord(mo, 0, bigEndian);   // revision
  PutWord(mo, 1, bigEndian);   // count
  PutWord(mo, 28, bigEndian);  // original table
  PutWord(mo, 36, bigEndian);  // translation table
  PutWord(mo, 0, bigEndian);   // hash size
  PutWord(mo, 0, bigEndian);   // hash offset
  PutWord(mo, id.size(), bigEndian);
  PutWord(mo, 44, bigEndian);
  PutWord(mo, text.size(), bigEndian);
  PutWord(mo, 44 + id.size() + 1, bigEndian);
  mo += id + '\0' + text + '\0';
  return mo;
}

}  // namespace

TEST(CountryNames, BothLanguagesFromTheInstalledData) {
  EXPECT_EQ(CountryName(392, false), "Japan");
  EXPECT_EQ(CountryName(392, true), "日本");
  EXPECT_EQ(CountryName(276, false), "Germany");
  EXPECT_EQ(CountryName(276, true), "ドイツ");
  // The common name where the table gives one, translated as such.
  EXPECT_EQ(CountryName(158, false), "Taiwan");
  EXPECT_EQ(CountryName(158, true), "台湾");
}

TEST(CountryNames, CodesThatNameNoCountryGiveNothing) {
  for (unsigned code : {0u, 999u, 1000u, 1023u, 4294967295u}) {
    EXPECT_EQ(CountryName(code, false), "") << code;
    EXPECT_EQ(CountryName(code, true), "") << code;
  }
}

TEST(CountryNames, MoCatalogueInEitherByteOrderAndDamaged) {
  for (bool bigEndian : {false, true}) {
    const auto catalogue = ReadMoCatalogue(OneEntryCatalogue(bigEndian));
    ASSERT_EQ(catalogue.size(), 1u) << bigEndian;
    EXPECT_EQ(catalogue.at("Japan"), "日本");
  }
  std::string mo = OneEntryCatalogue(false);
  // A catalogue cut anywhere before its last text is complete gives nothing, never bytes from
  // beyond the end.
  for (size_t n = 0; n + 1 < mo.size(); ++n) {
    const auto catalogue = ReadMoCatalogue(std::string_view(mo).substr(0, n));
    EXPECT_TRUE(catalogue.empty()) << n;
  }
  // An entry count far beyond the table, and a string offset far beyond the end.
  std::string huge = mo;
  huge[8] = huge[9] = huge[10] = huge[11] = '\xff';
  EXPECT_EQ(ReadMoCatalogue(huge).at("Japan"), "日本");
  std::string wild = mo;
  wild[32] = wild[33] = wild[34] = wild[35] = '\xff';
  EXPECT_TRUE(ReadMoCatalogue(wild).empty());
  EXPECT_TRUE(ReadMoCatalogue("not a catalogue at all").empty());
}
