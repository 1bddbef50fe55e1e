// The HDX family's simulated chips on the pure module: answer layouts the handlers rely on.
#include <gtest/gtest.h>

#include "sim/chip_registry.h"
#include "sim/chips/hdx_plus.h"
#include "sim/chips/sic279.h"
#include "sim/chips/ti_hdx.h"
#include "tests/hdx/hdx_rig.h"
#include "tests/sim/module_rig.h"

using namespace sim_test;

namespace {

const std::string kNackNoTag = "02 00 31 01 04 03 3B 0D ";

// LEN of the single answer frame in the rig's output.
int Len(const std::string& frameText) {
  return std::stoi(frameText.substr(9, 2), nullptr, 16);
}

TEST(HdxChips, MultipageAnswerLengths) {
  ModuleRig rig({hdx_test::MakeChip("ti-mpt")});
  EXPECT_EQ(Len(rig.Ask({0x10})), 10);
  EXPECT_EQ(Len(rig.Ask({0x12, 17})), 11);
  EXPECT_EQ(Len(rig.Ask({0x8B, 1, 17})), 2 + 17 * 9);
  EXPECT_EQ(rig.Ask({0x12, 18}), kNackNoTag) << "no page 18";
  EXPECT_EQ(rig.Ask({0x12, 0}), kNackNoTag);
  std::vector<uint8_t> write{0x8C, 16, 2};
  write.resize(3 + 16, 0x5A);
  rig.Send(frame::BuildCommandFrame(write));
  EXPECT_EQ(Len(rig.Out()), 4);  // echo, tag type, two page states
}

TEST(HdxChips, ReadWriteTagTakesItsIdUntilLocked) {
  ModuleRig rig({hdx_test::MakeChip("ti-rw:1")});
  EXPECT_EQ(rig.Ask({0x11, 8, 1, 2, 3, 4, 5, 6, 7, 8}).substr(12, 30),
            "11 00 01 02 03 04 05 06 07 08 ");
  EXPECT_EQ(rig.Ask({0x12, 1}), kNackNoTag) << "a read/write tag has no pages";
}

TEST(HdxChips, Sic279IdWriteShowsInTheIdReads) {
  ModuleRig rig({hdx_test::MakeChip("sic279")});
  rig.Ask({0x59, 1, 8, 7, 6, 5, 4, 3, 2, 1, 0});
  EXPECT_EQ(rig.Ask({0x71, 0x02}).substr(12, 30), "71 04 08 07 06 05 04 03 02 01 ");
  EXPECT_EQ(rig.Ask({0x59, 0, 1, 1, 1, 1, 1, 1, 1, 1, 0}), kNackNoTag) << "the ID is locked";
}

TEST(HdxChips, RegistrySpecs) {
  for (const char* spec : {"ti-rw", "ti-mpt:0102", "sic279:1", "hdxp", "hdx+:FF"})
    EXPECT_TRUE(hdx_test::MakeChip(spec)) << spec;
  EXPECT_FALSE(sim::ChipRegistry::Builtin().Make("ti-mpt:XYZ").tag);
}

}  // namespace
