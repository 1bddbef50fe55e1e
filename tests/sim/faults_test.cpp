// Injected faults, checked against what the tool's own receiver makes of them.
#include <gtest/gtest.h>

#include <algorithm>

#include "link/receiver.h"
#include "sim/line_pacer.h"
#include "tests/sim/module_rig.h"

using namespace sim_test;

namespace {
const std::string kAckRom1100 = "02 00 30 0A 90 31 31 30 30 4C 46 53 30 30 03 D6 0D ";

struct Heard {
  std::vector<std::string> lines;
  ResponseState state = ResponseState::None;
  std::vector<uint8_t> raw;
};

// Probes once and feeds the answer to a fresh receiver.
Heard Probe(ModuleRig& rig) {
  rig.Command({0x90});
  Heard h;
  for (const auto& e : rig.Emissions()) h.raw.insert(h.raw.end(), e.bytes.begin(), e.bytes.end());
  ResponseReceiver rx;
  rx.log = [&](const std::string& line) { h.lines.push_back(line); };
  rx.LogRxFrames = false;
  rx.Feed(h.raw.data(), h.raw.size());
  h.state = rx.State();
  return h;
}
}  // namespace

TEST(Faults, DamagedAnswersFailTheToolsChecksForTheirCountOnly) {
  ModuleRig rig;
  rig.module.Faults().badSum = 1;
  Heard h = Probe(rig);
  EXPECT_EQ(h.state, ResponseState::None);
  EXPECT_EQ(h.lines, std::vector<std::string>{"SUM Error"});
  EXPECT_EQ(Probe(rig).state, ResponseState::AckReceived);

  rig.module.Faults().dropByte = 1;
  h = Probe(rig);
  EXPECT_EQ(h.raw.size(), 16u);
  EXPECT_EQ(h.state, ResponseState::None);

  rig.module.Faults().extraByte = 1;
  h = Probe(rig);
  EXPECT_EQ(h.raw.size(), 18u);
  EXPECT_EQ(h.state, ResponseState::None);
  EXPECT_EQ(Probe(rig).state, ResponseState::AckReceived);
}

TEST(Faults, GarbageBeforeAnAnswerIsSkippedByTheTool) {
  ModuleRig rig;
  rig.module.Faults().garbage = sim::FaultPlan::kAlways;
  rig.module.Faults().garbageBytes = 20;
  for (int i = 0; i < 3; ++i) {
    Heard h = Probe(rig);
    ASSERT_EQ(h.raw.size(), 37u);
    EXPECT_EQ(std::count(h.raw.begin(), h.raw.begin() + 20, frame::STX), 0);
    EXPECT_EQ(h.state, ResponseState::AckReceived);
  }
}

TEST(Faults, RaccessFramesPassTheToolsCheck) {
  ModuleRig rig;
  rig.module.Faults().raccess = 1;
  Heard h = Probe(rig);
  EXPECT_EQ(h.state, ResponseState::RaccessReceived);
  EXPECT_EQ(h.lines.size(), 1u);
  ASSERT_GE(h.raw.size(), 9u);
  const size_t l = h.raw[1];
  ASSERT_EQ(h.raw.size(), l + 5);
  EXPECT_GE(l, 4u);
  EXPECT_EQ(h.raw[2], 0x30);  // the body carries the ACK: type, LEN, data
  EXPECT_EQ(h.raw[3], 10);
  EXPECT_EQ(h.raw[4], 0x90);
  EXPECT_EQ(h.raw.back(), frame::ETX);
  EXPECT_NE(frame::RaccessCheck(h.raw.data() + 1, l + 3), 0);
  // A one-byte answer is padded to the shortest Raccess frame.
  rig.module.Faults().raccess = 1;
  rig.Command({0x00, 0x04});
  const auto e = rig.Emissions();
  ASSERT_EQ(e.size(), 1u);
  EXPECT_EQ(e[0].bytes[1], 4);
  EXPECT_NE(frame::RaccessCheck(e[0].bytes.data() + 1, 7), 0);
}

TEST(Faults, NackMissingLateAndHangupActOnCommands) {
  ModuleRig rig;
  auto& f = rig.module.Faults();
  f.nack = 2;
  f.nackCode = 0x03;
  EXPECT_EQ(rig.Ask({0x0E, 0x0B, 0x01, 0x34, 0x12}), "02 00 31 01 03 03 3A 0D ");
  EXPECT_NE(rig.module.Memory().Word(11), 0x1234);  // refused, so not carried out
  EXPECT_EQ(rig.Ask({0x90}), "02 00 31 01 03 03 3A 0D ");
  EXPECT_EQ(rig.Ask({0x90}), kAckRom1100);

  f.missing = 1;
  EXPECT_EQ(rig.Ask({0x90}), "");
  EXPECT_EQ(rig.Ask({0x90}), kAckRom1100);

  f.late = 1;
  f.lateBy = std::chrono::milliseconds(300);
  EXPECT_EQ(rig.Ask({0x90}), "");
  rig.Wait(299ms);
  EXPECT_EQ(rig.Out(), "");
  rig.Wait(1ms);
  EXPECT_EQ(rig.Out(), kAckRom1100);

  f.hangupAfter = 2;
  EXPECT_EQ(rig.Ask({0x90}), kAckRom1100);
  EXPECT_FALSE(rig.module.TakeHangupRequest());
  EXPECT_EQ(rig.Ask({0x90}), "");
  EXPECT_TRUE(rig.module.TakeHangupRequest());
  EXPECT_FALSE(rig.module.TakeHangupRequest());
}

TEST(Faults, SettingsReadTheirOwnSpelling) {
  sim::FaultPlan plan;
  std::string error;
  EXPECT_TRUE(sim::ApplyFaultSetting(plan, "nack", "0x41:2", error));
  EXPECT_EQ(plan.nackCode, 0x41);
  EXPECT_EQ(plan.nack, 2);
  EXPECT_TRUE(sim::ApplyFaultSetting(plan, "drop-byte", "all", error));
  EXPECT_EQ(plan.dropByte, sim::FaultPlan::kAlways);
  EXPECT_TRUE(sim::ApplyFaultSetting(plan, "drop-byte", "off", error));
  EXPECT_EQ(plan.dropByte, 0);
  EXPECT_FALSE(sim::ApplyFaultSetting(plan, "nack", "300", error));
  EXPECT_FALSE(sim::ApplyFaultSetting(plan, "hangup-after", "all", error));
  EXPECT_FALSE(sim::ApplyFaultSetting(plan, "melt", "1", error));
  EXPECT_EQ(error, "unknown fault \"melt\"");
}

TEST(LinePacer, ReleasesChunksWhenTheirLastByteHasLeft) {
  sim::LinePacer pacer(true);
  const sim::TimePoint t0 = sim::TimePoint{} + 1h;
  pacer.Queue({115200, std::vector<uint8_t>(40, 0x55), false}, t0);
  pacer.Queue({115200, std::vector<uint8_t>(8, 0xAA), false}, t0);
  const auto byte = sim::ByteTime(115200);  // 86.8 us
  const sim::Duration expected[] = {byte * 16, byte * 32, byte * 40, byte * 48};
  sim::LineChunk chunk;
  for (const auto& due : expected) {
    EXPECT_FALSE(pacer.PopDue(t0 + due - 1us, chunk));
    ASSERT_TRUE(pacer.PopDue(t0 + due, chunk));
  }
  EXPECT_EQ(pacer.QueuedBytes(), 0u);

  pacer.SetWireTime(false);
  pacer.Queue({9600, std::vector<uint8_t>(100, 0), false}, t0 + 1s);
  ASSERT_TRUE(pacer.PopDue(t0 + 1s, chunk));
  EXPECT_EQ(chunk.bytes.size(), 100u);
}
