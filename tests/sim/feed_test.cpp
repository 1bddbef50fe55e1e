// The simulator's feed on the pure module and the field, on the test's own clock: a blank tag is
// in the field until it was written and read back, the next one enters the gap later with the
// next UID, the tray runs out; every chip of the feed is written and read back as a station does
// it; the command line and the program's banner.
#include <gtest/gtest.h>

#include "codec/animal_id.h"
#include "sim/options.h"
#include "tests/sim/module_rig.h"

using namespace sim_test;

namespace {

// An 'ACK' frame's data as text after the type and length bytes: "80 78 88 00 01" and so on.
bool Acked(const std::string& out) {
  return out.rfind("02 00 30 ", 0) == 0;
}
bool NoTag(const std::string& out) {
  return out.rfind("02 00 31 01 04 ", 0) == 0;  // NACK 04, no response from the tag
}

// A command of any length, and what the module answers.
std::string AskBytes(ModuleRig& rig, const std::vector<uint8_t>& data) {
  rig.Send(frame::BuildCommandFrame(data, frame::KindM));
  return rig.Out();
}

std::vector<uint8_t> IdBytes(uint64_t code) {
  const auto b = fdx::ToIdBytes(code);
  return {b.begin(), b.end()};
}

}  // namespace

TEST(Feed, ATagLeavesWithItsReadBackAndTheNextEntersTheGapLaterWithTheNextUid) {
  auto field = std::make_shared<sim::Field>();
  field->SetFeed({.chip = "sic7888", .count = 2, .gap = 50ms, .firstUid = 0x10203040});
  ModuleRig rig({}, field);
  EXPECT_EQ(field->Size(), 1u);  // the first is there at once

  EXPECT_EQ(rig.Ask({0x80, 0x01}).rfind("02 00 30 05 80 10 20 30 40 ", 0), 0u);
  // Reading the blank tag before the write keeps it in the field.
  EXPECT_FALSE(Acked(rig.Ask({0x70, 0x01})));
  EXPECT_TRUE(Acked(rig.Ask({0x80, 0x01})));
  // Write (configuration, ID), then the read back: it leaves.
  const uint64_t code = fdx::AnimalIdCode::Animal(392, 100).Encode();
  EXPECT_TRUE(Acked(rig.Ask({0x83, 0x01, 0x01, 0xCA, 0x48, 0x00, 0x00})));
  std::vector<uint8_t> write = {0x86, 0x01};
  for (uint8_t b : IdBytes(code)) write.push_back(b);
  EXPECT_TRUE(Acked(AskBytes(rig, write)));
  EXPECT_TRUE(Acked(rig.Ask({0x80, 0x01}))) << "written, not read back yet: still there";
  EXPECT_TRUE(Acked(rig.Ask({0x70, 0x01})));
  EXPECT_EQ(field->Size(), 0u);
  EXPECT_TRUE(NoTag(rig.Ask({0x80, 0x01})));
  rig.Wait(49ms);
  EXPECT_TRUE(NoTag(rig.Ask({0x80, 0x01})));
  rig.Wait(1ms);
  EXPECT_EQ(rig.Ask({0x80, 0x01}).rfind("02 00 30 05 80 10 20 30 41 ", 0), 0u);
  EXPECT_EQ(field->FeedCountersNow()->presented, 2u);
  EXPECT_EQ(field->FeedCountersNow()->readBack, 1u);

  // A failed write (the chip refused it) is read back too, and the tag leaves all the same.
  AskBytes(rig, write);
  EXPECT_FALSE(Acked(rig.Ask({0x70, 0x01})));
  rig.Wait(1h);
  // The tray is empty.
  EXPECT_TRUE(NoTag(rig.Ask({0x80, 0x01})));
  EXPECT_EQ(field->FeedCountersNow()->presented, 2u);
  EXPECT_EQ(field->FeedCountersNow()->readBack, 2u);
}

TEST(Feed, EveryChipIsWrittenAndReadBackTheWayItsStationDoesIt) {
  const uint64_t code = fdx::AnimalIdCode::Animal(392, 7).Encode();
  const auto id = IdBytes(code);
  struct Chip {
    const char* name;
    std::vector<uint8_t> identity;  // the station's presence poll
    std::string first;              // its answer for the first tag (after the echoed code)
    std::vector<std::vector<uint8_t>> write;
    std::vector<uint8_t> readBack;
  };
  std::vector<uint8_t> em = {0xE5, 0x01}, sic279 = {0x59, 0x00}, hdx = {0x3B};
  em.insert(em.end(), id.begin(), id.end());
  sic279.insert(sic279.end(), id.begin(), id.end());
  sic279.push_back(0x01);
  hdx.insert(hdx.end(), id.begin(), id.end());
  hdx.push_back(0x00);
  const Chip chips[] = {
      {"em4305",
       {0xE1, 0x01},
       "E1 00 00 00 05",
       {{0xE0, 0x04, 0x00, 0x02, 0x00, 0x8F}, em},
       {0x70, 0x01}},
      {"sic279", {0x50}, "50 12 34 00 00 00 05", {sic279}, {0x71}},
      {"hdxplus", {0x36, 0x00, 0x00, 0x00}, "36 05 00 00 00", {hdx}, {0x71}},
  };
  for (const Chip& c : chips) {
    auto field = std::make_shared<sim::Field>();
    field->SetFeed({.chip = c.name, .count = 0, .gap = 0ms, .firstUid = 5});
    ModuleRig rig({}, field);
    const std::string first = AskBytes(rig, c.identity);
    EXPECT_NE(first.find(c.first), std::string::npos) << c.name << ": " << first;
    for (const auto& w : c.write) {
      EXPECT_TRUE(Acked(AskBytes(rig, w))) << c.name;
    }
    const std::string back = AskBytes(rig, c.readBack);
    EXPECT_NE(back.find(hex::Bytes(id)), std::string::npos) << c.name << ": " << back;
    // Without a gap the next one is there at the next command, with the next UID.
    const std::string second = AskBytes(rig, c.identity);
    EXPECT_TRUE(Acked(second)) << c.name;
    EXPECT_NE(second, first) << c.name;
    EXPECT_EQ(field->FeedCountersNow()->presented, 2u) << c.name;
  }
}

TEST(Feed, TheCommandLineTakesTheChipTheCountTheGapAndTheFirstUid) {
  auto p = sim::ParseCommandLine({"--feed", "sic279:200", "--feed-gap", "10", "--feed-uid", "AB"});
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_TRUE(p.cl.feed);
  EXPECT_EQ(p.cl.feedPlan.chip, "sic279");
  EXPECT_EQ(p.cl.feedPlan.count, 200u);
  EXPECT_EQ(p.cl.feedPlan.gap, 10ms);
  EXPECT_EQ(p.cl.feedPlan.firstUid, 0xABu);
  EXPECT_TRUE(p.cl.feedUidGiven);
  auto d = sim::ParseCommandLine({"--feed=hdx+"});
  ASSERT_TRUE(d.ok) << d.error;
  EXPECT_EQ(d.cl.feedPlan.chip, "hdxplus");
  EXPECT_EQ(d.cl.feedPlan.count, 0u);
  EXPECT_EQ(d.cl.feedPlan.gap, 50ms);
  EXPECT_FALSE(d.cl.feedUidGiven);

  const std::pair<std::vector<std::string>, std::string> bad[] = {
      {{"--feed", "t5577"}, "--feed: \"t5577\" is not one of sic7888, em4305, sic279, hdxplus"},
      {{"--feed", "sic7888:0"}, "--feed: \"0\" is not a number of tags (1 to 100000000)"},
      {{"--feed", "sic7888:x"}, "--feed: \"x\" is not a number of tags"},
      {{"--feed-gap", "5"}, "--feed-gap and --feed-uid belong to --feed"},
      {{"--feed", "sic7888", "--feed-uid", "123456789"}, "--feed-uid: \"123456789\" is not a UID"},
  };
  for (const auto& [args, message] : bad) {
    auto r = sim::ParseCommandLine(args);
    EXPECT_FALSE(r.ok) << args[0];
    EXPECT_EQ(r.error.rfind(message, 0), 0u) << "got: " << r.error;
  }
}
