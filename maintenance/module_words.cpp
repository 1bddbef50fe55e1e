#include "maintenance/module_words.h"

#include <limits>

namespace module_words {

const std::array<std::string, kSpeedCodes>& SpeedItems() {
  static const std::array<std::string, kSpeedCodes> items = {"9600bps", "19.2kbps", "38.4kbps",
                                                             "57.6kbps", "115.2kbps"};
  return items;
}

TBaudRate RateOfSpeedCode(int code) {
  switch (code) {
    case 0:
      return TBaudRate::br9600;
    case 2:
      return TBaudRate::br38400;
    case 3:
      return TBaudRate::br57600;
    case 4:
      return TBaudRate::br115200;
    default:
      return TBaudRate::br19200;
  }
}

int64_t BuzzerHzOfWord(uint16_t w) {
  const float f = 24000000.0f / static_cast<float>(2 * static_cast<int>(w) + 2) + 0.5f;
  return static_cast<int64_t>(f);
}

uint16_t WordOfBuzzerHz(int64_t hz) {
  if (hz < 0) hz = 0;
  const float w = 24000000.0f / (2.0f * static_cast<float>(hz) + 1.0f) + 0.5f;
  if (w >= 65535.0f) return std::numeric_limits<uint16_t>::max();
  return static_cast<uint16_t>(w);
}

std::vector<uint8_t> WriteTestBytes(int count) {
  std::vector<uint8_t> bytes;
  for (int i = 0; i < count; ++i) {
    const uint16_t w = kWriteTestPattern[static_cast<size_t>(i) % kWriteTestPattern.size()];
    bytes.push_back(Lo(w));
    bytes.push_back(Hi(w));
  }
  return bytes;
}

}  // namespace module_words
