#include "ledger/code_plan.h"

#include <algorithm>

#include "codec/animal_id.h"

namespace ledger {

using fdx::AnimalIdCode;

uint64_t MaxNumber(CodeKind kind) {
  return kind == CodeKind::Animal ? AnimalIdCode::kMaxNationalId : ~AnimalIdCode::kAnimalFlag;
}

uint64_t CodeOf(CodeKind kind, unsigned country, uint64_t number) {
  if (kind == CodeKind::Animal) return AnimalIdCode::Animal(country, number).Encode();
  return fdx::NonAnimalNumber(number);
}

CodeKind KindOf(uint64_t code) {
  return (code & AnimalIdCode::kAnimalFlag) ? CodeKind::Animal : CodeKind::Industrial;
}

unsigned CountryOf(uint64_t code) {
  return KindOf(code) == CodeKind::Animal ? AnimalIdCode::Decode(code).countryCode : 0;
}

uint64_t NumberOf(uint64_t code) {
  return KindOf(code) == CodeKind::Animal ? AnimalIdCode::Decode(code).nationalId
                                          : fdx::NonAnimalNumber(code);
}

bool IsSeriesCode(uint64_t code) {
  return CodeOf(KindOf(code), CountryOf(code), NumberOf(code)) == code;
}

uint64_t CodeCount(const SeriesPlan& plan, std::optional<uint64_t> limit) {
  const uint64_t max = MaxNumber(plan.kind);
  if (plan.first > max || plan.increment == 0) return 0;
  const uint64_t fit = (max - plan.first) / plan.increment + 1;
  uint64_t count = plan.planned ? std::min(*plan.planned, fit) : fit;
  if (!plan.planned && limit) count = std::min(count, *limit);
  return count;
}

std::optional<uint64_t> NumberAt(const SeriesPlan& plan, uint64_t index) {
  if (index >= CodeCount(plan)) return std::nullopt;
  return plan.first + index * plan.increment;
}

}  // namespace ledger
