#include <gtest/gtest.h>

#include "core/hex.h"
#include "link/frame.h"

namespace {
std::string Hex(const std::vector<uint8_t>& v) {
  return hex::Bytes(v);
}
}  // namespace

TEST(Frames, WorkedCommandFrames) {
  EXPECT_EQ(Hex(frame::BuildCommandFrame(std::vector<uint8_t>{0x90})), "02 00 4D 01 90 03 E3 0D ");
  EXPECT_EQ(Hex(frame::BuildCommandFrame(std::vector<uint8_t>{0x10, 0x00})),
            "02 00 4D 02 10 00 03 64 0D ");
  EXPECT_EQ(
      Hex(frame::BuildCommandFrame(std::vector<uint8_t>{0x9E, 0x03, 0x88, 0x13}, frame::KindN)),
      "02 00 4E 04 9E 03 88 13 03 93 0D ");
}

TEST(Frames, WorkedResponseFrames) {
  EXPECT_EQ(Hex(frame::BuildResponseFrame(frame::TypeAck, std::vector<uint8_t>{0x90})),
            "02 00 30 01 90 03 C6 0D ");
  EXPECT_EQ(Hex(frame::BuildResponseFrame(frame::TypeNack, std::vector<uint8_t>{0x42})),
            "02 00 31 01 42 03 79 0D ");
}

TEST(Frames, RaccessCheckValues) {
  const std::string s = "123456789";
  EXPECT_EQ(frame::RaccessCheck(reinterpret_cast<const uint8_t*>(s.data()), s.size()), 0xDE76);
  EXPECT_EQ(frame::RaccessCheck(nullptr, 0), 0xFFFF);
}

TEST(HexText, PairsBlanksAndNonHexDigits) {
  auto h = [](std::string_view t) { return hex::Bytes(hex::HexTextToBytes(t)); };
  EXPECT_EQ(h("00 01 02 03 04 05 06 07"), "00 01 02 03 04 05 06 07 ");
  EXPECT_EQ(h("0001ff"), "00 01 FF ");
  EXPECT_EQ(h("G1"), "01 ");
  EXPECT_EQ(h(" 123"), "01 23 ");  // the leading blank is the high digit of the first byte
  EXPECT_EQ(h("123"), "12 ");      // a single character left over is ignored
  EXPECT_EQ(h("12\t\n 34"), "12 34 ");
  EXPECT_EQ(h(""), "");
}
