// The simulator on a real pseudo-terminal: speed rule, wire time, hang-up, registry, streaming,
// and the tool's own serial stack talking to it.
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <filesystem>
#include <thread>

#include "core/app_paths.h"
#include "core/ini_file.h"
#include "core/log_pane.h"
#include "link/comm_module.h"
#include "sim/chip_registry.h"
#include "sim/scenario.h"
#include "sim/simulator.h"
#include "tests/sim/host_port.h"
#include "tests/support/temp_config.h"
#include "tests/support/wait.h"

using namespace std::chrono_literals;
using sim_test::HostPort;

namespace {
const std::string kAckRom1100 = "02 00 30 0A 90 31 31 30 30 4C 46 53 30 30 03 D6 0D ";
const std::string kAckMode = "02 00 30 01 00 03 36 0D ";

sim::SimulatorOptions Options(bool wireTime = false, int baud = 57600) {
  sim::SimulatorOptions o;
  o.wireTime = wireTime;
  o.module.baud = baud;
  return o;
}

std::string Registered(int n) {
  IniFile ini(app_paths::PortRegistryPath());
  ini.Load();
  return ini.ReadString("Ports", "COM" + std::to_string(n), "");
}
}  // namespace

TEST(SimulatorPty, AnswersTheProbeAtTheLinesPace) {
  sim::Simulator s(Options(true, 9600));
  ASSERT_TRUE(s.Start());
  HostPort host(s.DevicePath(), 9600);
  ASSERT_TRUE(host.IsOpen());
  const auto start = sim::Clock::now();
  host.Write({0x02, 0x00, 0x4D, 0x01, 0x90, 0x03, 0xE3, 0x0D});
  EXPECT_EQ(host.ReadFrame(), kAckRom1100);
  // 8 bytes in and 17 out at 1.04 ms a byte.
  EXPECT_GE(sim::Clock::now() - start, 26ms);
  EXPECT_FALSE(host.HasInput());
}

TEST(SimulatorPty, IgnoresAHostAtAnotherSpeed) {
  sim::Simulator s(Options());
  ASSERT_TRUE(s.Start());
  HostPort host(s.DevicePath(), 9600);
  host.Command({0x90});
  ASSERT_TRUE(s.WaitUntil([](const sim::SimCounters& c) { return c.module.noiseBytes == 8; },
                          test_support::kPatience));
  EXPECT_EQ(s.Counters().module.frames, 0u);
  host.SetBaud(57600);
  host.Command({0x90});
  EXPECT_EQ(host.ReadFrame(), kAckRom1100);  // the first thing the host hears
  EXPECT_FALSE(host.HasInput());
}

TEST(SimulatorPty, TalksAtTheNewSpeedAfterARestart) {
  sim::Simulator s(Options());
  ASSERT_TRUE(s.Start());
  HostPort host(s.DevicePath());
  host.Command({0x04, 0x01, 0x04});  // speed index 4: 115200
  EXPECT_EQ(host.ReadFrame(), "02 00 30 01 04 03 3A 0D ");
  host.Command({0x0A});
  EXPECT_EQ(host.ReadFrame(), "02 00 30 01 0A 03 40 0D ");
  host.Command({0x90});
  ASSERT_TRUE(s.WaitUntil([](const sim::SimCounters& c) { return c.module.noiseBytes == 8; },
                          test_support::kPatience));
  host.SetBaud(115200);
  host.Command({0x90});
  EXPECT_EQ(host.ReadFrame(), kAckRom1100);
}

TEST(SimulatorPty, HangUpLooksLikeAnUnpluggedAdapter) {
  TempConfig config;
  sim::SimulatorOptions o = Options();
  o.comNumber = 9;
  sim::Simulator s(o);
  ASSERT_TRUE(s.Start());
  const std::string first = s.DevicePath();
  EXPECT_EQ(s.ComName(), "COM9");
  EXPECT_EQ(Registered(9), first);
  HostPort host(first);

  s.HangUp();
  pollfd p{host.Fd(), POLLIN, 0};
  ASSERT_EQ(::poll(&p, 1, 2000), 1);
  EXPECT_TRUE(p.revents & POLLHUP);
  uint8_t b;
  EXPECT_LE(::read(host.Fd(), &b, 1), 0);
  EXPECT_FALSE(std::filesystem::exists(first));
  EXPECT_EQ(Registered(9), "");
  EXPECT_EQ(s.DevicePath(), "");

  ASSERT_TRUE(s.Reopen());
  EXPECT_EQ(Registered(9), s.DevicePath());
  HostPort again(s.DevicePath());
  again.Command({0x90});
  EXPECT_EQ(again.ReadFrame(), kAckRom1100);
  s.Stop();
  EXPECT_EQ(Registered(9), "");
}

TEST(SimulatorPty, HangupFaultComesBackOnANewPty) {
  TempConfig config;
  sim::SimulatorOptions o = Options();
  o.comNumber = 4;
  o.reopenAfter = 0ms;
  sim::Simulator s(o);
  ASSERT_TRUE(s.Start());
  s.UpdateFaults([](sim::FaultPlan& f) { f.hangupAfter = 2; });
  HostPort host(s.DevicePath());
  host.Command({0x90});
  EXPECT_EQ(host.ReadFrame(), kAckRom1100);
  host.Command({0x90});  // the line goes down instead of answering
  pollfd p{host.Fd(), POLLIN, 0};
  ASSERT_EQ(::poll(&p, 1, 2000), 1);
  EXPECT_TRUE(p.revents & POLLHUP);
  EXPECT_EQ(s.Counters().module.acks, 1u);
  ASSERT_TRUE(
      s.WaitUntil([](const sim::SimCounters& c) { return c.opens == 2; }, test_support::kPatience));
  EXPECT_EQ(s.Counters().hangups, 1u);
  EXPECT_EQ(Registered(4), s.DevicePath());
  HostPort again(s.DevicePath());
  again.Command({0x90});
  EXPECT_EQ(again.ReadFrame(), kAckRom1100);
}

TEST(SimulatorPty, StreamsWhileTheFieldChangesUnderneath) {
  sim::SimulatorOptions o = Options();
  o.module.streamInterval = 2ms;
  sim::Simulator s(o, std::make_shared<sim::Field>(sim::DefaultTags()));
  ASSERT_TRUE(s.Start());
  HostPort host(s.DevicePath());
  host.Command({0x00, 0x02});
  EXPECT_EQ(host.ReadFrame(), kAckMode);

  std::atomic<bool> done{false};
  std::thread shuffler([&] {
    const auto& reg = sim::ChipRegistry::Builtin();
    for (int i = 0; !done; ++i) {
      s.TheField().Insert(reg.Make("em:" + std::to_string(i % 100)).tag, 0);
      s.TheField().Replace(1, reg.Make("ti-ro:" + std::to_string(i)).tag);
      s.TheField().Remove(0);
    }
  });
  int idFrames = 0;
  for (int i = 0; i < 60; ++i) {
    const std::string f = host.ReadFrame();
    ASSERT_EQ(f.substr(0, 9), "02 00 49 ") << f;
    ++idFrames;
  }
  done = true;
  shuffler.join();
  EXPECT_EQ(idFrames, 60);
  EXPECT_EQ(s.TheField().Size(), 3u);

  // Command mode is answered in the middle of the stream, and the stream ends.
  host.Command({0x00, 0x04});
  std::string f;
  while ((f = host.ReadFrame()) != kAckMode) ASSERT_EQ(f.substr(0, 9), "02 00 49 ") << f;
  s.WithModule([](sim::Module& m) { EXPECT_FALSE(m.Streaming()); });
}

TEST(SimulatorPty, AFloodWithoutWireTimeWaitsForAFullLineAndLosesNothing) {
  sim::SimulatorOptions o = Options();
  o.module.flood = true;
  sim::Simulator s(o, std::make_shared<sim::Field>(sim::DefaultTags()));
  ASSERT_TRUE(s.Start());
  HostPort host(s.DevicePath());
  host.Command({0x00, 0x02});
  EXPECT_EQ(host.ReadFrame(), kAckMode);
  // The host reads nothing until the line is full and the flood has stopped to wait for it:
  // frames go out as fast as the host takes them, never faster.
  ASSERT_TRUE(s.WaitUntil([](const sim::SimCounters& c) { return c.floodWaits >= 1; },
                          test_support::kPatience));
  // Everything sent then arrives, up to the answer to command mode.
  host.Command({0x00, 0x04});
  uint64_t read = 0;
  for (std::string f; (f = host.ReadFrame()) != kAckMode; ++read)
    ASSERT_EQ(f.substr(0, 9), "02 00 49 ") << f;
  const sim::SimCounters c = s.Counters();
  EXPECT_EQ(c.droppedStream, 0u);
  EXPECT_EQ(read, c.module.idFrames);
  // More than a second's worth at line rate (57600 bit/s carries 360 such frames a second)
  // had to wait in the line.
  EXPECT_GT(read, 1000u);
}

TEST(SimulatorPty, TheToolsSerialStackTalksToIt) {
  TempConfig config;
  sim::Simulator s(Options(true), std::make_shared<sim::Field>(sim::DefaultTags()));
  ASSERT_TRUE(s.Start());
  MemoryLogPane log;
  TTirisC1Dlg dlg(config.SettingsPath(), &log);
  dlg.OpenNamedPort(s.DevicePath());

  dlg.SendCommand({0x90});
  Response out{};
  ASSERT_TRUE(dlg.AwaitResponse(out));
  EXPECT_EQ(out[1], 0x90);
  EXPECT_EQ(std::string(out.begin() + 2, out.begin() + 1 + out[0]), "1100LFS00");
  const auto& lines = log.Lines();
  const auto tx = std::find(lines.begin(), lines.end(), "TX: 02 00 4D 01 90 03 E3 0D ");
  ASSERT_NE(tx, lines.end());
  ASSERT_NE(tx + 1, lines.end());
  EXPECT_EQ(tx[1], "RX: " + kAckRom1100);

  ASSERT_TRUE(dlg.IdReadFdx(out));
  EXPECT_EQ(out[0], 10);
  EXPECT_EQ(out[2], 6);  // FDX-B

  s.UpdateFaults([](sim::FaultPlan& f) {
    f.nack = 1;
    f.nackCode = 0x44;
  });
  dlg.SendCommand({0x90});
  EXPECT_FALSE(dlg.AwaitResponse(out));
  EXPECT_EQ(dlg.State(), ResponseState::NackReceived);
  EXPECT_TRUE(dlg.ProbeReader());

  // Read-loop mode: the three default tags land in the tally.
  dlg.SendActionModeSet(2, 0);
  ASSERT_TRUE(dlg.AwaitResponse(out));
  EXPECT_TRUE(test_support::PumpUntil([&] { return dlg.Tally().Count() >= 3; }));
  EXPECT_EQ(dlg.Tally().Count(), 3);
}
