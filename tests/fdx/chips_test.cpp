// The simulator's FDX chips on the pure module: what SIC7888 and EM4305 send by their
// configuration, their memory commands with locks, protection, login and disable, and the
// factory FECAVA and BDE transponders. The codings are checked against the tool's own codec.
#include <gtest/gtest.h>

#include "codec/animal_id.h"
#include "core/hex.h"
#include "sim/chip_registry.h"
#include "sim/chips/air_codes.h"
#include "sim/chips/em4305.h"
#include "sim/chips/sic7888.h"
#include "tests/sim/module_rig.h"

using namespace sim_test;

namespace {

std::string NackFrame(uint8_t code) {
  return hex::Bytes(frame::BuildResponseFrame(frame::TypeNack, std::vector<uint8_t>{code}));
}
const std::string kNoTag = NackFrame(0x04);
const std::string kRefused = NackFrame(0x03);
const std::string kBadValue = NackFrame(0x43);
const std::string kBadCount = NackFrame(0x41);

// The data bytes of an ACK frame ("81 CA 48 00 00 "), or the whole frame of anything else.
std::string Data(const std::string& frameText) {
  if (frameText.compare(0, 9, "02 00 30 ") != 0) return frameText;
  return frameText.substr(12, frameText.size() - 12 - 9);
}

sim::TagPtr Make(const std::string& spec) {
  auto r = sim::ChipRegistry::Builtin().Make(spec);
  EXPECT_TRUE(r.tag) << spec << ": " << r.error;
  return r.tag;
}

std::vector<uint8_t> Cat(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

struct Sic7888Rig : ModuleRig {
  std::shared_ptr<sim::Sic7888Tag> tag = std::make_shared<sim::Sic7888Tag>(0x11223344);
  Sic7888Rig() { field->Insert(tag); }
  std::string Do(const std::vector<uint8_t>& data) {
    Send(frame::BuildCommandFrame(data));
    return Data(Out());
  }
  std::string WriteBlock(uint8_t block, std::array<uint8_t, 4> b) {
    return Do({0x83, 0x01, block, b[0], b[1], b[2], b[3]});
  }
};

}  // namespace

// --- SIC7888: what it sends ---

TEST(Sic7888Sends, NothingWhileBlank) {
  Sic7888Rig rig;
  EXPECT_EQ(rig.Do({0x70, 0x01}), kNoTag);
  EXPECT_EQ(rig.Do({0x71, 0x02}), kNoTag);
  EXPECT_EQ(rig.Do({0x72}), kNoTag);
  EXPECT_EQ(rig.Do({0x80, 0x01}), "80 11 22 33 44 ");
  EXPECT_EQ(rig.Do({0x81, 0x01, 0x01}), "81 00 00 00 00 ");
  // IdWrite needs a configuration that sends an FDX-B telegram.
  EXPECT_EQ(rig.Do({0x86, 0x01, 1, 2, 3, 4, 5, 6, 7, 0x80}), kBadValue);
}

TEST(Sic7888Sends, IsoCodeWrittenByIdWrite) {
  Sic7888Rig rig;
  EXPECT_EQ(rig.WriteBlock(1, {0xCA, 0x48, 0x00, 0x00}), "83 ");
  EXPECT_EQ(rig.Do({0x86, 0x01, 0x01, 0xA7, 0x0E, 0xF2, 0xE0, 0xF9, 0x00, 0x80}), "86 ");
  EXPECT_EQ(rig.Do({0x70, 0x01}), "70 06 01 A7 0E F2 E0 F9 00 80 ");
  EXPECT_EQ(rig.Do({0x71}), "71 06 01 A7 0E F2 E0 F9 00 80 ");
  EXPECT_EQ(rig.Do({0x72}), kNoTag);
  // Blocks 4-7 hold the telegram; a broken bit leaves nothing to read.
  const auto telegram = sim::air::BytesMsbFirst(sim::air::FdxbTelegram(0x8000F9E0F20EA701));
  EXPECT_EQ(rig.Do({0x89, 0x01, 4, 4}), "89 " + hex::Bytes(telegram));
  auto block7 = rig.tag->BlockAt(7);
  block7[3] ^= 0x10;
  rig.tag->Program(7, block7);
  EXPECT_EQ(rig.Do({0x70, 0x01}), kNoTag);
}

TEST(Sic7888Sends, BdeConfiguredChipIsAnFdxbTag) {
  ModuleRig rig({Make("sic7888:bde:404000000000FFFF")});
  EXPECT_EQ(Data(rig.Ask({0x70, 0x01})), "70 06 FF FF 00 00 00 00 40 40 ");
  EXPECT_EQ(Data(rig.Ask({0x81, 0x01, 0x01})), "81 C0 48 00 00 ");
}

TEST(Sic7888Sends, EmFrameOfTheToolsEncoder) {
  Sic7888Rig rig;
  // The tool writes F = EncodeEm4100(EM ID) into blocks 4 and 5, most significant byte first.
  const uint64_t f = fdx::EncodeEm4100(0x0504030201);
  rig.WriteBlock(1, {0xC0, 0x34, 0x00, 0x00});
  rig.WriteBlock(4, {uint8_t(f >> 56), uint8_t(f >> 48), uint8_t(f >> 40), uint8_t(f >> 32)});
  rig.WriteBlock(5, {uint8_t(f >> 24), uint8_t(f >> 16), uint8_t(f >> 8), uint8_t(f)});
  EXPECT_EQ(rig.Do({0x81, 0x01, 0x04}), "81 FF 81 40 48 ");
  EXPECT_EQ(rig.Do({0x70, 0x01}), "70 05 05 04 03 02 01 ");
  // A row parity error: no ID.
  rig.WriteBlock(5, {uint8_t(f >> 24), uint8_t(f >> 16), uint8_t(f >> 8), uint8_t(f ^ 0x40)});
  EXPECT_EQ(rig.Do({0x70, 0x01}), kNoTag);
}

TEST(Sic7888Sends, FecavaImageOfTheToolsEncoder) {
  Sic7888Rig rig;
  const std::array<uint8_t, 5> v{1, 2, 3, 4, 5};
  const auto image = fdx::EncodeFecava(v);
  rig.WriteBlock(1, {0xE4, 0x74, 0x00, 0x00});
  EXPECT_EQ(rig.Do(Cat({{0x8A, 0x01, 4, 3}, {image.begin(), image.end()}})), "8A ");
  EXPECT_EQ(rig.Do({0x72}), "72 08 01 02 83 04 85 ");
  EXPECT_EQ(rig.Do({0x70, 0x01}), kNoTag);  // FDX-A is not found by the FDX-B read
  // Three blocks are needed: "Block4 and 5" sends too little.
  rig.WriteBlock(1, {0xE0, 0x74, 0x00, 0x00});
  EXPECT_EQ(rig.Do({0x72}), kNoTag);
}

// --- SIC7888: memory commands ---

TEST(Sic7888Memory, PagesAndRanges) {
  Sic7888Rig rig;
  EXPECT_EQ(rig.Do({0x82, 0x01, 40}), "82 00 00 00 00 00 00 20 00 7F 88 33 44 20 26 01 15 ");
  EXPECT_EQ(rig.Do({0x82, 0x01, 41}), kBadValue);  // no three blocks follow 41
  // WritePage writes from the block to the end of its page.
  EXPECT_EQ(rig.Do({0x84, 0x01, 5, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}), "84 ");
  EXPECT_EQ(rig.Do({0x89, 0x01, 4, 4}), "89 00 00 00 00 01 02 03 04 05 06 07 08 09 0A 0B 0C ");
  EXPECT_EQ(rig.Do({0x84, 0x01, 3, 1, 2, 3, 4, 5, 6, 7, 8}), kBadCount);
  EXPECT_EQ(rig.Do({0x89, 0x01, 0, 44}).size(), 3u * 177);
  EXPECT_EQ(rig.Do({0x89, 0x01, 1, 44}), kBadValue);
  EXPECT_EQ(rig.Do({0x89, 0x01, 0, 0}), kBadValue);
  EXPECT_EQ(rig.Do({0x8A, 0x01, 10, 2, 1, 2, 3, 4, 5, 6, 7}), kBadCount);
  EXPECT_EQ(rig.Do({0x81, 0x01, 44}), kBadValue);
  EXPECT_EQ(rig.Do({0x81, 0x03, 4}), kBadValue);  // protocol modes are 0-2
  EXPECT_EQ(rig.Do({0x81, 0x00, 4}), "81 00 00 00 00 ");
  EXPECT_EQ(rig.Do({0x81, 0x02, 4}), "81 00 00 00 00 ");
  EXPECT_EQ(rig.Do({0x85, 0x01}), kNoTag);
}

TEST(Sic7888Memory, FactoryBlocksAndLocksRefuseWrites) {
  Sic7888Rig rig;
  EXPECT_EQ(rig.WriteBlock(0, {1, 2, 3, 4}), kRefused);   // UID
  EXPECT_EQ(rig.WriteBlock(42, {1, 2, 3, 4}), kRefused);  // traceability
  // Lock blocks 4-5 and 41.
  EXPECT_EQ(rig.WriteBlock(1, {0xCA, 0x48, 0x81, 0x00}), "83 ");
  EXPECT_EQ(rig.WriteBlock(4, {1, 2, 3, 4}), kRefused);
  EXPECT_EQ(rig.WriteBlock(6, {1, 2, 3, 4}), "83 ");
  EXPECT_EQ(rig.Do({0x88, 0x01, 3}), kRefused);
  // A page write that reaches a locked block writes nothing.
  EXPECT_EQ(rig.Do({0x84, 0x01, 4, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9}), kRefused);
  EXPECT_EQ(rig.Do({0x81, 0x01, 6}), "81 01 02 03 04 ");
  // A lock cannot be taken back; OTP then freezes the configuration.
  EXPECT_EQ(rig.WriteBlock(1, {0xCA, 0x4A, 0x00, 0x00}), "83 ");
  EXPECT_EQ(rig.Do({0x81, 0x01, 1}), "81 CA 4A 81 00 ");
  EXPECT_EQ(rig.WriteBlock(1, {0xCA, 0x48, 0x00, 0x00}), kRefused);
}

TEST(Sic7888Memory, PasswordProtection) {
  Sic7888Rig rig;
  rig.WriteBlock(8, {8, 8, 8, 8});
  EXPECT_EQ(rig.WriteBlock(1, {0xC0, 0xC8, 0x00, 0x00}), "83 ");  // write protected
  EXPECT_EQ(rig.WriteBlock(8, {1, 2, 3, 4}), kRefused);
  EXPECT_EQ(rig.Do({0x81, 0x01, 8}), "81 08 08 08 08 ");
  EXPECT_EQ(rig.Do({0x81, 0x01, 2}), kRefused);  // passwords are never shown
  Sic7888Rig readProtected;
  readProtected.WriteBlock(1, {0xD0, 0xC8, 0x00, 0x00});
  EXPECT_EQ(readProtected.Do({0x81, 0x01, 8}), kRefused);
  EXPECT_EQ(readProtected.Do({0x81, 0x01, 0}), "81 11 22 33 44 ");
  EXPECT_EQ(readProtected.Do({0x81, 0x01, 41}), "81 00 00 20 00 ");
}

TEST(Sic7888Memory, TuningValue) {
  Sic7888Rig rig;
  EXPECT_EQ(rig.Do({0x87, 0x01}), "87 00 00 20 00 ");
  // WriteCt answers 10 bytes after the echo: mode, CT, the new and the old block 41.
  EXPECT_EQ(rig.Do({0x88, 0x01, 17}), "88 01 11 00 00 22 00 00 00 20 00 ");
  EXPECT_EQ(rig.Do({0x87, 0x01}), "87 00 00 22 00 ");
  EXPECT_EQ(rig.Do({0x88, 0x01, 32}), kBadValue);
}

// --- EM4305 ---

namespace {
struct Em4305Rig : ModuleRig {
  std::shared_ptr<sim::Em4305Tag> tag = std::make_shared<sim::Em4305Tag>(0xA1B2C3D4);
  Em4305Rig() { field->Insert(tag); }
  std::string Do(const std::vector<uint8_t>& data, uint8_t kind = frame::KindM) {
    Send(frame::BuildCommandFrame(data, kind));
    return Data(Out());
  }
  std::string Carrier(bool on) { return Do({0x9E, uint8_t(on ? 1 : 0)}, frame::KindN); }
  std::string Login(std::vector<uint8_t> pw) { return Do(Cat({{0xE2}, pw})); }
};
}  // namespace

TEST(Em4305, WordsAndPassword) {
  Em4305Rig rig;
  EXPECT_EQ(rig.Do({0xE1, 0x00}), "E1 00 00 01 12 ");  // bits 4-1 of the last byte: 9
  EXPECT_EQ(rig.Do({0xE1, 0x01}), "E1 A1 B2 C3 D4 ");
  EXPECT_EQ(rig.Do({0xE0, 0x01, 1, 2, 3, 4}), kRefused);  // the UID is factory data
  EXPECT_EQ(rig.Do({0xE0, 0x02, 0x12, 0x34, 0x56, 0x78}), "E0 ");
  EXPECT_EQ(rig.Do({0xE1, 0x02}), kRefused);  // never read back
  EXPECT_EQ(rig.Do({0xE1, 0x10}), kBadValue);
  EXPECT_EQ(rig.Login({0x12, 0x34, 0x56, 0x79}), kRefused);
  EXPECT_EQ(rig.Login({0x12, 0x34, 0x56, 0x78}), "E2 ");
}

TEST(Em4305, LoginLastsWhileTheCarrierStaysOn) {
  Em4305Rig rig;
  rig.tag->Program(2, {0, 0, 0, 7});
  rig.tag->Program(14, {0x00, 0x00, 0x80, 0x20});  // protects word 5
  EXPECT_EQ(rig.Do({0xE0, 0x05, 1, 1, 1, 1}), kRefused);
  EXPECT_EQ(rig.Do({0xE0, 0x06, 1, 1, 1, 1}), "E0 ");
  // A login with the carrier off powers the chip for that command only.
  EXPECT_EQ(rig.Login({0, 0, 0, 7}), "E2 ");
  EXPECT_EQ(rig.Do({0xE0, 0x05, 1, 1, 1, 1}), kRefused);
  EXPECT_EQ(rig.Carrier(true), "9E ");
  EXPECT_EQ(rig.Login({0, 0, 0, 7}), "E2 ");
  EXPECT_EQ(rig.Do({0xE0, 0x05, 2, 2, 2, 2}), "E0 ");
  EXPECT_EQ(rig.Carrier(true), "9E ");  // still the same session
  EXPECT_EQ(rig.Do({0xE0, 0x05, 3, 3, 3, 3}), "E0 ");
  // Off and on again: a new power-up, the login is gone.
  rig.Carrier(false);
  rig.Carrier(true);
  EXPECT_EQ(rig.Do({0xE0, 0x05, 4, 4, 4, 4}), kRefused);
  EXPECT_EQ(rig.Do({0xE1, 0x05}), "E1 03 03 03 03 ");
}

TEST(Em4305, ProtectSetsBitsAndNeverClearsThem) {
  Em4305Rig rig;
  EXPECT_EQ(rig.Do({0xE3, 0x00, 0x00, 0x80, 0x03}), "E3 ");
  EXPECT_EQ(rig.Do({0xE1, 0x0E}), "E1 00 00 80 03 ");
  EXPECT_EQ(rig.Do({0xE3, 0x00, 0x00, 0x00, 0x08}), "E3 ");
  EXPECT_EQ(rig.Do({0xE1, 0x0E}), "E1 00 00 80 0B ");
  EXPECT_EQ(rig.Do({0xE0, 0x03, 1, 2, 3, 4}), kRefused);
  EXPECT_EQ(rig.Do({0xE0, 0x0E, 0, 0, 0, 0}), kRefused);  // only Protect writes it
  // The second protection word is used while the first is not in force.
  Em4305Rig second;
  second.tag->Program(15, {0x00, 0x00, 0x80, 0x01});
  EXPECT_EQ(second.Do({0xE3, 0x00, 0x00, 0x80, 0x10}), "E3 ");
  EXPECT_EQ(second.Do({0xE1, 0x0F}), "E1 00 00 80 11 ");
  EXPECT_EQ(second.Do({0xE1, 0x0E}), "E1 00 00 00 00 ");
}

TEST(Em4305, SendsByItsConfiguration) {
  Em4305Rig rig;
  EXPECT_EQ(rig.Do({0x70, 0x01}), kNoTag);
  EXPECT_EQ(rig.Do({0xE5, 0x01, 0x01, 0xA7, 0x0E, 0xF2, 0xE0, 0xF9, 0x00, 0x80}), kBadValue);
  EXPECT_EQ(rig.Do({0xE0, 0x04, 0x00, 0x02, 0x00, 0x8F}), "E0 ");
  EXPECT_EQ(rig.Do({0xE5, 0x01, 0x01, 0xA7, 0x0E, 0xF2, 0xE0, 0xF9, 0x00, 0x80}), "E5 ");
  EXPECT_EQ(rig.Do({0x70, 0x01}), "70 06 01 A7 0E F2 E0 F9 00 80 ");
  // Manchester with words 5-6: an EM4100 frame, least significant bit of each word first.
  const auto words = sim::air::WordBytesLsbFirst(sim::air::Em4100Frame(0x0504030201));
  rig.tag->Program(4, {0x00, 0x01, 0x80, 0x40});  // encoder 1, LWR 6
  rig.tag->Program(5, {words[0], words[1], words[2], words[3]});
  rig.tag->Program(6, {words[4], words[5], words[6], words[7]});
  EXPECT_EQ(rig.Do({0x71}), "71 05 05 04 03 02 01 ");
}

TEST(Em4305, DisableIsForGood) {
  ModuleRig rig({Make("em4305:fdxb:8000F9E0F20EA701")});
  EXPECT_EQ(Data(rig.Ask({0x70, 0x01})), "70 06 01 A7 0E F2 E0 F9 00 80 ");
  EXPECT_EQ(Data(rig.Ask({0xE4})), "E4 ");
  EXPECT_EQ(rig.Ask({0x70, 0x01}), kNoTag);
  EXPECT_EQ(rig.Ask({0xE1, 0x01}), kNoTag);
  EXPECT_TRUE(rig.field->StreamPayloads().empty());
}

// --- Factory FECAVA and BDE transponders ---

TEST(FactoryTags, FecavaAndBde) {
  ModuleRig rig({Make("fecava:01:02:03:04:7F"), Make("bde:1:1023:4194303")});
  EXPECT_EQ(Data(rig.Ask({0x72})), "72 08 01 02 83 04 7F ");
  EXPECT_EQ(Data(rig.Ask({0x70, 0x01})), "70 09 FF FF FF FF 00 00 40 40 ");
  EXPECT_EQ(rig.Ask({0x81, 0x01, 0x01}), kNoTag);  // no SIC7888 block 1
  EXPECT_FALSE(sim::ChipRegistry::Builtin().Make("fecava:80:01:02:03:04").tag);
  EXPECT_FALSE(sim::ChipRegistry::Builtin().Make("sic7888:em:12345678901").tag);
}

TEST(FactoryTags, StreamedFramesCarryTheTypeOfTheCodeSent) {
  ModuleRig rig({Make("sic7888:em:0504030201"), Make("sic7888")});
  const auto payloads = rig.field->StreamPayloads();
  ASSERT_EQ(payloads.size(), 1u);  // the blank chip sends nothing
  EXPECT_EQ(hex::Bytes(payloads[0]), "05 05 04 03 02 01 ");
}
