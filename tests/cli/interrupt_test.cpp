// qzh900ctl interrupted and cut off: a signal sent at a point the test chooses (after the line
// that says the run got there), a port that vanishes under every verb, and what remains
// afterwards: the module's mode, the settings file, the private copy of the settings.
#include <dirent.h>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>

#include "sim/chips/sic279.h"
#include "tests/cli/cli_rig.h"
#include "tests/support/wait.h"

using namespace cli_test;

namespace {

// Points the runners started meanwhile at a temporary folder of their own (TMPDIR), so that
// the test sees every private copy they leave behind.
class OwnTempFolder {
 public:
  explicit OwnTempFolder(const TempConfig& config) : dir_(config.Path("tmp")) {
    TempConfig::WriteFile(dir_ + "/.keep", "");
    const char* old = std::getenv("TMPDIR");
    if (old) old_ = old;
    hadOld_ = old != nullptr;
    ::setenv("TMPDIR", dir_.c_str(), 1);
  }
  ~OwnTempFolder() {
    if (hadOld_)
      ::setenv("TMPDIR", old_.c_str(), 1);
    else
      ::unsetenv("TMPDIR");
  }
  // What the runners left in it.
  std::vector<std::string> Leftovers() const {
    std::vector<std::string> names;
    if (DIR* d = ::opendir(dir_.c_str())) {
      while (const dirent* e = ::readdir(d)) {
        const std::string n = e->d_name;
        if (n != "." && n != ".." && n != ".keep") names.push_back(n);
      }
      ::closedir(d);
    }
    return names;
  }

 private:
  std::string dir_;
  std::string old_;
  bool hadOld_ = false;
};

// Reads standard output until a line that starts with `prefix`.
bool AwaitOutput(Child& child, const std::string& prefix) {
  return child.WaitForOutput(prefix);
}

// Reads standard error until a line that contains `part`.

// The eight ID bytes of a SIC279 as one number, first byte lowest (as the dialog counts).
uint64_t IdNumber(const std::array<uint8_t, 8>& id) {
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | id[static_cast<size_t>(i)];
  return v;
}

// ANI_ID0..7 of a settings file as one number.
uint64_t SavedId(const std::string& settings) {
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) {
    const std::string key = "ANI_ID" + std::to_string(i) + "=";
    const size_t at = settings.find(key);
    if (at == std::string::npos) return 0;
    v = (v << 8) | static_cast<uint64_t>(std::stoi(settings.substr(at + key.size())));
  }
  return v;
}

uint64_t TagId(CliRig& rig) {
  std::array<uint8_t, 8> id{};
  rig.field->With(0, [&](sim::Transponder& t) { id = static_cast<sim::Sic279Tag&>(t).Id(); });
  return IdNumber(id);
}

}  // namespace

TEST(CliInterrupt, ListenGoesBackToCommandModePrintsTheTallyAndExitsOne) {
  CliRig rig({MakeTag("fdxb:392:123456789012")});
  OwnTempFolder tmp(rig.config);
  for (int sig : {SIGINT, SIGTERM}) {
    auto child = rig.Start({"listen", "600"});
    // Reading, and ID frames arriving: now the signal.
    ASSERT_TRUE(AwaitOutput(*child, "ID: ")) << child->out << child->err;
    // One private folder for the settings copy while it runs.
    EXPECT_EQ(tmp.Leftovers().size(), 1u);
    const auto sent = std::chrono::steady_clock::now();
    child->Signal(sig);
    EXPECT_EQ(child->Wait(test_support::kPatience), 1) << child->err;
    // The run asks for one second; the bound here only tells an interrupted run from one that
    // waited out its 600 s, with room for a loaded 2-core machine under sanitizers.
    EXPECT_LT(std::chrono::steady_clock::now() - sent, std::chrono::seconds(30));
    EXPECT_TRUE(Contains(child->out, "OK: Command Mode\n")) << child->out;
    EXPECT_TRUE(Contains(child->out, "\tFDX-B\t")) << child->out;
    uint8_t mode = 0;
    rig.sim->WithModule([&](sim::Module& m) { mode = m.ActionMode(); });
    EXPECT_EQ(mode, 4) << "signal " << sig;
  }
  EXPECT_EQ(tmp.Leftovers(), std::vector<std::string>{});
}

TEST(CliInterrupt, AnInterruptedRepeatSavesTheNextIdSoNoIdIsWrittenTwice) {
  CliRig rig({MakeTag("sic279:0000000000000001")});
  OwnTempFolder tmp(rig.config);
  auto child = rig.Start(
      {"run", "IDWrite1", "--repeat", "100000", "-a", "EdData0=10", "-a", "CBAutoInc=1", "--save"});
  // The first write is done: interrupt the ones after it.
  ASSERT_TRUE(AwaitError(*child, "Panel3: OK: ")) << child->err;
  child->Signal(SIGTERM);
  EXPECT_EQ(child->Wait(test_support::kPatience), 1) << child->err;
  const uint64_t written = TagId(rig);
  const std::string settings = rig.Settings();
  EXPECT_EQ(SavedId(settings), written + 1) << settings;
  EXPECT_TRUE(Contains(settings, "fIncValue=1\n")) << settings;
  EXPECT_EQ(tmp.Leftovers(), std::vector<std::string>{});

  // list runs every item's dialogs against its one scratch copy, and leaves nothing either.
  EXPECT_EQ(rig.Run({"list", "IDWrite1", "SIC7888READBLOCK1", "MnCmdTest"}).status, 0);
  EXPECT_EQ(tmp.Leftovers(), std::vector<std::string>{});

  // The next run goes on after the last ID written.
  const Result next = rig.Run({"run", "IDWrite1", "--repeat", "1"});
  EXPECT_EQ(next.status, 0) << next.err;
  EXPECT_EQ(TagId(rig), written + 1);
}

TEST(CliInterrupt, AVanishedPortIsExitTwoWithOneLineInEveryVerb) {
  struct Case {
    std::vector<std::string> args;
    int hangupAfter;  // the command that hangs the line up (identification included)
  };
  const Case cases[] = {
      {{"identify"}, 1},
      {{"send", "90"}, 1},
      {{"run", "MnGetROMVer"}, 4},
      {{"run", "IDWrite1", "--repeat", "3"}, 5},
      {{"dump"}, 4},
  };
  for (const Case& c : cases) {
    CliRig rig({MakeTag("sic279:0000000000000001")});
    rig.sim->UpdateFaults([&](sim::FaultPlan& f) { f.hangupAfter = c.hangupAfter; });
    const Result r = rig.Run(c.args);
    EXPECT_EQ(r.status, 2) << c.args[0] << ": " << r.err;
    int reasons = 0;
    for (const std::string& line : r.ErrorLines()) reasons += Contains(line, "has vanished");
    EXPECT_EQ(reasons, 1) << c.args[0] << ": " << r.err;
  }
  // listen: the line goes while it reads; it ends at once instead of reading on for 600 s.
  CliRig rig({MakeTag("fdxb:392:123456789012")});
  auto child = rig.Start({"listen", "600"});
  ASSERT_TRUE(AwaitOutput(*child, "OK: Read Loop Mode")) << child->err;
  rig.sim->HangUp();
  EXPECT_EQ(child->Wait(test_support::kPatience), 2) << child->err;
  EXPECT_TRUE(Contains(child->err, "has vanished")) << child->err;
}
