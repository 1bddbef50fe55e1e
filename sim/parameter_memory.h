#pragma once
// The module's parameter memory: 16-bit EEPROM words, read and written by commands 0x0D/0x0E,
// partly mirrored by the system parameters (0x03/0x04). Words 1 to 22 hold the configuration;
// the rest are spare. Word 1 bits 13-15 hold the serial speed code, which the module adopts at
// its next restart.
#include <array>
#include <cstdint>
#include <optional>

namespace sim {

class ParameterMemory {
 public:
  static constexpr int kWords = 32;
  static constexpr int kConfigWord = 1;
  static constexpr int kBuzzerWord = 11;
  static constexpr int kModeWord = 12;     // high byte: action mode at power-up
  static constexpr int kLfLevelWord = 14;  // system parameter 2

  // Factory contents, with the speed code of baud (57600 when baud is not a module speed).
  explicit ParameterMemory(int baud = 57600);

  uint16_t Word(int address) const { return words_[static_cast<size_t>(address)]; }
  void SetWord(int address, uint16_t value) { words_[static_cast<size_t>(address)] = value; }
  static bool ValidRange(int start, int count) {
    return start >= 0 && count > 0 && start + count <= kWords;
  }
  // Back to the factory contents (EEPROM initialisation).
  void Reset() { words_ = factory_; }

  // A write by the EEPROM write command, through the wear of the word (SetWord is the raw
  // cell, for set-up).
  void Store(int address, uint16_t value);
  // Wears a word out: after `goodWrites` more writes through Store, every value written keeps
  // the bits of `stuckOnes` set, as a worn cell does; an endurance test finds it differing.
  void WearOut(int address, int goodWrites, uint16_t stuckOnes);

  int SpeedCode() const { return Word(kConfigWord) >> 13; }
  void SetSpeedCode(int code);

  // Speed codes 0 9600, 1 19200, 2 38400, 3 57600, 4 115200.
  static std::optional<int> BaudOfCode(int code);
  static std::optional<int> CodeOfBaud(int baud);

 private:
  std::array<uint16_t, kWords> words_{};
  std::array<uint16_t, kWords> factory_{};
  struct Wear {
    int goodWritesLeft = -1;  // negative: the cell does not wear
    uint16_t stuckOnes = 0;
  };
  std::array<Wear, kWords> wear_{};
};

}  // namespace sim
