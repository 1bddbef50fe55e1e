#pragma once
// The tag memory viewer TDispTagDataDlg ("Tag Data"), opened by "Display Tag Data..."
// (MnTgaDataClick). It stays open while it reads: "Read", "File" > "Save" and "Configuration" >
// "Operating environment" are Return actions that this class carries out between calls of
// Prompts::Interact, and the rows show as they are read (Prompts::Refresh). The reading itself is
// TagMemoryReader's (hdx/tag_viewer.h), the CSV export AppendTagDataCsv's (hdx/tag_viewer_csv.h).
//
// Form names: EdUID ("ID(Hex)"), EdChip ("Tag Type"), EdManufacturer ("Chip/Manufacture"),
// StringGrid1 (table, row 0 the header); actions OKBtn "Read" (default), MnSavelog "Save",
// MnSetting "Operating environment" (shown with the "Configuration" menu), Label3 (a click on the
// "ID(Hex)" label: with Ctrl held it shows the "Configuration" menu) and CancelBtn "Close".
#include <string>

#include "hdx/disp_tag_data_settings.h"
#include "hdx/tag_viewer.h"
#include "prompts/prompt_form.h"

class AppCore;

class TDispTagDataDlg {
 public:
  // Creates the viewer with the settings of section DispTagData and FixedTagType 0.
  explicit TDispTagDataDlg(AppCore& app);
  TDispTagDataDlg(const TDispTagDataDlg&) = delete;
  TDispTagDataDlg& operator=(const TDispTagDataDlg&) = delete;

  // The "Configuration" menu (MnConfiguration) and its item.
  void SetConfigurationVisible(bool visible);
  bool ConfigurationVisible() const;

  // Shows the window until it is closed, then writes the settings (FormCloseQuery).
  void Run();
  // Carries out a pressed action (what Run does with each answer of Interact).
  void Dispatch(const std::string& action);

  // --- Handlers ---
  void OKBtnClick();
  void MnSettingClick();
  void MnSavelogClick();
  void Label3Click();
  void FormCloseQuery();

  // 0 identify the transponder; 1 TI multipage, 2 SIC279, 3 SIC7888, 4 EM4205/EM4305.
  int FixedTagType = kIdentifyTag;
  DispTagDataOption& Options() { return options_; }
  const TagData& Data() const { return data_; }
  PromptForm& Form() { return form_; }

 private:
  // The form from the data and the state.
  void Sync();
  void Refresh();
  // A user's edit of a field or cell goes into the data (what "Save" writes).
  void OnFormChange(const std::string& field);

  AppCore& app_;
  PromptForm form_;
  DispTagDataOption options_;
  TagData data_;
  bool busy_ = false;  // a read runs: the actions wait
};

// MnTgaDataClick: the viewer, its "Configuration" menu shown from reader level 2, until it closes.
void MnTgaDataClick(AppCore& app);
