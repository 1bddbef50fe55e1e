#include "sim/transponder.h"

#include <utility>

namespace sim {

TagReply TagReply::Ack(uint8_t code, std::span<const uint8_t> payload) {
  TagReply r;
  r.data.reserve(payload.size() + 1);
  r.data.push_back(code);
  r.data.insert(r.data.end(), payload.begin(), payload.end());
  return r;
}

Transponder::Transponder(std::string typeName, uint8_t kind, AirInterface air, TagMemory memory)
    : memory_(std::move(memory)), typeName_(std::move(typeName)), kind_(kind), air_(air) {}

bool Transponder::AnswersIdRead(IdRead read) const {
  switch (read) {
    case IdRead::Fdx:
      return air_ == AirInterface::Fdx;
    case IdRead::Animal:
    case IdRead::HdxFdx:
      return true;
    case IdRead::Fecava:
      return false;
  }
  return false;
}

std::optional<TagReply> Transponder::Handle(const TagCommand& cmd, const AirContext&) {
  const auto read = IdReadOf(cmd);
  if (!read || !AnswersIdRead(*read)) return std::nullopt;
  std::vector<uint8_t> payload = IdBytes();
  payload.insert(payload.begin(), Kind());
  return TagReply::Ack(cmd.code, payload);
}

std::optional<IdRead> IdReadOf(const TagCommand& cmd) {
  const auto& p = cmd.params;
  switch (cmd.code) {
    case 0x70:
      if (p.empty() || (p.size() == 1 && p[0] == 0x01)) return IdRead::Fdx;
      break;
    case 0x71:
      if (p.empty()) return IdRead::Animal;
      if (p.size() == 1 && p[0] == 0x02) return IdRead::HdxFdx;
      break;
    case 0x72:
      if (p.empty()) return IdRead::Fecava;
      break;
  }
  return std::nullopt;
}

}  // namespace sim
