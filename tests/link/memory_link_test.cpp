// The exchange over the byte-link seam: TTirisC1Dlg playing against a MemoryLink, which answers
// at once from the test, fails writes on demand and raises line errors. What the real port adds
// (a watcher thread, a pty) is tested in exchange_test.cpp and the robustness tests.
#include "link/memory_link.h"
#include "link/millisecond_timer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "app/app_core.h"
#include "app/handler_registry.h"
#include "core/hex.h"
#include "core/log_pane.h"
#include "link/comm_module.h"
#include "link/frame.h"
#include "prompts/scripted_prompts.h"
#include "tests/support/temp_config.h"

namespace {

using Bytes = std::vector<uint8_t>;

class MemoryExchange : public ::testing::Test {
 protected:
  void SetUp() override {
    comm_ = std::make_unique<TTirisC1Dlg>(cfg_.SettingsPath(), &log_);
    link_ = &comm_->UseLink(std::make_unique<MemoryLink>());
    // The module: every command is answered with an ACK that echoes its code and one byte.
    link_->OnWrite = [this](std::span<const uint8_t> bytes) {
      written_.emplace_back(bytes.begin(), bytes.end());
      if (bytes.size() > 4)
        link_->Deliver(frame::BuildResponseFrame(frame::TypeAck, Bytes{bytes[4], 0x5A}));
    };
  }
  const std::vector<std::string>& Lines() const { return log_.Lines(); }
  size_t Count(const std::string& line) const {
    return static_cast<size_t>(std::count(Lines().begin(), Lines().end(), line));
  }
  // The line the exchange writes for a failed write, in the language the texts run in here.
  static std::string FailureLine(const std::string& reason, size_t written, size_t count) {
    std::string line = "送信できませんでした: %1 (%2/%3 バイト送信)";
    const std::string args[] = {reason, std::to_string(written), std::to_string(count)};
    for (size_t i = 0; i < 3; ++i) line.replace(line.find("%" + std::to_string(i + 1)), 2, args[i]);
    return line;
  }

  TempConfig cfg_;
  MemoryLogPane log_;
  std::unique_ptr<TTirisC1Dlg> comm_;
  MemoryLink* link_ = nullptr;
  std::vector<Bytes> written_;
};

TEST_F(MemoryExchange, AnswersReachTheWaitThroughTheLinksEvents) {
  Response out{};
  ASSERT_TRUE(comm_->Exchange({0x90}, out));
  EXPECT_EQ(out[0], 2);
  EXPECT_EQ(out[1], 0x90);
  EXPECT_EQ(out[2], 0x5A);
  ASSERT_EQ(written_.size(), 1u);
  EXPECT_EQ(hex::Bytes(written_[0]), "02 00 4D 01 90 03 E3 0D ");
  ASSERT_EQ(Lines().size(), 2u);
  EXPECT_EQ(Lines()[0], "TX: 02 00 4D 01 90 03 E3 0D ");
  EXPECT_EQ(Lines()[1], "RX: 02 00 30 02 90 5A 03 21 0D ");
  // No serial port was made: the exchange ran over the memory link alone.
  EXPECT_EQ(comm_->CurrentLink(), link_);
}

TEST_F(MemoryExchange, MoreBytesThanTheRingHoldsArriveOverSeveralEvents) {
  // 3000 ID frames of 14 bytes: 42000 bytes, more than two rings' worth. The receiver takes
  // what fits each time; the link offers the rest again, as the port's watcher does.
  Bytes stream;
  for (uint32_t k = 0; k < 3000; ++k) {
    const Bytes id{0x06, static_cast<uint8_t>(k), static_cast<uint8_t>(k >> 8), 1, 2, 3, 4};
    const Bytes f = frame::BuildResponseFrame(frame::TypeId, id);
    stream.insert(stream.end(), f.begin(), f.end());
  }
  ASSERT_GT(stream.size(), 2u * ResponseReceiver::kRingSize);
  comm_->SetLogRxFrames(false);
  // Time passes only while the receiver works, a millisecond per frame it logs: a ring's worth
  // takes far longer than the silence that abandons a frame cut short. That work is no silence
  // on the line, so the frame split between two events is not abandoned (abandoning it would
  // also leave the parser hunting from the "02" inside every following frame's data).
  MillisecondTimer::SetClock([&] { return static_cast<uint32_t>(Lines().size()); });
  link_->Deliver(stream);
  MillisecondTimer::SetClock(nullptr);
  EXPECT_EQ(link_->InputCount(), 0u);
  EXPECT_EQ(std::count_if(Lines().begin(), Lines().end(),
                          [](const std::string& l) { return l.rfind("ID: ", 0) == 0; }),
            3000);
}

TEST_F(MemoryExchange, AFailedWriteEndsTheExchangeAtOnceWithItsReason) {
  link_->SetWriteFault(MemoryLink::WriteFault{.bytes = 0, .error = EIO});
  Response out{};
  EXPECT_FALSE(comm_->Exchange({0x90}, out));
  ASSERT_EQ(Lines().size(), 2u);
  EXPECT_EQ(Lines()[0], "TX: 02 00 4D 01 90 03 E3 0D ");
  EXPECT_EQ(Lines()[1], FailureLine(std::strerror(EIO), 0, 8));
  // It did not wait for an answer that cannot come: no time-out was reached.
  EXPECT_EQ(Count("Response Timed out"), 0u);
  // Every wait until the next write fails the same way, without a second line.
  EXPECT_FALSE(comm_->AwaitResponse(out));
  EXPECT_EQ(Lines().size(), 2u);
  // The line works again: the next command goes through.
  link_->SetWriteFault(std::nullopt);
  EXPECT_TRUE(comm_->Exchange({0x93}, out));
  EXPECT_EQ(out[1], 0x93);
}

TEST_F(MemoryExchange, AShortWriteIsAFailedWriteThatSaysHowFarItGot) {
  // Three bytes go out, then the write time-out runs out (error 0): the module sees a torn frame
  // and never answers, so the exchange must not wait for it.
  link_->SetWriteFault(MemoryLink::WriteFault{.bytes = 3, .error = 0});
  Response out{};
  comm_->SendActionModeSet(4, 0);
  EXPECT_FALSE(comm_->AwaitResponse(out));
  ASSERT_EQ(written_.size(), 1u);
  EXPECT_EQ(hex::Bytes(written_[0]), "02 00 4D ");
  EXPECT_EQ(Lines().back(), FailureLine("書き込みの時間切れ", 3, 9));
  EXPECT_EQ(Count("Response Timed out"), 0u);
}

TEST_F(MemoryExchange, AHandlerWhoseCommandCannotBeWrittenEndsNgAtOnce) {
  ScriptedPrompts prompts;
  AppCore app(log_, prompts, cfg_.SettingsPath());
  auto owned = std::make_unique<TTirisC1Dlg>(cfg_.SettingsPath(), &log_);
  MemoryLink& link = owned->UseLink(std::make_unique<MemoryLink>());
  link.SetWriteFault(MemoryLink::WriteFault{.bytes = 0, .error = EPIPE});
  app.SetComm(std::move(owned));
  HandlerRegistry registry;
  RegisterAllHandlers(registry);
  ASSERT_TRUE(registry.Run(app, "MnChargeOnlyReadCmd1"));
  ASSERT_EQ(Lines().size(), 3u);
  EXPECT_EQ(Lines()[0], "TX: 02 00 4D 01 10 03 63 0D ");
  EXPECT_EQ(Lines()[1], FailureLine(std::strerror(EPIPE), 0, 8));
  EXPECT_EQ(Lines()[2], "NG: ChargeOnlyRead Command");
  EXPECT_FALSE(app.Busy());
}

TEST_F(MemoryExchange, AClosedLinkIsNotWrittenAndTheWaitRunsIntoItsTimeOut) {
  link_->Close();
  Response out{};
  comm_->SendCommand({0x90});
  EXPECT_FALSE(comm_->AwaitResponseFor(out, 20));
  EXPECT_TRUE(written_.empty());
  EXPECT_EQ(Lines().back(), "Response Timed out");
  EXPECT_EQ(Lines().size(), 2u);  // the TX line and the time-out, no write failure
}

TEST_F(MemoryExchange, ALineErrorIsLoggedAndAVanishedLinkEndsTheWait) {
  link_->OnWrite = nullptr;  // the module stays silent
  link_->RaiseErrors(ceParity | ceFrame);
  EXPECT_EQ(Lines().back(), "<ComError:Frame,Parity>");
  Response out{};
  comm_->SendCommand({0x90});
  link_->RaiseErrors(ceIO);
  link_->Close();
  EXPECT_FALSE(comm_->AwaitResponse(out));
  EXPECT_TRUE(comm_->PortLost());
  EXPECT_EQ(Count("<ComError:IO>"), 1u);
  EXPECT_EQ(Count("Response Timed out"), 0u);
}

}  // namespace
