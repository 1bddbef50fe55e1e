#pragma once
// The readable form of an ID the tag table shows beside its hexadecimal bytes: an ISO 11784 code
// as country and national ID with the country's name ("392 123456789012 (Japan)").
#include <string>

// For an FDX-B ID, or a read-only HDX ID that carries the animal flag: "CCC NNNNNNNNNNNN" and,
// where the country is known, its name in brackets, in Japanese or English. `idText` is the
// tally's ID text (bytes in hexadecimal, most significant first, each followed by a blank, then
// any decoration); `tagLabel` the tally's tag type label ("FDX-B", "RO"). "" for anything else.
std::string DecodedIdText(const std::string& tagLabel, const std::string& idText, bool japanese);
