#include "sim/parameter_memory.h"

namespace sim {

namespace {
constexpr int kBauds[] = {9600, 19200, 38400, 57600, 115200};

// Words 1-22 as shipped: LED and buzzer times, ID hold and update times, TIRIS read interval,
// charge and programming times (x 4.74 us), buzzer setting 8000 (1500 Hz), random interval 2,
// LF power 30, read bank 3, select address FF. Word 1 gets its speed code on top.
constexpr uint16_t kFactoryWords[23] = {
    0x0000,                                                  // 0: unused
    0x0230, 0x0405, 0x041E, 0x01F4, 0x00C8, 0x1E14, 0x2039,  // 1-7
    0x2039, 0x0BB8, 0x0698, 0x1F40, 0x0402, 0x0000, 0x001E,  // 8-14 (12: command mode at start)
    0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0003,  // 15-21
    0x00FF,                                                  // 22
};
}  // namespace

ParameterMemory::ParameterMemory(int baud) {
  factory_.fill(0xFFFF);  // erased EEPROM
  for (int i = 0; i < 23; ++i) factory_[static_cast<size_t>(i)] = kFactoryWords[i];
  words_ = factory_;
  SetSpeedCode(CodeOfBaud(baud).value_or(3));
  factory_ = words_;
}

void ParameterMemory::Store(int address, uint16_t value) {
  Wear& w = wear_[static_cast<size_t>(address)];
  if (w.goodWritesLeft == 0) value = static_cast<uint16_t>(value | w.stuckOnes);
  if (w.goodWritesLeft > 0) --w.goodWritesLeft;
  SetWord(address, value);
}

void ParameterMemory::WearOut(int address, int goodWrites, uint16_t stuckOnes) {
  wear_[static_cast<size_t>(address)] = {goodWrites < 0 ? 0 : goodWrites, stuckOnes};
}

void ParameterMemory::SetSpeedCode(int code) {
  SetWord(kConfigWord, static_cast<uint16_t>((Word(kConfigWord) & 0x1FFF) | ((code & 7) << 13)));
}

std::optional<int> ParameterMemory::BaudOfCode(int code) {
  if (code < 0 || code > 4) return std::nullopt;
  return kBauds[code];
}

std::optional<int> ParameterMemory::CodeOfBaud(int baud) {
  for (int i = 0; i < 5; ++i) {
    if (kBauds[i] == baud) return i;
  }
  return std::nullopt;
}

}  // namespace sim
