// Soak: the real main window (offscreen) against the simulated module (in a child process, so
// that its work is not counted as the tool's) at 115200 bit/s for a given time, alternating read
// loop mode, in which the module streams ID frames back to back at line rate, with command mode,
// in which the tool exchanges commands back to back (ROM version, model name, software info and
// an FDX ID read) and checks that each gets its own answer. Prints the frames and answers
// counted at both ends, the live heap and resident memory, the log view's size and the CPU.
//
// Pass (exit status 0) when, after the warm-up, the live heap has grown by less than 1 MB, no ACK
// was lost (every ACK the module sent reached the tool's receiver) and the log view never held
// more than 5000 lines. Exchanges that failed (time-out, NACK, ID frame, the answer of another
// command) are counted and printed by kind beside it.
//
// The live heap is compared between like moments: the log view empties itself when it reaches
// 5000 lines, and the highest heap seen in each such cycle is taken; growth is the median of the
// last three cycles' highs less the median of the first three after the warm-up.
//
//   soak_bench [--seconds N] [--machine]   (default 3600 s)
//   soak_bench --hangups N [--machine]     N hang-ups in the middle of exchanges (in-process
//                                          simulator, no window): time from the hang-up to the
//                                          end of the wait
//
// --machine prints key=value lines only.
#include <stdlib.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
// The sanitizer runtime's count of live heap bytes (GCC ships no header declaring it).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

#include "bench/flood_world.h"
#include "bench/measure.h"
#include "core/log_pane.h"
#include "link/comm_module.h"
#include "sim/simulator.h"

using namespace flood_world;
using namespace measure;

namespace {

using Clock = std::chrono::steady_clock;
constexpr double kStreamSeconds = 0.4;
constexpr double kCommandSeconds = 0.4;
constexpr double kMaxGrowthBytes = 1e6;

// Every figure is printed as a line "key=value" (--machine) or in a table for people.
class Figures {
 public:
  explicit Figures(bool machine) : machine_(machine) {}
  void Add(const std::string& key, const std::string& value, const std::string& text) {
    if (machine_)
      std::printf("%s=%s\n", key.c_str(), value.c_str());
    else
      std::printf("  %-34s %s\n", text.c_str(), value.c_str());
  }
  void Add(const std::string& key, double value, const char* format, const std::string& text) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, value);
    Add(key, buf, text);
  }
  void Say(const std::string& line) {
    if (!machine_) std::printf("%s\n", line.c_str());
  }

 private:
  bool machine_;
};

size_t HeapInUse() {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  return __sanitizer_get_current_allocated_bytes();
#else
  const struct mallinfo2 m = mallinfo2();
  return m.uordblks + m.hblkhd;
#endif
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// --- The module in a child process -------------------------------------------------------------

struct SimReport {
  uint64_t commands = 0, acks = 0, nacks = 0, idFrames = 0, droppedStream = 0, bytesOut = 0;
};

// In the child: a byte on `stop` asks for the counters so far; its end asks for the last ones.
void Serve(sim::Simulator& module, int stop, int out) {
  auto report = [&] {
    const sim::SimCounters k = module.Counters();
    const SimReport r{k.module.commands, k.module.acks,   k.module.nacks,
                      k.module.idFrames, k.droppedStream, k.bytesOut};
    if (::write(out, &r, sizeof r) != static_cast<ssize_t>(sizeof r)) _exit(2);
  };
  char buf;
  while (::read(stop, &buf, 1) > 0) report();
  module.Stop();
  report();
}

// --- Soak ----------------------------------------------------------------------------------------

struct Exchanges {
  uint64_t sent = 0, answered = 0, timedOut = 0, nacked = 0, idEnded = 0, mismatched = 0;
  uint64_t Failed() const { return timedOut + nacked + idEnded + mismatched; }
};

int Soak(double seconds, bool machine, int argc, char** argv) {
  Figures fig(machine);
  const double warmUp = std::min(10.0, seconds / 6);

  FloodWorld world("soak_bench", argc, argv);
  if (!world.Start(Serve)) return 2;
  TTirisAppForm* form = &world.Window();
  TTirisC1Dlg& comm = *form->App().Comm();

  // The module's counters from here on (start-up's identification logs no RX: lines).
  auto moduleCounters = [&](bool last) {
    SimReport r{};
    if (last)
      world.CueEnd();
    else if (::write(world.StopFd(), "m", 1) != 1)
      return std::optional<SimReport>();
    if (::read(world.OutFd(), &r, sizeof r) != static_cast<ssize_t>(sizeof r))
      return std::optional<SimReport>();
    return std::optional<SimReport>(r);
  };
  const std::optional<SimReport> mark = moduleCounters(false);
  if (!mark) {
    std::fprintf(stderr, "soak_bench: no report from the simulator\n");
    return 1;
  }

  // What reaches the receiver: ACK frames and ID frames.
  uint64_t acksIn = 0, idsIn = 0;
  const auto log = comm.Receiver().log;
  comm.Receiver().log = [&](const std::string& line) {
    // "RX: 02 0n 30 ..." is an ACK frame.
    if (line.size() > 12 && line.compare(0, 4, "RX: ") == 0 && line.compare(10, 2, "30") == 0)
      ++acksIn;
    log(line);
  };
  const Subscription counting =
      comm.Receiver().tally.Subscribe([&](const std::string&, const std::string&) { ++idsIn; });

  // Samples: live heap, and the cycles of the log view (it empties itself at 5000 lines).
  struct Cycle {
    double heapHigh = 0;
    double rssHigh = 0;
  };
  std::vector<Cycle> cycles;
  bool measuring = false;
  int lastLines = 0, maxLines = 0, maxBlocks = 0;
  Cycle current;
  bool cycleStartedInWindow = false;
  auto sample = [&] {
    const int lines = form->App().Log().LineCount();
    const int blocks = form->Memo1->document()->blockCount();
    maxLines = std::max(maxLines, lines);
    maxBlocks = std::max(maxBlocks, blocks);
    if (lines < lastLines) {  // the view emptied itself: a cycle ends
      if (measuring && cycleStartedInWindow) cycles.push_back(current);
      current = Cycle{};
      cycleStartedInWindow = measuring;
    }
    lastLines = lines;
    current.heapHigh = std::max(current.heapHigh, static_cast<double>(HeapInUse()));
    current.rssHigh = std::max(current.rssHigh, StatusMiB("VmRSS"));
  };
  QTimer sampler;
  QObject::connect(&sampler, &QTimer::timeout, sample);
  sampler.start(20);

  Exchanges ex;
  uint64_t modeSwitches = 0, modeRetries = 0;
  const uint8_t codes[][2] = {{0x90, 0}, {0x93, 0}, {0x9B, 0}, {0x70, 0x01}};
  auto commandMode = [&] {
    // An ID frame may end the wait of the first try; the module has switched all the same.
    for (int attempt = 0; attempt < 10; ++attempt) {
      form->RunItem("TB_TEST3");
      const QStringList tail = form->LogLines();
      if (!tail.isEmpty() && tail.back() == "OK: Command Mode") break;
      ++modeRetries;
    }
    // Frames still on their way from read-loop mode arrive before anything is asked.
    Pump(0.03);
  };
  double exchangeSeconds = 0;
  auto exchangeFor = [&](double secs) {
    const auto begin = Clock::now();
    const auto end = begin + std::chrono::duration<double>(secs);
    size_t k = 0;
    while (Clock::now() < end) {
      const uint8_t* cmd = codes[k++ % std::size(codes)];
      Response resp{};
      if (cmd[0] == 0x70)
        comm.SendCommand({cmd[0], cmd[1]});
      else
        comm.SendCommand({cmd[0]});
      ++ex.sent;
      const char* failure = nullptr;
      if (comm.AwaitResponse(resp)) {
        if (resp[1] == cmd[0] && resp[0] >= 2) {
          ++ex.answered;
        } else {
          ++ex.mismatched;
          failure = "answer of another command";
        }
      } else if (comm.State() == ResponseState::NackReceived) {
        ++ex.nacked;
        failure = "NACK";
      } else if (comm.State() == ResponseState::IdReceived) {
        ++ex.idEnded;
        failure = "ID frame";
      } else {
        ++ex.timedOut;
        failure = "time-out";
      }
      if (failure) {
        // The first failures with the log lines before them, for the diagnosis.
        if (ex.Failed() <= 5) {
          const QStringList lines = form->LogLines();
          std::fprintf(stderr, "soak_bench: exchange %zu of its phase, %.1f ms in: %s\n", k,
                       std::chrono::duration<double, std::milli>(Clock::now() - begin).count(),
                       failure);
          for (qsizetype i = std::max<qsizetype>(0, lines.size() - 12); i < lines.size(); ++i)
            std::fprintf(stderr, "  | %s\n", lines[i].toUtf8().constData());
        }
        Pump(0.1);  // a late answer must not be taken for the next command's
      }
    }
    exchangeSeconds += std::chrono::duration<double>(Clock::now() - begin).count();
  };

  const auto start = Clock::now();
  auto elapsed = [&] { return std::chrono::duration<double>(Clock::now() - start).count(); };
  double cpu0 = 0, rssWarm = 0, heapWarm = 0;
  Clock::time_point t0;
  while (elapsed() < seconds) {
    if (!measuring && elapsed() >= warmUp) {
      measuring = true;
      cpu0 = CpuSeconds();
      t0 = Clock::now();
      rssWarm = StatusMiB("VmRSS");
      heapWarm = static_cast<double>(HeapInUse());
    }
    form->RunItem("TB_TEST2");
    ++modeSwitches;
    Pump(kStreamSeconds);
    commandMode();
    exchangeFor(kCommandSeconds);
  }
  sampler.stop();
  const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
  const double cpu = CpuSeconds() - cpu0;
  const double rssEnd = StatusMiB("VmRSS");
  const double heapEnd = static_cast<double>(HeapInUse());
  Pump(0.3);  // the last answers reach the receiver

  const std::optional<SimReport> end = moduleCounters(true);
  if (!end) {
    std::fprintf(stderr, "soak_bench: no report from the simulator\n");
    return 1;
  }
  SimReport r = *end;
  r.acks -= mark->acks;
  r.idFrames -= mark->idFrames;
  r.droppedStream -= mark->droppedStream;

  // Growth between like moments: the highs of whole log cycles, first three against last three.
  double growth = 0;
  const size_t n = cycles.size();
  const size_t k = std::min<size_t>(3, n / 2);
  if (k > 0) {
    std::vector<double> first, last;
    for (size_t i = 0; i < k; ++i) {
      first.push_back(cycles[i].heapHigh);
      last.push_back(cycles[n - k + i].heapHigh);
    }
    growth = Median(last) - Median(first);
  } else {
    growth = heapEnd - heapWarm;  // too short for two log cycles: end against warm-up
  }
  const int64_t lostAcks = static_cast<int64_t>(r.acks) - static_cast<int64_t>(acksIn);
  const uint64_t sentIds = r.idFrames - r.droppedStream;
  const bool bounded = maxLines <= kLogLineLimit && maxBlocks <= kLogLineLimit;
  const bool pass = growth < kMaxGrowthBytes && lostAcks == 0 && bounded;

  fig.Say("soak_bench: " + std::to_string(static_cast<int>(seconds)) + " s at " +
          std::to_string(kBaud) +
          " bit/s, read-loop flood and command exchanges alternating every " +
          std::to_string(static_cast<int>(kStreamSeconds * 1000)) + " ms");
  fig.Add("soak_seconds", seconds, "%.0f", "run (s, warm-up " + std::to_string(int(warmUp)) + ")");
  fig.Add("soak_exchanges", static_cast<double>(ex.sent), "%.0f", "commands exchanged");
  fig.Add("soak_exchange_rate", static_cast<double>(ex.sent) / exchangeSeconds, "%.0f",
          "exchanges per second of command mode");
  fig.Add("soak_exchanges_failed", static_cast<double>(ex.Failed()), "%.0f",
          "exchanges failed (time-out, NACK, ID, wrong answer)");
  fig.Add("soak_failed_timeout", static_cast<double>(ex.timedOut), "%.0f", "  of them time-outs");
  fig.Add("soak_failed_nack", static_cast<double>(ex.nacked), "%.0f", "  of them NACKs");
  fig.Add("soak_failed_id", static_cast<double>(ex.idEnded), "%.0f",
          "  of them ended by an ID frame");
  fig.Add("soak_failed_mismatch", static_cast<double>(ex.mismatched), "%.0f",
          "  of them the answer of another command");
  fig.Add("soak_acks_module", static_cast<double>(r.acks), "%.0f", "ACKs sent by the module");
  fig.Add("soak_acks_received", static_cast<double>(acksIn), "%.0f", "ACKs received by the tool");
  fig.Add("soak_lost_acks", static_cast<double>(lostAcks), "%.0f", "ACKs lost");
  fig.Add("soak_mode_switches", static_cast<double>(modeSwitches), "%.0f",
          "read-loop/command switches");
  fig.Add("soak_mode_retries", static_cast<double>(modeRetries), "%.0f",
          "\"Command Mode\" pressed again (ID frame first)");
  fig.Add("soak_ids_sent", static_cast<double>(sentIds), "%.0f", "ID frames sent by the module");
  fig.Add("soak_ids_received", static_cast<double>(idsIn), "%.0f", "ID frames received");
  fig.Add("soak_ids_not_sent", static_cast<double>(r.droppedStream), "%.0f",
          "ID frames not sent (tool behind)");
  fig.Add("soak_log_max_lines", maxLines, "%.0f", "log view, most lines held");
  fig.Add("soak_log_max_blocks", maxBlocks, "%.0f", "log view, most text blocks held");
  fig.Add("soak_log_cycles", static_cast<double>(n), "%.0f", "log cycles measured after warm-up");
  fig.Add("soak_heap_warm_mib", heapWarm / 1048576.0, "%.2f", "live heap after warm-up (MiB)");
  fig.Add("soak_heap_end_mib", heapEnd / 1048576.0, "%.2f", "live heap at the end (MiB)");
  fig.Add("soak_heap_growth_kib", growth / 1024.0, "%.1f", "live heap growth (KiB, target < 977)");
  fig.Add("soak_rss_warm_mib", rssWarm, "%.1f", "RSS after warm-up (MiB)");
  fig.Add("soak_rss_end_mib", rssEnd, "%.1f", "RSS at the end (MiB)");
  fig.Add("soak_rss_peak_mib", StatusMiB("VmHWM"), "%.1f", "peak RSS (MiB)");
  fig.Add("soak_cpu_percent", 100.0 * cpu / wall, "%.1f", "CPU of the tool (% of a core)");
  fig.Add("soak_pass", pass ? "1" : "0",
          std::string("result: ") + (pass ? "PASS" : "FAIL") +
              " (heap growth < 1 MB, no lost ACK, log bounded)");
  return pass ? 0 : 1;
}

// --- Hang-ups ------------------------------------------------------------------------------------

int HangUps(int count, bool machine, int argc, char** argv) {
  Figures fig(machine);
  QCoreApplication app(argc, argv);
  char dir[] = "/tmp/qzh-hangups-XXXXXX";
  if (!::mkdtemp(dir)) return 2;
  ::setenv("XDG_CONFIG_HOME", dir, 1);
  sim::SimulatorOptions o;
  o.wireTime = false;
  sim::Simulator s(o);
  std::string error;
  if (!s.Start(&error)) {
    std::fprintf(stderr, "soak_bench: simulator: %s\n", error.c_str());
    return 2;
  }
  MemoryLogPane log;
  TTirisC1Dlg comm(std::string(dir) + "/bench.ini", &log);
  comm.SetBaudRate(TBaudRate::br57600);
  comm.OpenNamedPort(s.DevicePath());
  std::vector<double> ms;
  int timedOut = 0, failedReopen = 0;
  for (int i = 0; i < count; ++i) {
    s.UpdateFaults([](sim::FaultPlan& f) { f.missing = 1; });
    Clock::time_point hung{};
    QTimer::singleShot(5, [&] {
      hung = Clock::now();
      s.HangUp();
    });
    Response out{};
    comm.SendCommand({0x90});
    comm.AwaitResponse(out);
    const auto ended = Clock::now();
    if (hung == Clock::time_point{} || comm.Connected()) {
      ++timedOut;
    } else {
      ms.push_back(std::chrono::duration<double, std::milli>(ended - hung).count());
    }
    if (!s.Reopen()) ++failedReopen;
    try {
      comm.OpenNamedPort(s.DevicePath());
    } catch (const std::exception&) {
      ++failedReopen;
    }
    if (!comm.ProbeReader()) ++failedReopen;
  }
  s.Stop();
  std::filesystem::remove_all(dir);
  fig.Say("soak_bench: " + std::to_string(count) +
          " hang-ups while a command waits, time from the hang-up to the end of the wait");
  fig.Add("hangup_count", count, "%.0f", "hang-ups");
  fig.Add("hangup_p50_ms", Percentile(ms, 50), "%.2f", "detected, p50 (ms)");
  fig.Add("hangup_p99_ms", Percentile(ms, 99), "%.2f", "detected, p99 (ms)");
  fig.Add("hangup_max_ms", ms.empty() ? 0 : *std::max_element(ms.begin(), ms.end()), "%.2f",
          "detected, max (ms)");
  fig.Add("hangup_missed", timedOut, "%.0f", "waits that were not ended by the hang-up");
  fig.Add("hangup_reconnect_failures", failedReopen, "%.0f", "reconnections that failed");
  return timedOut == 0 && failedReopen == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = 3600;
  int hangups = 0;
  bool machine = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
      seconds = std::atof(argv[++i]);
    } else if (std::strcmp(argv[i], "--hangups") == 0 && i + 1 < argc) {
      hangups = std::atoi(argv[++i]);
    } else if (std::strcmp(argv[i], "--machine") == 0) {
      machine = true;
    } else {
      std::fprintf(stderr, "usage: soak_bench [--seconds N | --hangups N] [--machine]\n");
      return 2;
    }
  }
  if (hangups > 0) return HangUps(hangups, machine, argc, argv);
  if (!(seconds >= 12 && seconds <= 86400)) {
    std::fprintf(stderr, "soak_bench: --seconds takes 12 to 86400\n");
    return 2;
  }
  return Soak(seconds, machine, argc, argv);
}
