// The exchange through a real server: ser2net on loopback in front of the simulated module's
// pseudo-terminal, over its telnet(rfc2217) accepter and over its raw TCP accepter. The key cases
// of the exchange over both; over RFC 2217 also the speed change and the scan, which set the far
// end's port; and ser2net stopped in the middle of an exchange.
#include <gtest/gtest.h>

#include "core/hex.h"
#include "core/log_pane.h"
#include "core/messages.h"
#include "core/ui_text.h"
#include "link/comm_module.h"
#include "link/frame.h"
#include "link/port_registry.h"
#include "link/port_selection.h"
#include "prompts/scripted_prompts.h"
#include "sim/chips/sic7888.h"
#include "sim/simulator.h"
#include "tests/support/ser2net.h"
#include "tests/support/temp_config.h"
#include "tests/support/wait.h"

namespace {

class Ser2netLink : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    sim::SimulatorOptions o;
    o.wireTime = false;
    o.module.baud = GetParam() ? 19200 : 57600;  // the scan finds it over RFC 2217
    field_->Insert(std::make_shared<sim::Sic7888Tag>(0x11223344));
    sim_ = std::make_unique<sim::Simulator>(o, field_);
    std::string error;
    ASSERT_TRUE(sim_->Start(&error)) << error;
    ASSERT_TRUE(ser2net_.Start(sim_->DevicePath(), 57600, &error)) << error;
    url_ = GetParam() ? ser2net_.Rfc2217Url() : ser2net_.RawUrl();
    comm_ = std::make_unique<TTirisC1Dlg>(cfg_.SettingsPath(), &log_);
    comm_->SetBaudRate(GetParam() ? TBaudRate::br19200 : TBaudRate::br57600);
    comm_->OpenNamedPort(url_);
  }
  void TearDown() override {
    comm_.reset();
    ser2net_.Stop();
    sim_->Stop();
  }
  bool Logged(const std::string& line) const {
    return std::find(log_.Lines().begin(), log_.Lines().end(), line) != log_.Lines().end();
  }
  std::string LastLine() const { return log_.Lines().empty() ? "" : log_.Lines().back(); }

  TempConfig cfg_;
  MemoryLogPane log_;
  std::shared_ptr<sim::Field> field_ = std::make_shared<sim::Field>();
  std::unique_ptr<sim::Simulator> sim_;
  test_support::Ser2net ser2net_;
  std::string url_;
  std::unique_ptr<TTirisC1Dlg> comm_;
};

TEST_P(Ser2netLink, ExchangeKeyCases) {
  Response out{};
  ASSERT_TRUE(comm_->Exchange({0x90}, out)) << url_;
  EXPECT_EQ(std::string(out.begin() + 2, out.begin() + 11), "1100LFS00");
  // 0xFF in the command, in the answer's data and in the frames' sums: nothing is lost.
  const uint8_t ones[4] = {0xFF, 0xFF, 0xFF, 0xFF};
  ASSERT_TRUE(comm_->Sic7888WriteBlock(out, 0x01, 6, ones));
  ASSERT_TRUE(comm_->Sic7888ReadBlock(out, 0x01, 6));
  EXPECT_EQ(std::vector<uint8_t>(out.begin() + 2, out.begin() + 6), std::vector<uint8_t>(4, 0xFF));
  const uint8_t answer[] = {0x81, 0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_TRUE(Logged("RX: " + hex::Bytes(frame::BuildResponseFrame(frame::TypeAck, answer))))
      << LastLine();

  sim_->UpdateFaults([](sim::FaultPlan& f) {
    f.nack = 1;
    f.nackCode = 0x44;
  });
  comm_->SendCommand({0x90});
  EXPECT_FALSE(comm_->AwaitResponseFor(out, 65535));
  EXPECT_EQ(LastLine(), "Invalid Command");

  // A late answer is taken in before the next command is written, never as its answer.
  sim_->UpdateFaults([](sim::FaultPlan& f) {
    f.late = 1;
    f.lateBy = std::chrono::milliseconds(400);
  });
  comm_->SendCommand({0x90});
  EXPECT_FALSE(comm_->AwaitResponseFor(out, 100));
  ASSERT_TRUE(test_support::PumpUntil([&] { return LastLine().rfind("RX: ", 0) == 0; }));
  sim_->UpdateFaults([](sim::FaultPlan& f) { f.missing = 1; });
  comm_->SendCommand({0x93});
  EXPECT_FALSE(comm_->AwaitResponseFor(out, 200));
  EXPECT_EQ(LastLine(), "Response Timed out");

  sim_->UpdateFaults([](sim::FaultPlan& f) { f.badSum = 1; });
  EXPECT_FALSE(comm_->Exchange({0x90}, out));
  EXPECT_TRUE(Logged("SUM Error"));
  EXPECT_TRUE(comm_->ProbeReader());
}

TEST_P(Ser2netLink, StoppingTheServerMidExchangeEndsTheWaitAsAVanishedPort) {
  std::vector<std::string> lost;
  comm_->OnPortLost = [&](const std::string& port) { lost.push_back(port); };
  sim_->UpdateFaults([](sim::FaultPlan& f) { f.missing = 1; });
  const uint64_t before = sim_->Counters().module.commands;
  Response out{};
  comm_->SendCommand({0x90});
  ASSERT_TRUE(sim_->WaitUntil([&](const sim::SimCounters& c) { return c.module.commands > before; },
                              test_support::kPatience));
  ser2net_.Stop();
  EXPECT_FALSE(comm_->AwaitResponseFor(out, 65535));
  EXPECT_TRUE(comm_->PortLost());
  EXPECT_TRUE(Logged("<ComError:IO>"));
  EXPECT_EQ(lost, std::vector<std::string>{url_});
  // Reopened once the server is back, the module answers again.
  std::string error;
  ASSERT_TRUE(ser2net_.Restart(&error)) << error;
  comm_->OpenNamedPort(url_);
  EXPECT_FALSE(comm_->PortLost());
  EXPECT_TRUE(comm_->ProbeReader());
}

// A raw TCP port answers at the server's speed whatever the scan asks: one probe, and the log
// names no speed it cannot know.
class Ser2netRawTcp : public Ser2netLink {};

TEST_P(Ser2netRawTcp, TheScanProbesARawPortOnceAndNamesNoSpeed) {
  ASSERT_TRUE(port_registry::Register(78, url_));
  comm_->RefreshPorts();
  ScriptedPrompts prompts;
  PortSelection selection(*comm_, prompts);
  const uint64_t before = sim_->Counters().module.commands;
  ASSERT_TRUE(selection.ScanPorts({"COM78"}, 0));
  EXPECT_EQ(sim_->Counters().module.commands, before + 1);
  EXPECT_EQ(LastLine(),
            LoadMessage(Msg::SpeedMsg) + Tr("TOpenCom1Dlg", "サーバーで設定された速度"));
  EXPECT_FALSE(Logged(url_ + ": a raw TCP port carries bytes only; its speed and format are set "
                             "at the server (rfc2217:// carries them)"));
}

// A raw TCP port cannot carry speed changes (network_link_test has its refusal).
class Ser2netRfc2217 : public Ser2netLink {};

TEST_P(Ser2netRfc2217, TheModulesSpeedChangeAndTheScanSetTheRemotePort) {
  Response out{};
  // The module answers at 19200 although ser2net's own setting is 57600: Open set the port.
  ASSERT_TRUE(comm_->ProbeReader());
  // The module's speed command, then its restart at the new speed, which the port follows.
  ASSERT_TRUE(comm_->Exchange({0x04, 0x01, 0x04}, out));
  ASSERT_TRUE(comm_->Exchange({0x0A}, out));
  comm_->SetBaudRate(TBaudRate::br115200);
  EXPECT_TRUE(comm_->ProbeReader());
  int baud = 0;
  sim_->WithModule([&](sim::Module& m) { baud = m.Baud(); });
  EXPECT_EQ(baud, 115200);

  // The scan of a COMn registered as the network port finds the module at its speed.
  ASSERT_TRUE(port_registry::Register(77, url_));
  comm_->RefreshPorts();
  ScriptedPrompts prompts;
  PortSelection selection(*comm_, prompts);
  ASSERT_TRUE(selection.ScanPorts({"COM77"}, 0));
  EXPECT_EQ(LastLine(), "Speed      : 115200");
  EXPECT_EQ(comm_->PortName(), "COM77");
}

TEST_P(Ser2netRfc2217, TheOpenPortDialogAddsANetworkPortThatThenOpens) {
  ScriptedPrompts prompts;
  PortSelection selection(*comm_, prompts);
  PromptForm f =
      OpenPortForm(*comm_, nullptr, comm_->PortInfos(), [&] { return selection.AddNetworkPort(); });
  // A malformed URL is refused with its reason, and nothing is registered.
  prompts.Answer("TAddNetPortDlg.EdUrl", "rfc2217://gate-3");
  f.onAction(f, "BtAddNetPort");
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_NE(prompts.messages[0].find("port number is missing"), std::string::npos);
  const std::vector<std::string> before = f.Field("LBComPort").items;

  prompts.Answer("TAddNetPortDlg.EdUrl", url_);
  f.onAction(f, "BtAddNetPort");
  // The list now holds the new COMn (the lowest free number), selected, with its URL.
  const PromptField& list = f.Field("LBComPort");
  ASSERT_EQ(list.items.size(), before.size() + 1);
  ASSERT_GE(list.index, 0);
  const std::string added = list.items[static_cast<size_t>(list.index)];
  EXPECT_EQ(std::find(before.begin(), before.end(), added), before.end()) << added;
  EXPECT_EQ(list.itemDetails[static_cast<size_t>(list.index)], url_ + "  network");
  EXPECT_EQ(f.Field("STComPort").text, added);
  EXPECT_TRUE(f.Action("OKBtn").enabled);
  EXPECT_EQ(port_registry::NetworkUrl(added), url_);
  ASSERT_TRUE(selection.OpenChoice({.port = added, .speedIndex = 1}));  // 19200
  EXPECT_TRUE(comm_->ProbeReader());
}

INSTANTIATE_TEST_SUITE_P(Accepters, Ser2netLink, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Rfc2217" : "RawTcp"; });
INSTANTIATE_TEST_SUITE_P(Accepter, Ser2netRawTcp, ::testing::Values(false),
                         [](const auto&) { return "RawTcp"; });
INSTANTIATE_TEST_SUITE_P(Accepter, Ser2netRfc2217, ::testing::Values(true),
                         [](const auto&) { return "Rfc2217"; });

}  // namespace
