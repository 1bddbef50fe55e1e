#include <gtest/gtest.h>

#include "prompts/prompt_dialogs.h"
#include "prompts/scripted_prompts.h"

namespace {

std::vector<std::string> Names(const PromptForm& form) {
  std::vector<std::string> out;
  for (const auto& f : form.fields) out.push_back(f.name);
  for (const auto& a : form.actions) out.push_back(a.name);
  return out;
}

}  // namespace

// The command runner and the window address the controls by these names.
TEST(PromptForms, ControlNames) {
  using V = std::vector<std::string>;
  EXPECT_EQ(Names(MakeInputIntDlg()), (V{"STTitle", "IntEd", "OKBtn", "CancelBtn"}));
  EXPECT_EQ(Names(MakeInputIntDlg2()),
            (V{"ST_mode", "ComboBox1", "STTitle", "STTitle2", "IntEd", "OKBtn", "CancelBtn"}));
  EXPECT_EQ(Names(MakeInp3Data1Dlg()), (V{"STTitle1", "IntEd1", "STTitle2", "IntEd2", "STTitle3",
                                          "IntEd3", "OKBtn", "CancelBtn"}));
  EXPECT_EQ(Names(MakeInp3Data2Dlg()), (V{"STTitle1", "IntEd1", "STTitle2", "IntEd2", "STTitle3",
                                          "EdString", "CheckBox1", "OKBtn", "CancelBtn"}));
  EXPECT_EQ(Names(MakeSelInp1Dlg()), (V{"Label1", "ComboBox1", "OKBtn", "CancelBtn"}));
  EXPECT_EQ(Names(MakeHanyousettingDlg()),
            (V{"CB_Lock_Select", "CB_Bit_Inversion", "CB_FastMode_MPTDataWrite",
               "CB_FastMode_DispTagData", "CB_KoteiMode", "RG_TagType", "Button1", "Button2"}));
}

TEST(PromptForms, InputIntDlg2ShowsTheTimeOnlyForLfOn2) {
  PromptForm form = MakeInputIntDlg2();
  auto shown = [&] {
    return std::vector<bool>{form.Field("STTitle").visible, form.Field("STTitle2").visible,
                             form.Field("IntEd").visible};
  };
  EXPECT_EQ(form.Field("ComboBox1").index, 0);
  EXPECT_EQ(shown(), (std::vector<bool>{false, false, false}));
  for (int index : {1, 2, 0}) {
    form.Field("ComboBox1").index = index;
    form.Changed("ComboBox1");
    const bool timed = index == 2;
    EXPECT_EQ(shown(), (std::vector<bool>{timed, timed, timed})) << index;
  }
}

TEST(PromptForms, HanyousettingEnablesTheTagTypeWithFixedReading) {
  PromptForm form = MakeHanyousettingDlg();
  EXPECT_FALSE(form.Field("RG_TagType").enabled);
  form.Field("CB_KoteiMode").checked = true;
  form.Changed("CB_KoteiMode");
  EXPECT_TRUE(form.Field("RG_TagType").enabled);
  form.Field("CB_KoteiMode").checked = false;
  form.Changed("CB_KoteiMode");
  EXPECT_FALSE(form.Field("RG_TagType").enabled);
}

TEST(PromptHelpers, InputIntDlgReturnsTheTruncatedValueOrNothing) {
  ScriptedPrompts p;
  p.Answer("IntEd", "200");  // range 1 to 50, limit off: the caller gets 200
  EXPECT_EQ(
      ShowInputIntDlg(
          p, "Set  LF transmission Level",
          {.label = "Set the transmission level (MAX: 50)", .value = 20, .min = 1, .max = 50}),
      200);
  const PromptForm& shown = p.shown.back();
  EXPECT_EQ(shown.dialog, "TInputIntDlg");
  EXPECT_EQ(shown.caption, "Set  LF transmission Level");
  EXPECT_EQ(shown.Field("STTitle").text, "Set the transmission level (MAX: 50)");

  ScriptedPrompts untouched;  // OK at once answers the initial value
  EXPECT_EQ(ShowInputIntDlg(untouched, "GeneralReadPage", {.value = 7, .max = 255}), 7);

  ScriptedPrompts cancel;
  cancel.CancelFirst();
  EXPECT_EQ(ShowInputIntDlg(cancel, "x", {.value = 7}), std::nullopt);

  ScriptedPrompts limited;
  limited.Answer("IntEd", "0");  // zero is exempt once the field is left
  EXPECT_EQ(ShowInputIntDlg(limited, "x", {.value = 5, .min = 1, .max = 44, .limit = true}), 0);
  ScriptedPrompts bad;
  bad.Answer("IntEd", "12x");
  EXPECT_THROW(ShowInputIntDlg(bad, "x", {}), ScriptError);
}

TEST(PromptHelpers, InputIntDlg2ReportsModeAndTime) {
  ScriptedPrompts p;
  p.Answer("ComboBox1", "LF_ON2");
  p.Answer("TInputIntDlg2.IntEd", "500");
  auto r = ShowInputIntDlg2(
      p, "LF ON command", {.label = "Enter LF ON Time [Max 5000]ms.", .value = 3000, .max = 10000},
      "No other commands are accepted in this mode.");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->mode, 2);
  EXPECT_EQ(r->value, 500);
  const PromptForm& shown = p.shown.back();
  EXPECT_TRUE(shown.Field("IntEd").visible);
  EXPECT_EQ(shown.Field("STTitle2").text, "No other commands are accepted in this mode.");

  ScriptedPrompts off;
  auto r2 = ShowInputIntDlg2(off, "LF ON command", {.value = 3000, .max = 10000}, "");
  ASSERT_TRUE(r2);
  EXPECT_EQ(r2->mode, 0);
  EXPECT_FALSE(off.shown.back().Field("IntEd").visible);  // the caller cannot show it for LF_OFF
}

TEST(PromptHelpers, Inp3Data1KeepsTheThirdFieldHexAndLimited) {
  ScriptedPrompts p;
  p.Answer("IntEd1", "300");  // limit off: out of range passes
  p.Answer("IntEd3", "20");   // hex 0x20, limited to 15
  auto r = ShowInp3Data1Dlg(p, "ReadMultipleBlocks ", {.label = "Flag", .max = 63},
                            {.label = "Start Block(0-15)", .value = 4, .max = 31},
                            {.label = "Block Number(0-)", .value = 2, .max = 15});
  ASSERT_TRUE(r);
  EXPECT_EQ(r->IntEd1, 300);
  EXPECT_EQ(r->IntEd2, 4);
  EXPECT_EQ(r->IntEd3, 15);

  // A caller may make the third field decimal and hide or disable the others.
  ScriptedPrompts q;
  q.Answer("IntEd3", "20");
  auto s = ShowInp3Data1Dlg(q, "SIC7888: ReadBlock2",
                            {.label = "Protocol Mode(0-2)", .value = 1, .enabled = false},
                            {.label = "Start Block Address(0-43)", .max = 43},
                            {.label = "Block Number(1-44)",
                             .value = 1,
                             .min = 1,
                             .max = 44,
                             .type = TNumberType::ntDecimal});
  ASSERT_TRUE(s);
  EXPECT_EQ(s->IntEd1, 1);
  EXPECT_EQ(s->IntEd3, 20);
  const PromptForm& shown = q.shown.back();
  EXPECT_FALSE(shown.Field("IntEd1").enabled);
  EXPECT_TRUE(shown.Field("STTitle1").visible);

  PromptForm hidden = MakeInp3Data1Dlg();
  SetNumberField(hidden, "STTitle2", "IntEd2", {.visible = false});
  EXPECT_FALSE(hidden.Field("STTitle2").visible);
  EXPECT_FALSE(hidden.Field("IntEd2").visible);
}

TEST(PromptHelpers, Inp3Data2SelInp1AndHanyousetting) {
  ScriptedPrompts p;
  p.Answer("IntEd2", "99");  // limited 1..43 by the caller
  p.Answer("EdString", "00 01 02 03 04 05 06 07");
  auto r = ShowInp3Data2Dlg(
      p, "WriteAndProgram2", {.label = "Start page", .max = 43, .limit = true},
      {.label = "page number", .value = 1, .min = 1, .max = 43, .limit = true}, {.label = "Data"});
  ASSERT_TRUE(r);
  EXPECT_EQ(r->IntEd2, 43);
  EXPECT_EQ(r->EdString, "00 01 02 03 04 05 06 07");
  EXPECT_FALSE(p.shown.back().Field("CheckBox1").visible);

  ScriptedPrompts sel;
  sel.Answer("ComboBox1", "38.4kbps");
  const std::vector<std::string> speeds{"9600bps", "19.2kbps", "38.4kbps", "57.6kbps", "115.2kbps"};
  EXPECT_EQ(ShowSelInp1Dlg(sel, "Select COM Speed", "COM Speed", speeds, 3), 2);
  ScriptedPrompts none;
  EXPECT_EQ(ShowSelInp1Dlg(none, "Select COM Speed", "COM Speed", speeds, 9), -1);
  ScriptedPrompts typed;  // the drop-down is editable: a text that is no item selects none
  typed.Answer("ComboBox1", "230.4kbps");
  EXPECT_EQ(ShowSelInp1Dlg(typed, "Select COM Speed", "COM Speed", speeds, 3), -1);
  EXPECT_EQ(typed.shown.back().Field("ComboBox1").text, "230.4kbps");
  ScriptedPrompts byIndex;
  byIndex.Answer("ComboBox1", "4");
  EXPECT_EQ(ShowSelInp1Dlg(byIndex, "Select COM Speed", "COM Speed", speeds, 0), 4);

  // The tag memory viewer with a fixed tag type.
  ScriptedPrompts viewer;
  auto h = ShowHanyousettingDlg(viewer, HanyouPage::TagData, {.CB_KoteiMode = true}, false);
  ASSERT_TRUE(h);
  const PromptForm& shown = viewer.shown.back();
  EXPECT_TRUE(shown.Field("RG_TagType").enabled);
  EXPECT_EQ(shown.Field("RG_TagType").index, 0);
  EXPECT_EQ(shown.hiddenPages, std::vector<std::string>{"TabSheet1"});
  EXPECT_TRUE(h->CB_KoteiMode);
  EXPECT_EQ(h->RG_TagType, 0);

  // The multipage editor below reader level 2: fast mode hidden and stored off.
  ScriptedPrompts editor;
  editor.Answer("RG_TagType", "SIC7888");
  auto e = ShowHanyousettingDlg(editor, HanyouPage::MptDataWrite,
                                {.CB_Lock_Select = true, .CB_FastMode_MPTDataWrite = true}, false);
  ASSERT_TRUE(e);
  EXPECT_TRUE(e->CB_Lock_Select);
  EXPECT_FALSE(e->CB_FastMode_MPTDataWrite);
  EXPECT_FALSE(editor.shown.back().Field("CB_FastMode_MPTDataWrite").visible);
  EXPECT_EQ(editor.shown.back().hiddenPages, std::vector<std::string>{"TabSheet2"});
  EXPECT_EQ(e->RG_TagType, 0);  // disabled without fixed reading: the answer did not apply
}
