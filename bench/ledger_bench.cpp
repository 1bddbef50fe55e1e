// Several stations on one series through the code ledger: N qzh900ctl program processes (default
// 4) against N simulators that feed blank SIC7888 tags at 57600 bit/s with an air time on every
// command (qzh900-sim --feed), all from the same first code, each until it has verified its share
// (default 250 tags), on SQLite and on a private PostgreSQL server (scripts/pg-cluster.sh), the
// whole repeated (default 5 times; each repetition a new series of the same ledger).
//
// From the stations' own JSON events (program_row): the codes verified (duplicates must be 0, and
// together they must be contiguous: a station writes a code that failed again to its next tag),
// the tags that failed, the ledger's time per tag (the claim before the write and the
// record after the read back) beside the tag's own programming time (write and read back), and the
// station's whole time per tag (its wall time over its tags: polling and the feed's gap included).
//
//   ledger_bench [--stations N] [--tags N] [--repeat N] [--air-time MS] [--only sqlite|postgresql]
//
// Prints a readable summary on standard error and key=value lines on standard output
// (bench/report.sh reads them).
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "bench/measure.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
  int stations = 4;
  int tags = 250;
  int repeat = 5;
  int airTimeMs = 30;
  std::string only;
};

struct Process {
  pid_t pid = -1;
  int out = -1;  // the read end of its standard output, when piped
};

// Starts argv with standard input on /dev/null; standard output into a pipe (outFile empty) or a
// file; standard error into errFile.
Process Spawn(std::vector<std::string> args, const std::string& outFile,
              const std::string& errFile) {
  Process p;
  int fds[2] = {-1, -1};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (outFile.empty()) {
    if (::pipe2(fds, O_CLOEXEC) != 0) return p;
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  } else {
    posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
  }
  posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  if (posix_spawn(&p.pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) p.pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  if (fds[1] >= 0) ::close(fds[1]);
  p.out = fds[0];
  return p;
}

int WaitFor(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// The simulator's device, from its banner line "qzh900-sim: device /dev/pts/N, ...".
std::string DeviceOf(Process& sim) {
  std::string text;
  const std::string mark = "qzh900-sim: device ";
  for (;;) {
    const size_t at = text.find(mark);
    if (at != std::string::npos) {
      const size_t end = text.find_first_of(",\n", at + mark.size());
      if (end != std::string::npos) return text.substr(at + mark.size(), end - at - mark.size());
    }
    pollfd p{sim.out, POLLIN, 0};
    if (::poll(&p, 1, 60000) <= 0) return "";
    char buf[512];
    const ssize_t n = ::read(sim.out, buf, sizeof buf);
    if (n <= 0) return "";
    text.append(buf, static_cast<size_t>(n));
  }
}

std::string Read(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

struct Repetition {
  double wallS = 0;
  uint64_t verified = 0;
  uint64_t duplicates = 0;
  uint64_t failedTags = 0;  // NG: the station wrote the code again to its next tag
  bool contiguous = false;
  int failedStations = 0;  // ended with a usage, port or ledger error, or by a signal
};

struct Figures {
  std::vector<Repetition> reps;
  std::vector<double> ledgerMs, tagMs, stationTagMs;
};

// One repetition: the simulators, the stations, their events.
Repetition RunOnce(const Options& o, const std::string& ctl, const std::string& sim,
                   const std::string& ledger, int rep, uint64_t first, const std::string& work,
                   Figures& f) {
  Repetition r;
  std::vector<Process> sims;
  std::vector<std::string> ports;
  for (int i = 0; i < o.stations; ++i) {
    // Tags of every simulator and repetition have UIDs of their own.
    char uid[16];
    std::snprintf(uid, sizeof uid, "%08X",
                  static_cast<unsigned>((rep + 16) << 24) | static_cast<unsigned>(i << 16));
    // Without end: a station whose tag failed takes one more.
    sims.push_back(Spawn({sim, "--com", "0", "--feed", "sic7888", "--feed-uid", uid, "--air-time",
                          std::to_string(o.airTimeMs)},
                         "", work + "/sim" + std::to_string(i) + ".err"));
    ports.push_back(DeviceOf(sims.back()));
  }
  std::vector<pid_t> stations;
  std::vector<Clock::time_point> ends(static_cast<size_t>(o.stations));
  const auto start = Clock::now();
  for (int i = 0; i < o.stations; ++i)
    stations.push_back(
        Spawn({ctl, "program", "--port", ports[static_cast<size_t>(i)], "--ledger", ledger,
               "--chip", "sic7888", "--country", "392", "--national", std::to_string(first),
               "--planned", std::to_string(o.stations * o.tags), "--count", std::to_string(o.tags),
               "--poll", "20", "--json"},
              work + "/station" + std::to_string(i) + ".jsonl",
              work + "/station" + std::to_string(i) + ".err")
            .pid);
  // In the order they end (a simulator that ends is no station).
  for (int left = o.stations; left > 0;) {
    int status = 0;
    const pid_t pid = ::wait(&status);
    if (pid < 0 && errno != EINTR) break;
    for (size_t i = 0; i < stations.size(); ++i)
      if (stations[i] == pid) {
        ends[i] = Clock::now();
        // Exit 1: a tag failed on the way (counted below); its count was reached all the same.
        if (!WIFEXITED(status) || WEXITSTATUS(status) > 1) ++r.failedStations;
        --left;
      }
  }
  r.wallS = std::chrono::duration<double>(Clock::now() - start).count();
  for (Process& s : sims) {
    ::kill(s.pid, SIGTERM);
    WaitFor(s.pid);
    ::close(s.out);
  }

  std::map<uint64_t, int> verified;
  for (int i = 0; i < o.stations; ++i) {
    std::istringstream lines(Read(work + "/station" + std::to_string(i) + ".jsonl"));
    int tags = 0;
    for (std::string line; std::getline(lines, line);) {
      const QJsonObject e = QJsonDocument::fromJson(QByteArray::fromStdString(line)).object();
      if (e["event"].toString() != "program_row") continue;
      ++tags;
      f.ledgerMs.push_back(e["ledger_ms"].toDouble());
      f.tagMs.push_back(e["tag_ms"].toDouble());
      if (!e["ok"].toBool()) {
        ++r.failedTags;
        continue;
      }
      // "392 000000001000": the national ID after the country.
      const std::string written = e["written"].toString().toStdString();
      ++verified[std::strtoull(written.substr(4).c_str(), nullptr, 10)];
    }
    const double stationMs =
        std::chrono::duration<double, std::milli>(ends[static_cast<size_t>(i)] - start).count();
    if (tags) f.stationTagMs.push_back(stationMs / tags);
  }
  for (const auto& [code, count] : verified) {
    r.verified += static_cast<uint64_t>(count);
    r.duplicates += static_cast<uint64_t>(count - 1);
  }
  r.contiguous = !verified.empty() && verified.size() == static_cast<size_t>(o.stations * o.tags) &&
                 verified.begin()->first == first &&
                 verified.rbegin()->first == first + verified.size() - 1;
  return r;
}

double Mean(const std::vector<double>& v) {
  double sum = 0;
  for (double x : v) sum += x;
  return v.empty() ? 0 : sum / static_cast<double>(v.size());
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  Options o;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string name = argv[i];
    const std::string value = argv[i + 1];
    if (name == "--stations")
      o.stations = std::atoi(value.c_str());
    else if (name == "--tags")
      o.tags = std::atoi(value.c_str());
    else if (name == "--repeat")
      o.repeat = std::atoi(value.c_str());
    else if (name == "--air-time")
      o.airTimeMs = std::atoi(value.c_str());
    else if (name == "--only")
      o.only = value;
  }
  char tmpl[] = "/tmp/qzh-ledger-bench-XXXXXX";
  if (!::mkdtemp(tmpl)) return 1;
  const std::string work = tmpl;
  // The runs' settings, port registry and default ledger stay in the work folder.
  ::setenv("XDG_CONFIG_HOME", (work + "/config").c_str(), 1);
  ::setenv("XDG_DATA_HOME", (work + "/share").c_str(), 1);
  std::filesystem::create_directories(work + "/config");
  const std::string script = std::string(QZH_SOURCE_DIR) + "/scripts/pg-cluster.sh";

  std::vector<std::pair<std::string, std::string>> backends;
  if (o.only.empty() || o.only == "sqlite")
    backends.push_back({"sqlite", "sqlite:" + work + "/line.sqlite"});
  // The server's folder of its own, which its user (postgres, when run as root) can reach.
  char pgTmpl[] = "/tmp/qzh-ledger-bench-pg-XXXXXX";
  std::string pgDir;
  if (o.only.empty() || o.only == "postgresql") {
    if (!::mkdtemp(pgTmpl)) return 1;
    pgDir = pgTmpl;
    const std::string uriFile = work + "/pg.uri";
    Process pg = Spawn({script, "start", pgDir}, uriFile, work + "/pg.err");
    if (pg.pid < 0 || WaitFor(pg.pid) != 0) {
      std::fprintf(stderr, "ledger_bench: the PostgreSQL server does not start:\n%s",
                   Read(work + "/pg.err").c_str());
      std::filesystem::remove_all(work);
      std::filesystem::remove_all(pgDir);
      return 1;
    }
    std::string uri = Read(uriFile);
    while (!uri.empty() && uri.back() == '\n') uri.pop_back();
    backends.push_back({"postgresql", uri});
  }

  std::fprintf(stderr,
               "ledger_bench: %d stations x %d tags on one series, %d repetitions, SIC7888 fed "
               "at 57600 bit/s with %d ms air time on every command\n",
               o.stations, o.tags, o.repeat, o.airTimeMs);
  int status = 0;
  for (const auto& [name, ledger] : backends) {
    Figures f;
    for (int rep = 0; rep < o.repeat; ++rep) {
      const uint64_t first = 1000 + static_cast<uint64_t>(rep) * 100000;
      f.reps.push_back(RunOnce(o, QZH_CTL_EXE, QZH_SIM_EXE, ledger, rep, first, work, f));
      const Repetition& r = f.reps.back();
      std::fprintf(stderr,
                   "  %-10s run %d: %.1f s, %llu verified, %llu duplicates, %s, %llu tags failed "
                   "(written again), %d stations failed\n",
                   name.c_str(), rep + 1, r.wallS, static_cast<unsigned long long>(r.verified),
                   static_cast<unsigned long long>(r.duplicates),
                   r.contiguous ? "contiguous" : "NOT contiguous",
                   static_cast<unsigned long long>(r.failedTags), r.failedStations);
      if (r.duplicates || !r.contiguous || r.failedStations) status = 1;
    }
    uint64_t duplicates = 0, failedTags = 0;
    std::vector<double> walls;
    for (const Repetition& r : f.reps) {
      duplicates += r.duplicates;
      failedTags += r.failedTags;
      walls.push_back(r.wallS);
    }
    const double station = Mean(f.stationTagMs);
    const double share = station > 0 ? 100.0 * Mean(f.ledgerMs) / station : 0;
    std::fprintf(stderr,
                 "  %-10s ledger per tag p50 %.2f ms, p95 %.2f ms (mean %.2f); the tag's write and "
                 "read back p50 %.1f ms, p95 %.1f ms; the station's time per tag %.1f ms: the "
                 "ledger's share %.2f %%\n",
                 name.c_str(), measure::Percentile(f.ledgerMs, 50),
                 measure::Percentile(f.ledgerMs, 95), Mean(f.ledgerMs),
                 measure::Percentile(f.tagMs, 50), measure::Percentile(f.tagMs, 95), station,
                 share);
    std::printf("ledger_%s_duplicates=%llu\n", name.c_str(),
                static_cast<unsigned long long>(duplicates));
    std::printf(
        "ledger_%s_contiguous=%d\n", name.c_str(),
        std::all_of(f.reps.begin(), f.reps.end(), [](const Repetition& r) { return r.contiguous; })
            ? 1
            : 0);
    std::printf("ledger_%s_wall_s_median=%.1f\n", name.c_str(), measure::Percentile(walls, 50));
    std::printf("ledger_%s_wall_s_max=%.1f\n", name.c_str(), measure::Percentile(walls, 100));
    std::printf("ledger_%s_ledger_p50_ms=%.2f\n", name.c_str(),
                measure::Percentile(f.ledgerMs, 50));
    std::printf("ledger_%s_ledger_p95_ms=%.2f\n", name.c_str(),
                measure::Percentile(f.ledgerMs, 95));
    std::printf("ledger_%s_tag_p50_ms=%.1f\n", name.c_str(), measure::Percentile(f.tagMs, 50));
    std::printf("ledger_%s_tag_p95_ms=%.1f\n", name.c_str(), measure::Percentile(f.tagMs, 95));
    std::printf("ledger_%s_station_tag_ms=%.1f\n", name.c_str(), station);
    std::printf("ledger_%s_share_percent=%.2f\n", name.c_str(), share);
  }
  std::printf("ledger_stations=%d\nledger_tags=%d\nledger_repeat=%d\nledger_air_ms=%d\n",
              o.stations, o.tags, o.repeat, o.airTimeMs);
  if (!pgDir.empty()) {
    Process stop = Spawn({script, "stop", pgDir}, work + "/stop.out", work + "/stop.err");
    if (stop.pid > 0) WaitFor(stop.pid);
    std::filesystem::remove_all(pgDir);
  }
  std::filesystem::remove_all(work);
  return status;
}
