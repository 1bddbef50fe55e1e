// qzh900ctl run and list against the simulator: a handler of every family with its answers and
// its exact lines, the remembered values kept in the run unless saved, and every script error
// refused before the module hears anything.
#include <gtest/gtest.h>

#include "sim/chips/sic279.h"
#include "tests/cli/cli_rig.h"

using namespace cli_test;
using Lines = std::vector<std::string>;

namespace {

// A TI multipage tag, a SIC279, a SIC7888 sending the default test code and a blank EM4305: each
// family's commands find their chip.
std::vector<sim::TagPtr> OneOfEachFamily() {
  return {MakeTag("ti-mpt:0102030405060708"), MakeTag("sic279:1122334455667788"),
          MakeTag("sic7888:uid:11223344:fdxb:8000F9E0F20EA701"), MakeTag("em4305")};
}

}  // namespace

TEST(CliRun, AHandlerOfEveryFamilyPrintsExactlyTheLogPaneLines) {
  CliRig rig(OneOfEachFamily());
  struct Case {
    std::vector<std::string> args;
    Lines out;
  };
  const Case cases[] = {
      {{"run", "MnGetROMVer"},
       {"TX: 02 00 4D 01 90 03 E3 0D ", "RX: 02 00 30 0A 90 31 31 30 30 4C 46 53 30 30 03 D6 0D ",
        "OK: Get ROM Version Command", "ROM Version: 1100LFS00"}},
      {{"run", "MnGeneralReadPageCmd", "--answer", "IntEd=2"},
       {"TX: 02 00 4D 02 12 02 03 68 0D ",
        "RX: 02 00 30 0B 12 02 00 00 00 00 00 00 00 00 08 03 5C 0D ", "OK: GeneralReadPage Command",
        "Tag Type: Multi Page Tag", "Data: 00 00 00 00 00 00 00 00 ",
        "Page: 2[Read unlocked page]"}},
      {{"run", "Protectedwrite1", "-a", "EdAddr=3", "-a", "EdData0=AA", "-a", "EdData3=55"},
       {"TX: 02 00 4D 07 58 03 00 AA 00 00 55 03 B3 0D ",
        "RX: 02 00 30 05 58 AA 00 00 55 03 91 0D ", "OK: ProtectedWrite Command",
        "Data: 55 00 00 AA "}},
      // The block written above, read back by the next run through its caption.
      {{"run", "ProtectedDirectAccess...", "-a", "IntEd1=3", "-a", "IntEd2=0"},
       {"TX: 02 00 4D 03 57 03 00 03 AF 0D ", "RX: 02 00 30 05 57 AA 00 00 55 03 90 0D ",
        "OK: ProtectedDirectAccess Command", "Data: 55 00 00 AA "}},
      {{"run", "SIC7888READBLOCK1", "-a", "IntEd2=0"},
       {"TX: 02 00 4D 03 81 01 00 03 D7 0D ", "RX: 02 00 30 05 81 11 22 33 44 03 65 0D ",
        "OK: ReadBlock Command", "Data: 11 22 33 44 "}},
      {{"run", "ReadWord1", "-a", "EdAddr=1"},
       {"TX: 02 00 4D 02 E1 01 03 36 0D ", "RX: 02 00 30 05 E1 43 05 00 01 03 64 0D ",
        "OK: ReadWord Command", "Data: 43 05 00 01 "}},
      // Japanese lines, the item named by its English caption and its menu.
      {{"run", "SIC7888 > GetUID", "--lang", "ja"},
       {"TX: 02 00 4D 02 80 01 03 D5 0D ", "RX: 02 00 30 05 80 11 22 33 44 03 64 0D ",
        "OK: GetUID コマンド", "UID: 11 22 33 44 "}},
  };
  for (const Case& c : cases) {
    const Result r = rig.Run(c.args);
    EXPECT_EQ(r.status, 0) << c.args[1] << ": " << r.err;
    EXPECT_EQ(r.Lines(), c.out) << c.args[1];
  }
  // The dialog-prefixed key reached the first field of the EEPROM read's dialog.
  const Result eeprom =
      rig.Run({"run", "EEPROMRead1", "-a", "TInp3Data1Dlg.IntEd1=2", "-a", "IntEd2=3"});
  EXPECT_EQ(eeprom.status, 0) << eeprom.err;
  ASSERT_FALSE(eeprom.Lines().empty());
  EXPECT_EQ(eeprom.Lines().front(), "TX: 02 00 4D 03 0D 02 03 03 67 0D ");
}

TEST(CliRun, ResultLinesDecideTheExitStatus) {
  CliRig rig;
  const Result ng = rig.Run({"run", "IDRead(FDX)", "--lang", "ja"});
  EXPECT_EQ(ng.status, 1) << ng.err;
  EXPECT_EQ(ng.HandlerLines(),
            (Lines{"タグからの応答なし", "タグからの応答なし", "NG: IDRead コマンド"}));
  // "NG : ..." with a blank before the colon counts too.
  const Result page2 = rig.Run({"run", "MnWriteAndProgramCmd2", "-a", "IntEd1=1", "-a", "IntEd2=1",
                                "-a", "EdString=0102030405060708"});
  EXPECT_EQ(page2.status, 1) << page2.err;
  ASSERT_FALSE(page2.HandlerLines().empty());
  EXPECT_EQ(page2.HandlerLines().back(), "NG : ProgramPage2Cmd");
}

TEST(CliRun, TheIdWriteDialogWritesRepeatTimesWithItsIncrement) {
  CliRig rig({MakeTag("sic279:0000000000000001")});
  const Result r = rig.Run({"run", "IDWrite1", "--repeat", "2", "-a", "EdData0=10", "--save"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.Lines(), (Lines{"TX: 02 00 4D 0B 59 00 10 A7 0E F2 E0 F9 00 80 01 03 C7 0D ",
                              "RX: 02 00 30 01 59 03 8F 0D ", "OK: IDWrite[SIC279] Command",
                              "TX: 02 00 4D 0B 59 00 11 A7 0E F2 E0 F9 00 80 01 03 C8 0D ",
                              "RX: 02 00 30 01 59 03 8F 0D ", "OK: IDWrite[SIC279] Command"}));
  std::array<uint8_t, 8> id{};
  rig.field->With(0, [&](sim::Transponder& t) { id = static_cast<sim::Sic279Tag&>(t).Id(); });
  EXPECT_EQ(id, (std::array<uint8_t, 8>{0x11, 0xA7, 0x0E, 0xF2, 0xE0, 0xF9, 0x00, 0x80}));
  // The dialog was closed with its own "Close"; --save keeps the ID it would write next, so that
  // the next run does not issue 0x11 again.
  EXPECT_TRUE(Contains(rig.Settings(), "ANI_ID0=18\n")) << rig.Settings();
}

TEST(CliRun, RememberedValuesStayInTheRunUnlessSaved) {
  CliRig rig({MakeTag("sic7888:uid:11223344")});
  TempConfig::WriteFile(rig.config.SettingsPath(), "[Option]\nBlockNo=9\n");
  const std::string before = rig.Settings();

  // Unanswered, the field keeps the remembered block 9; an answer changes nothing on disk.
  const Result kept = rig.Run({"run", "SIC7888READBLOCK1"});
  ASSERT_FALSE(kept.Lines().empty()) << kept.err;
  EXPECT_EQ(kept.Lines().front(), "TX: 02 00 4D 03 81 01 09 03 E0 0D ");
  const Result unsaved = rig.Run({"run", "SIC7888READBLOCK1", "-a", "IntEd2=5"});
  EXPECT_EQ(unsaved.status, 0) << unsaved.err;
  EXPECT_EQ(rig.Settings(), before);

  const Result saved = rig.Run({"run", "SIC7888READBLOCK1", "-a", "IntEd2=5", "--save"});
  EXPECT_EQ(saved.status, 0) << saved.err;
  EXPECT_TRUE(Contains(rig.Settings(), "BlockNo=5\n")) << rig.Settings();
  const Result next = rig.Run({"run", "SIC7888READBLOCK1"});
  ASSERT_FALSE(next.Lines().empty()) << next.err;
  EXPECT_EQ(next.Lines().front(), "TX: 02 00 4D 03 81 01 05 03 DC 0D ");

  // list shows the remembered value as the field's initial value, and sends nothing.
  const uint64_t commands = rig.Commands();
  const Result list = rig.Run({"list", "SIC7888READBLOCK1"});
  EXPECT_EQ(list.status, 0) << list.err;
  EXPECT_EQ(list.Lines(),
            (Lines{"SIC7888READBLOCK1  \"ReadBlock...\"  (FDX Tag > SIC7888 > ReadBlock...)",
                   "  TInp3Data1Dlg \"SIC7888: ReadBlock\"",
                   "    IntEd1                 number (no limit) = 1 (hidden) (disabled)",
                   "    IntEd2                 number (no limit) = 5",
                   "    IntEd3                 hex 0..0 = 0 (hidden)"}));
  EXPECT_EQ(rig.Commands(), commands);
}

TEST(CliRun, ScriptErrorsAreRefusedBeforeAnythingIsSent) {
  CliRig rig({MakeTag("sic279:0000000000000001"), MakeTag("sic7888:uid:11223344")});
  struct Case {
    std::vector<std::string> args;
    const char* reason;
  };
  const Case cases[] = {
      {{"run", "NoSuchItem"}, "unknown item \"NoSuchItem\""},
      {{"run", "IDWrite..."}, "names several items: IDWrite1"},
      {{"run", "MnSetCOM"}, "the window's own item"},
      {{"run", "SIC7888READBLOCK1", "-a", "IntEdd=1"}, "unknown field IntEdd"},
      {{"run", "SIC7888READBLOCK1", "-a", "TInp3Data1Dlg.IntEd9=1"},
       "unknown field TInp3Data1Dlg.IntEd9"},
      {{"run", "SIC7888READBLOCK1", "-a", "TInputIntDlg.IntEd2=1"},
       "unknown field TInputIntDlg.IntEd2"},
      {{"run", "SIC7888READBLOCK1", "-a", "IntEd2=zz"}, "bad value for TInp3Data1Dlg.IntEd2"},
      {{"run", "Protectedwrite1", "-a", "EdData3=0x55"}, "bad value for TWrData1Dlg.EdData3"},
      {{"run", "SIC7888READBLOCK1", "-a", "IntEd1=2"}, "disabled or read-only"},
      {{"run", "SIC7888READBLOCK1", "-a", "IntEd2"}, "--answer takes KEY=VALUE"},
      {{"run", "MnHDXP_CRCWrite1"}, "answer it with --yes or --no"},
      {{"run", "SIC7888GETUID1", "--repeat", "2"}, "opens no dialog that stays open"},
      {{"run", "MnGetROMVer", "--cancel"}, "--cancel would not stop it"},
      {{"run", "SIC7888GETUID1", "--frobnicate"}, "unknown option --frobnicate"},
      {{"run", "SIC7888GETUID1", "--yes", "--no"}, "exclude each other"},
      {{"run", "IDWrite1", "--press", "OKBtn", "--press", "Frobnicate"},
       "unknown action Frobnicate for IDWrite1"},
      {{"run", "IDWrite1", "--repeat", "nan"}, "--repeat takes a decimal number 0-100000"},
      {{"run", "IDWrite1", "--repeat", "3x"}, "--repeat takes a decimal number"},
      {{"run", "IDWrite1", "--repeat", "0x10"}, "--repeat takes a decimal number"},
      {{"run", "IDWrite1", "--repeat=100001"}, "--repeat takes a decimal number 0-100000"},
      {{"run", "IDWrite1", "--ctrl=1"}, "--ctrl takes no value"},
      {{"run"}, "run needs an ITEM"},
  };
  for (const Case& c : cases) {
    const Result r = rig.Run(c.args);
    const std::string what = c.args.size() > 1 ? c.args[1] : c.args[0];
    EXPECT_EQ(r.status, 2) << what;
    EXPECT_TRUE(r.out.empty()) << what << ": " << r.out;
    // One line naming the reason.
    EXPECT_TRUE(Contains(r.err, c.reason)) << what << ": " << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << what << ": " << r.err;
  }
  EXPECT_EQ(rig.Commands(), 0u);
}

TEST(CliRun, CancelSendsNothing) {
  CliRig rig({MakeTag("sic279:0000000000000001")});
  for (const char* item : {"Protectedwrite1", "IDWrite1"}) {
    const Result r = rig.Run({"run", item, "--cancel"});
    EXPECT_EQ(r.status, 1) << item;
    EXPECT_EQ(r.out, "") << item;
    EXPECT_TRUE(Contains(r.err, "cancelled; nothing was sent")) << item << ": " << r.err;
  }
  EXPECT_EQ(rig.Commands(), 0u);
}

TEST(CliRun, HelpNamesTheLimitsThatTheParserEnforcesAndTheVerdictRule) {
  struct Case {
    const char* verb;
    const char* limit;  // as the help shows it, and as the refusal names it
  };
  for (const Case& c : {Case{"run", "0-100000"}, Case{"program", "0-999"},
                        Case{"program", "0-274877906943"}, Case{"listen", "0-86400"}}) {
    const Result help = RunCli({c.verb, "--help"});
    EXPECT_EQ(help.status, 0) << c.verb;
    EXPECT_TRUE(Contains(help.out, c.limit)) << c.verb << ":\n" << help.out;
    EXPECT_TRUE(Contains(help.out, "Exit status, the verdict of the run: 0 when every result"))
        << c.verb;
  }
  EXPECT_TRUE(Contains(RunCli({"run", "--help"}).out, "--any-level"));
  EXPECT_TRUE(Contains(RunCli({"identify", "--help"}).out, "--json"));
  const Result unknown = RunCli({"identify", "--frobnicate"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_EQ(unknown.err, "qzh900ctl identify: unknown option --frobnicate\n");
}

TEST(CliRun, AModuleThatRefusesTheIdentificationIsAPortErrorNamingTheRefusal) {
  CliRig rig;
  rig.sim->UpdateFaults([](sim::FaultPlan& f) {
    f.nack = sim::FaultPlan::kAlways;
    f.nackCode = 0x44;
  });
  const Result r = rig.Run({"run", "SIC7888GETUID1"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(Contains(r.err, "refuses the identification")) << r.err;
  EXPECT_FALSE(Contains(r.err, "no answer")) << r.err;
}

TEST(CliRun, AModuleThatDoesNotAnswerIsAPortError) {
  CliRig rig;
  rig.sim->UpdateFaults([](sim::FaultPlan& f) { f.missing = sim::FaultPlan::kAlways; });
  const Result r = rig.Run({"run", "SIC7888GETUID1"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(Contains(r.err, "no answer from the module on")) << r.err;
  const Result gone = RunCli({"run", "SIC7888GETUID1", "--port", "/dev/nonexistent-pty"});
  EXPECT_EQ(gone.status, 2);
  EXPECT_TRUE(Contains(gone.err, "/dev/nonexistent-pty")) << gone.err;
}

TEST(CliRun, EveryItemOfTheWindowRuns) {
  TempConfig config;
  const Result list = RunCli({"list"});
  ASSERT_EQ(list.status, 0) << list.err;
  std::vector<std::string> items;
  for (const std::string& l : list.Lines())
    if (!l.empty() && l[0] != ' ') items.push_back(l.substr(0, l.find(' ')));
  ASSERT_GT(items.size(), 80u);
  for (const std::string& item : items) {
    // A fresh module for each: some items change its speed or restart it.
    CliRig rig(OneOfEachFamily());
    const Result r = rig.Run({"run", item, "--yes"});
    EXPECT_TRUE(r.status == 0 || r.status == 1) << item << " exited " << r.status << ": " << r.err;
    EXPECT_FALSE(Contains(r.err, "qzh900ctl run:") && !Contains(r.err, "cancelled"))
        << item << ": " << r.err;
  }
}
