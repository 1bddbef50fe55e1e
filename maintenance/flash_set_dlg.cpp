#include "maintenance/flash_set_dlg.h"

#include <QtGlobal>
#include <string>
#include <vector>

#include "core/ui_text.h"
#include "maintenance/module_words.h"

namespace mw = module_words;

namespace {

constexpr const char* kSystemPage = "TabSheet1";
constexpr const char* kParameterPage = "TabSheet2";
constexpr const char* kKeyPage = "TabSheet3";
constexpr int kFlagBits = 13;  // RG_Bit0 .. RG_Bit12

enum class Part { Low, High, Whole };

// A numeric field that shows one byte or the whole of a word.
struct WordField {
  const char* name;
  int word;  // 1 .. 22
  Part part = Part::Whole;
  const char* unit = "";  // unit label beside the field ("" none)
  bool hex = false;
};

// In dialog order; the word 11 field shows Hz and is converted on the way in and out.
const std::vector<WordField>& ParameterFields() {
  static const std::vector<WordField> fields = {
      {.name = "EdMemSW2_1", .word = 2, .part = Part::Low, .unit = "*10ms"},
      {.name = "EdMemSW2_2", .word = 2, .part = Part::High, .unit = "*10ms"},
      {.name = "EdMemSW3_1", .word = 3, .part = Part::Low, .unit = "*10ms"},
      {.name = "EdMemSW3_2", .word = 3, .part = Part::High, .unit = "*10ms"},
      {.name = "EdMemSW4", .word = 4, .unit = "*10ms"},
      {.name = "EdMemSW5", .word = 5, .unit = "*10ms"},
      {.name = "EdMemSW6", .word = 6, .part = Part::Low, .unit = "*10ms"},
      {.name = "EdMemSW6_2", .word = 6, .part = Part::High, .unit = "*10ms"},
      {.name = "EdMemSW7", .word = 7, .unit = "*4.74us"},
      {.name = "EdMemSW8", .word = 8, .unit = "*4.74us"},
      {.name = "EdMemSW9", .word = 9, .unit = "*4.74us"},
      {.name = "EdMemSW10", .word = 10, .unit = "*4.74us"},
      {.name = "EdMemSW11", .word = 11, .unit = "Hz"},
      {.name = "EdMemSW12", .word = 12, .part = Part::Low, .unit = "*10ms"},
      {.name = "EdMemSW12_High", .word = 12, .part = Part::High},
      {.name = "EdMemSW13", .word = 13},
      {.name = "EdMemSW14", .word = 14},
      {.name = "EdMemSW15", .word = 15},
      {.name = "EdMemSW16", .word = 16},
      {.name = "EdMemSW17", .word = 17},
      {.name = "EdMemSW18", .word = 18},
      {.name = "EdMemSW19", .word = 19},
  };
  return fields;
}

const std::vector<WordField>& ReadSettingFields() {
  static const std::vector<WordField> fields = {
      {.name = "EdBank", .word = 21, .part = Part::Low},
      {.name = "EdPage", .word = 21, .part = Part::High},
      {.name = "EdSelAddr", .word = 22, .part = Part::Low, .hex = true},
      {.name = "EdTagCode", .word = 22, .part = Part::High, .hex = true},
  };
  return fields;
}

std::string ParameterLabel(const std::string& name) {
  // Captions of the "Parameter" page, translated where they are shown.
  static const std::vector<std::pair<std::string, const char*>> labels = {
      {"EdMemSW2_1", QT_TRANSLATE_NOOP("TFlashSet1Dlg", "LED点等時間")},
      {"EdMemSW2_2", QT_TRANSLATE_NOOP("TFlashSet1Dlg", "ブザー鳴動時間")},
      {"EdMemSW3_1", QT_TRANSLATE_NOOP("TFlashSet1Dlg", "LED点等時間(テストモード１)")},
      {"EdMemSW3_2", QT_TRANSLATE_NOOP("TFlashSet1Dlg", "ブザー鳴動時間（テストモード１）")},
      {"EdMemSW4", QT_TRANSLATE_NOOP("TFlashSet1Dlg", "ID保持時間")},
      {"EdMemSW5", QT_TRANSLATE_NOOP("TFlashSet1Dlg", "IDの更新タイミング")},
      {"EdMemSW6", QT_TRANSLATE_NOOP("TFlashSet1Dlg", "TIRIS読取間隔(Min)")},
      {"EdMemSW6_2", QT_TRANSLATE_NOOP("TFlashSet1Dlg", "TIRIS読取間隔(Max)")},
      {"EdMemSW7", QT_TRANSLATE_NOOP("TFlashSet1Dlg", "TIRISチャージ時間")},
      {"EdMemSW8", QT_TRANSLATE_NOOP("TFlashSet1Dlg", "プログラム待ち時間")},
      {"EdMemSW9", QT_TRANSLATE_NOOP("TFlashSet1Dlg", "プログラム待ち時間（認証含む）")},
      {"EdMemSW10", QT_TRANSLATE_NOOP("TFlashSet1Dlg", "プログラム待ち時間2（認証含む）")},
      {"EdMemSW11", QT_TRANSLATE_NOOP("TFlashSet1Dlg", "ブザー周波数設定値")},
      {"EdMemSW12", QT_TRANSLATE_NOOP("TFlashSet1Dlg", "送受信のランダム間隔")},
      {"EdMemSW12_High", QT_TRANSLATE_NOOP("TFlashSet1Dlg", "動作モード")},
      {"EdMemSW13", QT_TRANSLATE_NOOP("TFlashSet1Dlg", "キャリア周期設定")},
      {"EdMemSW14", QT_TRANSLATE_NOOP("TFlashSet1Dlg", "パワー設定（Duty)")},
      {"EdMemSW15", QT_TRANSLATE_NOOP("TFlashSet1Dlg", "ブザー（PWM）")},
      {"EdMemSW16", QT_TRANSLATE_NOOP("TFlashSet1Dlg", "テスト用（モード設定）")},
      {"EdMemSW17", QT_TRANSLATE_NOOP("TFlashSet1Dlg", "予備")},
      {"EdMemSW18", QT_TRANSLATE_NOOP("TFlashSet1Dlg", "予備")},
      {"EdMemSW19", QT_TRANSLATE_NOOP("TFlashSet1Dlg", "予備")},
      {"EdBank", QT_TRANSLATE_NOOP("TFlashSet1Dlg", "読取バンク(3 or 7)")},
      {"EdPage", QT_TRANSLATE_NOOP("TFlashSet1Dlg", "読取ページ(3:0-12, 7:0-31)")},
      {"EdSelAddr", QT_TRANSLATE_NOOP("TFlashSet1Dlg", "セレクトアドレス(HEX)")},
  };
  for (const auto& [n, l] : labels)
    if (n == name) return Tr("TFlashSet1Dlg", l);
  return Tr("TFlashSet1Dlg", "未使用");  // EdTagCode
}

NumberSpec FieldSpec(const WordField& f) {
  const double max = f.part == Part::Whole ? 65535 : 255;
  return f.hex ? HexSpec(0, max, true, 2) : DecimalSpec(0, max, true);
}

// A field with its caption and unit; `column` >= 0 puts the three in columns of a grid.
void AddWordField(PromptForm& form, const WordField& f, const char* page, int row,
                  int column = -1) {
  PromptField& edit = form.AddNumber(f.name, ParameterLabel(f.name), FieldSpec(f), 0);
  edit.page = page;
  edit.row = row;
  edit.column = column;
  if (*f.unit) {
    PromptField& unit = form.AddLabel(std::string("Unit") + f.name, f.unit);
    unit.page = page;
    unit.row = row;
    unit.column = column < 0 ? -1 : column + 2;
  }
}

uint16_t PartOf(uint16_t word, Part part) {
  switch (part) {
    case Part::Low:
      return mw::Lo(word);
    case Part::High:
      return mw::Hi(word);
    case Part::Whole:
      break;
  }
  return word;
}

uint16_t WithPart(uint16_t word, Part part, int64_t value) {
  switch (part) {
    case Part::Low:
      return static_cast<uint16_t>((word & 0xFF00) | (value & 0xFF));
    case Part::High:
      return static_cast<uint16_t>((word & 0x00FF) | ((value & 0xFF) << 8));
    case Part::Whole:
      break;
  }
  return static_cast<uint16_t>(value & 0xFFFF);
}

std::string BitName(int bit) {
  return "RG_Bit" + std::to_string(bit);
}

// The flags stand in three columns, each with its two items side by side.
constexpr int kFlagColumns = 3;

void AddFlag(PromptForm& form, int bit, const std::string& label, const std::string& item0,
             const std::string& item1) {
  PromptField& rg = form.AddRadio(BitName(bit), label, {item0, item1}, 0, 2);
  rg.page = kSystemPage;
  rg.row = bit / kFlagColumns;
  rg.column = bit % kFlagColumns;
}

void SetKey(PromptForm& form, const IdKey& key) {
  for (size_t i = 0; i < key.size(); ++i)
    form.Field("EdKey" + std::to_string(i + 1)).number.SetValue(key[i]);
}

}  // namespace

PromptForm MakeFlashSet1Dlg(const IdKey& settingsKey) {
  PromptForm form;
  form.dialog = "TFlashSet1Dlg";
  form.caption = Tr("TFlashSet1Dlg", "EEPROMの設定");
  form.AddPage(kSystemPage, Tr("TFlashSet1Dlg", "システムパラメータ"));
  form.AddPage(kParameterPage, Tr("TFlashSet1Dlg", "パラメータ"));
  form.AddPage(kKeyPage, Tr("TFlashSet1Dlg", "キー"));

  const std::string notCalc = Tr("TFlashSet1Dlg", "自動計算しない");
  const std::string calc = Tr("TFlashSet1Dlg", "自動計算する");
  const std::string unused = Tr("TFlashSet1Dlg", "未使用");
  AddFlag(form, 0, "WriteAndProgramCmd", "TIRIS", "TIRIS + SIC279");
  AddFlag(form, 1, Tr("TFlashSet1Dlg", "ブザー(連続ID読取りモード)"),
          Tr("TFlashSet1Dlg", "鳴らさない"), Tr("TFlashSet1Dlg", "鳴らす"));
  AddFlag(form, 2, Tr("TFlashSet1Dlg", "タグ(連続ID読取りモード)"), "HDX + FDX",
          Tr("TFlashSet1Dlg", "動物ID"));
  AddFlag(form, 3, Tr("TFlashSet1Dlg", "未使用(0固定)"), "0", "1");
  form.Field("RG_Bit3").enabled = false;
  AddFlag(form, 4, Tr("TFlashSet1Dlg", "コマンドモード用LED(緑)"), Tr("TFlashSet1Dlg", "点灯する"),
          Tr("TFlashSet1Dlg", "点灯しない"));
  AddFlag(form, 5, Tr("TFlashSet1Dlg", "連続読み取りの間隔"), Tr("TFlashSet1Dlg", "固定"),
          Tr("TFlashSet1Dlg", "ランダム"));
  AddFlag(form, 6, Tr("TFlashSet1Dlg", "PASSの自動計算(ID Write)"), notCalc, calc);
  AddFlag(form, 7, Tr("TFlashSet1Dlg", "PASSの自動計算(Read/Wrie)"), notCalc, calc);
  AddFlag(form, 8, Tr("TFlashSet1Dlg", "CRCチェック(TIRIS)"), Tr("TFlashSet1Dlg", "する"),
          Tr("TFlashSet1Dlg", "しない"));
  AddFlag(form, 9, unused, "0", "1");
  AddFlag(form, 10, unused, "0", "1");
  AddFlag(form, 11, Tr("TFlashSet1Dlg", "FXD-B 受信堀"), Tr("TFlashSet1Dlg", "判パルス"),
          Tr("TFlashSet1Dlg", "2パルス（周期）"));
  AddFlag(form, 12, Tr("TFlashSet1Dlg", "SIC7888 MD_Advanced固定"),
          Tr("TFlashSet1Dlg", "固定しない"), Tr("TFlashSet1Dlg", "固定する"));
  PromptField& speedLabel = form.AddLabel("Label49", Tr("TFlashSet1Dlg", "R/W 通信スピード"));
  speedLabel.page = kSystemPage;
  speedLabel.row = 100;
  const auto& speeds = mw::SpeedItems();
  PromptField& speed =
      form.AddChoice("CBRWSpeed", "", std::vector<std::string>(speeds.begin(), speeds.end()), 0);
  speed.page = kSystemPage;
  speed.row = 100;
  // Bank and page on one line, the two address bytes on the next.
  int row = 101;
  for (const WordField& f : ReadSettingFields())
    AddWordField(form, f, kSystemPage, row + (f.word == 22 ? 1 : 0));

  // The timing words in two halves side by side: caption, field and unit in columns.
  const auto& words = ParameterFields();
  const int half = static_cast<int>(words.size() + 1) / 2;
  for (int i = 0; i < static_cast<int>(words.size()); ++i)
    AddWordField(form, words[static_cast<size_t>(i)], kParameterPage, 110 + i % half,
                 i < half ? 0 : 3);

  for (int i = 1; i <= 16; ++i) {
    PromptField& key =
        form.AddNumber("EdKey" + std::to_string(i), "", HexSpec(0, 0xFF, true, 2), 0);
    key.page = kKeyPage;
    key.row = i <= 8 ? 200 : 201;  // two rows of eight bytes
  }
  SetKey(form, kSecondFixedKey);
  form.AddAction("Button1", Tr("TFlashSet1Dlg", "設定１"), ActionKind::Local).page = kKeyPage;
  form.AddAction("Button2", Tr("TFlashSet1Dlg", "設定２"), ActionKind::Local).page = kKeyPage;
  form.AddAction("Button3", Tr("TFlashSet1Dlg", "設定３"), ActionKind::Local).page = kKeyPage;
  form.onAction = [settingsKey](PromptForm& f, const std::string& action) {
    if (action == "Button1") SetKey(f, kFirstFixedKey);
    if (action == "Button2") SetKey(f, kSecondFixedKey);
    if (action == "Button3") SetKey(f, settingsKey);
  };
  form.AddOkCancel("OK", Tr("TFlashSet1Dlg", "キャンセル"));
  return form;
}

void SetParameterWords(PromptForm& form, const ParameterWords& words) {
  auto word = [&](int n) { return words[static_cast<size_t>(n - 1)]; };
  const uint16_t config = word(mw::kConfigWord);
  for (int bit = 0; bit < kFlagBits; ++bit) form.Field(BitName(bit)).index = (config >> bit) & 1;
  PromptField& speed = form.Field("CBRWSpeed");
  const int code = mw::SpeedCodeOf(config);
  speed.index = code < mw::kSpeedCodes ? code : -1;  // codes 5-7 name no speed
  speed.text = speed.index >= 0 ? speed.items[static_cast<size_t>(speed.index)] : "";
  for (const auto* table : {&ReadSettingFields(), &ParameterFields()}) {
    for (const WordField& f : *table) {
      const uint16_t w = word(f.word);
      const int64_t shown = f.word == mw::kBuzzerWord ? mw::BuzzerHzOfWord(w) : PartOf(w, f.part);
      form.Field(f.name).number.SetValue(static_cast<double>(shown));
    }
  }
}

ParameterWords GetParameterWords(const PromptForm& form, const ParameterWords& read) {
  ParameterWords words = read;
  auto word = [&](int n) -> uint16_t& { return words[static_cast<size_t>(n - 1)]; };
  uint16_t config = word(mw::kConfigWord) & 0xE000;
  for (int bit = 0; bit < kFlagBits; ++bit)
    if (form.Field(BitName(bit)).index == 1) config = static_cast<uint16_t>(config | (1u << bit));
  const int speed = form.Field("CBRWSpeed").index;
  if (speed >= 0 && speed < mw::kSpeedCodes) config = mw::WithSpeedCode(config, speed);
  word(mw::kConfigWord) = config;
  for (const auto* table : {&ReadSettingFields(), &ParameterFields()}) {
    for (const WordField& f : *table) {
      const int64_t v = form.Field(f.name).Int();
      if (f.word == mw::kBuzzerWord) {
        // Hz to word is no inverse of word to Hz (8000 shows 1500, and 1500 stores 7997): a
        // frequency left as it was shown keeps the word as it was read.
        if (v != mw::BuzzerHzOfWord(word(f.word))) word(f.word) = mw::WordOfBuzzerHz(v);
        continue;
      }
      // Both halves of a split word start from the word as read, so write them one at a time.
      word(f.word) = WithPart(word(f.word), f.part, v);
    }
  }
  return words;
}

void SetSystemFlags(PromptForm& form, uint8_t flags) {
  for (int bit = 0; bit < 8; ++bit) form.Field(BitName(bit)).index = (flags >> bit) & 1;
}

uint8_t GetSystemFlags(const PromptForm& form) {
  uint8_t flags = 0;
  for (int bit = 0; bit < 8; ++bit)
    if (form.Field(BitName(bit)).index == 1) flags = static_cast<uint8_t>(flags | (1u << bit));
  return flags;
}

void ShowSystemFlagsOnly(PromptForm& form) {
  form.hiddenPages = {kParameterPage, kKeyPage};
  for (int bit = 8; bit < kFlagBits; ++bit) form.Field(BitName(bit)).visible = false;
  for (const char* name : {"Label49", "CBRWSpeed"}) form.Field(name).visible = false;
  for (const WordField& f : ReadSettingFields()) form.Field(f.name).visible = false;
  // The key presets belong to the hidden "Key" page.
  for (const char* name : {"Button1", "Button2", "Button3"}) form.Action(name).visible = false;
}

IdKey GetKey(const PromptForm& form) {
  IdKey key{};
  for (size_t i = 0; i < key.size(); ++i)
    key[i] = static_cast<uint8_t>(form.Field("EdKey" + std::to_string(i + 1)).Int() & 0xFF);
  return key;
}
