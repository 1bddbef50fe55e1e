#pragma once
// The codes of a series, in plain C++. A series is a kind of code (ISO 11784 animal codes of one
// country, or industrial 63-bit numbers), a first number (the national ID, or the industrial
// number), a step and, where one is planned, a count: its code number i is first + i * increment.
#include <cstdint>
#include <optional>

namespace ledger {

enum class CodeKind { Animal, Industrial };

struct SeriesPlan {
  CodeKind kind = CodeKind::Animal;
  unsigned country = 0;  // animal codes; 0 for industrial ones
  uint64_t first = 0;
  uint64_t increment = 1;
  std::optional<uint64_t> planned;  // codes planned; nullopt: up to the largest number

  bool operator==(const SeriesPlan&) const = default;
};

// The largest number of each kind: 274877906943 (38 bits) and 2^63 - 1.
uint64_t MaxNumber(CodeKind kind);
// The 64-bit code of a number: the animal flag, the country and the national ID, or the number
// with bit 63 clear.
uint64_t CodeOf(CodeKind kind, unsigned country, uint64_t number);
inline uint64_t CodeOf(const SeriesPlan& plan, uint64_t number) {
  return CodeOf(plan.kind, plan.country, number);
}
// The kind of a code, its country (0 for industrial codes) and its number.
CodeKind KindOf(uint64_t code);
unsigned CountryOf(uint64_t code);
uint64_t NumberOf(uint64_t code);
// Whether the code is one a series can hand out: an industrial code, or an animal code with
// nothing but its country and national ID set.
bool IsSeriesCode(uint64_t code);

// The number of code `index` of the series; nullopt past its planned count or its kind's largest
// number.
std::optional<uint64_t> NumberAt(const SeriesPlan& plan, uint64_t index);
// How many codes the series has: the planned count, or as many as fit below the largest number;
// `limit` caps a count that nothing planned (the first `limit` codes of a run).
uint64_t CodeCount(const SeriesPlan& plan, std::optional<uint64_t> limit = std::nullopt);

}  // namespace ledger
