// Fault injection through the real serial stack: TTirisC1Dlg and its serial port on a pty, with the
// simulated module or the test itself at the other end. Volume and repetition: random bytes
// among frames in both directions, answers cut short, answers a byte a millisecond, stale
// answers, NACK storms, wrong speeds, a hundred hang-ups with the process's descriptors and
// threads counted.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <random>
#include <thread>

#include "core/hex.h"
#include "core/log_pane.h"
#include "link/comm_module.h"
#include "link/frame.h"
#include "sim/simulator.h"
#include "tests/robustness/rig.h"
#include "tests/support/temp_config.h"
#include "tests/support/wait.h"

namespace {

using namespace std::chrono_literals;
using robust::Bytes;
using robust::Clock;

// The longest stretch a false frame start can hold the receiver: a frame of LEN 255 is 262 bytes
// long, and the byte after its expected end is the last one it takes.
constexpr size_t kLongestFrame = 255 + 7;

double Ms(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

size_t Count(const std::vector<std::string>& lines, const std::string& line) {
  return static_cast<size_t>(std::count(lines.begin(), lines.end(), line));
}

class PortRobustness : public ::testing::Test {
 protected:
  void TearDown() override {
    comm_.reset();
    if (sim_) sim_->Stop();
  }
  // The host on the pty where the test plays the module.
  void OpenRaw() { Open(module_.Path()); }
  // The host on the simulated module's pty (wire time off). A command frame is never dropped for
  // a pause in the middle of it: a busy machine must not pass for a host that stopped talking.
  void OpenSim() {
    sim::SimulatorOptions o;
    o.wireTime = false;
    o.module.charTimeout = 10s;
    sim_ = std::make_unique<sim::Simulator>(o);
    std::string error;
    ASSERT_TRUE(sim_->Start(&error)) << error;
    Open(sim_->DevicePath());
  }
  void Open(const std::string& device) {
    comm_ = std::make_unique<TTirisC1Dlg>(cfg_.SettingsPath(), &log_);
    comm_->SetBaudRate(TBaudRate::br57600);
    comm_->OpenNamedPort(device);
  }

  std::string LastLine() const { return log_.Lines().empty() ? "" : log_.Lines().back(); }
  // The command the host wrote must be exactly `data` framed.
  void ExpectCommand(const Bytes& data) {
    EXPECT_EQ(hex::Bytes(module_.ReadCommand()), hex::Bytes(frame::BuildCommandFrame(data)));
  }
  // Bytes written to the module's end are in the host port's input queue (not yet handled: the
  // event loop has not run since).
  bool Queued(size_t n) {
    const auto deadline = Clock::now() + test_support::kPatience;
    while (comm_->CurrentLink()->InputCount() < n) {
      if (Clock::now() > deadline) return false;
      std::this_thread::sleep_for(1ms);
    }
    return true;
  }
  // One clean exchange with the test as the module: the link is in step.
  void ExpectCleanExchange(uint8_t code, uint8_t tag) {
    Response out{};
    comm_->SendCommand({code});
    ExpectCommand({code});
    ASSERT_TRUE(module_.Write(robust::Ack({code, tag})));
    ASSERT_TRUE(comm_->AwaitResponse(out));
    EXPECT_EQ(out[0], 2);
    EXPECT_EQ(out[1], code);
    EXPECT_EQ(out[2], tag);
  }

  TempConfig cfg_;
  MemoryLogPane log_;
  robust::RawModule module_;
  std::unique_ptr<sim::Simulator> sim_;
  std::unique_ptr<TTirisC1Dlg> comm_;
};

// An ID frame carrying a sequence number between six fixed bytes, kind 0x00 (logged without
// decoration).
Bytes SequencedId(uint16_t k) {
  return frame::BuildResponseFrame(
      frame::TypeId, Bytes{0x00, static_cast<uint8_t>(k), static_cast<uint8_t>(k >> 8), 0xA5, 0x5A,
                           0xC3, 0x3C, 0x96, 0x69});
}
constexpr const char* kIdMarker = "69 96 3C C3 5A A5 ";

struct NoisyStream {
  Bytes bytes;
  std::vector<size_t> start, end;  // of each frame
};

// Frames separated by random bytes (every value, STX included); noise(rng) gives the length of
// each run of noise. A quiet stretch without STX, longer than any frame, and a last frame
// (sequence 0xFFFF) close the stream, so that its end is known to be reached.
template <class NoiseLength>
NoisyStream BuildStream(int frames, std::mt19937& rng, NoiseLength noise) {
  NoisyStream s;
  std::uniform_int_distribution<int> byte(0, 255);
  for (int k = 0; k < frames; ++k) {
    const size_t n = noise(rng);
    for (size_t i = 0; i < n; ++i) s.bytes.push_back(static_cast<uint8_t>(byte(rng)));
    const Bytes f = SequencedId(static_cast<uint16_t>(k));
    s.start.push_back(s.bytes.size());
    s.bytes.insert(s.bytes.end(), f.begin(), f.end());
    s.end.push_back(s.bytes.size());
  }
  s.bytes.insert(s.bytes.end(), kLongestFrame + 1, 0x55);
  const Bytes last = SequencedId(0xFFFF);
  s.bytes.insert(s.bytes.end(), last.begin(), last.end());
  return s;
}

// Sends the stream from the module's end in random chunks of 1 to 4096 bytes while the host's
// event loop runs, and returns the sequence numbers the host's receiver verified and tallied.
std::vector<bool> DeliverStream(TTirisC1Dlg& comm, robust::RawModule& module, const NoisyStream& s,
                                size_t frames, std::mt19937& rng,
                                std::vector<std::string>& strays) {
  std::vector<bool> got(frames, false);
  bool lastSeen = false;
  const Subscription listening =
      comm.Receiver().tally.Subscribe([&](const std::string& kind, const std::string& id) {
        const std::string marker = kIdMarker;
        if (kind != "00" || id.size() != marker.size() + 6 || id.rfind(marker, 0) != 0) {
          strays.push_back(kind + " " + id);
          return;
        }
        const unsigned k =
            static_cast<unsigned>(std::stoul(id.substr(marker.size(), 2), nullptr, 16) << 8 |
                                  std::stoul(id.substr(marker.size() + 3, 2), nullptr, 16));
        if (k == 0xFFFF)
          lastSeen = true;
        else if (k < frames)
          got[k] = true;
        else
          strays.push_back(id);
      });
  std::vector<size_t> chunks;
  std::uniform_int_distribution<size_t> chunk(1, 4096);
  for (size_t off = 0; off < s.bytes.size();) {
    chunks.push_back(std::min(chunk(rng), s.bytes.size() - off));
    off += chunks.back();
  }
  std::atomic<bool> failed{false};
  std::thread writer([&] {
    size_t off = 0;
    for (size_t n : chunks) {
      if (!module.Write(s.bytes.data() + off, n)) failed = true;
      off += n;
    }
  });
  const bool done = test_support::PumpUntil([&] { return lastSeen || failed; }, 300s);
  writer.join();
  EXPECT_TRUE(done && !failed) << "the end of the stream was not received";
  return got;
}

// Every frame that a false start (an STX outside the frames the receiver verified) could not
// have swallowed must be recovered: a frame is lost only when such an STX lies less than one
// longest frame before it, i.e. the receiver resynchronises within one frame length.
void CheckRecovery(const NoisyStream& s, const std::vector<bool>& got, size_t minimumClean) {
  std::vector<bool> inVerified(s.bytes.size(), false);
  for (size_t k = 0; k < got.size(); ++k)
    if (got[k]) std::fill(inVerified.begin() + s.start[k], inVerified.begin() + s.end[k], true);
  std::vector<size_t> looseBefore(s.bytes.size() + 1, 0);  // loose STX bytes before each offset
  for (size_t p = 0; p < s.bytes.size(); ++p)
    looseBefore[p + 1] = looseBefore[p] + (s.bytes[p] == frame::STX && !inVerified[p] ? 1 : 0);
  size_t clean = 0, recovered = 0;
  for (size_t k = 0; k < got.size(); ++k) {
    const size_t from = s.start[k] >= kLongestFrame ? s.start[k] - kLongestFrame : 0;
    const bool exposed = looseBefore[s.start[k]] - looseBefore[from] > 0;
    clean += !exposed;
    recovered += got[k];
    if (!got[k] && !exposed)
      ADD_FAILURE() << "frame " << k << " at offset " << s.start[k]
                    << " was lost with no false start before it";
  }
  EXPECT_GE(clean, minimumClean) << "too few frames free of false starts to prove anything";
  std::printf("  %zu frames, %zu recovered, %zu of them clear of false starts; %zu bytes\n",
              got.size(), recovered, clean, s.bytes.size());
}

TEST_F(PortRobustness, FramesAmongAsManyRandomBytesAreRecovered) {
  OpenRaw();
  // Noise and frames 1:1 by volume: after each 16-byte frame, 0 to 32 random bytes.
  std::mt19937 rng(20260511);
  const int frames = 3000;
  const NoisyStream s =
      BuildStream(frames, rng, [](std::mt19937& r) { return static_cast<size_t>(r() % 33); });
  robust::ClockOverride clock;
  clock.Freeze(true);  // no pause of the machine may count as a silence between bytes
  std::vector<std::string> strays;
  const std::vector<bool> got = DeliverStream(*comm_, module_, s, frames, rng, strays);
  EXPECT_TRUE(strays.empty()) << strays.front();
  CheckRecovery(s, got, frames / 3);
  clock.Freeze(false);
  ExpectCleanExchange(0x90, 0x11);
}

TEST_F(PortRobustness, FramesBetweenBurstsOfUpTo4096RandomBytesAreRecovered) {
  OpenRaw();
  // One frame, one burst of 1 to 4096 random bytes, and so on.
  std::mt19937 rng(7);
  const int frames = 300;
  const NoisyStream s =
      BuildStream(frames, rng, [](std::mt19937& r) { return static_cast<size_t>(r() % 4096 + 1); });
  robust::ClockOverride clock;
  clock.Freeze(true);
  std::vector<std::string> strays;
  const std::vector<bool> got = DeliverStream(*comm_, module_, s, frames, rng, strays);
  EXPECT_TRUE(strays.empty()) << strays.front();
  CheckRecovery(s, got, frames / 5);
  clock.Freeze(false);
  ExpectCleanExchange(0x90, 0x12);
}

TEST_F(PortRobustness, HalfAnAnswerThenSilenceFailsAndTheNextAnswerIsWhole) {
  OpenRaw();
  robust::ClockOverride clock;
  const Bytes answers[] = {
      robust::Ack({0x90, '1', '1', '0', '0', 'L', 'F', 'S', '0', '0'}),
      robust::Nack(0x44),
      frame::BuildResponseFrame(frame::TypeId, Bytes{0x06, 1, 2, 3, 4, 5, 6, 7, 8}),
  };
  for (const Bytes& whole : answers) {
    // Cut after every byte: STX alone, up to the frame without its CR.
    for (size_t cut = 1; cut < whole.size(); ++cut) {
      SCOPED_TRACE("answer " + hex::Bytes(whole) + " cut after " + std::to_string(cut));
      Response out{};
      comm_->SendCommand({0x90});
      ExpectCommand({0x90});
      ASSERT_TRUE(module_.Write(whole.data(), cut));
      EXPECT_FALSE(comm_->AwaitResponseFor(out, 40));
      EXPECT_EQ(LastLine(), "Response Timed out");
      EXPECT_EQ(comm_->State(), ResponseState::None);
      // The receiver has taken the half frame and is inside it...
      ASSERT_TRUE(test_support::PumpUntil([&] {
        return comm_->Receiver().ParserState() != RxState::Hunt &&
               comm_->CurrentLink()->InputCount() == 0 && comm_->Receiver().Pending() == 0;
      }));
      // ...and after a silence the next answer arrives whole and is the one taken.
      clock.Advance(ResponseReceiver::kFrameSilenceMs + 1);
      ExpectCleanExchange(0x90, static_cast<uint8_t>(cut));
    }
  }
}

TEST_F(PortRobustness, AHostThreadHeldUpPastTheSilenceStillTakesAFrameWhoseBytesCameClose) {
  // The rest of a frame reaches the port at once, but the host's thread runs its event only
  // long after (a busy machine): the line was never silent, so the frame is kept. The clock is
  // frozen, so "long after" is exactly what the test makes it.
  OpenRaw();
  robust::ClockOverride clock;
  clock.Freeze(true);
  const Bytes answer = robust::Ack({0x90, '1', '1', '0', '0', 'L', 'F', 'S', '0', '0'});
  comm_->SendCommand({0x90});
  ExpectCommand({0x90});
  ASSERT_TRUE(module_.Write(answer.data(), 5));
  ASSERT_TRUE(test_support::PumpUntil([&] {
    return comm_->Receiver().ParserState() != RxState::Hunt &&
           comm_->CurrentLink()->InputCount() == 0 && comm_->Receiver().Pending() == 0;
  }));
  ASSERT_TRUE(module_.Write(answer.data() + 5, answer.size() - 5));
  // No event is processed here: the port's worker sees the bytes and hands the event over.
  ASSERT_TRUE(comm_->CurrentLink()->AwaitHandedOver(test_support::kPatience));
  clock.Advance(10 * ResponseReceiver::kFrameSilenceMs);
  clock.Freeze(false);
  Response out{};
  ASSERT_TRUE(comm_->AwaitResponseFor(out, 65535)) << LastLine();
  EXPECT_EQ(out[0], 10);
  EXPECT_EQ(out[1], 0x90);
}

TEST_F(PortRobustness, AnswersTricklingInAByteAtATimeAreTakenWhole) {
  // Each byte comes in an event of its own, just short of the silence after which a frame cut
  // short is abandoned; the longest answer takes many times that silence: silence is between
  // bytes, not per frame. The link's clock is the test's, so every gap is exactly as long as the
  // test makes it, whatever the machine does meanwhile.
  OpenRaw();
  robust::ClockOverride clock;
  clock.Freeze(true);
  for (const size_t len : {size_t{10}, size_t{255}}) {
    SCOPED_TRACE("LEN " + std::to_string(len));
    Bytes data(len);
    for (size_t i = 0; i < len; ++i) data[i] = static_cast<uint8_t>(i == 0 ? 0x90 : i * 7 + 3);
    const Bytes answer = robust::Ack(data);
    comm_->SendCommand({0x90});
    ExpectCommand({0x90});
    // Run by the wait's event loop: the next byte once the receiver has taken the previous one
    // into its ring (the ring's head moved). Should a byte never arrive, the clock jumps past
    // the wait's time-out once the tests' patience is spent, so a failure cannot hang.
    size_t sent = 0;
    bool written = true;
    int32_t headBefore = comm_->Receiver().Head();
    const auto giveUp = Clock::now() + test_support::kPatience;
    QTimer trickle;
    QObject::connect(&trickle, &QTimer::timeout, [&] {
      if (Clock::now() > giveUp) clock.Advance(65535);
      if (sent == answer.size() || (sent > 0 && comm_->Receiver().Head() == headBefore)) return;
      if (sent > 0) clock.Advance(ResponseReceiver::kFrameSilenceMs - 1);
      headBefore = comm_->Receiver().Head();
      written = module_.Write(&answer[sent], 1) && written;
      ++sent;
    });
    trickle.start(0);
    Response out{};
    const bool ok = comm_->AwaitResponseFor(out, 65535);
    trickle.stop();
    EXPECT_TRUE(written);
    ASSERT_TRUE(ok) << LastLine();
    EXPECT_EQ(sent, answer.size());
    ASSERT_EQ(out[0], len);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), out.begin() + 1));
    EXPECT_EQ(comm_->Receiver().ParserState(), RxState::Hunt);
  }
}

TEST_F(PortRobustness, StaleAnswersInTheQueueNeverSatisfyTheNextCommand) {
  OpenRaw();
  // An answer that reached the port before the next command was written belongs to an earlier
  // command, however late the event loop gets round to it: duplicates, answers that come after
  // their wait timed out, NACKs alike. The next command, whose own answer never comes, must time
  // out; the one after it gets exactly its own answer.
  enum Stale { Duplicate, LateAck, LateNack, Count };
  for (int round = 0; round < 60; ++round) {
    const Stale kind = static_cast<Stale>(round % Count);
    SCOPED_TRACE("round " + std::to_string(round) + " stale kind " + std::to_string(kind));
    const uint8_t code = static_cast<uint8_t>(0x90 + round % 4);
    Response out{};
    comm_->SendCommand({code});
    ExpectCommand({code});
    Bytes stale;
    if (kind == Duplicate) {
      stale = robust::Ack({code, static_cast<uint8_t>(round)});
      ASSERT_TRUE(module_.Write(stale));
      ASSERT_TRUE(comm_->AwaitResponse(out));
      EXPECT_EQ(out[1], code);
    } else {
      EXPECT_FALSE(comm_->AwaitResponseFor(out, 20));
      EXPECT_EQ(LastLine(), "Response Timed out");
      stale =
          kind == LateAck ? robust::Ack({code, static_cast<uint8_t>(round)}) : robust::Nack(0x44);
    }
    ASSERT_TRUE(module_.Write(stale));
    ASSERT_TRUE(Queued(stale.size()));

    comm_->SendCommand({0x9B});
    ExpectCommand({0x9B});
    const auto t0 = Clock::now();
    EXPECT_FALSE(comm_->AwaitResponseFor(out, 30)) << "satisfied by the stale answer";
    EXPECT_GE(Ms(Clock::now() - t0), 29.0) << "ended by the stale answer";
    EXPECT_EQ(LastLine(), "Response Timed out");

    ExpectCleanExchange(code, static_cast<uint8_t>(round + 1));
  }
}

TEST_F(PortRobustness, CommandsAmongRandomBytesAreAllAnsweredInStep) {
  // Before every command the host writes 1 to 4096 random bytes; every answer comes back behind
  // line noise of its own. Each command gets its own answer: the module resynchronises on every
  // frame, and the host never takes one answer for another. The noise holds every byte value but
  // never the three bytes that open a command frame (STX 00 'M'/'N'), which would make it a frame.
  OpenSim();
  std::mt19937 rng(99);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<size_t> length(1, 4096);
  const int rounds = 150;
  const uint8_t codes[] = {0x90, 0x93, 0x9B};
  uint64_t noiseBytes = 0;
  for (int i = 0; i < rounds; ++i) {
    SCOPED_TRACE("round " + std::to_string(i));
    Bytes noise(length(rng));
    for (size_t j = 0; j < noise.size(); ++j) {
      noise[j] = static_cast<uint8_t>(byte(rng));
      if (j >= 2 && noise[j - 2] == frame::STX && noise[j - 1] == 0x00 &&
          (noise[j] == frame::KindM || noise[j] == frame::KindN))
        noise[j] = 0x4C;
    }
    noiseBytes += noise.size();
    const int garbage = static_cast<int>(length(rng) % 200);
    sim_->UpdateFaults([&](sim::FaultPlan& f) {
      f.garbage = 1;
      f.garbageBytes = garbage;
    });
    const uint8_t code = codes[i % 3];
    Response out{};
    comm_->WriteRaw(noise.data(), noise.size());
    comm_->SendCommand({code});
    ASSERT_TRUE(comm_->AwaitResponse(out)) << LastLine();
    EXPECT_EQ(out[1], code);
    EXPECT_GT(out[0], 1);
  }
  const sim::SimCounters c = sim_->Counters();
  EXPECT_EQ(c.module.commands, static_cast<uint64_t>(rounds));
  EXPECT_EQ(c.module.acks, static_cast<uint64_t>(rounds));
  EXPECT_GE(c.module.bytesIn, noiseBytes);
}

TEST_F(PortRobustness, NackStormNeverPassesForSuccessAndTheLinkRecovers) {
  // 2000 commands through the wrappers, every one answered with a NACK (known and unknown codes):
  // every wait ends at its NACK, none reports success, and the log pane stays bounded.
  OpenSim();
  const uint8_t codes[] = {0x01, 0x02, 0x03, 0x04, 0x41, 0x42, 0x43, 0x44, 0x00, 0x05, 0xFF};
  sim_->UpdateFaults([](sim::FaultPlan& f) { f.nack = sim::FaultPlan::kAlways; });
  const auto t0 = Clock::now();
  int successes = 0, maxLines = 0;
  const int rounds = 2000;
  for (int i = 0; i < rounds; ++i) {
    const uint8_t code = codes[i % std::size(codes)];
    sim_->UpdateFaults([&](sim::FaultPlan& f) { f.nackCode = code; });
    Response out{};
    bool ok = false;
    switch (i % 4) {
      case 0:
        ok = comm_->ProbeReader();
        break;
      case 1:
        ok = comm_->ChargeOnlyRead(out, 1);
        break;
      case 2:
        ok = comm_->GeneralReadPage(out, 3);
        break;
      default:
        ok = comm_->Em4305ReadWord(out, 1);
        break;
    }
    successes += ok;
    ASSERT_EQ(comm_->State(), ResponseState::NackReceived) << "round " << i << ": " << LastLine();
    maxLines = std::max(maxLines, log_.LineCount());
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
  EXPECT_EQ(successes, 0);
  EXPECT_LT(seconds, rounds * 2.0 / 4) << "waits ran into their time-outs";
  EXPECT_LE(maxLines, kLogLineLimit);
  EXPECT_EQ(sim_->Counters().module.nacks, static_cast<uint64_t>(rounds));
  EXPECT_EQ(Count(log_.Lines(), "Response Timed out"), 0u);
  sim_->UpdateFaults([](sim::FaultPlan& f) { f.nack = 0; });
  EXPECT_TRUE(comm_->ProbeReader());
}

TEST_F(PortRobustness, EveryWrongSpeedTimesOutCleanlyAndTheRightOneWorksAtOnce) {
  OpenSim();
  const TBaudRate rates[] = {TBaudRate::br110,    TBaudRate::br300,   TBaudRate::br600,
                             TBaudRate::br1200,   TBaudRate::br2400,  TBaudRate::br4800,
                             TBaudRate::br9600,   TBaudRate::br14400, TBaudRate::br19200,
                             TBaudRate::br38400,  TBaudRate::br56000, TBaudRate::br115200,
                             TBaudRate::br128000, TBaudRate::br256000};
  for (TBaudRate rate : rates) {
    SCOPED_TRACE(BaudRateToStr(rate));
    comm_->SetBaudRate(rate);  // on the open port
    const uint64_t noise0 = sim_->Counters().module.noiseBytes;
    Response out{};
    comm_->SendCommand({0x90});
    EXPECT_FALSE(comm_->AwaitResponseFor(out, 60));
    EXPECT_EQ(LastLine(), "Response Timed out");
    EXPECT_EQ(comm_->State(), ResponseState::None);
    EXPECT_TRUE(sim_->WaitUntil(
        [&](const sim::SimCounters& c) { return c.module.noiseBytes >= noise0 + 8; },
        test_support::kPatience))
        << "the module did not hear the command as noise";
  }
  EXPECT_EQ(sim_->Counters().module.commands, 0u);
  comm_->SetBaudRate(TBaudRate::br57600);
  EXPECT_TRUE(comm_->ProbeReader());
}

TEST_F(PortRobustness, AWriteToAPortThatHasJustVanishedFailsAtOnceWithItsReason) {
  // The module's end closes before the host has taken the hang-up event (the event loop has not
  // run since): the port still counts as open, so the command is written, and the write fails.
  OpenRaw();
  ExpectCleanExchange(0x90, 0x11);
  module_.HangUp();
  log_.Clear();
  Response out{};
  comm_->SendCommand({0x90});
  EXPECT_FALSE(comm_->AwaitResponse(out));
  ASSERT_EQ(log_.Lines().size(), 2u);
  EXPECT_EQ(log_.Lines()[0], "TX: 02 00 4D 01 90 03 E3 0D ");
  EXPECT_EQ(log_.Lines()[1], "送信できませんでした: Input/output error (0/8 バイト送信)");
  // The hang-up itself is taken as soon as the event loop runs.
  ASSERT_TRUE(test_support::PumpUntil([&] { return !comm_->Connected(); }));
  EXPECT_EQ(Count(log_.Lines(), "<ComError:IO>"), 1u);
  EXPECT_EQ(Count(log_.Lines(), "Response Timed out"), 0u);
}

TEST_F(PortRobustness, AHundredHangUpsMidExchangeLeaveNoTrace) {
  // Half the hang-ups come as the module takes the command, half while the host waits. Each one
  // ends the wait before its time-out with one "<ComError:IO>", closes the port, stops its
  // watcher thread and releases its descriptors; the module then comes back on a new pty and
  // the port opens again.
  OpenSim();
  ASSERT_TRUE(comm_->ProbeReader());
  const int fdsOpen = robust::OpenDescriptors(), threadsOpen = robust::Threads();
  // A joined thread can stay listed in /proc for a moment after the join returns (the kernel
  // releases it after waking the joiner), so the count is awaited, never sampled once.
  const int threadsClosed = threadsOpen - 1;  // the port's watcher
  int fdsClosed = -1;
  std::vector<double> ended;
  for (int i = 0; i < 100; ++i) {
    SCOPED_TRACE("hang-up " + std::to_string(i));
    log_.Clear();
    if (i % 2 == 0) {
      sim_->UpdateFaults([](sim::FaultPlan& f) { f.hangupAfter = 1; });
    } else {
      sim_->UpdateFaults([](sim::FaultPlan& f) { f.missing = 1; });
      QTimer::singleShot(2, [&] { sim_->HangUp(); });
    }
    Response out{};
    const auto t0 = Clock::now();
    comm_->SendCommand({0x90});
    EXPECT_FALSE(comm_->AwaitResponse(out));
    ended.push_back(Ms(Clock::now() - t0));
    // What ended the wait is read from the log, not from the time it took.
    EXPECT_EQ(Count(log_.Lines(), "<ComError:IO>"), 1u);
    EXPECT_EQ(Count(log_.Lines(), "Response Timed out"), 0u);
    EXPECT_FALSE(comm_->Connected());
    EXPECT_TRUE(comm_->PortLost());
    ASSERT_TRUE(test_support::PumpUntil([&] { return sim_->DevicePath().empty(); }));
    if (fdsClosed < 0) {
      fdsClosed = robust::OpenDescriptors();
      EXPECT_LT(fdsClosed, fdsOpen);
    } else {
      EXPECT_EQ(robust::OpenDescriptors(), fdsClosed);
    }
    EXPECT_TRUE(test_support::PumpUntil([&] { return robust::Threads() == threadsClosed; }))
        << robust::Threads() << " threads, " << threadsClosed << " expected";
    std::string error;
    ASSERT_TRUE(sim_->Reopen(&error)) << error;
    comm_->OpenNamedPort(sim_->DevicePath());
    ASSERT_TRUE(comm_->ProbeReader()) << "no answer on the new pty";
    EXPECT_EQ(robust::OpenDescriptors(), fdsOpen);
    EXPECT_TRUE(test_support::PumpUntil([&] { return robust::Threads() == threadsOpen; }))
        << robust::Threads() << " threads, " << threadsOpen << " expected";
  }
  std::sort(ended.begin(), ended.end());
  std::printf("  hang-up to end of wait: p50 %.2f ms, max %.2f ms\n", ended[ended.size() / 2],
              ended.back());
  EXPECT_EQ(sim_->Counters().hangups, 100u);
  // A lost port costs nothing while the program waits on.
  sim_->UpdateFaults([](sim::FaultPlan& f) { f.hangupAfter = 1; });
  Response out{};
  comm_->SendCommand({0x90});
  EXPECT_FALSE(comm_->AwaitResponse(out));
  const double cpu0 = robust::ThreadCpuSeconds();
  EXPECT_FALSE(comm_->AwaitResponseFor(out, 200));
  TTirisC1Dlg::PumpFor(200);
  EXPECT_LT(robust::ThreadCpuSeconds() - cpu0, 0.1);
}

}  // namespace
