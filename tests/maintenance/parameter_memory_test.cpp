// The parameter memory: the parameter dialog over words 1-22, the system flag byte, the EEPROM
// read and the write-and-verify test, against the simulated module's EEPROM.
#include <gtest/gtest.h>

#include "maintenance/flash_set_dlg.h"
#include "maintenance/module_words.h"
#include "tests/maintenance/maintenance_rig.h"

namespace maint_test {
namespace {

using Texts = std::vector<std::string>;
using ParameterMemoryTest = MaintenanceTest;

std::vector<uint16_t> WordsOf(MaintenanceTest& t, int first, int last,
                              const std::function<uint16_t(int)>& word) {
  (void)t;
  std::vector<uint16_t> w;
  for (int a = first; a <= last; ++a) w.push_back(word(a));
  return w;
}

TEST(BuzzerWordConversion, SinglePrecisionTruncatedBothWays) {
  EXPECT_EQ(module_words::BuzzerHzOfWord(8000), 1500);
  EXPECT_EQ(module_words::WordOfBuzzerHz(1500), 7997) << "not the inverse";
  EXPECT_EQ(module_words::BuzzerHzOfWord(2999), 4000);
  EXPECT_EQ(module_words::WordOfBuzzerHz(4000), 3000);
  EXPECT_EQ(module_words::BuzzerHzOfWord(0), 12000000);
  // Below 183 Hz the word would need more than 16 bits: it saturates instead of wrapping.
  EXPECT_EQ(module_words::WordOfBuzzerHz(183), 65395);
  EXPECT_EQ(module_words::WordOfBuzzerHz(182), 65535);
  EXPECT_EQ(module_words::WordOfBuzzerHz(0), 65535);
}

TEST(WriteTestPattern, RepeatsPastItsTwentySecondWordAndFitsOneFrame) {
  const auto bytes = module_words::WriteTestBytes(24);
  ASSERT_EQ(bytes.size(), 48u);
  EXPECT_EQ((std::vector<uint8_t>(bytes.begin(), bytes.begin() + 4)),
            (std::vector<uint8_t>{0x30, 0x02, 0x05, 0x04}));
  EXPECT_EQ((std::vector<uint8_t>(bytes.begin() + 40, bytes.end())),
            (std::vector<uint8_t>{0x03, 0x00, 0xFF, 0x00, 0x30, 0x02, 0x05, 0x04}));
  EXPECT_EQ(3 + 2 * module_words::kMaxWordsPerWrite, 249);
}

TEST(FlashSetDialog, KeyPresets) {
  const IdKey settings = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  PromptForm form = MakeFlashSet1Dlg(settings);
  EXPECT_EQ(GetKey(form), kSecondFixedKey) << "what the dialog opens with";
  EXPECT_EQ(form.Field("EdKey1").number.Text(), "3C");
  form.onAction(form, "Button1");
  EXPECT_EQ(GetKey(form), kFirstFixedKey);
  form.onAction(form, "Button3");
  EXPECT_EQ(GetKey(form), settings);
  form.onAction(form, "Button2");
  EXPECT_EQ(GetKey(form), kSecondFixedKey);
}

TEST_F(ParameterMemoryTest, DialogShowsTheWordsAndWritesThemBackWithoutWaiting) {
  SetWord(1, 0x2402);
  SetWord(20, 0x1234);
  const auto before = WordsOf(*this, 1, 22, [this](int a) { return Word(a); });
  Run("MnParaSet1");
  ASSERT_EQ(prompts_.shown.size(), 1u);
  const PromptForm& dlg = prompts_.shown[0];
  auto item = [&](const char* rg) {
    const PromptField& f = dlg.Field(rg);
    return f.items[static_cast<size_t>(f.index)];
  };
  EXPECT_EQ(item("RG_Bit1"), "鳴らす");
  EXPECT_EQ(item("RG_Bit10"), "1");
  EXPECT_EQ(item("RG_Bit0"), "TIRIS");
  EXPECT_EQ(item("CBRWSpeed"), "19.2kbps");
  EXPECT_EQ(dlg.Field("EdMemSW11").Int(), 1500);
  EXPECT_EQ(dlg.Field("EdMemSW2_1").Int(), 0x05);
  EXPECT_EQ(dlg.Field("EdMemSW2_2").Int(), 0x04);
  EXPECT_EQ(dlg.Field("EdMemSW7").Int(), 0x2039);
  EXPECT_EQ(dlg.Field("EdBank").Int(), 3);
  EXPECT_EQ(dlg.Field("EdSelAddr").number.Text(), "FF");
  EXPECT_FALSE(dlg.Field("RG_Bit3").enabled);
  EXPECT_TRUE(dlg.hiddenPages.empty());

  EXPECT_EQ(TxLines().size(), 2u);
  EXPECT_EQ(TxLines()[0], Tx({0x0D, 0x01, 0x16}));
  EXPECT_EQ(TxLines()[1].substr(0, 25), "TX: 02 00 4D 2F 0E 01 16 ") << "47 data bytes";
  EXPECT_TRUE(HandlerLines().empty());
  WaitForCommands(2);
  const auto after = WordsOf(*this, 1, 22, [this](int a) { return Word(a); });
  EXPECT_EQ(after[10], 8000) << "word 11 shown as 1500 and left so: written back as read";
  EXPECT_EQ(after, before) << "every word, word 1 and word 20 included, as read";
}

TEST_F(ParameterMemoryTest, DialogFieldsGoToTheirBitsBytesAndWords) {
  prompts_.Answer("TFlashSet1Dlg.RG_Bit0", "1");
  prompts_.Answer("TFlashSet1Dlg.RG_Bit12", "1");
  prompts_.Answer("TFlashSet1Dlg.CBRWSpeed", "115.2kbps");
  prompts_.Answer("TFlashSet1Dlg.EdMemSW2_1", "7");
  prompts_.Answer("TFlashSet1Dlg.EdMemSW2_2", "300");  // limited to a byte
  prompts_.Answer("TFlashSet1Dlg.EdMemSW11", "4000");
  prompts_.Answer("TFlashSet1Dlg.EdMemSW19", "65535");
  prompts_.Answer("TFlashSet1Dlg.EdPage", "12");
  prompts_.Answer("TFlashSet1Dlg.EdSelAddr", "1a");
  prompts_.Answer("TFlashSet1Dlg.EdTagCode", "C3");
  Run("MnParaSet1");
  WaitForCommands(2);
  EXPECT_EQ(Word(1), 0x9231);  // 0x6230 as shipped: code 3 becomes 4, bits 0 and 12 set
  EXPECT_EQ(Word(2), 0xFF07);
  EXPECT_EQ(Word(11), 3000);
  EXPECT_EQ(Word(19), 0xFFFF);
  EXPECT_EQ(Word(21), 0x0C03);
  EXPECT_EQ(Word(22), 0xC31A);
}

TEST_F(ParameterMemoryTest, SpeedCodeThatNamesNoSpeedIsKept) {
  SetWord(1, 0xE230);  // code 7
  Run("MnParaSet1");
  EXPECT_EQ(prompts_.shown[0].Field("CBRWSpeed").index, -1);
  WaitForCommands(2);
  EXPECT_EQ(Word(1), 0xE230);
}

TEST_F(ParameterMemoryTest, CancelOrAShortReadWritesNothing) {
  prompts_.CancelFirst();
  Run("MnParaSet1");
  EXPECT_EQ(TxLines().size(), 1u);
  UseCannedLine();
  canned_->QueueAck({0x0D, 0x01, 0x16, 0x30, 0x02});  // one word of 22
  Run("MnParaSet1");
  EXPECT_EQ(HandlerLines(), Texts{"Response Format Error"});
  EXPECT_EQ(prompts_.shown.size(), 1u) << "no dialog";
  EXPECT_EQ(canned_->Commands().size(), 1u);
}

TEST_F(ParameterMemoryTest, SystemParameterShowsTheFlagsOnly) {
  SetWord(1, 0x6212);
  Run("SystemParameter1");
  ASSERT_EQ(prompts_.shown.size(), 1u);
  const PromptForm& dlg = prompts_.shown[0];
  for (int bit = 0; bit < 8; ++bit) {
    const PromptField& rg = dlg.Field("RG_Bit" + std::to_string(bit));
    EXPECT_EQ(rg.index, bit == 1 || bit == 4 ? 1 : 0) << bit;
    EXPECT_TRUE(rg.visible);
  }
  for (const char* hidden : {"RG_Bit8", "RG_Bit12", "CBRWSpeed", "Label49", "EdBank", "EdPage",
                             "EdSelAddr", "EdTagCode"})
    EXPECT_FALSE(dlg.Field(hidden).visible) << hidden;
  EXPECT_EQ(dlg.hiddenPages, (Texts{"TabSheet2", "TabSheet3"}));
  EXPECT_EQ(TxLines(), (Texts{Tx({0x03, 0x00}), Tx({0x04, 0x00, 0x12})}));
  EXPECT_EQ(HandlerLines(), Texts{"OK: Set System Parameter"});
  EXPECT_EQ(Word(1), 0x6212);

  prompts_.Answer("TFlashSet1Dlg.RG_Bit7", "1");
  sim_->UpdateFaults([](sim::FaultPlan& f) { f.nack = 1; });
  Run("SystemParameter1");  // the read fails: nothing more
  Run("SystemParameter1");
  EXPECT_EQ(TxLines().back(), Tx({0x04, 0x00, 0x92}));
  EXPECT_EQ(Word(1), 0x6292);
  EXPECT_EQ(HandlerLines(),
            (Texts{"OK: Set System Parameter", "Invalid Command", "OK: Set System Parameter"}));
}

TEST_F(ParameterMemoryTest, SystemParameterWriteRefused) {
  UseCannedLine();
  canned_->QueueAck({0x03, 0x00, 0x12});
  canned_->QueueNack(0x43);
  Run("SystemParameter1");
  EXPECT_EQ(HandlerLines(), (Texts{"ID Value Error", "NG: Set System Parameter"}));
}

TEST_F(ParameterMemoryTest, EepromReadSendsStartAndCount) {
  Run("EEPROMRead1");
  const PromptForm& dlg = prompts_.shown[0];
  EXPECT_EQ(dlg.caption, "Read Flash data");
  EXPECT_EQ(dlg.Field("STTitle1").text, "Start");
  EXPECT_EQ(dlg.Field("STTitle2").text, "End");
  EXPECT_FALSE(dlg.Field("IntEd3").visible);
  prompts_.Answer("TInp3Data1Dlg.IntEd1", "11");
  prompts_.Answer("TInp3Data1Dlg.IntEd2", "2");
  Run("EEPROMRead1");
  EXPECT_EQ(TxLines(), (Texts{Tx({0x0D, 0x01, 0x16}), Tx({0x0D, 0x0B, 0x02})}));
  EXPECT_TRUE(HandlerLines().empty());
  prompts_.Answer("TInp3Data1Dlg.IntEd1", "256");
  Run("EEPROMRead1");
  EXPECT_EQ(HandlerLines(), Texts{"Invalid value"});
}

TEST_F(ParameterMemoryTest, WriteTestRunsAHundredVerifiedRounds) {
  Run("EEPROMWrite1");
  const std::string write = Tx({0x0E, 0x01, 0x04, 0x30, 0x02, 0x05, 0x04, 0x1E, 0x04, 0xF4, 0x01});
  int writes = 0, reads = 0;
  for (const std::string& l : TxLines()) {
    writes += l == write;
    reads += l == Tx({0x0D, 0x01, 0x04});
  }
  EXPECT_EQ(writes, 100);
  EXPECT_EQ(reads, 100);
  const Texts lines = HandlerLines();
  ASSERT_EQ(lines.size(), 301u) << "three software information lines a round, then the count";
  EXPECT_EQ(lines[2], "OK : GETSWINFO_CMD");
  EXPECT_EQ(lines.back(), "Number of times : 100");
  EXPECT_EQ(Word(4), 0x01F4);
}

TEST_F(ParameterMemoryTest, WriteTestStopsAtTheFirstDifference) {
  // Word 2 wears out after two more writes: the third round reads it back with bit 15 set.
  sim_->WithModule([](sim::Module& m) { m.Memory().WearOut(2, 2, 0x8000); });
  Run("EEPROMWrite1");
  const Texts lines = HandlerLines();
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(Texts(lines.end() - 3, lines.end()),
            (Texts{"Error: Compare", "Number of times : 2", "Error: 2"}));
  EXPECT_EQ(TxLines().back(), Tx({0x0D, 0x01, 0x04})) << "no software information after it";
}

TEST_F(ParameterMemoryTest, WriteTestStopsAtAFailedWriteOrRead) {
  sim_->UpdateFaults([](sim::FaultPlan& f) { f.nack = 1; });
  Run("EEPROMWrite1");
  EXPECT_EQ(HandlerLines(), (Texts{"Invalid Command", "Error: Write", "Number of times : 0"}));
  UseCannedLine();
  canned_->QueueAck({0x0E});
  canned_->QueueNack(0x01);
  Run("EEPROMWrite1");
  Texts lines = HandlerLines();
  EXPECT_EQ(Texts(lines.end() - 3, lines.end()),
            (Texts{"CRC Error", "Error: Read", "Number of times : 0"}));
  canned_->QueueAck({0x0E});
  canned_->QueueAck({0x0D, 0x01, 0x04, 0x30, 0x02});  // one word of four
  Run("EEPROMWrite1");
  lines = HandlerLines();
  EXPECT_EQ(Texts(lines.end() - 3, lines.end()),
            (Texts{"Error: Compare", "Number of times : 0", "Error: 0"}));
}

TEST_F(ParameterMemoryTest, WriteTestCountIsBoundedByTheFrame) {
  prompts_.Answer("TInp3Data1Dlg.IntEd2", "200");
  Run("EEPROMWrite1");
  const std::string first = TxLines().front();
  // 02 00 4D LEN 0E start count: LEN 249, count 123.
  EXPECT_EQ(first.substr(0, 25), "TX: 02 00 4D F9 0E 01 7B ");
  EXPECT_EQ(first.size(), 4u + 3u * (249u + 7u));
  EXPECT_EQ(HandlerLines(), (Texts{"ID Value Error", "Error: Write", "Number of times : 0"}))
      << "the simulated EEPROM is smaller";
}

}  // namespace
}  // namespace maint_test
