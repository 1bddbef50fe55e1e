// The receiver: frames assembled from a byte stream whole, byte by byte and in random splits.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "core/messages.h"
#include "link/frame.h"
#include "link/millisecond_timer.h"
#include "link/receiver.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Harness {
  ResponseReceiver rx;
  std::vector<std::string> lines;
  std::vector<std::pair<std::string, std::string>> tallied;
  bool animal = false;
  Subscription tallying;
  Harness() {
    rx.log = [this](const std::string& l) { lines.push_back(l); };
    tallying = rx.tally.Subscribe(
        [this](const std::string& k, const std::string& id) { tallied.emplace_back(k, id); });
    rx.animalIdDisplay = [this] { return animal; };
  }
};

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

Bytes Ack(Bytes data) {
  return frame::BuildResponseFrame(frame::TypeAck, data);
}
Bytes Nack(uint8_t code) {
  return frame::BuildResponseFrame(frame::TypeNack, Bytes{code});
}
Bytes Id(Bytes data) {
  return frame::BuildResponseFrame(frame::TypeId, data);
}

// A Raccess frame: STX, L, L+2 body bytes, ETX; the body is chosen so the check is non-zero.
Bytes Raccess(uint8_t L) {
  Bytes f{frame::STX, L};
  for (int i = 0; i < L + 2; ++i) f.push_back(static_cast<uint8_t>(0x40 + i));
  f.push_back(frame::ETX);
  return f;
}

// Feeds the same stream in three ways and checks they agree.
enum class Split { Whole, ByteByByte, Random };
void FeedAs(Harness& h, const Bytes& s, Split how, unsigned seed = 1) {
  if (how == Split::Whole) return h.rx.Feed(s.data(), s.size());
  std::mt19937 rng(seed);
  size_t i = 0;
  while (i < s.size()) {
    size_t n = how == Split::ByteByByte ? 1 : std::uniform_int_distribution<size_t>(1, 9)(rng);
    n = std::min(n, s.size() - i);
    h.rx.Feed(s.data() + i, n);
    i += n;
  }
}

class ReceiverSplits : public ::testing::TestWithParam<Split> {};

TEST_P(ReceiverSplits, AckNackAndIdFramesAreLoggedAndPosted) {
  Harness h;
  const Bytes ack = Ack({0x90, '1', '1', '0', '0'});
  FeedAs(h, Cat({Bytes{0x55, 0xAA}, ack}), GetParam());
  EXPECT_EQ(h.rx.State(), ResponseState::AckReceived);
  ASSERT_EQ(h.lines.size(), 1u);
  EXPECT_EQ(h.lines[0], "RX: 02 00 30 05 90 31 31 30 30 03 8C 0D ");

  FeedAs(h, Nack(0x42), GetParam());
  EXPECT_EQ(h.rx.State(), ResponseState::NackReceived);
  EXPECT_EQ(h.lines.back(), "SUM Error");
  EXPECT_EQ(h.lines[h.lines.size() - 2], "RX: 02 00 31 01 42 03 79 0D ");

  h.animal = true;
  FeedAs(h, Id({0x06, 0x14, 0x1A, 0x99, 0xBE, 0x1C, 0x62, 0x00, 0x80}), GetParam());
  EXPECT_EQ(h.rx.State(), ResponseState::IdReceived);
  EXPECT_EQ(h.lines.back(), "ID: 80 00 62 1C BE 99 1A 14 [392, 123456789012]");
  ASSERT_EQ(h.tallied.size(), 1u);
  EXPECT_EQ(h.tallied[0].first, "06");
  EXPECT_EQ(h.tallied[0].second, "80 00 62 1C BE 99 1A 14 [392, 123456789012]");
}

TEST_P(ReceiverSplits, ManyFramesInOneStreamAreAllRecovered) {
  Harness h;
  Bytes stream;
  for (int i = 0; i < 200; ++i) {
    stream.push_back(0x00);  // noise between frames
    const Bytes f = Id({0x01, static_cast<uint8_t>(i), 1, 2, 3, 4, 5, 6, 7});
    stream.insert(stream.end(), f.begin(), f.end());
  }
  FeedAs(h, stream, GetParam(), 7);
  EXPECT_EQ(h.tallied.size(), 200u);
  EXPECT_EQ(h.tallied[199].second, "07 06 05 04 03 02 01 C7 ");
}

INSTANTIATE_TEST_SUITE_P(Feeds, ReceiverSplits,
                         ::testing::Values(Split::Whole, Split::ByteByByte, Split::Random));

TEST(Receiver, NackCodesAndUnknownCodes) {
  const std::pair<uint8_t, const char*> known[] = {{0x01, "CRC Error"},
                                                   {0x02, "Command Time Over"},
                                                   {0x03, "Tag Data Receive Error"},
                                                   {0x04, "No response from tag"},
                                                   {0x41, "Number of data Errors"},
                                                   {0x42, "SUM Error"},
                                                   {0x43, "ID Value Error"},
                                                   {0x44, "Invalid Command"}};
  for (auto [code, text] : known) {
    Harness h;
    h.rx.LogRxFrames = false;
    const Bytes f = Nack(code);
    h.rx.Feed(f.data(), f.size());
    ASSERT_EQ(h.lines.size(), 1u) << int(code);
    EXPECT_EQ(h.lines[0], text);
  }
  Harness h;
  h.rx.LogRxFrames = false;
  const Bytes f = Nack(0x05);
  h.rx.Feed(f.data(), f.size());
  EXPECT_EQ(h.rx.State(), ResponseState::NackReceived);
  EXPECT_TRUE(h.lines.empty());
}

TEST(Receiver, BadSumMissingEtxAndUnknownTypeAreReportedAndNotPosted) {
  Harness h;
  Bytes bad = Ack({0x90});
  bad[bad.size() - 2] ^= 0xFF;
  h.rx.Feed(bad.data(), bad.size());
  EXPECT_EQ(h.rx.State(), ResponseState::None);
  EXPECT_EQ(h.lines, std::vector<std::string>{"SUM Error"});

  // Correct sum over a frame whose ETX position holds another byte.
  Bytes noEtx{0x02, 0x00, 0x30, 0x01, 0x90, 0x04};
  noEtx.push_back(frame::FrameSum(noEtx.data()));
  noEtx.push_back(0x0D);
  h.rx.Feed(noEtx.data(), noEtx.size());
  EXPECT_EQ(h.rx.State(), ResponseState::None);
  EXPECT_EQ(h.lines.back(), "SUM Error");

  const Bytes odd = frame::BuildResponseFrame(0x32, Bytes{0x01});
  h.rx.Feed(odd.data(), odd.size());
  EXPECT_EQ(h.rx.State(), ResponseState::None);
  EXPECT_EQ(h.lines.back(), "Response Format Error");
}

TEST(Receiver, StxInsideDataDoesNotRestartTheFrame) {
  Harness h;
  const Bytes f = Ack({0x81, 0x02, 0x02, 0x02});
  h.rx.Feed(f.data(), f.size());
  EXPECT_EQ(h.rx.State(), ResponseState::AckReceived);
  EXPECT_EQ(h.rx.FrameBuffer()[3], 4);
}

TEST(Receiver, MissingCrIsStoredOneFurtherAndTheNextByteIsDiscardedEvenIfStx) {
  Harness h;
  Bytes f = Ack({0x90});
  f.back() = 0x00;  // CR replaced
  const Bytes good = Ack({0x93});
  // The STX of the next frame is eaten by the abandoned frame, so that frame is lost too.
  h.rx.Feed(f.data(), f.size());
  EXPECT_EQ(h.rx.ParserState(), RxState::InResponse);
  h.rx.Feed(good.data(), good.size());
  EXPECT_EQ(h.rx.State(), ResponseState::None);
  EXPECT_TRUE(h.lines.empty());
  h.rx.Feed(good.data(), good.size());
  EXPECT_EQ(h.rx.State(), ResponseState::AckReceived);
}

TEST(Receiver, AFrameCutShortIsAbandonedAfterSilenceAndTheNextAnswerIsKept) {
  uint32_t now = 1000;
  MillisecondTimer::SetClock([&] { return now; });
  Harness h;
  const Bytes good = Ack({0x90});
  h.rx.Feed(good.data(), 5);  // half a frame, then silence
  now += ResponseReceiver::kFrameSilenceMs - 1;
  h.rx.Feed(good.data() + 5, good.size() - 5);  // the rest in time: one frame
  EXPECT_EQ(h.rx.State(), ResponseState::AckReceived);
  h.rx.ClearState();
  h.rx.Feed(good.data(), 5);
  now += ResponseReceiver::kFrameSilenceMs + 1;
  h.rx.Feed(good.data(), good.size());  // a whole new frame after the silence
  EXPECT_EQ(h.rx.State(), ResponseState::AckReceived);
  EXPECT_EQ(h.lines.back(), "RX: 02 00 30 01 90 03 C6 0D ");
  MillisecondTimer::SetClock(nullptr);
}

TEST(Receiver, SilenceIsCountedUpToWhenTheLinkSawTheBytesNotToABusyHostsEvent) {
  uint32_t now = 1000;
  MillisecondTimer::SetClock([&] { return now; });
  Harness h;
  const Bytes good = Ack({0x90});
  auto deliver = [&](size_t from, size_t n, uint32_t seen) {
    size_t taken = 0;
    h.rx.OnReceive(
        n,
        [&](uint8_t* dst, size_t want) {
          std::copy_n(good.data() + from + taken, want, dst);
          taken += want;
          return want;
        },
        seen);
  };
  deliver(0, 5, now);
  // The rest reached the link 10 ms later; the host's thread ran its event only 400 ms on.
  const uint32_t seen = now + 10;
  now += 400;
  deliver(5, good.size() - 5, seen);
  EXPECT_EQ(h.rx.State(), ResponseState::AckReceived);
  // Seen before the last parse ended (the link saw them while it ran): no silence at all.
  h.rx.ClearState();
  deliver(0, 5, now);
  deliver(5, good.size() - 5, now - 50);
  EXPECT_EQ(h.rx.State(), ResponseState::AckReceived);
  // A real silence on the line still abandons the frame cut short.
  h.rx.ClearState();
  deliver(0, 5, now);
  now += 1000;
  deliver(5, good.size() - 5, now - ResponseReceiver::kFrameSilenceMs - 1);
  EXPECT_EQ(h.rx.State(), ResponseState::None);
  MillisecondTimer::SetClock(nullptr);
}

TEST(Receiver, RaccessFramesPostAndLogOrDropSilently) {
  Harness h;
  const Bytes r = Raccess(4);
  ASSERT_NE(frame::RaccessCheck(r.data() + 1, 4 + 3), 0);
  h.rx.Feed(r.data(), r.size());
  EXPECT_EQ(h.rx.State(), ResponseState::RaccessReceived);
  EXPECT_EQ(h.lines, std::vector<std::string>{"Rec : Raccess Response"});

  Harness h2;
  Bytes noEtx = Raccess(6);
  noEtx.back() = 0x00;
  h2.rx.Feed(noEtx.data(), noEtx.size());
  EXPECT_EQ(h2.rx.State(), ResponseState::None);
  EXPECT_TRUE(h2.lines.empty());
  // A byte 1 of 4 or more is never a response frame, whatever follows.
  Harness h3;
  Bytes looksLikeAck = Ack({0x90});
  looksLikeAck[1] = 0x04;
  h3.rx.Feed(looksLikeAck.data(), looksLikeAck.size());
  EXPECT_NE(h3.rx.State(), ResponseState::AckReceived);
}

TEST(Receiver, IdDecorationByKind) {
  Harness h;
  h.animal = true;
  auto line = [&](Bytes data) {
    const Bytes f = Id(data);
    h.rx.Feed(f.data(), f.size());
    return h.lines.back();
  };
  EXPECT_EQ(line({0x05, 0x01, 0x02, 0x03, 0x04, 0x05}), "ID: 05 04 03 02 01 [0033752069]");
  EXPECT_EQ(line({0x00, 1, 2, 3, 4, 5, 6, 7, 8}), "ID: 08 07 06 05 04 03 02 01 ");
  // RO with bit 63 set decodes like FDX-B; with it clear there is no decoration.
  EXPECT_EQ(line({0x01, 0x01, 0xA7, 0x0E, 0xF2, 0xE0, 0xF9, 0x00, 0x80}),
            "ID: 80 00 F9 E0 F2 0E A7 01 [999, 141500000001]");
  EXPECT_EQ(line({0x01, 0x01, 0xA7, 0x0E, 0xF2, 0xE0, 0xF9, 0x00, 0x00}),
            "ID: 00 00 F9 E0 F2 0E A7 01 ");
  h.animal = false;
  EXPECT_EQ(line({0x06, 0x14, 0x1A, 0x99, 0xBE, 0x1C, 0x62, 0x00, 0x80}),
            "ID: 80 00 62 1C BE 99 1A 14 ");
}

TEST(Receiver, TheIdFrameHookSeesTalliedFramesAndMayLeaveTheLineOut) {
  Harness h;
  h.rx.LogRxFrames = false;
  std::vector<std::string> seen;
  size_t talliedWhenSeen = 0;
  bool show = true;
  const Subscription hook =
      h.rx.idFrame.Subscribe([&](const uint8_t* f, const std::string& kind, const std::string& id) {
        seen.push_back(kind + "|" + id + "|" + std::to_string(f[3]));
        EXPECT_EQ(h.rx.LastId().KindText() + h.rx.LastId().Text(false), kind + id);  // one decode
        talliedWhenSeen = h.tallied.size();
        return show;
      });
  const Bytes f = Id({0x05, 0x01, 0x02, 0x03, 0x04, 0x05});
  h.rx.Feed(f.data(), f.size());
  show = false;
  h.rx.Feed(f.data(), f.size());
  // Both frames tallied (before the hook is told), the second one without its line.
  EXPECT_EQ(h.tallied.size(), 2u);
  EXPECT_EQ(talliedWhenSeen, 2u);
  EXPECT_EQ(seen, (std::vector<std::string>{"05|05 04 03 02 01 |6", "05|05 04 03 02 01 |6"}));
  EXPECT_EQ(h.lines, std::vector<std::string>{"ID: 05 04 03 02 01 "});
  EXPECT_EQ(h.rx.State(), ResponseState::IdReceived);
}

TEST(Receiver, TwoListenersHearEachIdFrameUntilOneLeavesMidStream) {
  Harness h;
  h.rx.LogRxFrames = false;
  std::vector<std::string> first, second;
  Subscription a;
  a = h.rx.idFrame.Subscribe([&](const uint8_t*, const std::string&, const std::string& id) {
    first.push_back(id);
    if (first.size() == 2) a.Reset();  // leaves while the frame is being told
    return true;
  });
  // The second listener would leave the lines out: its word counts while it listens.
  Subscription b =
      h.rx.idFrame.Subscribe([&](const uint8_t*, const std::string&, const std::string& id) {
        second.push_back(id);
        return second.size() != 2;
      });
  Bytes stream;
  for (uint8_t n = 1; n <= 4; ++n) {
    const Bytes f = Id({0x05, n});
    stream.insert(stream.end(), f.begin(), f.end());
  }
  h.rx.Feed(stream.data(), 9);       // 9 bytes a frame: the first
  h.rx.Feed(stream.data() + 9, 19);  // the second, the third and the fourth's first byte
  EXPECT_FALSE(a.Active());
  b.Reset();
  h.rx.Feed(stream.data() + 28, stream.size() - 28);
  EXPECT_EQ(first, (std::vector<std::string>{"01 ", "02 "}));
  EXPECT_EQ(second, (std::vector<std::string>{"01 ", "02 ", "03 "}));
  EXPECT_TRUE(h.rx.idFrame.Empty());
  // Every frame tallied and, but for the one the second listener held back, logged.
  EXPECT_EQ(h.tallied.size(), 4u);
  EXPECT_EQ(h.lines, (std::vector<std::string>{"ID: 01 ", "ID: 03 ", "ID: 04 "}));
  // A subscription may outlive its event.
  Subscription late;
  {
    ResponseReceiver gone;
    late = gone.tally.Subscribe([](const std::string&, const std::string&) {});
  }
  late.Reset();
}

TEST(Receiver, ShortIdFramesNeverDecorateFromStaleBytes) {
  Harness h;
  h.animal = true;
  const Bytes full = Id({0x06, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
  h.rx.Feed(full.data(), full.size());
  const Bytes shortFdx = Id({0x06, 0x01});
  h.rx.Feed(shortFdx.data(), shortFdx.size());
  EXPECT_EQ(h.lines.back(), "ID: 01 [000, 000000000001]");
}

TEST(Receiver, RingWrapsAndKeepsOrder) {
  Harness h;
  h.rx.LogRxFrames = false;
  // Push the ring indices close to the end, then deliver a frame that straddles it.
  Bytes filler(ResponseReceiver::kRingSize - 5, 0x00);
  h.rx.Feed(filler.data(), filler.size());
  EXPECT_EQ(h.rx.Head(), ResponseReceiver::kRingSize - 5);
  const Bytes f = Id({0x01, 1, 2, 3, 4, 5, 6, 7, 8});
  h.rx.Feed(f.data(), f.size());
  EXPECT_EQ(h.rx.Head(), 11);  // 5 bytes before the end, 11 from the start
  EXPECT_EQ(h.rx.Pending(), 0);
  EXPECT_EQ(h.lines.back(), "ID: 08 07 06 05 04 03 02 01 ");
}

TEST(Receiver, AFloodLargerThanTheRingIsParsedEventByEventWithoutLoss) {
  Harness h;
  h.rx.LogRxFrames = false;
  Bytes stream;
  for (int i = 0; i < 3000; ++i) {
    const Bytes f = Id({0x05, static_cast<uint8_t>(i), static_cast<uint8_t>(i >> 8), 0, 0, 0});
    stream.insert(stream.end(), f.begin(), f.end());
  }
  ASSERT_GT(stream.size(), 2u * ResponseReceiver::kRingSize);
  // A millisecond passes per frame parsed, as on a slow machine: the parse of one event is no
  // silence before the next.
  MillisecondTimer::SetClock([&] { return static_cast<uint32_t>(h.tallied.size()); });
  h.rx.Feed(stream.data(), stream.size());
  MillisecondTimer::SetClock(nullptr);
  EXPECT_EQ(h.tallied.size(), 3000u);
}

TEST(Receiver, ReentrantReceiveEventLeavesBytesQueued) {
  Harness h;
  const Bytes f = Ack({0x90});
  size_t inner = 99;
  h.rx.log = [&](const std::string&) {
    // A receive event arriving while the handler runs (the event loop pumped from inside).
    inner = h.rx.OnReceive(f.size(), [&](uint8_t*, size_t n) { return n; });
  };
  h.rx.Feed(f.data(), f.size());
  EXPECT_EQ(inner, 0u);
  EXPECT_EQ(h.rx.State(), ResponseState::AckReceived);
}

TEST(Receiver, RawByteLogIsOneLinePerParserRunAfterTheFrameLines) {
  Harness h;
  h.rx.LogRawBytes = true;
  const Bytes f = Ack({0x90});
  h.rx.Feed(f.data(), f.size());
  ASSERT_EQ(h.lines.size(), 2u);
  EXPECT_EQ(h.lines[0], "RX: 02 00 30 01 90 03 C6 0D ");
  EXPECT_EQ(h.lines[1], "RX:02 00 30 01 90 03 C6 0D ");
}

}  // namespace
