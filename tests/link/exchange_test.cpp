// The exchange over the real serial stack: TTirisC1Dlg and TComPort on a pty, the simulated
// module at the other end.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QCoreApplication>
#include <QTimer>
#include <chrono>
#include <thread>

#include "core/hex.h"
#include "core/log_pane.h"
#include "link/com_port.h"
#include "link/comm_module.h"
#include "sim/simulator.h"
#include "tests/support/temp_config.h"
#include "tests/support/wait.h"

namespace {

using namespace std::chrono_literals;

class Exchange : public ::testing::Test {
 protected:
  void SetUp() override {
    sim::SimulatorOptions o;
    o.wireTime = false;
    sim_ = std::make_unique<sim::Simulator>(o);
    std::string error;
    ASSERT_TRUE(sim_->Start(&error)) << error;
    comm_ = std::make_unique<TTirisC1Dlg>(cfg_.SettingsPath(), &log_);
    comm_->SetBaudRate(TBaudRate::br57600);
    comm_->OpenNamedPort(sim_->DevicePath());
  }
  void TearDown() override {
    comm_.reset();
    sim_->Stop();
  }
  const std::vector<std::string>& Lines() const { return log_.Lines(); }
  std::string LastLine() const { return Lines().empty() ? "" : Lines().back(); }

  TempConfig cfg_;
  MemoryLogPane log_;
  std::unique_ptr<sim::Simulator> sim_;
  std::unique_ptr<TTirisC1Dlg> comm_;
};

TEST_F(Exchange, AckIsCopiedIntoTheCallersArrayAndBothFramesAreLogged) {
  Response out{};
  out.fill(0xEE);
  comm_->SendCommand({0x90});
  ASSERT_TRUE(comm_->AwaitResponse(out));
  EXPECT_EQ(out[0], 10);  // 90 + "1100LFS00"
  EXPECT_EQ(out[1], 0x90);
  EXPECT_EQ(std::string(out.begin() + 2, out.begin() + 11), "1100LFS00");
  EXPECT_EQ(out.data()[11], 0) << "bytes past LEN are cleared";
  ASSERT_EQ(Lines().size(), 2u);
  EXPECT_EQ(Lines()[0], "TX: 02 00 4D 01 90 03 E3 0D ");
  EXPECT_EQ(Lines()[1].rfind("RX: 02 00 30 0A 90 31 31 30 30 4C 46 53 30 30 03 ", 0), 0u);
}

TEST_F(Exchange, ActionModeAndLfControlFrames) {
  Response out{};
  comm_->SendActionModeSet(4, 0);
  EXPECT_EQ(Lines()[0], "Action Mode Set");
  EXPECT_EQ(Lines()[1], "TX: 02 00 4D 02 00 04 03 58 0D ");
  EXPECT_TRUE(comm_->AwaitResponse(out));
  comm_->SendActionModeSet(3, 0);  // mode 3 carries its value byte even when it is zero
  EXPECT_EQ(LastLine(), "TX: 02 00 4D 03 00 03 00 03 58 0D ");
  comm_->AwaitResponse(out);
  ASSERT_TRUE(comm_->SendLfControl(1, 0, out));
  EXPECT_NE(std::find(Lines().begin(), Lines().end(), "02 00 4E 02 9E 01 03 F4 0D "),
            Lines().end());
}

TEST_F(Exchange, NackEndsTheWaitAtOnceWithItsReasonLogged) {
  const std::pair<uint8_t, const char*> cases[] = {
      {0x04, "No response from tag"}, {0x41, "Number of data Errors"}, {0x44, "Invalid Command"}};
  for (auto [code, text] : cases) {
    sim_->UpdateFaults([code = code](sim::FaultPlan& f) {
      f.nack = 1;
      f.nackCode = code;
    });
    // A wait far longer than the test: only the NACK can end it, and its reason is the last line.
    Response out{};
    comm_->SendCommand({0x90});
    EXPECT_FALSE(comm_->AwaitResponseFor(out, 65535));
    EXPECT_EQ(comm_->State(), ResponseState::NackReceived);
    EXPECT_EQ(LastLine(), text);
  }
}

TEST_F(Exchange, MissingAnswerTimesOutAfterTheCommandsOwnTime) {
  sim_->UpdateFaults([](sim::FaultPlan& f) { f.missing = 1; });
  Response out{};
  const auto t0 = std::chrono::steady_clock::now();
  comm_->SendCommand({0x90});
  EXPECT_FALSE(comm_->AwaitResponseFor(out, 300));
  const auto waited = std::chrono::steady_clock::now() - t0;
  EXPECT_GE(waited, 300ms);
  // Well under the default 2000 ms, so the command's own time was used; loose enough for a
  // 2-core machine under sanitizers with a busy neighbour.
  EXPECT_LT(waited, 1800ms);
  EXPECT_EQ(LastLine(), "Response Timed out");
}

TEST_F(Exchange, TimeOutsOfTheWrappersFollowTheirCommands) {
  // Answered at once with a NACK, so only the time each wait allowed itself is looked at.
  sim_->UpdateFaults([](sim::FaultPlan& f) { f.nack = sim::FaultPlan::kAlways; });
  Response out{};
  comm_->Exchange({0x90}, out);
  EXPECT_EQ(comm_->LastWaitMs(), 2000);
  std::vector<uint8_t> pages(17 * 8, 0);
  comm_->WriteAndProgramCmd2(out, 1, 17, pages);
  EXPECT_EQ(comm_->LastWaitMs(), 5270);
  comm_->SendLfControl(3, 5000, out);
  EXPECT_EQ(comm_->LastWaitMs(), 5100);
  comm_->SendLfControl(1, 0, out);
  EXPECT_EQ(comm_->LastWaitMs(), 2000);
}

TEST(MillisecondTimer, ElapsedTimeSurvivesTheWrapOfTheCounter) {
  uint32_t now = 0xFFFFFF00u;
  MillisecondTimer::SetClock([&] { return now; });
  MillisecondTimer t;
  t.start();
  now = 0x000000FFu;
  EXPECT_EQ(t.elapsed(), 0x1FFu);
  EXPECT_TRUE(t.expired(0x1FF));
  EXPECT_FALSE(t.expired(0x200));
  MillisecondTimer::SetClock(nullptr);
}

TEST_F(Exchange, ALateAckNeverSatisfiesTheNextWait) {
  sim_->UpdateFaults([](sim::FaultPlan& f) {
    f.late = 1;
    f.lateBy = 400ms;
  });
  Response out{};
  comm_->SendCommand({0x90});
  EXPECT_FALSE(comm_->AwaitResponseFor(out, 100));
  EXPECT_EQ(LastLine(), "Response Timed out");
  // The late answer still arrives, is logged and posted...
  ASSERT_TRUE(test_support::PumpUntil([&] { return LastLine().rfind("RX: ", 0) == 0; }));
  EXPECT_EQ(LastLine().rfind("RX: 02 00 30 0A 90", 0), 0u);
  EXPECT_EQ(comm_->State(), ResponseState::AckReceived);
  // ...but the next command clears it before it writes, and its own answer is missing.
  sim_->UpdateFaults([](sim::FaultPlan& f) { f.missing = 1; });
  comm_->SendCommand({0x93});
  EXPECT_FALSE(comm_->AwaitResponseFor(out, 200));
  EXPECT_EQ(LastLine(), "Response Timed out");
}

TEST_F(Exchange, WrongSpeedGivesATimeOut) {
  comm_->SetBaudRate(TBaudRate::br9600);
  EXPECT_FALSE(comm_->ProbeReader());
  EXPECT_EQ(LastLine(), "Response Timed out");
  comm_->SetBaudRate(TBaudRate::br57600);
  EXPECT_TRUE(comm_->ProbeReader());
}

TEST_F(Exchange, GarbageAndDamagedAnswersAreReportedAndTheLinkRecovers) {
  Response out{};
  sim_->UpdateFaults([](sim::FaultPlan& f) { f.badSum = 1; });
  EXPECT_FALSE(comm_->Exchange({0x90}, out));
  EXPECT_NE(std::find(Lines().begin(), Lines().end(), "SUM Error"), Lines().end());
  sim_->UpdateFaults([](sim::FaultPlan& f) { f.garbage = 3; });
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(comm_->Exchange({0x90}, out));
  sim_->UpdateFaults([](sim::FaultPlan& f) { f.raccess = 1; });
  EXPECT_TRUE(comm_->Exchange({0x90}, out)) << "a Raccess frame whose body starts with '0'";
  EXPECT_NE(std::find(Lines().begin(), Lines().end(), "Rec : Raccess Response"), Lines().end());
  EXPECT_TRUE(comm_->ProbeReader());
}

TEST_F(Exchange, ASecondCommandIsRefusedWhileOneWaits) {
  // The module holds its answer back until the second command has been tried.
  sim_->UpdateFaults([](sim::FaultPlan& f) {
    f.late = 1;
    f.lateBy = std::chrono::hours(1);
  });
  Response out{}, inner{};
  bool innerResult = true;
  // Something run by the event loop during the wait tries to send.
  QTimer::singleShot(0, [&] {
    innerResult = comm_->Exchange({0x93}, inner);
    // Once the module has the first command (and holds its answer), the answer may go.
    sim_->WaitUntil([](const sim::SimCounters& c) { return c.module.commands >= 1; },
                    test_support::kPatience);
    sim_->WithModule([](sim::Module& m) { m.ReleaseLateAnswers(sim::Clock::now()); });
  });
  comm_->SendCommand({0x90});
  EXPECT_TRUE(comm_->AwaitResponseFor(out, 65535));
  EXPECT_FALSE(innerResult);
  EXPECT_EQ(out[1], 0x90);
  EXPECT_NE(
      std::find_if(Lines().begin(), Lines().end(),
                   [](const std::string& l) {
                     return l == "応答待ちのコマンドがあるため、新しいコマンドは送信しませんでした";
                   }),
      Lines().end());
  EXPECT_EQ(sim_->Counters().module.commands, 1u);
}

TEST_F(Exchange, HangUpInTheMiddleOfAWaitEndsItOnceWithoutSpinning) {
  sim_->UpdateFaults([](sim::FaultPlan& f) { f.missing = 1; });
  Response out{};
  QTimer::singleShot(100, [&] { sim_->HangUp(); });
  comm_->SendCommand({0x90});
  // A wait far longer than the test: only the hang-up can end it.
  EXPECT_FALSE(comm_->AwaitResponseFor(out, 65535));
  EXPECT_EQ(std::count(Lines().begin(), Lines().end(), "Response Timed out"), 0);
  EXPECT_FALSE(comm_->Connected());
  EXPECT_EQ(std::count(Lines().begin(), Lines().end(), "<ComError:IO>"), 1);
  // The closed port costs nothing: a second of waiting uses almost no CPU of the waiting thread.
  rusage before{}, after{};
  getrusage(RUSAGE_THREAD, &before);
  EXPECT_FALSE(comm_->AwaitResponseFor(out, 500));
  TTirisC1Dlg::PumpFor(500);
  getrusage(RUSAGE_THREAD, &after);
  const double cpu = (after.ru_utime.tv_sec - before.ru_utime.tv_sec) +
                     (after.ru_utime.tv_usec - before.ru_utime.tv_usec) / 1e6 +
                     (after.ru_stime.tv_sec - before.ru_stime.tv_sec) +
                     (after.ru_stime.tv_usec - before.ru_stime.tv_usec) / 1e6;
  EXPECT_LT(cpu, 0.2);
  EXPECT_EQ(std::count(Lines().begin(), Lines().end(), "<ComError:IO>"), 1);
  // The device comes back on a new pty: reopening works.
  ASSERT_TRUE(sim_->Reopen());
  comm_->OpenNamedPort(sim_->DevicePath());
  EXPECT_TRUE(comm_->ProbeReader());
}

TEST_F(Exchange, ASecondOpenOfTheSamePortIsRefused) {
  TComPort other;
  other.SetPort(sim_->DevicePath());
  try {
    other.Open();
    FAIL() << "the second open succeeded";
  } catch (const ComPortError& e) {
    EXPECT_NE(std::string(e.what()).find("in use"), std::string::npos) << e.what();
  }
  EXPECT_FALSE(other.Connected());
  EXPECT_TRUE(comm_->ProbeReader());
}

TEST(Port, OpenFailuresNameThePortAndTheReason) {
  TempConfig cfg;
  TComPort port;
  port.SetPort("COM200");
  try {
    port.Open();
    FAIL();
  } catch (const ComPortError& e) {
    EXPECT_EQ(std::string(e.what()), "COM200: no such port");
  }
  port.SetPort("/dev/null");
  EXPECT_THROW(port.Open(), ComPortError);  // not a serial device
  EXPECT_FALSE(port.Connected());
}

TEST(Port, TextConversions) {
  EXPECT_EQ(BaudRateToStr(TBaudRate::br57600), "57600");
  EXPECT_EQ(StrToBaudRate("4800"), TBaudRate::br4800);
  EXPECT_EQ(StrToBaudRate("12345"), TBaudRate::br9600);
  EXPECT_EQ(DataBitsToStr(TDataBits::dbEight), "8");
  EXPECT_EQ(StrToDataBits("x"), TDataBits::dbEight);
  EXPECT_EQ(ComErrorsToStr(0), "<Ok>");
  EXPECT_EQ(ComErrorsToStr(ceParity | ceFrame), "<ComError:Frame,Parity>");
  EXPECT_EQ(ComErrorsToStr(ceTxFull | ceIO | ceBreak), "<ComError:Break,IO,TxFull>");
  EXPECT_EQ(PortNameToNumber("COM12"), 12);
  EXPECT_EQ(PortNameToNumber("COMx"), 0);
}

}  // namespace
