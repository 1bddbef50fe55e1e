#pragma once
// The names of the countries of ISO 3166-1 by their numeric code (the country field of an ISO
// 11784 animal code), in English or Japanese, from the system's iso-codes data: the English names
// from its JSON table, the Japanese ones from its gettext catalogue, whose message IDs are the
// English names. Both files are read once, on the first call.
#include <string>
#include <string_view>
#include <unordered_map>

namespace fdx {

// The country's name, or "" when the code names no country (0, 999, a code beyond the table) or
// the data is not installed. A name without a Japanese translation is given in English.
std::string CountryName(unsigned numeric, bool japanese);

// The translations of a gettext .mo catalogue (either byte order), message ID to text. Bytes
// that are not a catalogue, or entries that point outside them, give nothing (or are skipped).
std::unordered_map<std::string, std::string> ReadMoCatalogue(std::string_view bytes);

}  // namespace fdx
