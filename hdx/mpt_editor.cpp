#include "hdx/mpt_editor.h"

#include <ctime>
#include <filesystem>
#include <memory>

#include "app/app_core.h"
#include "core/file_error_text.h"
#include "core/files.h"
#include "core/ui_text.h"
#include "prompts/prompt_dialogs.h"

namespace {

constexpr int kPages = MptGrid::kPages;
constexpr int kAllPages = (1 << kPages) - 1;  // 0x1FFFF
constexpr int kBlue = 0x0000FF;
constexpr int kBlack = 0x000000;
constexpr const char* kGrid = "StringGrid_Hanyou";
constexpr const char* kDisplay = "GroupBox3";
constexpr uint32_t kPagePauseMs = 10;

std::string ItemName(int i) {
  return "GroupCheckBox1_" + std::to_string(i);
}

// "yyyy/mm/dd/,hh:mm:ss" in local time.
std::string DateLine() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y/%m/%d/,%H:%M:%S", &local);
  return text;
}

}  // namespace

TMPTDataWriteDlg::TMPTDataWriteDlg(AppCore& app)
    : app_(app), options_(LoadHanyouDlgOption(app.SettingsPath())) {
  options_.DisplayMode = options_.DisplayMode == 1 ? 1 : 0;
  GroupCheckBox1.SetCaption(Tr("TMPTDataWriteDlg", "ロックするページ"));
  for (int i = 0; i < kPages; ++i) {
    TCheckItem& item = GroupCheckBox1.Items.Add();
    item.SetCaption(std::to_string(i + 1));
    item.SetChecked((options_.WriteLockNum >> i) & 1);
  }

  form_.dialog = "TMPTDataWriteDlg";
  form_.caption = Tr("TMPTDataWriteDlg", "MPT書込み");
  form_.AddAction("ScanSBt", Tr("TMPTDataWriteDlg", "スキャン"), ActionKind::Return);
  form_.AddAction("EditSBt", Tr("TMPTDataWriteDlg", "編集"), ActionKind::Return);
  form_.AddAction("ApplySBt", Tr("TMPTDataWriteDlg", "書込み"), ActionKind::Return);
  form_.AddAction("ClearSBt", Tr("TMPTDataWriteDlg", "クリア"), ActionKind::Local);
  form_.AddAction("SavelogSBt", Tr("TMPTDataWriteDlg", "ログ保存"), ActionKind::Return);
  form_.AddAction("ExitBBt", Tr("TMPTDataWriteDlg", "閉じる"), ActionKind::Return);
  form_.AddAction("AllLockBBt", LoadMessage(Msg::AllSelectMsg), ActionKind::Local);
  form_.AddAction("MnSetting", Tr("TMPTDataWriteDlg", "設定"), ActionKind::Return);
  form_.AddAction("CloseBox", "", ActionKind::Cancel).visible = false;
  form_.AddRadio(kDisplay, Tr("TMPTDataWriteDlg", "表示モード"), {"ASCII", "HEX"},
                 options_.DisplayMode, 2);
  PromptField& grid = form_.AddTable(kGrid, kPages + 1, MptGrid::kColumns + 1);
  grid.fixedRows = 1;
  grid.fixedCols = 1;
  for (int i = 0; i < kPages; ++i)
    form_.AddCheck(ItemName(i), GroupCheckBox1.Items.GetItem(i).Caption(), false).group =
        GroupCheckBox1.Caption();
  form_.onChange = [this](PromptForm&, const std::string& field) { OnFormChange(field); };
  form_.onAction = [this](PromptForm&, const std::string& action) { Dispatch(action); };
  Sync();
}

const std::string& TMPTDataWriteDlg::AllLockCaption() const {
  return LoadMessage(allSelected_ ? Msg::AllClearMsg : Msg::AllSelectMsg);
}

std::string TMPTDataWriteDlg::HeaderText(int column) const {
  return column < MptGrid::kByteColumns ? MptGrid::ColumnNumber(column, options_.BitInversion)
                                        : Tr("TMPTDataWriteDlg", "ロック");
}

bool TMPTDataWriteDlg::FastMode() const {
  return options_.FastMode == 1 && app_.ReaderLevel >= 2;
}

int TMPTDataWriteDlg::CheckedPages() const {
  int bits = 0;
  for (int i = 0; i < kPages; ++i)
    if (GroupCheckBox1.Items.GetItem(i).Checked()) bits |= 1 << i;
  return bits;
}

void TMPTDataWriteDlg::SetAllItems(bool checked) {
  for (int i = 0; i < kPages; ++i) GroupCheckBox1.Items.GetItem(i).SetChecked(checked);
}

void TMPTDataWriteDlg::Sync() {
  const bool editing = state_ == MptEditState::esEditing;
  PromptField& grid = form_.Field(kGrid);
  // The Lock column is hidden while editing.
  const int columns = editing ? MptGrid::kByteColumns : MptGrid::kColumns;
  grid.cells.assign(kPages + 1, std::vector<std::string>(static_cast<size_t>(columns + 1)));
  grid.cellColors.assign(kPages + 1, std::vector<int>(static_cast<size_t>(columns + 1), -1));
  grid.cells[0][0] = Tr("TMPTDataWriteDlg", "バイト");
  for (int c = 0; c < columns; ++c) grid.cells[0][static_cast<size_t>(c + 1)] = HeaderText(c);
  for (int r = 0; r < kPages; ++r) {
    auto& row = grid.cells[static_cast<size_t>(r + 1)];
    row[0] = Tr("TMPTDataWriteDlg", "ページ") + std::to_string(r + 1);
    for (int c = 0; c < columns; ++c) {
      row[static_cast<size_t>(c + 1)] = grid_.Cell(c, r);
      grid.cellColors[static_cast<size_t>(r + 1)][static_cast<size_t>(c + 1)] =
          grid_.CellKind(c, r) ? kBlue : kBlack;
    }
  }
  grid.enabled = gridEnabled_ && !busy_;
  grid.readOnly = !editing || busy_;

  form_.Field(kDisplay).index = options_.DisplayMode;
  form_.Field(kDisplay).enabled = !busy_;
  for (int i = 0; i < kPages; ++i) {
    PromptField& item = form_.Field(ItemName(i));
    item.checked = GroupCheckBox1.Items.GetItem(i).Checked();
    item.enabled = editing && !busy_;
  }
  GroupCheckBox1.Enabled = editing && !busy_;

  const bool empty = state_ == MptEditState::esEmpty, read = state_ == MptEditState::esRead,
             ready = state_ == MptEditState::esReady;
  auto enable = [&](const char* name, bool on) { form_.Action(name).enabled = on && !busy_; };
  enable("ScanSBt", empty || read);
  enable("EditSBt", !empty);
  enable("ApplySBt", ready);
  enable("AllLockBBt", editing);
  enable("ClearSBt", !editing);
  enable("SavelogSBt", !editing);
  enable("ExitBBt", !editing);
  enable("MnSetting", true);
  form_.Action("AllLockBBt").caption = AllLockCaption();
  // The one button starts and ends editing: its caption says which it does now.
  form_.Action("EditSBt").caption =
      editing ? Tr("TMPTDataWriteDlg", "編集終了") : Tr("TMPTDataWriteDlg", "編集");
}

void TMPTDataWriteDlg::Refresh() {
  Sync();
  app_.Prompt().Refresh(form_);
}

void TMPTDataWriteDlg::OnFormChange(const std::string& field) {
  if (field == kGrid) {
    const PromptField& grid = form_.Field(kGrid);
    for (int r = 0; r < kPages && static_cast<size_t>(r + 1) < grid.cells.size(); ++r) {
      const auto& row = grid.cells[static_cast<size_t>(r + 1)];
      for (int c = 0; c < MptGrid::kByteColumns && static_cast<size_t>(c + 1) < row.size(); ++c)
        if (row[static_cast<size_t>(c + 1)] != grid_.Cell(c, r))
          StringGrid_HanyouSetEditText(c, r, row[static_cast<size_t>(c + 1)]);
    }
  } else if (field == kDisplay) {
    ASCIISBtClick(form_.Field(kDisplay).index != 1);
  } else {
    for (int i = 0; i < kPages; ++i) {
      if (field != ItemName(i)) continue;
      if (form_.Field(field).checked != GroupCheckBox1.Items.GetItem(i).Checked() &&
          GroupCheckBox1.Enabled)
        GroupCheckBox1.ClickItem(i);
    }
  }
  Sync();
}

void TMPTDataWriteDlg::Dispatch(const std::string& action) {
  if (busy_) return;
  if (action == "ScanSBt") ScanSBtClick();
  if (action == "EditSBt") EditSBtClick();
  if (action == "ApplySBt") ApplySBtClick();
  if (action == "ClearSBt") ClearSBtClick();
  if (action == "AllLockBBt") AllLockBBtClick();
  if (action == "SavelogSBt") SavelogSBtClick();
  if (action == "MnSetting") MnSettingClick();
  Sync();
}

void TMPTDataWriteDlg::Run() {
  for (;;) {
    const std::string action = app_.Prompt().Interact(form_);
    const PromptAction* a = form_.FindAction(action);
    if (!a || a->kind == ActionKind::Cancel || a->kind == ActionKind::Accept) break;
    if (action == "ExitBBt") {
      app_.Prompt().Close(form_);
      break;
    }
    Dispatch(action);
  }
  FormCloseQuery();
}

void TMPTDataWriteDlg::BeginJob(ProgressDialog& progress) {
  busy_ = true;
  Refresh();
  progress.SetCaption(LoadMessage(Msg::PleaseWaitMsg));
  progress.SetCancelVisible(false);  // nothing can be cancelled
  progress.SetProgress(0, kPages);
  progress.SetLabel("");
  progress.Show();
}

void TMPTDataWriteDlg::EndJob(ProgressDialog& progress) {
  progress.Close();
  busy_ = false;
  Refresh();
}

void TMPTDataWriteDlg::Step(ProgressDialog& progress, int page, const std::string& text) {
  progress.SetProgress(page, kPages);
  progress.SetLabel(text + std::to_string(page) + ".");
}

void TMPTDataWriteDlg::ScanSBtClick() {
  if (state_ != MptEditState::esEmpty && state_ != MptEditState::esRead) return;
  grid_.Clear();
  readOk_ = false;
  Refresh();
  Response out{};
  if (app_.Link().ChargeOnlyRead(out, 1)) {
    if (out[2] != 2)
      app_.ReportMessage(LoadMessage(Msg::NotMPTTgaMsg), LoadMessage(Msg::ReadMsg), false,
                         MessageIcon::Warning);
    else
      ReadPages();
  }
  state_ = readOk_ ? MptEditState::esRead : MptEditState::esEmpty;
  Sync();
  if (!readOk_)
    app_.ReportMessage(LoadMessage(Msg::ReadErrorMsg), LoadMessage(Msg::ReadMsg), false,
                       MessageIcon::Warning);
}

void TMPTDataWriteDlg::ReadPages() {
  std::unique_ptr<ProgressDialog> progress = app_.Prompt().CreateProgress();
  BeginJob(*progress);
  readOk_ = true;
  TTirisC1Dlg& comm = app_.Link();
  if (FastMode()) {
    progress->SetProgress(kPages, kPages);
    Response out{};
    constexpr int kGroup = 9;  // p0 .. p7 and the page status
    if (comm.GeneralReadPageCmd2(out, 1, kPages)) {
      // 0x8B, tag type, then one group per page; a group the answer does not hold completely
      // leaves its row empty and the read failed.
      for (int p = 0; p < kPages; ++p) {
        const int first = 3 + kGroup * p;  // out index of p0
        if (out[0] < 2 + kGroup * (p + 1)) {
          readOk_ = false;
          break;
        }
        grid_.FillRow(p, std::span<const uint8_t, 8>(&out[static_cast<size_t>(first)], 8),
                      out[static_cast<size_t>(first + 8)], options_.BitInversion, Display());
      }
    } else {
      readOk_ = false;
    }
  } else {
    for (int n = 1; n <= kPages; ++n) {
      Step(*progress, n, LoadMessage(Msg::ReadPageMsg));
      Response out{};
      if (comm.GeneralReadPage(out, static_cast<uint8_t>(n)))
        grid_.FillRow(n - 1, std::span<const uint8_t, 8>(&out[3], 8), out[11],
                      options_.BitInversion, Display());
      else
        readOk_ = false;
      Refresh();  // the row shows at once
      app_.Sleep(kPagePauseMs);
    }
  }
  EndJob(*progress);
}

void TMPTDataWriteDlg::EditSBtClick() {
  if (state_ == MptEditState::esRead || state_ == MptEditState::esReady) {
    gridEnabled_ = true;
    state_ = MptEditState::esEditing;
  } else if (state_ == MptEditState::esEditing) {
    options_.WriteLockNum = CheckedPages();
    if (grid_.AllByteCellsValid(Display())) {
      state_ = MptEditState::esReady;
    } else {
      state_ = MptEditState::esRead;
      Sync();
      RefuseInvalidCells();
    }
  }
  Sync();
}

void TMPTDataWriteDlg::StringGrid_HanyouSetEditText(int col, int row, const std::string& text) {
  if (state_ != MptEditState::esEditing || col < 0 || col >= MptGrid::kByteColumns || row < 0 ||
      row >= kPages)
    return;
  grid_.SetCell(col, row, MptGrid::FilterEditText(text, Display()));
}

void TMPTDataWriteDlg::RefuseInvalidCells() {
  const std::string text = LoadMessage(Msg::InvalidValueMsg);
  app_.Outcome().InputError(text);
  app_.Prompt().Warning(text, LoadMessage(Msg::WriteDataMsg));
}

void TMPTDataWriteDlg::ApplySBtClick() {
  if (state_ != MptEditState::esReady) return;
  // Cells are checked again before any byte goes out: nothing is written from a cell that has
  // no byte.
  if (!grid_.AllByteCellsValid(Display())) {
    RefuseInvalidCells();
    return;
  }
  std::string error = LoadMessage(Msg::WriteErrorMsg) + "\r\n" + "Page : ";
  bool ok = WritePages(error);
  if (!ok) app_.ReportMessage(error, LoadMessage(Msg::WriteMsg), false, MessageIcon::Error);
  if (ok && options_.LockSelect &&
      app_.Prompt().Confirm(LoadMessage(Msg::MPTLockMsg), LoadMessage(Msg::WriteMsg),
                            ConfirmButtons::OkCancel))
    ok = LockPages();
  if (ok) app_.ReportMessage("OK!", LoadMessage(Msg::WriteMsg), true);
  options_.WriteLockNum = CheckedPages();
  Sync();
}

bool TMPTDataWriteDlg::WritePages(std::string& error) {
  std::unique_ptr<ProgressDialog> progress = app_.Prompt().CreateProgress();
  BeginJob(*progress);
  TTirisC1Dlg& comm = app_.Link();
  bool ok = true;
  if (FastMode()) {
    std::vector<uint8_t> all;
    for (int n = 1; n <= kPages; ++n) {
      Step(*progress, n, LoadMessage(Msg::WritePageMsg));
      const auto bytes = grid_.RowBytes(n - 1, options_.BitInversion, Display());
      all.insert(all.end(), bytes.begin(), bytes.end());
    }
    Response out{};
    ok = comm.WriteAndProgramCmd2(out, 1, kPages, all);
  } else {
    for (int n = 1; n <= kPages; ++n) {
      Step(*progress, n, LoadMessage(Msg::WritePageMsg));
      const auto bytes = grid_.RowBytes(n - 1, options_.BitInversion, Display());
      Response out{};
      if (!comm.ProgramPage(out, static_cast<uint8_t>(n), bytes)) {
        ok = false;
        error += "," + std::to_string(n);
      }
    }
  }
  EndJob(*progress);
  return ok;
}

bool TMPTDataWriteDlg::LockPages() {
  std::unique_ptr<ProgressDialog> progress = app_.Prompt().CreateProgress();
  BeginJob(*progress);
  bool ok = true;
  int failed = 0;
  for (int n = 1; n <= kPages && ok; ++n) {
    Step(*progress, n, LoadMessage(Msg::LockPageMsg));
    if (!GroupCheckBox1.Items.GetItem(n - 1).Checked()) continue;
    Response out{};
    if (!app_.Link().LockPage(out, static_cast<uint8_t>(n))) {
      ok = false;
      failed = n;
    }
  }
  EndJob(*progress);
  if (!ok)
    app_.ReportMessage(LoadMessage(Msg::LockErrorMsg) + "\r\n" + "Page : " + std::to_string(failed),
                       LoadMessage(Msg::WriteMsg), false, MessageIcon::Error);
  return ok;
}

void TMPTDataWriteDlg::ClearSBtClick() {
  if (state_ == MptEditState::esEditing) return;
  grid_.Clear();
  state_ = MptEditState::esEmpty;
  Sync();
}

void TMPTDataWriteDlg::AllLockBBtClick() {
  if (state_ != MptEditState::esEditing) return;
  allSelected_ = !allSelected_;
  SetAllItems(allSelected_);
  options_.WriteLockNum = allSelected_ ? kAllPages : 0;
  Sync();
}

void TMPTDataWriteDlg::ASCIISBtClick(bool ascii) {
  const int mode = ascii ? 0 : 1;
  if (options_.DisplayMode != mode) {
    options_.DisplayMode = mode;
    ascii ? grid_.SwitchToAscii() : grid_.SwitchToHex();
  }
  Sync();
}

void TMPTDataWriteDlg::MnSettingClick() {
  const bool level2 = app_.ReaderLevel >= 2;
  HanyousettingValues preset;
  preset.CB_Lock_Select = options_.LockSelect;
  preset.CB_Bit_Inversion = options_.BitInversion;
  preset.CB_FastMode_MPTDataWrite = level2 && options_.FastMode == 1;
  if (auto v = ShowHanyousettingDlg(app_.Prompt(), HanyouPage::MptDataWrite, preset, level2)) {
    options_.LockSelect = v->CB_Lock_Select;
    options_.BitInversion = v->CB_Bit_Inversion;
    options_.FastMode = level2 && v->CB_FastMode_MPTDataWrite ? 1 : 0;
  }
  Sync();  // the header follows BitInversion; the cells keep their places until the next read
}

void TMPTDataWriteDlg::SavelogSBtClick() {
  if (state_ == MptEditState::esEditing) return;
  auto chosen = app_.Prompt().SaveFileName(options_.SaveFileName, "CSVFiles|*.csv");
  if (!chosen) return;
  std::filesystem::path path(*chosen);
  path.replace_extension(".csv");
  options_.SaveFileName = path.string();
  const std::string text = grid_.CsvText(DateLine(), options_.BitInversion);
  // The whole record or nothing. The grid stays as it is; only the file could not be written, and
  // the message says why.
  if (const files::Error error = files::Append(path.string(), text))
    app_.ReportMessage(Tr("TMPTDataWriteDlg", "ファイルに書き込めませんでした: ") + path.string() +
                           " (" + FileErrorText(error) + ")",
                       Tr("TMPTDataWriteDlg", "ログ保存"), false);
  else  // the user sees where the record went
    app_.ReportMessage(Tr("TMPTDataWriteDlg", "ファイルに追記しました: ") + path.string(),
                       Tr("TMPTDataWriteDlg", "ログ保存"), true);
}

void TMPTDataWriteDlg::FormCloseQuery() {
  SaveHanyouDlgOption(app_.SettingsPath(), options_);
}

void RunMptEditor(AppCore& app) {
  TMPTDataWriteDlg(app).Run();
}
