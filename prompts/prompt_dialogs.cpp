#include "prompts/prompt_dialogs.h"

#include "core/ui_text.h"

namespace {

// A number field as the dialogs place it under its label: limit off, decimal, range 0 to 0.
void AddLabelledNumber(PromptForm& form, const std::string& labelName, const std::string& editName,
                       const NumberSpec& spec = NumberSpec()) {
  form.AddLabel(labelName, "");
  form.AddNumber(editName, "", spec, 0);
}

// The visible fields' values are read; a hidden field answers its initial value.
int64_t IntOf(const PromptForm& form, const char* name) {
  return form.Field(name).Int();
}

}  // namespace

PromptForm MakeInputIntDlg() {
  PromptForm form;
  form.dialog = "TInputIntDlg";
  form.caption = "Input Dialog";
  AddLabelledNumber(form, "STTitle", "IntEd");
  form.AddOkCancel("OK", Tr("TInputIntDlg", "キャンセル"));
  return form;
}

PromptForm MakeInputIntDlg2() {
  PromptForm form;
  form.dialog = "TInputIntDlg2";
  form.caption = "InputIntDlg2";
  form.centerOnMainWindow = true;
  form.AddLabel("ST_mode", Tr("TInputIntDlg2", "モード")).row = 0;
  form.AddChoice("ComboBox1", "", {"LF_OFF", "LF_ON", "LF_ON2"}, 0).row = 0;
  form.AddLabel("STTitle", "");
  form.AddLabel("STTitle2", "");
  form.AddNumber("IntEd", "", NumberSpec(), 0);
  form.AddOkCancel("OK", Tr("TInputIntDlg2", "閉じる"));
  form.onChange = [](PromptForm& f, const std::string& field) {
    if (field == "ComboBox1") ComboBox1Change(f);
  };
  ComboBox1Change(form);
  return form;
}

void ComboBox1Change(PromptForm& form) {
  const bool timed = form.Field("ComboBox1").index == 2;  // "LF_ON2"
  for (const char* name : {"STTitle", "STTitle2", "IntEd"}) form.Field(name).visible = timed;
}

PromptForm MakeInp3Data1Dlg() {
  PromptForm form;
  form.dialog = "TInp3Data1Dlg";
  form.caption = "Input Dialog";
  AddLabelledNumber(form, "STTitle1", "IntEd1");
  AddLabelledNumber(form, "STTitle2", "IntEd2");
  NumberSpec third;
  third.Limit = true;
  third.NumberType = TNumberType::ntHex;
  AddLabelledNumber(form, "STTitle3", "IntEd3", third);
  form.AddOkCancel("OK", Tr("TInp3Data1Dlg", "キャンセル"));
  return form;
}

PromptForm MakeInp3Data2Dlg() {
  PromptForm form;
  form.dialog = "TInp3Data2Dlg";
  form.caption = "Input Dialog";
  AddLabelledNumber(form, "STTitle1", "IntEd1");
  AddLabelledNumber(form, "STTitle2", "IntEd2");
  form.AddLabel("STTitle3", "");
  form.AddText("EdString", "", "");
  form.AddCheck("CheckBox1", "CheckBox1", false).visible = false;
  // This dialog's cancel button reads the same in both languages.
  form.AddOkCancel("OK", Tr("TInp3Data2Dlg", "キャンセル"));
  return form;
}

PromptForm MakeSelInp1Dlg() {
  PromptForm form;
  form.dialog = "TSelInp1Dlg";
  form.caption = "Select Dialog";
  form.AddLabel("Label1", "");
  form.AddChoice("ComboBox1", "", {}, -1).choiceStyle = ChoiceStyle::DropDown;
  form.AddOkCancel("OK", Tr("TSelInp1Dlg", "キャンセル"));
  return form;
}

PromptForm MakeHanyousettingDlg() {
  PromptForm form;
  form.dialog = "THanyousettingDlg";
  form.caption = Tr("THanyousettingDlg", "設定");
  form.centerOnMainWindow = true;
  form.AddPage("TabSheet1", Tr("THanyousettingDlg", "MPT書込み"));
  form.AddPage("TabSheet2", Tr("THanyousettingDlg", "タグデータ"));
  auto onPage = [](PromptField& f, const char* page) { f.page = page; };
  onPage(form.AddCheck("CB_Lock_Select", Tr("THanyousettingDlg", "書込み後にロックする"), false),
         "TabSheet1");
  onPage(form.AddCheck("CB_Bit_Inversion",
                       Tr("THanyousettingDlg", "表示するバイトデータを反転する"), false),
         "TabSheet1");
  onPage(
      form.AddCheck("CB_FastMode_MPTDataWrite", Tr("THanyousettingDlg", "ファストモード"), false),
      "TabSheet1");
  onPage(form.AddCheck("CB_FastMode_DispTagData", Tr("THanyousettingDlg", "ファストモード"), false),
         "TabSheet2");
  onPage(form.AddCheck("CB_KoteiMode", Tr("THanyousettingDlg", "タグの読取を固定する"), false),
         "TabSheet2");
  onPage(form.AddRadio("RG_TagType", "", {"MPT", "SIC279", "SIC7888", "EM4305"}, 0, 2),
         "TabSheet2");
  form.AddAction("Button1", "OK", ActionKind::Accept, true);
  form.AddAction("Button2", Tr("THanyousettingDlg", "閉じる"), ActionKind::Cancel);
  form.onChange = [](PromptForm& f, const std::string& field) {
    if (field == "CB_KoteiMode") CB_KoteiModeClick(f);
  };
  CB_KoteiModeClick(form);
  return form;
}

void CB_KoteiModeClick(PromptForm& form) {
  form.Field("RG_TagType").enabled = form.Field("CB_KoteiMode").checked;
}

void SetNumberField(PromptForm& form, const std::string& labelName, const std::string& editName,
                    const PromptNumber& number) {
  PromptField& label = form.Field(labelName);
  PromptField& edit = form.Field(editName);
  label.text = number.label;
  label.visible = edit.visible = number.visible;
  edit.enabled = number.enabled;
  NumberEditModel& m = edit.number;
  if (number.type) m.SetNumberType(*number.type);
  if (number.limit) m.SetLimit(*number.limit);
  m.SetMin(static_cast<double>(number.min));
  m.SetMax(static_cast<double>(number.max));
  m.SetValue(static_cast<double>(number.value));
}

std::optional<int64_t> ShowInputIntDlg(Prompts& prompts, const std::string& caption,
                                       const PromptNumber& field) {
  PromptForm form = MakeInputIntDlg();
  form.caption = caption;
  SetNumberField(form, "STTitle", "IntEd", field);
  if (!prompts.Show(form)) return std::nullopt;
  return IntOf(form, "IntEd");
}

std::optional<InputIntDlg2Answer> ShowInputIntDlg2(Prompts& prompts, const std::string& caption,
                                                   const PromptNumber& field,
                                                   const std::string& title2) {
  PromptForm form = MakeInputIntDlg2();
  form.caption = caption;
  SetNumberField(form, "STTitle", "IntEd", field);
  form.Field("STTitle2").text = title2;
  ComboBox1Change(form);  // the combo, not the caller, decides what is shown
  if (!prompts.Show(form)) return std::nullopt;
  return InputIntDlg2Answer{form.Field("ComboBox1").index, IntOf(form, "IntEd")};
}

std::optional<Inp3Data1Answer> ShowInp3Data1Dlg(Prompts& prompts, const std::string& caption,
                                                const PromptNumber& field1,
                                                const PromptNumber& field2,
                                                const PromptNumber& field3) {
  PromptForm form = MakeInp3Data1Dlg();
  form.caption = caption;
  SetNumberField(form, "STTitle1", "IntEd1", field1);
  SetNumberField(form, "STTitle2", "IntEd2", field2);
  SetNumberField(form, "STTitle3", "IntEd3", field3);
  if (!prompts.Show(form)) return std::nullopt;
  return Inp3Data1Answer{IntOf(form, "IntEd1"), IntOf(form, "IntEd2"), IntOf(form, "IntEd3")};
}

std::optional<Inp3Data2Answer> ShowInp3Data2Dlg(Prompts& prompts, const std::string& caption,
                                                const PromptNumber& field1,
                                                const PromptNumber& field2,
                                                const PromptText& text) {
  PromptForm form = MakeInp3Data2Dlg();
  form.caption = caption;
  SetNumberField(form, "STTitle1", "IntEd1", field1);
  SetNumberField(form, "STTitle2", "IntEd2", field2);
  form.Field("STTitle3").text = text.label;
  PromptField& edit = form.Field("EdString");
  edit.text = text.text;
  edit.visible = text.visible;
  if (!prompts.Show(form)) return std::nullopt;
  return Inp3Data2Answer{IntOf(form, "IntEd1"), IntOf(form, "IntEd2"), edit.text};
}

std::optional<int> ShowSelInp1Dlg(Prompts& prompts, const std::string& caption,
                                  const std::string& label, const std::vector<std::string>& items,
                                  int index) {
  PromptForm form = MakeSelInp1Dlg();
  form.caption = caption;
  form.Field("Label1").text = label;
  PromptField& combo = form.Field("ComboBox1");
  combo.items = items;
  combo.index = index >= 0 && index < static_cast<int>(items.size()) ? index : -1;
  combo.text = combo.index >= 0 ? items[static_cast<size_t>(combo.index)] : "";
  if (!prompts.Show(form)) return std::nullopt;
  return combo.index;
}

std::optional<HanyousettingValues> ShowHanyousettingDlg(Prompts& prompts, HanyouPage page,
                                                        const HanyousettingValues& preset,
                                                        bool showFastModeMptDataWrite) {
  PromptForm form = MakeHanyousettingDlg();
  form.hiddenPages = {page == HanyouPage::MptDataWrite ? "TabSheet2" : "TabSheet1"};
  form.Field("CB_Lock_Select").checked = preset.CB_Lock_Select;
  form.Field("CB_Bit_Inversion").checked = preset.CB_Bit_Inversion;
  PromptField& fast = form.Field("CB_FastMode_MPTDataWrite");
  fast.visible = showFastModeMptDataWrite;
  fast.checked = showFastModeMptDataWrite && preset.CB_FastMode_MPTDataWrite;
  form.Field("CB_FastMode_DispTagData").checked = preset.CB_FastMode_DispTagData;
  form.Field("CB_KoteiMode").checked = preset.CB_KoteiMode;
  CB_KoteiModeClick(form);
  if (!prompts.Show(form)) return std::nullopt;
  HanyousettingValues out;
  out.CB_Lock_Select = form.Field("CB_Lock_Select").checked;
  out.CB_Bit_Inversion = form.Field("CB_Bit_Inversion").checked;
  out.CB_FastMode_MPTDataWrite = fast.checked;
  out.CB_FastMode_DispTagData = form.Field("CB_FastMode_DispTagData").checked;
  out.CB_KoteiMode = form.Field("CB_KoteiMode").checked;
  out.RG_TagType = form.Field("RG_TagType").index;
  return out;
}
