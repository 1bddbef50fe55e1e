#include "maintenance/reader_check_model.h"

#include <QDateTime>
#include <algorithm>
#include <cstdio>

#include "app/app_core.h"
#include "app/handler_registry.h"
#include "core/text_args.h"
#include "core/ui_text.h"
#include "maintenance/check_report.h"
#include "prompts/prompts.h"

namespace {
const char* const kCtx = "ReaderCheckWindow";

}  // namespace

ReaderCheckModel::ReaderCheckModel(AppCore& app) : app_(app) {
  form_.dialog = "ReaderCheckWindow";
  form_.caption = Tr(kCtx, "リーダーチェック");
  NumberSpec reads;
  reads.Min = 1;
  reads.Max = 1000;
  reads.Limit = true;
  PromptField& r = form_.AddNumber(kReads, Tr(kCtx, "レベルごとの読み取り回数"), reads, 20);
  r.row = 0;
  form_.AddCheck(kLink, Tr(kCtx, "通信とノイズも測る"), true).row = 1;
  form_.AddCheck(kNoTag, Tr(kCtx, "タグなし (フィールドは空)"), false).row = 2;
  PromptField& grid = form_.AddTable(kGrid, 1, 6);
  grid.cells = {
      {Tr(kCtx, "出力"), Tr(kCtx, "読み取り"), "OK", Tr(kCtx, "読み取り率"), "p50 ms", "p95 ms"}};
  grid.readOnly = true;
  grid.columnWidths = {90, 70, 50, 80, 70, 70};
  form_.AddText(kThreshold, Tr(kCtx, "しきい値: "), "").readOnly = true;
  form_.AddPanel(kProgress, "0/0").watched = true;
  form_.AddPanel(kStatus, "").watched = true;
  form_.AddAction(kStart, Tr(kCtx, "開始"), ActionKind::Return);
  form_.AddAction(kCancel, Tr(kCtx, "キャンセル"), ActionKind::Return);
  form_.AddAction(kSave, Tr(kCtx, "保存..."), ActionKind::Return);
  form_.AddAction(kClose, Tr(kCtx, "閉じる"), ActionKind::Cancel);
  Sync();
}

void ReaderCheckModel::Sync() {
  form_.Action(kStart).enabled = !running_;
  form_.Action(kCancel).enabled = running_;
  form_.Action(kSave).enabled = !running_ && result_.has_value();
  for (const char* f : {kReads, kLink, kNoTag}) form_.Field(f).readOnly = running_;
}

void ReaderCheckModel::Refresh() {
  Sync();
  app_.Prompt().Refresh(form_);
}

void ReaderCheckModel::ShowLevels() {
  PromptField& grid = form_.Field(kGrid);
  grid.cells.resize(1);
  std::vector<LevelResult> rows = live_;
  std::sort(rows.begin(), rows.end(),
            [](const LevelResult& a, const LevelResult& b) { return a.level > b.level; });
  for (const LevelResult& m : rows)
    grid.cells.push_back({std::to_string(m.level), std::to_string(m.reads), std::to_string(m.ok),
                          FixedDecimals(100 * m.Rate(), 0) + " %", FixedDecimals(m.p50Ms, 2),
                          FixedDecimals(m.p95Ms, 2)});
  const auto threshold = ThresholdOf(live_);
  form_.Field(kThreshold).text = threshold ? std::to_string(*threshold) : "";
}

void ReaderCheckModel::Run() {
  for (;;) {
    const std::string action = app_.Prompt().Interact(form_);
    const PromptAction* a = form_.FindAction(action);
    if (!a || a->kind == ActionKind::Cancel || a->kind == ActionKind::Accept) break;
    if (action == kStart) Start();
    if (action == kSave) Save();
    Sync();
    if (closeAfter_) {
      app_.Prompt().Close(form_);
      break;
    }
  }
}

void ReaderCheckModel::Start() {
  CheckSettings s;
  s.reads = static_cast<int>(form_.Field(kReads).Int());
  s.link = form_.Field(kLink).checked;
  s.withTag = !form_.Field(kNoTag).checked;
  if (!s.link && !s.withTag) {
    form_.Field(kStatus).text = Tr(kCtx, "測るものがありません");
    return;
  }
  running_ = true;
  live_.clear();
  result_.reset();
  ShowLevels();
  form_.Field(kStatus).text = Tr(kCtx, "測定中...");
  Refresh();
  CheckHooks hooks;
  hooks.progress = [&](const std::string&, int done, int total) {
    form_.Field(kProgress).text = std::to_string(done) + "/" + std::to_string(total);
    Refresh();
  };
  hooks.levelDone = [&](const LevelResult& m) {
    live_.push_back(m);
    ShowLevels();
    Refresh();
  };
  // A wait says what it waits for, with the seconds left; Cancel stays live meanwhile.
  hooks.waiting = [&](CheckWait, const std::string& what, int secondsLeft) {
    std::string text = Tr(kCtx, "測定中...");
    if (!what.empty()) {
      text = WithArgs(Tr(kCtx, "%1 (残り %2 秒、キャンセルで中止)"),
                      {what, std::to_string(secondsLeft)});
    }
    form_.Field(kStatus).text = text;
    Refresh();
  };
  hooks.stop = [&] {
    const std::string press = app_.Prompt().TakePress(form_);
    if (press == kClose) closeAfter_ = true;
    return press == kCancel || press == kClose || closeAfter_;
  };
  RunShowingErrors(
      app_.Prompt(), Tr(kCtx, "リーダーチェック"),
      [&] { result_ = RunReaderCheck(app_, s, hooks); }, Tr(kCtx, "リーダーチェック"));
  running_ = false;
  if (result_) {
    live_ = result_->levels;
    ShowLevels();
    std::string status = result_->cancelled ? Tr(kCtx, "中止") : result_->failure;
    if (status.empty()) status = "OK";
    if (result_->link.ran)
      status += " / ID " + std::to_string(result_->link.idFrames) + ", SUM " +
                std::to_string(result_->link.badSum) + ", format " +
                std::to_string(result_->link.badFormat) + ", stray " +
                std::to_string(result_->link.strayBytes);
    form_.Field(kStatus).text = status;
  }
  Refresh();
}

void ReaderCheckModel::Save() {
  if (!result_) return;
  const auto chosen = app_.Prompt().SaveFileName(kCheckReportName, "Markdown|*.md");
  if (!chosen) return;
  const CheckReportFiles f =
      WriteCheckReportAs(*chosen, *result_,
                         {app_.Comm() ? app_.Comm()->PortName() : std::string(),
                          QDateTime::currentDateTime().toString(Qt::ISODate).toStdString()});
  form_.Field(kStatus).text = f.error.empty() ? f.markdown + ", " + f.plot : f.error;
  Refresh();
}

void ShowReaderCheck(AppCore& app) {
  ReaderCheckModel(app).Run();
}
