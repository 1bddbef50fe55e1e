// Receiver throughput: a stream of response and ID frames with noise between them, fed through
// the receive event path as the port delivers it, in events of 1024 bytes.
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

#include "link/frame.h"
#include "link/receiver.h"

int main() {
  std::mt19937 rng(42);
  std::vector<uint8_t> stream;
  while (stream.size() < (8u << 20)) {
    std::vector<uint8_t> data(static_cast<size_t>(rng() % 24 + 1));
    for (auto& b : data) b = static_cast<uint8_t>(rng());
    const uint8_t type = (rng() % 2) ? frame::TypeAck : frame::TypeId;
    const auto f = frame::BuildResponseFrame(type, data);
    stream.insert(stream.end(), f.begin(), f.end());
    if (rng() % 4 == 0) stream.push_back(static_cast<uint8_t>(rng() & 0xFE));  // noise
  }
  auto run = [&](bool logFrames) {
    ResponseReceiver rx;
    size_t lines = 0, ids = 0;
    rx.LogRxFrames = logFrames;
    rx.log = [&](const std::string& l) { lines += l.size() > 0; };
    const Subscription counting =
        rx.tally.Subscribe([&](const std::string&, const std::string&) { ++ids; });
    const auto t0 = std::chrono::steady_clock::now();
    const int rounds = 8;
    for (int r = 0; r < rounds; ++r) {
      for (size_t off = 0; off < stream.size(); off += 1024) {
        const size_t n = std::min<size_t>(1024, stream.size() - off);
        rx.Feed(stream.data() + off, n);
      }
    }
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    const double mb = static_cast<double>(stream.size()) * rounds / 1e6;
    std::printf("receiver %-22s %8.1f MB/s  (%zu lines, %zu ID frames)\n",
                logFrames ? "with RX: lines" : "without RX: lines", mb / s, lines, ids);
  };
  run(false);
  run(true);
  return 0;
}
