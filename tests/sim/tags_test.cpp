// Transponders, the field, and the tag specs of options and scenario files.
#include <gtest/gtest.h>

#include "link/receiver.h"
#include "sim/chip_registry.h"
#include "sim/chips/em4100.h"
#include "sim/chips/fdxb.h"
#include "sim/chips/ti_readonly.h"
#include "sim/scenario.h"
#include "tests/sim/module_rig.h"
#include "tests/support/temp_config.h"

using namespace sim_test;

namespace {
const std::string kNackNoTag = "02 00 31 01 04 03 3B 0D ";

sim::TagPtr Make(const std::string& spec) {
  auto r = sim::ChipRegistry::Builtin().Make(spec);
  EXPECT_TRUE(r.tag) << spec << ": " << r.error;
  return r.tag;
}

// The data bytes of a single response frame, as "70 06 ... ".
std::string Data(const std::string& frameText) {
  return frameText.size() > 12 + 12 ? frameText.substr(12, frameText.size() - 12 - 9) : frameText;
}
}  // namespace

TEST(IdReads, FdxbAnswersEveryReadButFecava) {
  ModuleRig rig({Make("fdxb:392:123456789012")});
  EXPECT_EQ(Data(rig.Ask({0x70, 0x01})), "70 06 14 1A 99 BE 1C 62 00 80 ");
  EXPECT_EQ(Data(rig.Ask({0x71})), "71 06 14 1A 99 BE 1C 62 00 80 ");
  EXPECT_EQ(Data(rig.Ask({0x71, 0x02})), "71 06 14 1A 99 BE 1C 62 00 80 ");
  EXPECT_EQ(rig.Ask({0x72}), kNackNoTag);
  EXPECT_EQ(rig.Ask({0x10}), kNackNoTag);  // not an HDX tag
}

TEST(IdReads, EmGivesVersionThenSerialMostSignificantFirst) {
  ModuleRig rig({Make("em:0504030201")});
  EXPECT_EQ(Data(rig.Ask({0x70, 0x01})), "70 05 05 04 03 02 01 ");
  EXPECT_EQ(Data(rig.Ask({0x71})), "71 05 05 04 03 02 01 ");
}

TEST(IdReads, TiReadOnlyAnswersHdxReadsAndTheChargeOnlyRead) {
  ModuleRig rig({Make("ti-ro:0123456789ABCDEF")});
  EXPECT_EQ(rig.Ask({0x70, 0x01}), kNackNoTag);  // HDX, not FDX
  EXPECT_EQ(Data(rig.Ask({0x71, 0x02})), "71 01 EF CD AB 89 67 45 23 01 ");
  EXPECT_EQ(Data(rig.Ask({0x10})), "10 01 EF CD AB 89 67 45 23 01 ");
  EXPECT_EQ(Data(rig.Ask({0x10, 0x00})), "10 01 EF CD AB 89 67 45 23 01 ");
  EXPECT_EQ(rig.Ask({0x11, 0x08, 1, 2, 3, 4, 5, 6, 7, 8}), kNackNoTag);  // cannot be written
}

TEST(IdReads, FirstTagThatAnswersWins) {
  ModuleRig rig({Make("ti-ro:0123456789ABCDEF"), Make("fdxb:na:5"), Make("em:01")});
  EXPECT_EQ(Data(rig.Ask({0x70, 0x01})), "70 06 05 00 00 00 00 00 00 00 ");
  EXPECT_EQ(Data(rig.Ask({0x71})), "71 01 EF CD AB 89 67 45 23 01 ");
  rig.field->Remove(0);
  rig.field->Remove(0);
  EXPECT_EQ(Data(rig.Ask({0x71})), "71 05 00 00 00 00 01 ");
}

TEST(IdReads, BadParametersAreRejectedBeforeTheAir) {
  ModuleRig rig({Make("fdxb:392:1")});
  EXPECT_EQ(rig.Ask({0x70, 0x02}), "02 00 31 01 43 03 7A 0D ");
  EXPECT_EQ(rig.Ask({0x71, 0x02, 0x00}), "02 00 31 01 41 03 78 0D ");
  EXPECT_EQ(rig.Ask({0x72, 0x01}), "02 00 31 01 43 03 7A 0D ");
}

TEST(IdReads, StreamedFramesDecodeInTheToolsReceiver) {
  ModuleRig rig(sim::DefaultTags());
  rig.Ask({0x00, 0x02});
  rig.Wait(rig.module.Config().streamInterval);
  std::vector<std::string> lines;
  ResponseReceiver rx;
  rx.log = [&](const std::string& line) { lines.push_back(line); };
  rx.animalIdDisplay = [] { return true; };
  rx.LogRxFrames = false;
  for (const auto& e : rig.Emissions()) rx.Feed(e.bytes.data(), e.bytes.size());
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "ID: 80 00 62 1C BE 99 1A 14 [392, 123456789012]",
                       "ID: 01 02 03 04 05 [0067305985]",
                       "ID: 01 23 45 67 89 AB CD EF ",
                   }));
}

TEST(TagSpecs, BuildTheCodesTheyName) {
  auto cow = std::dynamic_pointer_cast<sim::FdxbTag>(Make("fdxb:999:141500000001"));
  ASSERT_TRUE(cow);
  EXPECT_EQ(cow->Code(), 0x8000F9E0F20EA701u);
  EXPECT_EQ(cow->Describe(), "fdxb 999 141500000001 (animal)");
  EXPECT_EQ(std::dynamic_pointer_cast<sim::FdxbTag>(Make("FDX-B:hex:0x8000F9E0F20EA701"))->Code(),
            0x8000F9E0F20EA701u);
  auto plain = std::dynamic_pointer_cast<sim::FdxbTag>(Make("fdxb:na:9223372036854775807"));
  EXPECT_EQ(plain->Code(), 0x7FFFFFFFFFFFFFFFu);
  EXPECT_EQ(plain->Describe(), "fdxb 9223372036854775807 (non-animal)");
  EXPECT_EQ(std::dynamic_pointer_cast<sim::EmTag>(Make("em4100:FFFFFFFFFF"))->EmId(),
            sim::EmTag::kMaxId);
  EXPECT_EQ(Make("em:0504030201")->Describe(), "em 0504030201 (version 005, serial 0067305985)");
  EXPECT_EQ(Make("ti-ro:1")->Describe(), "ti-ro 0000000000000001");
}

TEST(TagSpecs, RefuseWhatTheyCannotBuildWithAReason) {
  const auto& reg = sim::ChipRegistry::Builtin();
  const std::pair<const char*, const char*> cases[] = {
      {"fdxb:1024:1", "country"},
      {"fdxb:392:274877906944", "national ID"},
      {"fdxb:392:-1", "national ID"},
      {"fdxb:na:9223372036854775808", "non-animal"},
      {"fdxb:hex:10000000000000000", "64-bit"},
      {"fdxb", "usage"},
      {"em:12345678901", "EM ID"},
      {"em:", "EM ID"},
      {"ti-ro:xyz", "64-bit"},
      {"ti-ro:1:2", "usage"},
      {"nosuch:1", "unknown tag type \"nosuch\""},
      {"", "unknown tag type"},
  };
  for (const auto& [spec, reason] : cases) {
    auto r = reg.Make(spec);
    EXPECT_FALSE(r.tag) << spec;
    EXPECT_NE(r.error.find(reason), std::string::npos) << spec << " gave: " << r.error;
  }
}

TEST(Scenario, ReadsOneTagPerLineAndReportsBadLines) {
  sim::Scenario s;
  sim::ParseScenarioText(
      "# a cow and a fob\n"
      "\n"
      "  fdxb:392:123456789012   # the cow\r\n"
      "em:zz\n"
      "em:0504030201\n",
      "field.txt", s);
  ASSERT_EQ(s.tags.size(), 2u);
  EXPECT_EQ(s.tags[0]->Describe(), "fdxb 392 123456789012 (animal)");
  EXPECT_EQ(s.tags[1]->TypeName(), "em");
  ASSERT_EQ(s.warnings.size(), 1u);
  EXPECT_EQ(s.warnings[0].rfind("field.txt:4: ", 0), 0u) << s.warnings[0];

  sim::Scenario binary;
  sim::ParseScenarioText(std::string("\x7f"
                                     "ELF\x02\x01\x00\n\xff\xfe:\n",
                                     12),
                         "a.out", binary);
  EXPECT_TRUE(binary.tags.empty());
  EXPECT_EQ(binary.warnings.size(), 2u);
}

TEST(Scenario, FilesThatCannotBeReadAreRefused) {
  TempConfig dir;
  sim::Scenario s;
  std::string error;
  EXPECT_FALSE(sim::LoadScenarioFile(dir.Path("missing.txt"), s, error));
  EXPECT_NE(error.find("missing.txt"), std::string::npos);
  EXPECT_FALSE(sim::LoadScenarioFile(dir.Dir(), s, error));
  TempConfig::WriteFile(dir.Path("field.txt"), "ti-ro:1\n");
  EXPECT_TRUE(sim::LoadScenarioFile(dir.Path("field.txt"), s, error));
  EXPECT_EQ(s.tags.size(), 1u);
}

TEST(FieldAndMemory, InsertRemoveReplaceKeepOrder) {
  sim::Field field;
  EXPECT_EQ(field.Insert(Make("ti-ro:1")), 0u);
  EXPECT_EQ(field.Insert(Make("ti-ro:3")), 1u);
  EXPECT_EQ(field.Insert(Make("ti-ro:2"), 1), 1u);
  EXPECT_EQ(field.Describe(),
            (std::vector<std::string>{"ti-ro 0000000000000001", "ti-ro 0000000000000002",
                                      "ti-ro 0000000000000003"}));
  EXPECT_EQ(field.Replace(0, Make("em:1"))->Describe(), "ti-ro 0000000000000001");
  EXPECT_EQ(field.Replace(7, Make("em:1")), nullptr);
  EXPECT_EQ(field.Remove(3), nullptr);
  EXPECT_EQ(field.Remove(1)->Describe(), "ti-ro 0000000000000002");
  EXPECT_EQ(field.Size(), 2u);
  EXPECT_EQ(field.Describe()[0].substr(0, 3), "em ");
}

TEST(FieldAndMemory, LockedBlocksRefuseWritesButNotTheFactory) {
  sim::TagMemory m(3, 4);
  const uint8_t data[4] = {1, 2, 3, 4};
  EXPECT_TRUE(m.Write(1, data));
  EXPECT_EQ(m.Block(1)[3], 4);
  EXPECT_FALSE(m.Write(1, std::span<const uint8_t>(data, 3)));  // a partial block
  EXPECT_FALSE(m.Write(3, data));
  EXPECT_TRUE(m.Lock(1));
  const uint8_t other[4] = {9, 9, 9, 9};
  EXPECT_FALSE(m.Write(1, other));
  EXPECT_EQ(m.Block(1)[0], 1);
  m.Program(1, other);
  EXPECT_EQ(m.Block(1)[0], 9);
  EXPECT_TRUE(m.Block(5).empty());

  // The factory-programmed tags come locked.
  auto tag = Make("fdxb:392:1");
  EXPECT_FALSE(tag->Memory().Write(0, std::vector<uint8_t>(8, 0)));
}
