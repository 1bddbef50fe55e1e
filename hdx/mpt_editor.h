#pragma once
// The multipage editor TMPTDataWriteDlg ("MPT Write"): reads the 17 pages of a TI multipage
// transponder into a grid, lets the user edit them as characters or hex digits, writes them
// back, locks the selected pages and saves the grid as CSV. The window stays open while it works:
// SCAN, EDIT, WRITE, SAVE LOG and Configuration > Setting are Return actions that this class
// carries out between calls of Prompts::Interact; CLEAR, "All select" and the display switch are
// Local actions of the form.
//
// Form names: StringGrid_Hanyou (table: header row, the page labels in column 0), GroupBox3
// (radio "ASCII"/"HEX"), GroupCheckBox1_0 .. GroupCheckBox1_16 (the "Lock page" items, group
// "Lock page"), actions ScanSBt, EditSBt, ApplySBt, ClearSBt, SavelogSBt, ExitBBt, AllLockBBt,
// MnSetting and the hidden CloseBox (the window's close box).
#include <string>

#include "hdx/group_check_box.h"
#include "hdx/hanyou_options.h"
#include "hdx/mpt_grid.h"
#include "prompts/prompt_form.h"

class AppCore;
class ProgressDialog;

enum class MptEditState { esEmpty = 0, esRead = 1, esEditing = 2, esReady = 3 };

class TMPTDataWriteDlg {
 public:
  // Creates the editor in esEmpty with the settings of section HanyouDlgOption.
  explicit TMPTDataWriteDlg(AppCore& app);
  TMPTDataWriteDlg(const TMPTDataWriteDlg&) = delete;
  TMPTDataWriteDlg& operator=(const TMPTDataWriteDlg&) = delete;

  // Shows the window until it is closed, then saves the settings (FormCloseQuery).
  void Run();
  // Carries out a pressed action (what Run does with each answer of Interact).
  void Dispatch(const std::string& action);

  // --- Handlers ---
  void ScanSBtClick();
  void EditSBtClick();
  void ApplySBtClick();
  // "Invalid value" for cells that hold no byte: a message box, and an input error of the run.
  void RefuseInvalidCells();
  void ClearSBtClick();
  void AllLockBBtClick();
  // Both display buttons: ascii true for ASCIISBt, false for HEXSBt.
  void ASCIISBtClick(bool ascii);
  void MnSettingClick();
  void SavelogSBtClick();
  // What a cell keeps of the text typed into it (col 0-7 byte cells, row 0-16).
  void StringGrid_HanyouSetEditText(int col, int row, const std::string& text);
  void FormCloseQuery();

  // --- State, for the window and tests ---
  MptEditState State() const { return state_; }
  const MptGrid& Grid() const { return grid_; }
  HanyouDlgOption& Options() { return options_; }
  TGroupCheckBox GroupCheckBox1;
  PromptForm& Form() { return form_; }
  // The window's caption of "All select" / "All clear".
  const std::string& AllLockCaption() const;
  // The column header texts above the byte columns and the Lock column.
  std::string HeaderText(int column) const;

 private:
  MptDisplay Display() const { return static_cast<MptDisplay>(options_.DisplayMode == 1); }
  bool FastMode() const;
  int CheckedPages() const;
  void SetAllItems(bool checked);
  void ReadPages();
  // Converts every row, or nullopt (with the "Invalid value" box) when a cell is not valid.
  bool WritePages(std::string& error);
  bool LockPages();
  void BeginJob(ProgressDialog& progress);
  void EndJob(ProgressDialog& progress);
  void Step(ProgressDialog& progress, int page, const std::string& text);
  // The form from the state: cells, colours, header, enabled actions and items.
  void Sync();
  void Refresh();
  void OnFormChange(const std::string& field);

  AppCore& app_;
  PromptForm form_;
  MptGrid grid_;
  HanyouDlgOption options_;
  MptEditState state_ = MptEditState::esEmpty;
  bool readOk_ = false;
  bool gridEnabled_ = false;  // the grid starts disabled; EDIT enables it
  bool busy_ = false;         // a read, write or lock runs: the editor is disabled
  bool allSelected_ = false;  // "All select" was pressed last
};

// MPTDataWrite1Click: the editor, shown until it closes.
void RunMptEditor(AppCore& app);
