// The EM4305 menu against the simulated chip: word reads and writes with and without the login
// sequence, the confirmations, the protect dialog from either protection word, the login item
// with the carrier kept on, the remembered values, and login sequences whose carrier fails.
#include <gtest/gtest.h>

#include "fdx/em4305_commands.h"
#include "maintenance/register.h"
#include "sim/chips/em4305.h"
#include "tests/fdx/fdx_rig.h"

using namespace fdx_test;
using Lines = std::vector<std::string>;
using Word = sim::Em4305Tag::Word;

namespace {

struct Em4305Rig : FdxRig {
  std::shared_ptr<sim::Em4305Tag> tag;
  Em4305Rig() : Em4305Rig(std::make_shared<sim::Em4305Tag>(0xA1B2C3D4)) {}
  explicit Em4305Rig(std::shared_ptr<sim::Em4305Tag> t) : FdxRig({t}), tag(std::move(t)) {}
  void Program(size_t word, const Word& w) {
    field->With(0, [&](sim::Transponder&) { tag->Program(word, w); });
  }
  Word At(size_t word) {
    Word w{};
    field->With(0, [&](sim::Transponder&) { w = tag->WordAt(word); });
    return w;
  }
  const PromptForm& LastForm() const { return prompts.shown.back(); }
  // The next command sent fails with "Invalid Command".
  void FailNextCommand() {
    sim->UpdateFaults([](sim::FaultPlan& f) { f.nack = 1; });
  }
  void Login(const char* b0, const char* b1, const char* b2, const char* b3) {
    prompts.Answer("TWrData1_5Dlg.CB_LoginEn", "1");
    prompts.Answer("TWrData1_5Dlg.EdData4_0", b0);
    prompts.Answer("TWrData1_5Dlg.EdData4_1", b1);
    prompts.Answer("TWrData1_5Dlg.EdData4_2", b2);
    prompts.Answer("TWrData1_5Dlg.EdData4_3", b3);
  }
};

bool Shown(const PromptForm& f, const std::string& name) {
  return f.Field(name).visible;
}

}  // namespace

TEST(Em4305ReadWord, WithoutLogin) {
  Em4305Rig rig;
  rig.Program(5, {0xAA, 0xBB, 0xCC, 0xDD});
  rig.prompts.Answer("TWrData1_5Dlg.EdAddr", "5");
  rig.Run("ReadWord1");
  const PromptForm& f = rig.LastForm();
  EXPECT_EQ(f.caption, "EM4305: ReadWord");
  EXPECT_EQ(f.Field("StaticText1").text, "ワード(0～15)");
  EXPECT_EQ(f.Field("ST_0").text, "MSB");
  EXPECT_EQ(f.Field("ST_3").text, "LSB");
  EXPECT_FALSE(Shown(f, "ST_Data"));
  EXPECT_FALSE(Shown(f, "EdData0_0"));
  EXPECT_FALSE(Shown(f, "ST_1"));
  EXPECT_FALSE(Shown(f, "EdData4_0"));  // the password row follows CB_LoginEn
  EXPECT_EQ(rig.Sent(), (Lines{"E1 05 "}));
  EXPECT_EQ(rig.Lines(), (Lines{"OK: ReadWord Command", "Data: AA BB CC DD "}));
  EXPECT_EQ(rig.app->Settings.WordNo, 5);
  // The password is never read back: the chip refuses, the NG line follows.
  rig.Clear();
  rig.prompts.Answer("TWrData1_5Dlg.EdAddr", "2");
  rig.Run("ReadWord1");
  EXPECT_EQ(rig.Lines(), (Lines{"Tag Data Receive Error", "NG: ReadWord Command"}));
}

TEST(Em4305ReadWord, LoginSequence) {
  Em4305Rig rig;
  rig.Program(2, {0x11, 0x22, 0x33, 0x44});
  rig.Program(7, {1, 2, 3, 4});
  rig.prompts.Answer("TWrData1_5Dlg.EdAddr", "7");
  rig.Login("11", "22", "33", "44");
  rig.Run("ReadWord1");
  EXPECT_TRUE(Shown(rig.LastForm(), "EdData4_0"));
  EXPECT_EQ(rig.LastForm().Field("ST_SubData").text, "パスワード");
  EXPECT_EQ(rig.Sent(), (Lines{"9E 01 ", "E2 11 22 33 44 ", "E1 07 ", "9E 00 "}));
  EXPECT_EQ(rig.Lines(), (Lines{"OK: TX_ONCmd Command", "OK: Login Command", "OK: ReadWord Command",
                                "OK: TX_OFFCmd Command", "Data: 01 02 03 04 "}));
  EXPECT_EQ(rig.app->Memory<Em4305Memory>().password,
            (std::array<uint8_t, 4>{0x11, 0x22, 0x33, 0x44}));
}

TEST(Em4305ReadWord, LoginSequenceFailures) {
  Em4305Rig rig;
  // A wrong password: the read is skipped, the carrier is switched off, an empty line follows.
  rig.Login("00", "00", "00", "01");
  rig.Run("ReadWord1");
  EXPECT_EQ(rig.Sent(), (Lines{"9E 01 ", "E2 00 00 00 01 ", "9E 00 "}));
  EXPECT_EQ(rig.Lines(), (Lines{"OK: TX_ONCmd Command", "Tag Data Receive Error",
                                "NG: Login Command", "OK: TX_OFFCmd Command", ""}));
  // The carrier fails: no login, no read, but the carrier is still switched off; the password
  // entered is not remembered.
  rig.Clear();
  rig.FailNextCommand();
  rig.Login("12", "34", "56", "78");
  rig.Run("ReadWord1");
  EXPECT_EQ(rig.Sent(), (Lines{"9E 01 ", "9E 00 "}));
  EXPECT_EQ(rig.Lines(),
            (Lines{"Invalid Command", "NG: TX_ONCmd Command", "OK: TX_OFFCmd Command", ""}));
  EXPECT_EQ(rig.app->Memory<Em4305Memory>().password, (std::array<uint8_t, 4>{0, 0, 0, 1}));
}

TEST(Em4305WriteWord, ConfirmationForSettingWords) {
  Em4305Rig rig;
  rig.prompts.Answer("TWrData1_5Dlg.EdAddr", "4");
  rig.prompts.Answer("TWrData1_5Dlg.EdData0_3", "8F");
  rig.prompts.QueueConfirm(false);
  rig.Run("WriteWord1");
  const PromptForm& f = rig.LastForm();
  EXPECT_EQ(f.caption, "EM4305: WriteWord");
  EXPECT_TRUE(Shown(f, "EdData0_0"));
  EXPECT_FALSE(Shown(f, "EdData1_0"));
  EXPECT_EQ(rig.prompts.confirmations, (Lines{"設定情報を書き換えます。\nよろしいですか?"}));
  EXPECT_TRUE(rig.Sent().empty());
  EXPECT_EQ(rig.Lines(), (Lines{"NG: WriteWord Command"}));
  EXPECT_EQ(rig.app->Settings.WordNo, 4);  // stored before the question
  EXPECT_EQ(rig.app->Settings.WriteData[3], 0x8F);
  // With login, No ends without a line.
  rig.Clear();
  rig.Login("00", "00", "00", "00");
  rig.prompts.QueueConfirm(false);
  rig.Run("WriteWord1");
  EXPECT_TRUE(rig.Sent().empty());
  EXPECT_TRUE(rig.Lines().empty());
  // Yes writes.
  rig.Clear();
  rig.prompts.QueueConfirm(true);
  rig.Run("WriteWord1");
  EXPECT_EQ(rig.Lines(), (Lines{"OK: TX_ONCmd Command", "OK: Login Command",
                                "OK: WriteWord Command", "OK: TX_OFFCmd Command"}));
  EXPECT_EQ(rig.At(4), (Word{0x00, 0x00, 0x00, 0x8F}));
  // The dialog opens with the address remembered, not with the data.
  rig.prompts.CancelFirst();
  rig.Run("WriteWord1");
  EXPECT_EQ(rig.LastForm().Field("EdData0_3").Int(), 0);
  EXPECT_EQ(rig.LastForm().Field("EdAddr").Int(), 4);
}

TEST(Em4305WriteWord, ProtectedWordNeedsTheLogin) {
  Em4305Rig rig;
  rig.Program(2, {0, 0, 0, 7});
  rig.Program(14, {0x00, 0x00, 0x80, 0x08});  // protects word 3
  rig.prompts.Answer("TWrData1_5Dlg.EdAddr", "3");
  rig.prompts.Answer("TWrData1_5Dlg.EdData0_0", "5A");
  rig.Run("WriteWord1");
  EXPECT_EQ(rig.Sent(), (Lines{"E0 03 5A 00 00 00 "}));
  EXPECT_EQ(rig.Lines(), (Lines{"Tag Data Receive Error", "NG: WriteWord Command"}));
  rig.Clear();
  rig.Login("00", "00", "00", "07");
  rig.Run("WriteWord1");
  EXPECT_EQ(rig.Sent(), (Lines{"9E 01 ", "E2 00 00 00 07 ", "E0 03 5A 00 00 00 ", "9E 00 "}));
  EXPECT_EQ(rig.Lines(), (Lines{"OK: TX_ONCmd Command", "OK: Login Command",
                                "OK: WriteWord Command", "OK: TX_OFFCmd Command"}));
  EXPECT_EQ(rig.At(3), (Word{0x5A, 0, 0, 0}));
}

TEST(Em4305WriteWord, FailingCarrierEndsTheCommand) {
  Em4305Rig rig;
  rig.FailNextCommand();
  rig.prompts.Answer("TWrData1_5Dlg.EdAddr", "6");
  rig.Login("00", "00", "00", "00");
  rig.Run("WriteWord1");
  EXPECT_EQ(rig.Sent(), (Lines{"9E 01 "}));  // the carrier is not switched off
  EXPECT_EQ(rig.Lines(), (Lines{"Invalid Command", "NG: TX_ONCmd Command"}));
}

TEST(Em4305Protect, FromProtectionWordOne) {
  Em4305Rig rig;
  rig.Program(14, {0x00, 0x00, 0x80, 0x03});
  rig.Run("Protect1");
  const PromptForm& f = rig.LastForm();
  EXPECT_EQ(f.caption, "EM4305: Protect");
  EXPECT_EQ(f.Field("ST_0").text, "pr0");
  EXPECT_EQ(f.Field("ST_15").text, "pr15");
  EXPECT_FALSE(f.Field("ST_15").enabled);
  EXPECT_FALSE(f.Field("EdData3_3").enabled);
  EXPECT_FALSE(Shown(f, "EdAddr"));
  EXPECT_EQ(f.Field("EdData0_0").Int(), 1);
  EXPECT_EQ(f.Field("EdData0_1").Int(), 1);
  EXPECT_EQ(f.Field("EdData0_2").Int(), 0);
  EXPECT_EQ(f.Field("EdData3_3").Int(), 1);
  EXPECT_EQ(rig.prompts.confirmations,
            (Lines{"Protectビットは1から0に戻せません。よろしいですか?"}));
  EXPECT_EQ(rig.Sent(), (Lines{"E1 0E ", "E3 00 00 80 03 "}));
  EXPECT_EQ(rig.Lines(),
            (Lines{"OK: ReadWord Command", "Data: 00 00 80 03 ", "OK: Protect Command"}));
}

TEST(Em4305Protect, FromProtectionWordTwoAndEditedBits) {
  Em4305Rig rig;
  rig.Program(14, {0x00, 0x00, 0x00, 0x03});
  rig.Program(15, {0x00, 0x00, 0x80, 0x01});
  rig.prompts.Answer("TWrData1_5Dlg.EdData1_2", "1");  // pr6
  rig.prompts.Answer("TWrData1_5Dlg.EdData2_0", "5");  // limited to 0-1
  rig.prompts.Answer("TWrData1_5Dlg.EdData3_3", "0");  // pr15 cannot be changed
  rig.Run("Protect1");
  const PromptForm& f = rig.LastForm();
  EXPECT_EQ(f.Field("EdData0_0").Int(), 1);
  EXPECT_EQ(f.Field("EdData0_1").Int(), 0);
  EXPECT_EQ(rig.Sent(), (Lines{"E1 0E ", "E1 0F ", "E3 00 00 81 41 "}));
  EXPECT_EQ(rig.Lines(),
            (Lines{"OK: ReadWord Command", "Data: 00 00 00 03 ", "OK: ReadWord Command",
                   "Data: 00 00 80 01 ", "OK: Protect Command"}));
  EXPECT_EQ(rig.At(15), (Word{0x00, 0x00, 0x81, 0x41}));
  EXPECT_EQ(rig.app->Memory<Em4305Memory>().protection, (std::array<uint8_t, 4>{0, 0, 0x81, 0x41}));
}

TEST(Em4305Protect, NoUsableWordNoDialog) {
  Em4305Rig rig;
  rig.Run("Protect1");
  EXPECT_TRUE(rig.prompts.shown.empty());
  EXPECT_EQ(rig.Lines(),
            (Lines{"OK: ReadWord Command", "Data: 00 00 00 00 ", "OK: ReadWord Command",
                   "Data: 00 00 00 00 ", "NG: Protect Command"}));
  rig.field->Clear();
  rig.Clear();
  rig.Run("Protect1");
  EXPECT_EQ(rig.Lines(),
            (Lines{"No response from tag", "NG: ReadWord Command", "NG: Protect Command"}));
  // Answered No: nothing is sent.
  Em4305Rig declined;
  declined.Program(14, {0x00, 0x00, 0x80, 0x00});
  declined.prompts.QueueConfirm(false);
  declined.Run("Protect1");
  EXPECT_EQ(declined.Sent(), (Lines{"E1 0E "}));
}

TEST(Em4305Protect, LoginSequenceWithAFailingCarrier) {
  Em4305Rig rig;
  rig.Program(14, {0x00, 0x00, 0x80, 0x00});
  rig.prompts.onConfirm = [&] { rig.FailNextCommand(); };
  rig.prompts.Answer("TWrData1_5Dlg.CB_LoginEn", "1");
  rig.Run("Protect1");
  EXPECT_EQ(rig.Sent(), (Lines{"E1 0E ", "9E 01 "}));
  EXPECT_EQ(rig.Lines(), (Lines{"OK: ReadWord Command", "Data: 00 00 80 00 ", "Invalid Command",
                                "NG: TX_ONCmd Command"}));
  EXPECT_EQ(rig.At(14), (Word{0x00, 0x00, 0x80, 0x00}));
}

TEST(Em4305Login, PasswordOrderAndTheCarrierKeptOn) {
  Em4305Rig rig;
  rig.Program(2, {0xDE, 0xAD, 0xBE, 0xEF});
  rig.Program(14, {0x00, 0x00, 0x80, 0x40});  // protects word 6
  // The user switches the carrier on first (LF_ONOFF > ON), so the login lasts.
  RegisterMaintenanceHandlers(rig.registry);
  rig.Run("ON1");
  EXPECT_EQ(rig.Lines(), (Lines{"OK: LF_ON Command"}));
  rig.Clear();
  rig.prompts.Answer("TWrData1_4Dlg.EdData0_0", "DE");
  rig.prompts.Answer("TWrData1_4Dlg.EdData0_1", "AD");
  rig.prompts.Answer("TWrData1_4Dlg.EdData0_2", "BE");
  rig.prompts.Answer("TWrData1_4Dlg.EdData0_3", "EF");
  rig.Run("Login1");
  const PromptForm& login = rig.LastForm();
  EXPECT_EQ(login.caption, "EM4305: Login");
  EXPECT_EQ(login.Field("AddrStr").text, "パスワード(4バイト)");
  for (const char* hidden : {"Label1", "Label5", "CBMode", "EdAddr", "EdData1_0", "EdData3_3"})
    EXPECT_FALSE(Shown(login, hidden)) << hidden;
  EXPECT_EQ(rig.Sent(), (Lines{"E2 DE AD BE EF "}));
  EXPECT_EQ(rig.Lines(), (Lines{"OK: Login Command"}));
  // The login holds for a write without login of its own.
  rig.Clear();
  rig.prompts.Answer("TWrData1_5Dlg.EdAddr", "6");
  rig.Run("WriteWord1");
  EXPECT_EQ(rig.Lines(), (Lines{"OK: WriteWord Command"}));
  // The next EM4305 dialog opens with the same four bytes in its password row.
  EXPECT_EQ(rig.LastForm().Field("EdData4_0").Int(), 0xDE);
  EXPECT_EQ(rig.LastForm().Field("EdData4_3").Int(), 0xEF);
  // Carrier off: the login is gone.
  rig.Run("OFF1");
  rig.Clear();
  rig.Run("WriteWord1");
  EXPECT_EQ(rig.Lines(), (Lines{"Tag Data Receive Error", "NG: WriteWord Command"}));
}

TEST(Em4305Disable, SendsWithoutWaitingAndTheChipFallsSilent) {
  Em4305Rig rig;
  rig.Program(4, {0x00, 0x02, 0x00, 0x8F});
  rig.Run("Disable1");
  EXPECT_EQ(rig.Sent(), (Lines{"E4 "}));
  EXPECT_TRUE(rig.prompts.shown.empty());
  // Nothing waits for the answer; it is still received and logged.
  ASSERT_TRUE(rig.PumpUntilLogged("RX: 02 00 30 01 E4 "));
  rig.Clear();
  rig.prompts.Answer("TWrData1_5Dlg.EdAddr", "1");
  rig.Run("ReadWord1");
  EXPECT_EQ(rig.Lines(), (Lines{"No response from tag", "NG: ReadWord Command"}));
}
