#include "hdx/disp_tag_data_dlg.h"

#include <ctime>
#include <exception>

#include "app/app_core.h"
#include "app/handler_registry.h"
#include "core/file_error_text.h"
#include "core/ui_text.h"
#include "hdx/tag_viewer_csv.h"
#include "prompts/prompt_dialogs.h"

namespace {
constexpr const char* kGrid = "StringGrid1";
constexpr const char* kTextFields[] = {"EdUID", "EdChip", "EdManufacturer"};
}  // namespace

TDispTagDataDlg::TDispTagDataDlg(AppCore& app)
    : app_(app), options_(LoadDispTagDataOption(app.SettingsPath())) {
  form_.dialog = "TDispTagDataDlg";
  form_.caption = Tr("TDispTagDataDlg", "タグデータ");
  form_.AddText("EdUID", Tr("TDispTagDataDlg", "ID(16進)"), "").row = 0;
  form_.AddText("EdChip", Tr("TDispTagDataDlg", "タグの種類"), "").row = 1;
  form_.AddText("EdManufacturer", Tr("TDispTagDataDlg", "チップ/製造者"), "").row = 2;
  PromptField& grid = form_.AddTable(kGrid, TagData::kInitialRows, TagData::kColumns);
  grid.fixedRows = 1;
  grid.fixedCols = 0;
  grid.columnWidths = {64, 220, 280};  // the look is ours: room for 4 or 8 bytes and the labels
  form_.AddAction("OKBtn", Tr("TDispTagDataDlg", "読取り"), ActionKind::Return, true);
  form_.AddAction("MnSavelog", Tr("TDispTagDataDlg", "保存"), ActionKind::Return);
  form_.AddAction("MnSetting", Tr("TDispTagDataDlg", "動作環境"), ActionKind::Return);
  form_.AddAction("Label3", Tr("TDispTagDataDlg", "ID(16進)"), ActionKind::Return);
  form_.AddAction("CancelBtn", Tr("TDispTagDataDlg", "閉じる"), ActionKind::Cancel);
  form_.onChange = [this](PromptForm&, const std::string& field) { OnFormChange(field); };
  Sync();
}

void TDispTagDataDlg::SetConfigurationVisible(bool visible) {
  form_.Action("MnSetting").visible = visible;
}

bool TDispTagDataDlg::ConfigurationVisible() const {
  for (const PromptAction& a : form_.actions)
    if (a.name == "MnSetting") return a.visible;
  return false;
}

void TDispTagDataDlg::Sync() {
  form_.Field("EdUID").text = data_.EdUID;
  form_.Field("EdChip").text = data_.EdChip;
  form_.Field("EdManufacturer").text = data_.EdManufacturer;
  PromptField& grid = form_.Field(kGrid);
  grid.cells.assign(data_.StringGrid1.size(), {});
  for (size_t r = 0; r < data_.StringGrid1.size(); ++r)
    grid.cells[r].assign(data_.StringGrid1[r].begin(), data_.StringGrid1[r].end());
  grid.readOnly = busy_;
  for (const char* name : kTextFields) form_.Field(name).readOnly = busy_;
  for (const char* name : {"OKBtn", "MnSavelog", "MnSetting", "Label3"})
    form_.Action(name).enabled = !busy_;
}

void TDispTagDataDlg::Refresh() {
  Sync();
  app_.Prompt().Refresh(form_);
}

void TDispTagDataDlg::OnFormChange(const std::string& field) {
  if (busy_) return;
  if (field == "EdUID") data_.EdUID = form_.Field(field).text;
  if (field == "EdChip") data_.EdChip = form_.Field(field).text;
  if (field == "EdManufacturer") data_.EdManufacturer = form_.Field(field).text;
  if (field == kGrid) {
    const auto& cells = form_.Field(kGrid).cells;
    for (size_t r = 0; r < cells.size() && r < data_.StringGrid1.size(); ++r)
      for (size_t c = 0; c < cells[r].size() && c < TagData::kColumns; ++c)
        data_.StringGrid1[r][c] = cells[r][c];
  }
  Sync();
}

void TDispTagDataDlg::Dispatch(const std::string& action) {
  if (busy_) return;
  if (action == "OKBtn") OKBtnClick();
  if (action == "MnSavelog") MnSavelogClick();
  if (action == "MnSetting" && ConfigurationVisible()) MnSettingClick();
  if (action == "Label3") Label3Click();
  Sync();
}

void TDispTagDataDlg::Run() {
  for (;;) {
    const std::string action = app_.Prompt().Interact(form_);
    const PromptAction* a = form_.FindAction(action);
    if (!a || a->kind == ActionKind::Cancel || a->kind == ActionKind::Accept) break;
    Dispatch(action);
  }
  FormCloseQuery();
}

void TDispTagDataDlg::OKBtnClick() {
  busy_ = true;
  struct Idle {
    TDispTagDataDlg& d;
    ~Idle() {
      d.busy_ = false;
      d.Sync();
    }
  } idle{*this};
  // Shown here rather than by the handler registry, so that the window stays open with its data.
  RunShowingErrors(
      app_.Prompt(), Tr("TDispTagDataDlg", "読取り"),
      [this] {
        // Without a communication module the reader is not made, and the data stay as they are.
        TagMemoryReader reader(app_, data_, [this] { Refresh(); });
        reader.Read({.fixedTagType = FixedTagType, .fastMode = options_.FastMode == 1});
      },
      Tr("TDispTagDataDlg", "タグデータ"));
}

void TDispTagDataDlg::MnSettingClick() {
  HanyousettingValues preset;
  preset.CB_FastMode_DispTagData = options_.FastMode != 0;
  preset.CB_KoteiMode = FixedTagType != kIdentifyTag;
  auto v = ShowHanyousettingDlg(app_.Prompt(), HanyouPage::TagData, preset, false);
  if (!v) return;
  options_.FastMode = v->CB_FastMode_DispTagData ? 1 : 0;
  FixedTagType = v->CB_KoteiMode && v->RG_TagType >= 0 && v->RG_TagType <= 3 ? v->RG_TagType + 1
                                                                             : kIdentifyTag;
}

void TDispTagDataDlg::MnSavelogClick() {
  auto chosen = app_.Prompt().SaveFileName(options_.SaveFileName, "CSVFiles|*.csv");
  if (!chosen) return;
  const std::string path = CsvFileName(*chosen);
  options_.SaveFileName = path;
  files::Error error;
  // The table stays as it is; only the file could not be written.
  if (!AppendTagDataCsv(path, data_, std::time(nullptr), &error))
    app_.ReportMessage(Tr("TDispTagDataDlg", "ファイルに書き込めませんでした: ") + path + " (" +
                           FileErrorText(error) + ")",
                       Tr("TDispTagDataDlg", "保存"), false);
}

void TDispTagDataDlg::Label3Click() {
  if (app_.Prompt().ControlHeld()) SetConfigurationVisible(true);
}

void TDispTagDataDlg::FormCloseQuery() {
  SaveDispTagDataOption(app_.SettingsPath(), options_);
}

void MnTgaDataClick(AppCore& app) {
  TDispTagDataDlg dlg(app);
  dlg.SetConfigurationVisible(app.ReaderLevel >= 2);
  dlg.Run();
}
