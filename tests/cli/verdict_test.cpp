// The verdict of qzh900ctl run against the simulator: every form in which a handler reports a
// failure ends with exit status 1, in both languages, however its last line reads; a handler
// that probes (tries one read, then another) and then succeeds ends with 0.
#include <gtest/gtest.h>

#include <functional>

#include "tests/cli/cli_rig.h"

using namespace cli_test;

namespace {

// Commands of the quiet identification that every run starts with (command mode, ROM version,
// model name): the faults of a case begin after them.
constexpr int kIdentification = 3;

// A SIC7888 configured to send an FDX-B code.
constexpr const char* kSendingSic7888 = "sic7888:uid:11223344:fdxb:8000F9E0F20EA701";

struct Case {
  const char* form;  // the failure's form, for the messages
  std::vector<std::string> tags;
  std::function<void(sim::FaultPlan&)> faults;  // empty: none
  std::vector<std::string> args;
};

std::vector<sim::TagPtr> Tags(const std::vector<std::string>& specs) {
  std::vector<sim::TagPtr> tags;
  for (const std::string& s : specs) tags.push_back(MakeTag(s));
  return tags;
}

// NACK "Invalid Command" for every command after the first `spare` ones.
std::function<void(sim::FaultPlan&)> NackAfter(int spare, int count = sim::FaultPlan::kAlways) {
  return [=](sim::FaultPlan& f) {
    f.spare = spare;
    f.nack = count;
    f.nackCode = 0x44;
  };
}

Result RunCase(const Case& c, const std::string& lang) {
  CliRig rig(Tags(c.tags));
  if (c.faults) rig.sim->UpdateFaults(c.faults);
  std::vector<std::string> args = c.args;
  args.insert(args.end(), {"--lang", lang});
  return rig.Run(args);
}

}  // namespace

TEST(CliVerdict, EveryFormOfAFailureIsExitOneInBothLanguages) {
  const Case cases[] = {
      {"\"text : NG\" of the buzzer test", {}, NackAfter(kIdentification), {"run", "BUZTest1"}},
      {"\"text : NG\" of the buzzer frequency after a good read",
       {},
       NackAfter(kIdentification + 1),
       {"run", "MnSetBuz", "-a", "IntEd=4000"}},
      {"NG: Login followed by OK: TX_OFFCmd",
       {"em4305:pw:11223344"},
       {},
       {"run", "ReadWord1", "-a", "EdAddr=1", "-a", "CB_LoginEn=1"}},
      {"one failed write of --repeat, the last one OK",
       {"sic279:0000000000000001"},
       NackAfter(kIdentification, 1),
       {"run", "IDWrite1", "--repeat", "2"}},
      {"\"Response Timed out\" alone",
       {},
       [](sim::FaultPlan& f) {
         f.spare = kIdentification;
         f.missing = sim::FaultPlan::kAlways;
       },
       {"run", "STPROGMODE1"}},
      {"\"Input Error!! [NO Hex Data]\"",
       {},
       {},
       {"run", "MnWriteAndProgramCmd2", "-a", "IntEd1=1", "-a", "IntEd2=2", "-a", "EdString=0102"}},
      {"\"Invalid value\"",
       {},
       {},
       {"run", "LFON1", "-a", "ComboBox1=LF_ON2", "-a", "IntEd=70000"}},
      {"the EEPROM write test's \"Error: Write\"",
       {},
       NackAfter(kIdentification),
       {"run", "EEPROMWrite1"}},
      {"TagData with every page NACKed", {}, {}, {"run", "SIC7888TagData1"}},
      {"\"NG : GeneralReadPageCmd\"", {}, {}, {"run", "MnGeneralReadPageCmd2"}},
      {"a failed FECAVA write (status panel)", {}, {}, {"run", "FecavaID1", "--repeat", "1"}},
      {"a failed EM ID write (status panel)", {}, {}, {"run", "EMID1", "--repeat", "1"}},
      {"a failed BDE write (status panel)", {}, {}, {"run", "BDE1", "--repeat", "1"}},
      {"the animal-ID dialog's failed Read (status panel)",
       {},
       {},
       {"run", "AnimalIDWrite3", "--press", "Button1", "--press", "CancelBtn"}},
      {"the command test dialog with every command failing (its own log and counters)",
       {},
       {},
       {"run", "MnCmdTest", "--repeat", "2"}},
  };
  for (const Case& c : cases) {
    for (const char* lang : {"en", "ja"}) {
      const Result r = RunCase(c, lang);
      EXPECT_EQ(r.status, 1) << c.form << " (" << lang << ")\nout:\n" << r.out << "err:\n" << r.err;
    }
  }
}

TEST(CliVerdict, DialogResultsReachStandardErrorAndStandardOutputKeepsTheLogPane) {
  // The status panel of the ID write dialog and of the animal-ID dialogs, the command test
  // dialog's own log and counters: lines on standard error, none on standard output.
  CliRig rig;
  const Result fecava = rig.Run({"run", "FecavaID1", "--repeat", "1"});
  EXPECT_EQ(fecava.status, 1);
  EXPECT_TRUE(Contains(fecava.err, "TFecavaIDWrite1Dlg PStatus: NG: IDWriteCmd\n")) << fecava.err;
  EXPECT_FALSE(Contains(fecava.out, "IDWriteCmd")) << fecava.out;

  const Result test = rig.Run({"run", "MnCmdTest", "--repeat", "1"});
  EXPECT_EQ(test.status, 1);
  EXPECT_TRUE(Contains(test.err, "TCoomandDlg1 Memo1: NG: Command\n")) << test.err;
  EXPECT_TRUE(Contains(test.err, "TCoomandDlg1 EdNg: 1\n")) << test.err;
  // The dialog's log took the exchange's lines while it was open; the log pane saw none.
  EXPECT_TRUE(Contains(test.err, "TCoomandDlg1 Memo1: TX: ")) << test.err;
  EXPECT_EQ(test.out, "");
}

TEST(CliVerdict, ProbesThatEndInAResultAreNoFailure) {
  struct Ok {
    const char* what;
    std::vector<std::string> tags;
    std::vector<std::string> args;
  };
  const Ok cases[] = {
      // The FDX-B tag is no SIC7888: the BDE check's NACK is the answer "not BDE".
      {"IDRead(FDX) of an FDX-B tag", {"fdxb:392:123456789012"}, {"run", "IDRead1"}},
      // The FDX read finds nothing, the FECAVA read does.
      {"IDRead(FDX) of a FECAVA tag", {"fecava:1:2:3:4:5"}, {"run", "IDRead1"}},
      // The viewer asks the tag whether it is an HDX one first.
      // (A SIC7888 answers only once it is configured to send a code.)
      {"the tag viewer on a SIC7888", {kSendingSic7888}, {"run", "MnTgaData"}},
      {"dump of a SIC7888", {kSendingSic7888}, {"dump"}},
      {"the command test dialog with a tag", {"ti-rw"}, {"run", "MnCmdTest", "--repeat", "2"}},
      {"IDWrite with every write OK",
       {"sic279:0000000000000001"},
       {"run", "IDWrite1", "--repeat", "2"}},
  };
  for (const Ok& c : cases) {
    CliRig rig(Tags(c.tags));
    const Result r = rig.Run(c.args);
    EXPECT_EQ(r.status, 0) << c.what << "\nout:\n" << r.out << "err:\n" << r.err;
  }
}

TEST(CliLevel, ItemsAboveTheModulesLevelAreRefusedUnlessAnyLevel) {
  CliRig rig({MakeTag("em4305")}, "1010LFS00");
  const Result refused = rig.Run({"run", "ReadWord1", "-a", "EdAddr=1"});
  EXPECT_EQ(refused.status, 2);
  EXPECT_TRUE(Contains(refused.err, "needs reader level 3")) << refused.err;
  EXPECT_TRUE(Contains(refused.err, "at level 1")) << refused.err;
  EXPECT_EQ(refused.out, "");
  // Only the identification reached the module.
  EXPECT_EQ(rig.Commands(), 3u);

  const Result page = rig.Run({"run", "MnGeneralReadPageCmd2"});
  EXPECT_EQ(page.status, 2);
  EXPECT_TRUE(Contains(page.err, "needs reader level 2")) << page.err;

  // --any-level runs it: the level-1 firmware takes the command for an unknown one.
  const Result forced = rig.Run({"run", "ReadWord1", "-a", "EdAddr=1", "--any-level"});
  EXPECT_EQ(forced.status, 1) << forced.err;
  EXPECT_TRUE(Contains(forced.out, "NG: ReadWord Command")) << forced.out;

  // Items the window keeps hidden are runnable at every level.
  const Result hidden = rig.Run({"run", "READMULTIPLEBLOCKS1"});
  EXPECT_FALSE(Contains(hidden.err, "reader level")) << hidden.err;
  EXPECT_NE(hidden.status, 2) << hidden.err;

  // At the level the item needs it runs without --any-level.
  CliRig level3({MakeTag("em4305")});
  const Result ok = level3.Run({"run", "ReadWord1", "-a", "EdAddr=1"});
  EXPECT_EQ(ok.status, 0) << ok.err;
}
