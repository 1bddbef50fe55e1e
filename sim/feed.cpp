#include "sim/feed.h"

#include <algorithm>
#include <array>

#include "sim/chip_registry.h"
#include "sim/chips/em4305.h"
#include "sim/chips/hdx_plus.h"
#include "sim/chips/sic279.h"
#include "sim/chips/sic7888.h"

namespace sim {

namespace {

struct FeedChip {
  const char* name;
  uint8_t writeCode;
};
constexpr FeedChip kChips[] = {
    {"sic7888", 0x86}, {"em4305", 0xE5}, {"sic279", 0x59}, {"hdxplus", 0x3B}};

const FeedChip* ChipNamed(const std::string& name) {
  const std::string n = name == "hdx+" || name == "hdxp" ? "hdxplus" : name;
  for (const FeedChip& c : kChips)
    if (n == c.name) return &c;
  return nullptr;
}

std::array<uint8_t, 4> BigEndian(uint32_t v) {
  return {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16),
          static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
}

}  // namespace

std::string FeedChips() {
  std::string names;
  for (const FeedChip& c : kChips) names += (names.empty() ? "" : ", ") + std::string(c.name);
  return names;
}

bool ParseFeedSpec(const std::string& spec, FeedPlan& plan, std::string& error) {
  const size_t colon = spec.find(':');
  const std::string chip = spec.substr(0, colon);
  const FeedChip* c = ChipNamed(chip);
  if (!c) {
    error = "\"" + chip + "\" is not one of " + FeedChips();
    return false;
  }
  plan.chip = c->name;
  plan.count = 0;
  if (colon != std::string::npos) {
    const auto n = ParseDecimalArg(spec.substr(colon + 1), 100000000);
    if (!n || *n == 0) {
      error = "\"" + spec.substr(colon + 1) + "\" is not a number of tags (1 to 100000000)";
      return false;
    }
    plan.count = *n;
  }
  return true;
}

Feed::Feed(FeedPlan plan) : plan_(std::move(plan)) {
  const FeedChip* c = ChipNamed(plan_.chip);
  writeCode_ = c ? c->writeCode : 0;
}

std::shared_ptr<Transponder> Feed::MakeTag(uint32_t uid) const {
  if (plan_.chip == "em4305") return std::make_shared<Em4305Tag>(uid);
  if (plan_.chip == "sic279") {
    auto tag = std::make_shared<Sic279Tag>(0);
    const auto b = BigEndian(uid);
    std::copy(b.begin(), b.end(), tag->Traceability.begin() + 2);
    return tag;
  }
  if (plan_.chip == "hdxplus") {
    auto tag = std::make_shared<HdxPlusTag>(0);
    tag->Memory().Program(0, LittleEndianBytes(uid, 4));
    return tag;
  }
  return std::make_shared<Sic7888Tag>(uid);
}

void Feed::Advance(std::vector<std::shared_ptr<Transponder>>& tags, TimePoint now) {
  if (current_ || (nextAt_ && now < *nextAt_)) return;
  if (plan_.count && counters_.presented >= plan_.count) return;
  current_ = MakeTag(plan_.firstUid + static_cast<uint32_t>(counters_.presented));
  written_ = false;
  tags.push_back(current_);
  ++counters_.presented;
}

void Feed::Observe(std::vector<std::shared_ptr<Transponder>>& tags, const TagCommand& cmd,
                   TimePoint now) {
  if (!current_) return;
  if (cmd.code == writeCode_) {
    written_ = true;
    return;
  }
  if (!written_ || !IdReadOf(cmd)) return;
  tags.erase(std::remove(tags.begin(), tags.end(), current_), tags.end());
  current_.reset();
  ++counters_.readBack;
  nextAt_ = now + plan_.gap;
}

}  // namespace sim
