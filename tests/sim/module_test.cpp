// The module's frame layer and its own commands, on a hand-driven clock.
#include <gtest/gtest.h>

#include "sim/chips/fdxb.h"
#include "sim/chips/ti_readonly.h"
#include "tests/sim/module_rig.h"

using namespace sim_test;
using sim::ModuleConfig;

namespace {
const std::string kAckRom1100 = "02 00 30 0A 90 31 31 30 30 4C 46 53 30 30 03 D6 0D ";
const std::string kNackSum = "02 00 31 01 42 03 79 0D ";
const std::string kNackLength = "02 00 31 01 41 03 78 0D ";
const std::string kNackInvalid = "02 00 31 01 44 03 7B 0D ";
const std::string kNackNoTag = "02 00 31 01 04 03 3B 0D ";
const std::string kAckMode = "02 00 30 01 00 03 36 0D ";
}  // namespace

TEST(ModuleFrames, AnswersTheWorkedFrames) {
  ModuleRig rig;
  rig.Send({0x02, 0x00, 0x4D, 0x01, 0x90, 0x03, 0xE3, 0x0D});
  EXPECT_EQ(rig.Out(), kAckRom1100);
  rig.Send({0x02, 0x00, 0x4D, 0x02, 0x00, 0x04, 0x03, 0x58, 0x0D});
  EXPECT_EQ(rig.Out(), kAckMode);
  // Command 0x10 00 with nothing in the field.
  rig.Send({0x02, 0x00, 0x4D, 0x02, 0x10, 0x00, 0x03, 0x64, 0x0D});
  EXPECT_EQ(rig.Out(), kNackNoTag);
  EXPECT_EQ(rig.Ask({0x93}), "02 00 30 08 93 51 5A 48 2D 39 30 30 03 89 0D ");
}

TEST(ModuleFrames, RejectsBadFramesWithTheirNackCodes) {
  ModuleRig rig;
  rig.Send({0x02, 0x00, 0x4D, 0x01, 0x90, 0x03, 0xE4, 0x0D});  // SUM off by one
  EXPECT_EQ(rig.Out(), kNackSum);
  rig.Send({0x02, 0x00, 0x4D, 0x01, 0x10, 0x00, 0x03, 0x64, 0x0D});  // LEN 1, two data bytes
  EXPECT_EQ(rig.Out(), kNackLength);
  EXPECT_EQ(rig.Ask({0x77}), kNackInvalid);
  EXPECT_EQ(rig.Ask({0x90}, frame::KindN), kNackInvalid);  // only 0x9E comes as kind 'N'
  EXPECT_EQ(rig.Ask({0x9E, 0x01}, frame::KindM), kNackInvalid);
  EXPECT_EQ(rig.Ask({}), kNackLength);  // a frame without a command code
  EXPECT_EQ(rig.module.Counters().badSum, 1u);
  EXPECT_EQ(rig.module.Counters().badLength, 1u);
}

TEST(ModuleFrames, SkipsGarbageAndFalseStartsBetweenFrames) {
  ModuleRig rig;
  // Noise, an STX not followed by 00, an STX 00 with an unknown kind, then the frame.
  rig.Send({0xFF, 0x13, 0x0D, 0x02, 0x41, 0x02, 0x00, 0x33, 0x02, 0x00, 0x4D, 0x01, 0x90, 0x03,
            0xE3, 0x0D, 0x55});
  EXPECT_EQ(rig.Out(), kAckRom1100);
  EXPECT_EQ(rig.module.Counters().frames, 1u);
  // A frame split over several deliveries is one frame.
  rig.Send({0x02, 0x00, 0x4D});
  rig.Wait(5ms);
  rig.Send({0x01, 0x90, 0x03});
  rig.Wait(5ms);
  rig.Send({0xE3, 0x0D});
  EXPECT_EQ(rig.Out(), kAckRom1100);
}

TEST(ModuleFrames, DropsAFrameCutShortAfterTheCharacterTimeout) {
  ModuleConfig config;
  config.charTimeout = 50ms;
  ModuleRig rig(config);
  rig.Send({0x02, 0x00, 0x4D, 0x05, 0x90, 0x03, 0xE3, 0x0D});  // LEN says 5, 1 came
  rig.Wait(49ms);
  EXPECT_EQ(rig.Out(), "");
  rig.Wait(1ms);
  EXPECT_EQ(rig.Out(), kNackLength);
  EXPECT_EQ(rig.Ask({0x90}), kAckRom1100);  // and it hunts for the next frame again
}

TEST(ModuleFrames, NoiseOnTheLineSpoilsAFrameInProgress) {
  ModuleRig rig;
  rig.Send({0x02, 0x00, 0x4D, 0x01});
  rig.module.Noise(3, rig.now);
  rig.Send({0x90, 0x03, 0xE3, 0x0D});
  EXPECT_EQ(rig.Out(), "");
  EXPECT_EQ(rig.module.Counters().noiseBytes, 3u);
}

TEST(ModuleCommands, RomVersionLevelsGateTheNewerCommands) {
  ModuleConfig level1;
  level1.romVersion = "1010LFS00";
  ModuleRig old(level1);
  EXPECT_EQ(old.Ask({0x90}), "02 00 30 0A 90 31 30 31 30 4C 46 53 30 30 03 D6 0D ");
  EXPECT_EQ(old.Ask({0x72}), kNackInvalid);
  EXPECT_EQ(old.Ask({0x8B, 0x01, 0x11}), kNackInvalid);
  EXPECT_EQ(old.Ask({0xE1, 0x00}), kNackInvalid);

  ModuleConfig level2;
  level2.romVersion = "1020LFS00";
  ModuleRig mid(level2);
  EXPECT_EQ(mid.Ask({0x72}), kNackNoTag);
  EXPECT_EQ(mid.Ask({0xE1, 0x00}), kNackInvalid);

  ModuleRig current;
  EXPECT_EQ(current.Ask({0xE1, 0x00}), kNackNoTag);
}

TEST(ModuleCommands, ParameterMemoryReadsAndWritesWords) {
  ModuleRig rig;
  rig.Command({0x0D, 0x01, 0x16});
  auto e = rig.Emissions();
  ASSERT_EQ(e.size(), 1u);
  const auto& f = e[0].bytes;
  ASSERT_EQ(f[3], 3 + 44);  // 0D, start, count, 22 words
  const auto word = [&](int address) {
    return f[4 + 3 + 2 * (address - 1)] | f[4 + 4 + 2 * (address - 1)] << 8;
  };
  EXPECT_EQ(word(1) >> 13, 3);  // 57600
  EXPECT_EQ(word(11), 8000);

  EXPECT_EQ(rig.Ask({0x0E, 0x0B, 0x01, 0xA0, 0x0F}), "02 00 30 01 0E 03 44 0D ");
  EXPECT_EQ(rig.Ask({0x0D, 0x0B, 0x01}), "02 00 30 05 0D 0B 01 A0 0F 03 02 0D ");
  EXPECT_EQ(rig.Ask({0x0E, 0x0B, 0x02, 0xA0, 0x0F}), kNackLength);     // two words, one given
  EXPECT_EQ(rig.Ask({0x0D, 0x1F, 0x02}), "02 00 31 01 43 03 7A 0D ");  // past the end

  // EEPROM initialisation brings the factory value back.
  rig.Ask({0x06});
  EXPECT_EQ(rig.module.Memory().Word(11), 8000);
}

TEST(ModuleCommands, SpeedChangeTakesEffectAfterTheRestartAnswer) {
  ModuleRig rig;
  // Configuration word: speed code 4 (115200) into bits 13-15.
  const uint16_t w = static_cast<uint16_t>((rig.module.Memory().Word(1) & 0x1FFF) | 4 << 13);
  rig.Ask({0x0E, 0x01, 0x01, static_cast<uint8_t>(w), static_cast<uint8_t>(w >> 8)});
  EXPECT_EQ(rig.module.Baud(), 57600);
  rig.Command({0x0A});
  auto e = rig.Emissions();
  ASSERT_EQ(e.size(), 1u);
  EXPECT_EQ(hex::Bytes(e[0].bytes), "02 00 30 01 0A 03 40 0D ");
  EXPECT_EQ(e[0].baud, 57600);  // the answer still goes out at the old speed
  EXPECT_EQ(rig.module.Baud(), 115200);
  EXPECT_EQ(rig.module.Counters().restarts, 1u);

  // The system parameter route: index 1, speed index 0 (9600).
  EXPECT_EQ(rig.Ask({0x03, 0x01}), "02 00 30 03 03 01 04 03 40 0D ");
  rig.Ask({0x04, 0x01, 0x00});
  EXPECT_EQ(rig.Ask({0x03, 0x01}), "02 00 30 03 03 01 00 03 3C 0D ");
  EXPECT_EQ(rig.module.Baud(), 115200);
  rig.Ask({0x0A});
  EXPECT_EQ(rig.module.Baud(), 9600);
  EXPECT_EQ(rig.Ask({0x04, 0x01, 0x07}), "02 00 31 01 43 03 7A 0D ");
}

TEST(ModuleCommands, SystemParametersMirrorTheConfigurationWord) {
  ModuleRig rig;
  rig.Ask({0x04, 0x00, 0x12});
  EXPECT_EQ(rig.module.Memory().Word(1) & 0xFF, 0x12);
  EXPECT_EQ(rig.module.Memory().Word(1) >> 13, 3);  // the speed bits stay
  EXPECT_EQ(rig.Ask({0x03, 0x00}), "02 00 30 03 03 00 12 03 4D 0D ");
  rig.Ask({0x04, 0x02, 0xC8, 0x00});
  EXPECT_EQ(rig.Ask({0x03, 0x02}), "02 00 30 04 03 02 C8 00 03 06 0D ");
  EXPECT_EQ(rig.Ask({0x04, 0x02, 0xC8}), kNackLength);
  EXPECT_EQ(rig.Ask({0x03, 0x03}), "02 00 31 01 43 03 7A 0D ");
}

TEST(ModuleCommands, SoftwareInfoFollowsFlashWrites) {
  ModuleRig rig;
  EXPECT_EQ(rig.Ask({0x01}), "02 00 30 04 01 40 00 01 03 7B 0D ");
  rig.Ask({0x0E, 0x01, 0x02, 0x00, 0x00, 0x00, 0x00});
  EXPECT_EQ(rig.Ask({0x01}), "02 00 30 04 01 44 00 01 03 7F 0D ");
}

TEST(ModuleCommands, BuzzerAnswersOnlyWhenAskedTo) {
  ModuleRig rig;
  EXPECT_EQ(rig.Ask({0x05, 0x00, 0x03}), "");
  EXPECT_EQ(rig.Ask({0x05, 0x01, 0xFF}), "02 00 30 01 05 03 3B 0D ");
  EXPECT_EQ(rig.module.Counters().unanswered, 1u);
}

TEST(ModuleCommands, TextCommandsAndLeds) {
  ModuleConfig config;
  config.modelName = "QZH-9X";
  config.progModeText = "AB";
  ModuleRig rig(config);
  EXPECT_EQ(rig.Ask({0x93}), "02 00 30 07 93 51 5A 48 2D 39 58 03 80 0D ");
  EXPECT_EQ(rig.Ask({0x9B}), "02 00 30 04 9B 41 42 00 03 57 0D ");  // NUL after the text
  EXPECT_EQ(rig.Ask({0x02, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00}), "02 00 30 01 02 03 38 0D ");
  EXPECT_EQ(rig.Ask({0x02, 0x00, 0x01, 0x00, 0x00}), "02 00 30 01 02 03 38 0D ");
  EXPECT_EQ(rig.Ask({0x02, 0x00, 0x01}), kNackLength);
  EXPECT_EQ(rig.Ask({0x02, 0x04, 0x01, 0x00, 0x00}), "02 00 31 01 43 03 7A 0D ");
}

TEST(ModuleCommands, TimedCarrierAnswersAtItsEndAndTakesNoCommandMeanwhile) {
  ModuleRig rig;
  rig.Send({0x02, 0x00, 0x4E, 0x04, 0x9E, 0x03, 0x88, 0x13, 0x03, 0x93, 0x0D});  // 5000 ms
  EXPECT_TRUE(rig.module.CarrierOn(rig.now));
  rig.Wait(4999ms);
  EXPECT_EQ(rig.Ask({0x90}), "");  // ignored, not queued
  rig.Wait(1ms);
  EXPECT_EQ(rig.Out(), "02 00 30 01 9E 03 D4 0D ");
  EXPECT_FALSE(rig.module.CarrierOn(rig.now));
  EXPECT_EQ(rig.module.Counters().ignoredBusy, 1u);

  EXPECT_EQ(rig.Ask({0x9E, 0x01}, frame::KindN), "02 00 30 01 9E 03 D4 0D ");
  rig.Wait(1h);
  EXPECT_TRUE(rig.module.CarrierOn(rig.now));
  rig.Ask({0x9E, 0x00}, frame::KindN);
  EXPECT_FALSE(rig.module.CarrierOn(rig.now));
  EXPECT_EQ(rig.Ask({0x9E, 0x02}, frame::KindN), "02 00 31 01 43 03 7A 0D ");
  EXPECT_EQ(rig.Ask({0x9E, 0x03, 0x10}, frame::KindN), kNackLength);
}

TEST(ModuleCommands, AirTimeDelaysAnswers) {
  ModuleConfig config;
  config.airTime = 20ms;
  config.airTimeByCode[0x93] = 50ms;
  ModuleRig rig(config);
  rig.Command({0x90});
  rig.Command({0x93});
  rig.Wait(19ms);
  EXPECT_EQ(rig.Out(), "");
  rig.Wait(1ms);
  EXPECT_EQ(rig.Out(), kAckRom1100);
  rig.Wait(30ms);
  EXPECT_EQ(rig.Out(), "02 00 30 08 93 51 5A 48 2D 39 30 30 03 89 0D ");
}

TEST(ModuleStreaming, ReadLoopStreamsIdFramesUntilCommandMode) {
  ModuleConfig config;
  config.streamInterval = 100ms;
  ModuleRig rig({std::make_shared<sim::FdxbTag>(sim::FdxbTag::AnimalCode(392, 123456789012))},
                config);
  const std::string id = "02 00 49 09 06 14 1A 99 BE 1C 62 00 80 03 E0 0D ";
  EXPECT_EQ(rig.Ask({0x00, 0x02}), kAckMode);
  rig.Wait(99ms);
  EXPECT_EQ(rig.Out(), "");
  rig.Wait(1ms);
  EXPECT_EQ(rig.Out(), id);
  rig.Wait(250ms);
  EXPECT_EQ(rig.Out(), id + id);
  // Commands are still answered while it streams.
  EXPECT_EQ(rig.Ask({0x90}), kAckRom1100);
  EXPECT_EQ(rig.Ask({0x00, 0x04}), kAckMode);
  rig.Wait(1s);
  EXPECT_EQ(rig.Out(), "");
  EXPECT_EQ(rig.module.Counters().idFrames, 3u);
}

TEST(ModuleStreaming, EveryTagInTheFieldOncePerRound) {
  ModuleConfig config;
  config.streamInterval = 100ms;
  ModuleRig rig(
      {std::make_shared<sim::TiReadOnlyTag>(0x0123456789ABCDEF), std::make_shared<sim::FdxbTag>(5)},
      config);
  rig.Ask({0x00, 0x06});  // animal-ID read mode streams as well
  rig.Wait(100ms);
  EXPECT_EQ(rig.Out(),
            "02 00 49 09 01 EF CD AB 89 67 45 23 01 03 18 0D "
            "02 00 49 09 06 05 00 00 00 00 00 00 00 03 62 0D ");
  rig.field->Remove(0);
  rig.Wait(100ms);
  EXPECT_EQ(rig.Out(), "02 00 49 09 06 05 00 00 00 00 00 00 00 03 62 0D ");
  // Test read mode reads without reporting.
  rig.Ask({0x00, 0x05});
  rig.Wait(1s);
  EXPECT_EQ(rig.Out(), "");
}

TEST(ModuleStreaming, FloodRunsAtLineRate) {
  ModuleConfig config;
  config.baud = 115200;
  config.flood = true;
  ModuleRig rig({std::make_shared<sim::FdxbTag>(1)}, config);
  rig.Ask({0x00, 0x02});
  rig.Wait(1s);
  // 16-byte frames of 10 bits a byte: 720 a second at 115200 bit/s.
  const auto frames = rig.Emissions().size();
  EXPECT_GE(frames, 719u);
  EXPECT_LE(frames, 721u);
}

TEST(ModuleStreaming, SavedModeComesBackAfterARestart) {
  ModuleRig rig({std::make_shared<sim::FdxbTag>(1)});
  rig.Ask({0x00, 0x02, 0x01});
  rig.Ask({0x00, 0x04});
  rig.Ask({0x0A});
  EXPECT_EQ(rig.module.ActionMode(), 2);
  EXPECT_TRUE(rig.module.Streaming());
  rig.Wait(1s);
  EXPECT_NE(rig.Out(), "");
}

TEST(ModuleFrames, SurvivesRandomBytesAndStillFindsEveryFrameBetweenNoise) {
  ModuleRig rig;
  uint32_t seed = 12345;
  auto random = [&] {
    seed = seed * 1103515245u + 12345u;
    return static_cast<uint8_t>(seed >> 16);
  };
  // Noise without STX never hides a frame.
  for (int i = 0; i < 200; ++i) {
    std::vector<uint8_t> noise(random() % 40);
    for (auto& b : noise) b = static_cast<uint8_t>(random() == frame::STX ? 0x55 : random());
    rig.Send(noise);
    rig.Command({0x90});
  }
  EXPECT_EQ(rig.module.Counters().acks, 200u);
  // Any bytes at all: the module keeps going, and after a quiet moment it hunts afresh.
  for (int i = 0; i < 20000; ++i) rig.Send({random()});
  rig.Wait(70s);  // past any timed carrier a random frame may have started
  rig.Out();
  EXPECT_EQ(rig.Ask({0x90}).substr(0, 12), "02 00 30 0A ");
}
