#include "sim/chip_registry.h"

#include <charconv>
#include <utility>

namespace sim {

namespace {
bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::optional<uint64_t> ParseNumber(std::string_view text, int base) {
  if (text.empty()) return std::nullopt;
  uint64_t value = 0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value, base);
  if (ec != std::errc() || ptr != end) return std::nullopt;
  return value;
}
}  // namespace

void ChipRegistry::Add(ChipType type) {
  types_.push_back(std::move(type));
}

const ChipType* ChipRegistry::Find(std::string_view name) const {
  for (const auto& t : types_) {
    if (SameName(t.name, name)) return &t;
    for (const auto& alias : t.aliases) {
      if (SameName(alias, name)) return &t;
    }
  }
  return nullptr;
}

ChipResult ChipRegistry::Make(std::string_view spec) const {
  std::vector<std::string> parts;
  size_t start = 0;
  while (true) {
    const size_t colon = spec.find(':', start);
    parts.emplace_back(spec.substr(start, colon == std::string_view::npos ? colon : colon - start));
    if (colon == std::string_view::npos) break;
    start = colon + 1;
  }
  const ChipType* type = Find(parts[0]);
  if (!type) {
    std::string known;
    for (const auto& t : types_) known += (known.empty() ? "" : ", ") + t.name;
    return {nullptr, "unknown tag type \"" + parts[0] + "\" (known: " + known + ")"};
  }
  parts.erase(parts.begin());
  // "key=value" parts set how the tag takes the field (threshold=18) and chip settings; the
  // chip's factory sees the rest.
  std::vector<std::pair<std::string, std::string>> settings;
  std::erase_if(parts, [&](const std::string& part) {
    const size_t eq = part.find('=');
    if (eq == std::string::npos) return false;
    settings.emplace_back(part.substr(0, eq), part.substr(eq + 1));
    return true;
  });
  ChipResult result = type->make(parts);
  for (const auto& [key, value] : settings) {
    if (!result.tag) break;
    if (!result.tag->SetOption(key, value, result.error)) result.tag = nullptr;
  }
  if (!result.tag && !result.error.empty()) result.error += "; usage: " + type->usage;
  if (!result.tag && result.error.empty()) result.error = "usage: " + type->usage;
  return result;
}

std::optional<uint64_t> ParseHexArg(std::string_view text, int maxDigits) {
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
    text.remove_prefix(2);
  if (text.size() > static_cast<size_t>(maxDigits)) return std::nullopt;
  return ParseNumber(text, 16);
}

std::optional<uint64_t> ParseDecimalArg(std::string_view text, uint64_t max) {
  auto v = ParseNumber(text, 10);
  if (!v || *v > max) return std::nullopt;
  return v;
}

std::vector<uint8_t> LittleEndianBytes(uint64_t value, size_t count) {
  std::vector<uint8_t> bytes(count);
  for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * i));
  return bytes;
}

uint64_t FromLittleEndian(std::span<const uint8_t> bytes) {
  uint64_t v = 0;
  for (size_t i = bytes.size(); i-- > 0;) v = (v << 8) | bytes[i];
  return v;
}

}  // namespace sim
