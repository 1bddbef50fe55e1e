// The module's own commands (everything that is not addressed to a tag).

#include "link/command_codes.h"
#include "sim/module.h"

namespace sim {

namespace {

using Params = std::span<const uint8_t>;

TagReply Text(uint8_t code, const std::string& text, bool terminated = false) {
  std::vector<uint8_t> payload(text.begin(), text.end());
  if (terminated) payload.push_back(0x00);
  return TagReply::Ack(code, payload);
}

TagReply Nack(uint8_t code) {
  return TagReply::Nack(code);
}

}  // namespace

Module::Outcome Module::ModuleCommand(uint8_t code, Params p, TimePoint at) {
  auto exactly = [&](size_t n) { return p.size() == n; };
  switch (code) {
    case cmd::ActionModeSet:
      return SetActionMode(p);
    case cmd::SoftwareInfo: {  // software information: flash write position, flash initialisation
                               // flag
      if (!exactly(0)) return {Nack(nack::kNumberOfData)};
      const uint8_t info[] = {static_cast<uint8_t>(flashWrPos_ & 0xFF),
                              static_cast<uint8_t>(flashWrPos_ >> 8), flashInitFlag_};
      return {TagReply::Ack(code, info)};
    }
    case cmd::LedControl:  // LEDs: two or three (mode, time in 50 ms) pairs
      if (p.size() != 4 && p.size() != 6) return {Nack(nack::kNumberOfData)};
      for (size_t i = 0; i < p.size(); i += 2) {
        if (p[i] > 3) return {Nack(nack::kValue)};
      }
      return {TagReply::Ack(code)};
    case cmd::SystemParameterRead:
    case cmd::SystemParameterWrite:
      return SystemParameter(code, p);
    case cmd::Buzzer:  // buzzer: reply flag, sound number; no answer unless asked for
      if (!exactly(2)) return {Nack(nack::kNumberOfData)};
      if (p[0] == 0) return {};
      return {TagReply::Ack(code)};
    case cmd::EepromInitialisation:  // EEPROM initialisation; a speed it restores applies after the
                                     // next restart
      if (!exactly(0)) return {Nack(nack::kNumberOfData)};
      memory_.Reset();
      flashWrPos_ = 0;
      flashInitFlag_ = 1;
      return {TagReply::Ack(code)};
    case cmd::Restart:  // restart, after the answer has gone out at the old speed
      if (!exactly(0)) return {Nack(nack::kNumberOfData)};
      return {TagReply::Ack(code), {}, true};
    case cmd::ParameterWordRead:
      return EepromRead(p);
    case cmd::ParameterWordWrite:
      return EepromWrite(p);
    case cmd::RomVersion:
      if (!exactly(0)) return {Nack(nack::kNumberOfData)};
      return {Text(code, config_.romVersion)};
    case cmd::ModelName:
      if (!exactly(0)) return {Nack(nack::kNumberOfData)};
      return {Text(code, config_.modelName)};
    case cmd::StProgMode:  // the text comes with a terminating NUL, which the tool leaves out
      if (!exactly(0)) return {Nack(nack::kNumberOfData)};
      return {Text(code, config_.progModeText, true)};
    case cmd::LfControl:
      return LfControl(p, at);
  }
  return {Nack(nack::kInvalidCommand)};
}

Module::Outcome Module::SetActionMode(Params p) {
  if (p.empty() || p.size() > 2) return {Nack(nack::kNumberOfData)};
  const uint8_t mode = p[0];
  const uint8_t save = p.size() == 2 ? p[1] : 0;
  if (mode < 2 || mode > 6 || save > 1) return {Nack(nack::kValue)};
  const bool wasStreaming = Streaming();
  mode_ = mode;
  if (save) {
    const uint16_t w = memory_.Word(ParameterMemory::kModeWord);
    memory_.SetWord(ParameterMemory::kModeWord, static_cast<uint16_t>((w & 0x00FF) | (mode << 8)));
    NoteFlashWrite(1);
  }
  // Streaming starts after the ACK; a repeated read-loop mode keeps its rhythm.
  return {TagReply::Ack(cmd::ActionModeSet), {}, false, Streaming() && !wasStreaming};
}

Module::Outcome Module::SystemParameter(uint8_t code, Params p) {
  if (p.empty()) return {Nack(nack::kNumberOfData)};
  const uint8_t index = p[0];
  const size_t width = index == 2 ? 2 : 1;
  if (index > 2) return {Nack(nack::kValue)};
  const uint16_t config = memory_.Word(ParameterMemory::kConfigWord);
  if (code == cmd::SystemParameterRead) {
    if (p.size() != 1) return {Nack(nack::kNumberOfData)};
    uint16_t value = 0;
    switch (index) {
      case 0:
        value = config & 0xFF;
        break;  // the flag bits of word 1
      case 1:
        value = static_cast<uint16_t>(memory_.SpeedCode());
        break;
      case 2:
        value = memory_.Word(ParameterMemory::kLfLevelWord);
        break;
    }
    std::vector<uint8_t> payload = {index, static_cast<uint8_t>(value & 0xFF)};
    if (width == 2) payload.push_back(static_cast<uint8_t>(value >> 8));
    return {TagReply::Ack(code, payload)};
  }
  if (p.size() != 1 + width) return {Nack(nack::kNumberOfData)};
  switch (index) {
    case 0:
      memory_.SetWord(ParameterMemory::kConfigWord,
                      static_cast<uint16_t>((config & 0xFF00) | p[1]));
      break;
    case 1:
      // The new speed applies from the next restart.
      if (!ParameterMemory::BaudOfCode(p[1])) return {Nack(nack::kValue)};
      memory_.SetSpeedCode(p[1]);
      break;
    case 2:
      memory_.SetWord(ParameterMemory::kLfLevelWord, static_cast<uint16_t>(p[1] | (p[2] << 8)));
      break;
  }
  NoteFlashWrite(1);
  return {TagReply::Ack(code)};
}

Module::Outcome Module::EepromRead(Params p) {
  if (p.size() != 2) return {Nack(nack::kNumberOfData)};
  const int start = p[0];
  const int count = p[1];
  if (!ParameterMemory::ValidRange(start, count)) return {Nack(nack::kValue)};
  std::vector<uint8_t> payload = {p[0], p[1]};
  for (int a = start; a < start + count; ++a) {
    payload.push_back(static_cast<uint8_t>(memory_.Word(a) & 0xFF));
    payload.push_back(static_cast<uint8_t>(memory_.Word(a) >> 8));
  }
  return {TagReply::Ack(cmd::ParameterWordRead, payload)};
}

Module::Outcome Module::EepromWrite(Params p) {
  if (p.size() < 2 || p.size() != 2 + 2 * static_cast<size_t>(p[1])) {
    return {Nack(nack::kNumberOfData)};
  }
  const int start = p[0];
  const int count = p[1];
  if (!ParameterMemory::ValidRange(start, count)) return {Nack(nack::kValue)};
  for (int i = 0; i < count; ++i) {
    const size_t at = 2 + 2 * static_cast<size_t>(i);
    memory_.Store(start + i, static_cast<uint16_t>(p[at] | (p[at + 1] << 8)));
  }
  NoteFlashWrite(count);
  return {TagReply::Ack(cmd::ParameterWordWrite)};
}

Module::Outcome Module::LfControl(Params p, TimePoint at) {
  if (p.empty()) return {Nack(nack::kNumberOfData)};
  const uint8_t mode = p[0];
  if (mode != 0 && mode != 1 && mode != 3) return {Nack(nack::kValue)};
  if (p.size() != (mode == 3 ? 3u : 1u)) return {Nack(nack::kNumberOfData)};
  switch (mode) {
    case 0:
      carrierOn_ = false;
      break;
    case 1:
      carrierOn_ = true;
      carrierUntil_ = TimePoint::max();
      break;
    case 3: {
      // On for the time given; the module takes no command meanwhile and answers at the end.
      const Duration on = std::chrono::milliseconds(p[1] | (p[2] << 8));
      carrierOn_ = true;
      carrierUntil_ = at + on;
      busyUntil_ = at + on;
      return {TagReply::Ack(cmd::LfControl), on};
    }
  }
  return {TagReply::Ack(cmd::LfControl)};
}

}  // namespace sim
