#pragma once
// The generic prompts that command handlers show before sending a command: TInputIntDlg (one
// number), TInputIntDlg2 (LF mode and time), TInp3Data1Dlg (up to three numbers),
// TInp3Data2Dlg (two numbers and a hex text), TSelInp1Dlg (one choice) and the option dialog
// THanyousettingDlg. Each Make... builds the dialog with its default captions, field properties
// and behaviour; each Show... is the whole caller protocol in one call: configure, show, and on
// OK read the answers (nullopt on Cancel: the command then sends nothing).
//
//   auto page = ShowInputIntDlg(prompts, "GeneralReadPage",
//                               {.label = text, .value = remembered, .max = 255});
//   auto r = ShowInp3Data1Dlg(prompts, "LockBitRead", {.label = block, .value = no, .max = 255},
//                             {.visible = false}, {.visible = false});
//
// Field and dialog names are the controls' names, so scripts address them as "IntEd1" or
// "TInp3Data1Dlg.IntEd1".
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "prompts/prompts.h"

// One numeric field as its caller configures it. An unset limit or number type keeps the
// field's own default (IntEd3 of TInp3Data1Dlg is limited and hexadecimal, the others not).
// Every member has an initializer, so a designated initializer may name only what it sets.
struct PromptNumber {
  std::string label{};  // text of the label above the field
  int64_t value = 0;
  int64_t min = 0;
  int64_t max = 0;
  std::optional<bool> limit{};
  std::optional<TNumberType> type{};
  bool visible = true;  // the field and its label
  bool enabled = true;
};

// The text line of TInp3Data2Dlg (STTitle3 + EdString).
struct PromptText {
  std::string label{};
  std::string text{};
  bool visible = true;
};

// Dialogs with their defaults.
PromptForm MakeInputIntDlg();
PromptForm MakeInputIntDlg2();
PromptForm MakeInp3Data1Dlg();
PromptForm MakeInp3Data2Dlg();
PromptForm MakeSelInp1Dlg();
PromptForm MakeHanyousettingDlg();

// TInputIntDlg2: STTitle, STTitle2 and IntEd are shown only while "LF_ON2" is selected.
void ComboBox1Change(PromptForm& form);
// THanyousettingDlg: RG_TagType is enabled exactly while CB_KoteiMode is checked.
void CB_KoteiModeClick(PromptForm& form);

// Configures the label and numeric field pair as a caller does: label text, number type, limit,
// range, value (in that order, so a zero value stays exempt), visibility and enabled state.
void SetNumberField(PromptForm& form, const std::string& labelName, const std::string& editName,
                    const PromptNumber& number);

// TInputIntDlg: STTitle is the field's label; the answer is IntEd's value truncated.
std::optional<int64_t> ShowInputIntDlg(Prompts& prompts, const std::string& caption,
                                       const PromptNumber& field);

// TInputIntDlg2: the field's label goes to STTitle, `title2` to STTitle2.
struct InputIntDlg2Answer {
  int mode = 0;       // ComboBox1 index: 0 "LF_OFF", 1 "LF_ON", 2 "LF_ON2"
  int64_t value = 0;  // IntEd, meaningful for "LF_ON2" only
};
std::optional<InputIntDlg2Answer> ShowInputIntDlg2(Prompts& prompts, const std::string& caption,
                                                   const PromptNumber& field,
                                                   const std::string& title2);

// TInp3Data1Dlg: STTitle1..3 over IntEd1..3.
struct Inp3Data1Answer {
  int64_t IntEd1 = 0;
  int64_t IntEd2 = 0;
  int64_t IntEd3 = 0;
};
std::optional<Inp3Data1Answer> ShowInp3Data1Dlg(Prompts& prompts, const std::string& caption,
                                                const PromptNumber& field1,
                                                const PromptNumber& field2,
                                                const PromptNumber& field3);

// TInp3Data2Dlg: STTitle1/IntEd1, STTitle2/IntEd2, STTitle3/EdString.
struct Inp3Data2Answer {
  int64_t IntEd1 = 0;
  int64_t IntEd2 = 0;
  std::string EdString;
};
std::optional<Inp3Data2Answer> ShowInp3Data2Dlg(Prompts& prompts, const std::string& caption,
                                                const PromptNumber& field1,
                                                const PromptNumber& field2, const PromptText& text);

// TSelInp1Dlg: Label1 and ComboBox1; the answer is the item index (-1: none selected).
std::optional<int> ShowSelInp1Dlg(Prompts& prompts, const std::string& caption,
                                  const std::string& label, const std::vector<std::string>& items,
                                  int index);

// THanyousettingDlg: the page shown (the other page's tab is hidden), the check boxes' states
// and whether CB_FastMode_MPTDataWrite is shown (hidden, it is unchecked so OK stores fast mode
// off). RG_TagType is not preset: it shows "MPT" on opening.
enum class HanyouPage { MptDataWrite, TagData };
struct HanyousettingValues {
  bool CB_Lock_Select = false;
  bool CB_Bit_Inversion = false;
  bool CB_FastMode_MPTDataWrite = false;
  bool CB_FastMode_DispTagData = false;
  bool CB_KoteiMode = false;
  int RG_TagType = 0;  // 0 "MPT", 1 "SIC279", 2 "SIC7888", 3 "EM4305"
};
std::optional<HanyousettingValues> ShowHanyousettingDlg(Prompts& prompts, HanyouPage page,
                                                        const HanyousettingValues& preset,
                                                        bool showFastModeMptDataWrite);
