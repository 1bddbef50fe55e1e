// qzh900ctl as scripts and shells use it: the version, options before the verb, "--", "-" for
// standard output, no guessed port, one exit status for a port without a module, a reader that
// goes away, signals that come together, a standard output that cannot be written, and list,
// which leaves the disk alone.
#include <sys/resource.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>

#include "tests/cli/cli_rig.h"
#include "tests/support/wait.h"
#include "version.h"

using namespace cli_test;

namespace {

bool PathOrLinkExists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

// qzh900ctl with its standard output redirected by the shell (">/dev/full", ">&-").
Result RunRedirected(const std::string& redirect, const std::vector<std::string>& args) {
  std::vector<std::string> shellArgs = {"-c", "exec \"$0\" \"$@\" " + redirect, QZH900CTL_PATH};
  shellArgs.insert(shellArgs.end(), args.begin(), args.end());
  Child child("/bin/sh", shellArgs);
  Result r;
  r.status = child.Wait(test_support::kPatience);
  r.err = child.err;
  return r;
}

// Blocks written to storage by the children waited for so far.
long WrittenBlocksOfChildren() {
  rusage u{};
  ::getrusage(RUSAGE_CHILDREN, &u);
  return u.ru_oublock;
}

}  // namespace

TEST(CliConventions, VersionOptionsBeforeTheVerbAndDoubleDash) {
  const Result ctl = RunCli({"--version"});
  EXPECT_EQ(ctl.status, 0);
  EXPECT_EQ(ctl.out, std::string("qzh900ctl ") + version::kPackageVersion + "\n");
  Child sim(QZH_SIM_PATH, {"--version"});
  EXPECT_EQ(sim.Wait(test_support::kPatience), 0) << sim.err;
  EXPECT_EQ(sim.out, std::string("qzh900-sim ") + version::kPackageVersion + "\n");

  CliRig rig;
  // Common options before the verb, "--" before the data bytes.
  const Result r = RunCli({"--port", rig.sim->DevicePath(), "--json", "send", "--", "90"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(OfKind(Events(r.out), "summary").size(), 1u) << r.out;
  EXPECT_TRUE(Contains(r.out, "TX: 02 00 4D 01 90 03 E3 0D")) << r.out;
  // After "--" an argument that looks like an option is the verb's argument.
  const Result item = rig.Run({"list", "--", "--fast"});
  EXPECT_EQ(item.status, 2);
  EXPECT_TRUE(Contains(item.err, "--fast")) << item.err;
  EXPECT_FALSE(Contains(item.err, "unknown option")) << item.err;
}

TEST(CliConventions, NoPortGivenOrStoredIsAUsageErrorNeverAGuess) {
  TempConfig config;
  for (const char* verb : {"identify", "read", "listen"}) {
    std::vector<std::string> args = {verb};
    if (std::string(verb) == "listen") args.push_back("1");
    const Result r = RunCli(args);
    EXPECT_EQ(r.status, 2) << verb;
    EXPECT_EQ(r.out, "") << verb;
    EXPECT_EQ(r.ErrorLines().size(), 1u) << r.err;
    EXPECT_TRUE(Contains(r.err, "qzh900ctl ports")) << r.err;
  }
}

TEST(CliConventions, NoModuleOnThePortIsExitTwoWithOneLineInEveryVerb) {
  CliRig rig;
  rig.sim->UpdateFaults([](sim::FaultPlan& f) { f.missing = sim::FaultPlan::kAlways; });
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"identify"}, {"send", "90"}, {"listen", "1"}, {"listen", "--follow"}, {"read"}}) {
    const Result r = rig.Run(args);
    EXPECT_EQ(r.status, 2) << args[0] << "\n" << r.err;
    ASSERT_EQ(r.ErrorLines().size(), 1u) << args[0] << "\n" << r.err;
    EXPECT_TRUE(Contains(r.err, "no answer from the module on")) << r.err;
  }
}

TEST(CliConventions, DashIsStandardOutputForTheDumpExport) {
  CliRig rig({MakeTag("sic7888:uid:11223344:fdxb:8000F9E0F20EA701")});
  const Result r = rig.Run({"dump", "--csv", "-"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "\nID(Hex),")) << r.out;
  EXPECT_FALSE(PathOrLinkExists("-.csv"));
  EXPECT_FALSE(PathOrLinkExists("-"));
}

TEST(CliPipes, AReaderThatGoesAwayEndsFollowLikeSigterm) {
  TempConfig config;
  const std::string tmp = config.Path("tmp");
  ASSERT_EQ(::mkdir(tmp.c_str(), 0700), 0);
  ::setenv("TMPDIR", tmp.c_str(), 1);
  CliRig rig({MakeTag("em:0504030201")});
  auto child = rig.Start({"listen", "--follow", "--json"});
  ::unsetenv("TMPDIR");
  ASSERT_TRUE(child->WaitForOutput("{\"bytes\":")) << child->out << child->err;
  child->CloseOutput();  // "| grep -m1 ..." has its line
  EXPECT_EQ(child->Wait(test_support::kPatience), 2) << child->err;
  EXPECT_TRUE(Contains(child->err, "standard output: Broken pipe")) << child->err;
  EXPECT_EQ(rig.ModuleMode(), 4);  // command mode again
  struct stat st {};
  EXPECT_EQ(::rmdir(tmp.c_str()), 0) << "the private settings folder stayed behind";
  EXPECT_NE(::stat(tmp.c_str(), &st), 0);
}

TEST(CliPipes, SignalsThatComeTogetherAreOneRequest) {
  CliRig rig({MakeTag("em:0504030201")});
  auto child = rig.Start({"listen", "--follow"});
  ASSERT_TRUE(child->WaitForOutput("ID: ")) << child->out << child->err;
  // GNU timeout: the child, then its group, a few microseconds apart.
  child->Signal(SIGTERM);
  child->Signal(SIGTERM);
  EXPECT_EQ(child->Wait(test_support::kPatience), 0) << child->err;
  EXPECT_TRUE(Contains(child->out, "No.\tNumbers\tTag Type\tID Data")) << child->out;
  EXPECT_EQ(rig.ModuleMode(), 4);
}

TEST(CliPipes, AStandardOutputThatCannotBeWrittenIsExitTwoWithOneLine) {
  CliRig rig;
  for (const char* redirect : {">/dev/full", ">&-"}) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--version"}, {"list", "--names"}, {"send", "90", "--port", rig.sim->DevicePath()}}) {
      const Result r = RunRedirected(redirect, args);
      EXPECT_EQ(r.status, 2) << redirect << " " << args[0] << "\n" << r.err;
      const std::vector<std::string> lines = r.ErrorLines();
      ASSERT_EQ(lines.size(), 1u) << r.err;
      EXPECT_TRUE(Contains(lines[0], "standard output: ")) << r.err;
    }
  }
}

TEST(CliList, WritesNothingToDisk) {
  CliRig rig;
  // A settings file of some size: a copy of it on disk would show.
  std::string settings = "[Option]\nfHDXP=1\n[Padding]\n";
  for (int i = 0; settings.size() < (4u << 20); ++i)
    settings += "Key" + std::to_string(i) + "=" + std::string(100, 'x') + "\n";
  TempConfig::WriteFile(rig.config.SettingsPath(), settings);
  // The measure sees a run that copies the settings to the temporary folder.
  long before = WrittenBlocksOfChildren();
  rig.Run({"run", "SIC7888READBLOCK1", "--cancel"});
  EXPECT_GT(WrittenBlocksOfChildren() - before, 0);

  before = WrittenBlocksOfChildren();
  const Result r = RunCli({"list", "SIC7888READBLOCK1", "MNWriteAndProgramCmd1"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "SIC7888READBLOCK1  ")) << r.out;
  EXPECT_EQ(WrittenBlocksOfChildren() - before, 0);
  const Result names = RunCli({"list", "--names"});
  EXPECT_EQ(WrittenBlocksOfChildren() - before, 0);
  // The quick list of completion names every item of the full list, in its order.
  std::string listed;
  for (const QJsonObject& item : OfKind(Events(RunCli({"list", "--json"}).out), "item"))
    listed += item["name"].toString().toStdString() + "\n";
  EXPECT_EQ(names.out, listed);
  EXPECT_TRUE(Contains(names.out, "\nSIC7888READBLOCK1\n")) << names.out;
}
