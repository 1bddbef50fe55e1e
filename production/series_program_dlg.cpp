#include "production/series_program_dlg.h"

#include <QtGlobal>
#include <algorithm>

#include "app/app_core.h"
#include "app/handler_registry.h"
#include "codec/animal_id.h"
#include "codec/country_names.h"
#include "core/files.h"
#include "core/messages.h"
#include "core/text_args.h"
#include "core/ui_text.h"
#include "ledger/country_codes.h"
#include "production/orphan_release.h"
#include "production/series_choice.h"
#include "production/series_window_text.h"
#include "production/station.h"
#include "prompts/prompts.h"

namespace {

const char* const kCtx = "TSeriesProgramDlg";
using D = TSeriesProgramDlg;
using production::Step;

constexpr unsigned kDefaultCountry = 392;
constexpr size_t kShownRows = 12;  // the last rows the running page lists

const std::vector<fdx::IdChip> kChips = {fdx::IdChip::Sic7888, fdx::IdChip::Sic279,
                                         fdx::IdChip::Em4305, fdx::IdChip::HdxPlus};

// The countries of the list: ISO 3166-1 with their names, in the window's language.
std::vector<unsigned> Countries() {
  return std::vector<unsigned>(ledger::kIso3166Numeric,
                               ledger::kIso3166Numeric + ledger::kIso3166Count);
}

// A whole number of the text ("" and anything else: nullopt).
std::optional<uint64_t> NumberOfText(const std::string& text) {
  if (text.empty() || text.size() > 19 ||
      !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  return std::stoull(text);
}

}  // namespace

TSeriesProgramDlg::TSeriesProgramDlg(AppCore& app, fdx::IdChip chip) : app_(app) {
  form_.dialog = "TSeriesProgramDlg";
  form_.caption = Tr(kCtx, "連番書込み");
  form_.modeless = true;
  form_.AddPage(kSetupPage, Tr(kCtx, "準備"));
  form_.AddPage(kRunPage, Tr(kCtx, "書込み"));
  form_.AddPage(kSummaryPage, Tr(kCtx, "結果"));
  form_.activePage = kSetupPage;
  int row = 0;
  auto place = [&](PromptField& f) -> PromptField& {
    f.page = kSetupPage;
    f.row = row++;
    return f;
  };

  std::vector<std::string> chips;
  for (fdx::IdChip c : kChips) chips.push_back(series::ChipName(c));
  const int chipIndex =
      static_cast<int>(std::find(kChips.begin(), kChips.end(), chip) - kChips.begin());
  place(form_.AddChoice(kChip, Tr(kCtx, "チップ"), chips, chipIndex));
  place(form_.AddRadio(kKind, Tr(kCtx, "シリーズ"),
                       {Tr(kCtx, "新しい動物IDシリーズ"), Tr(kCtx, "新しい産業用IDシリーズ"),
                        Tr(kCtx, "台帳の続きのシリーズ")},
                       kNewAnimal, 3));
  std::vector<std::string> countries;
  const bool japanese = MessageLanguage() == Language::Japanese;
  int countryIndex = 0;
  for (unsigned c : Countries()) {
    if (c == kDefaultCountry) countryIndex = static_cast<int>(countries.size());
    const std::string name = fdx::CountryName(c, japanese);
    countries.push_back(fdx::FormatPaddedDecimal(3, c) + (name.empty() ? "" : " " + name));
  }
  place(form_.AddChoice(kCountry, Tr(kCtx, "国"), countries, countryIndex));
  place(form_.AddText(kNational, Tr(kCtx, "最初の国別ID"), ""));
  form_.Field(kNational).hint = Tr(kCtx, "12桁まで、例: 081500000001");
  place(form_.AddText(kIndustrial, Tr(kCtx, "最初の産業用番号"), ""));
  NumberSpec step;
  step.Min = 1;
  step.Max = 1000000;
  step.Limit = true;
  place(form_.AddNumber(kStep, Tr(kCtx, "ステップ"), step, 1));
  NumberSpec planned;
  planned.Min = 0;
  planned.Max = 100000000;
  planned.Limit = true;
  place(form_.AddNumber(kPlanned, Tr(kCtx, "予定数 (0: 上限なし)"), planned, 0));
  place(form_.AddChoice(kOpenSeries, Tr(kCtx, "台帳のシリーズ"), {}, -1));
  place(form_.AddText(kLedger, Tr(kCtx, "台帳"), ""));
  form_.Field(kLedger).hint =
      Tr(kCtx, "空: このユーザーのSQLite台帳; または postgresql://user@host/db");
  form_.AddAction(kTest, Tr(kCtx, "接続テスト"), ActionKind::Return).page = kSetupPage;
  form_.Action(kTest).row = form_.Field(kLedger).row;
  place(form_.AddText(kResults, Tr(kCtx, "結果ファイル (CSV)"), ""));
  place(form_.AddText(kStation, Tr(kCtx, "ステーション名"), ""));
  form_.Field(kStation).hint = Tr(kCtx, "空: ポートの固定名");
  place(form_.AddRadio(kOnFail, Tr(kCtx, "NGのとき"),
                       {Tr(kCtx, "次のタグで同じコードを書く"), Tr(kCtx, "停止する")}, 0, 2));
  place(form_.AddCheck(kSound, Tr(kCtx, "OK/NGを音で知らせる"), true));
  place(form_.AddPanel(kSetupStatus, "")).watched = true;

  for (const char* f :
       {kState, kCode, kResult, kStationCounts, kSeriesCounts, kProgress, kRunStatus}) {
    PromptField& p = form_.AddPanel(f, "");
    p.page = kRunPage;
    p.watched = true;
  }
  PromptField& rows = form_.AddTable(kRows, 1, 5);
  rows.page = kRunPage;
  rows.readOnly = true;
  rows.cells = {
      {Tr(kCtx, "時刻"), Tr(kCtx, "書いたコード"), Tr(kCtx, "読み返し"), Tr(kCtx, "結果"), "UID"}};
  rows.columnWidths = {150, 170, 170, 60, 180};

  form_.AddPanel(kSummary, "").page = kSummaryPage;
  form_.AddPanel(kSummaryStatus, "").page = kSummaryPage;
  PromptField& orphans = form_.AddTable(kOrphans, 1, 4);
  orphans.page = kSummaryPage;
  orphans.readOnly = true;
  orphans.label = Tr(kCtx, "止まったステーションの孤立コード");
  orphans.cells = {{Tr(kCtx, "コード"), Tr(kCtx, "状態"), Tr(kCtx, "ステーション"), "UID"}};
  orphans.columnWidths = {170, 80, 240, 180};

  form_.AddAction(kStart, Tr(kCtx, "開始"), ActionKind::Return, true);
  form_.AddAction(kPause, Tr(kCtx, "一時停止 (Space)"), ActionKind::Return);
  form_.AddAction(kStop, Tr(kCtx, "停止 (Esc)"), ActionKind::Return);
  form_.AddAction(kRelease, Tr(kCtx, "解放..."), ActionKind::Return);
  form_.AddAction(kExport, Tr(kCtx, "CSVに書き出す..."), ActionKind::Return);
  form_.AddAction(kClose, Tr(kCtx, "閉じる"), ActionKind::Cancel);
  form_.onChange = [this](PromptForm&, const std::string& field) { Changed(field); };
  // Before the first run the other pages say where to begin.
  form_.Field(kState).text = Tr(kCtx, "「準備」で開始を押してください");
  form_.Field(kSummary).text = Tr(kCtx, "書込みの結果はここに出ます");
  ShowCounts();
  Sync();
}

TSeriesProgramDlg::~TSeriesProgramDlg() = default;

void TSeriesProgramDlg::Sync() {
  const int kind = form_.Field(kKind).index;
  form_.Field(kCountry).enabled = kind == kNewAnimal;
  form_.Field(kNational).enabled = kind == kNewAnimal;
  form_.Field(kIndustrial).enabled = kind == kNewIndustrial;
  form_.Field(kStep).enabled = kind != kOpen;
  form_.Field(kPlanned).enabled = kind != kOpen;
  form_.Field(kOpenSeries).enabled = kind == kOpen;
  for (PromptField& f : form_.fields)
    if (f.page == kSetupPage) f.readOnly = running_;
  form_.Action(kStart).enabled = !running_;
  form_.Action(kTest).enabled = !running_;
  form_.Action(kPause).enabled = running_;
  form_.Action(kPause).caption = paused_ ? Tr(kCtx, "再開 (Space)") : Tr(kCtx, "一時停止 (Space)");
  form_.Action(kStop).enabled = running_;
  // The orphans' table and Release only when there is one to release.
  form_.Field(kOrphans).visible = !orphans_.empty();
  form_.Action(kRelease).visible = !orphans_.empty();
  const int orphan = form_.Field(kOrphans).index;
  form_.Action(kRelease).enabled =
      !running_ && orphan >= 0 && static_cast<size_t>(orphan) < orphans_.size();
  form_.Action(kExport).enabled = !running_ && series_.has_value();
}

void TSeriesProgramDlg::Refresh() {
  Sync();
  app_.Prompt().Refresh(form_);
}

void TSeriesProgramDlg::Changed(const std::string& field) {
  if (field == kKind && form_.Field(kKind).index == kOpen) TestConnection();
  if (field == kLedger) ledger_.reset();
  Sync();
}

void TSeriesProgramDlg::Run() {
  for (;;) {
    const std::string action = app_.Prompt().Interact(form_);
    const PromptAction* a = form_.FindAction(action);
    if (!a || a->kind == ActionKind::Cancel || a->kind == ActionKind::Accept) break;
    if (action == kTest) TestConnection();
    if (action == kStart) Start();
    if (action == kRelease) Release();
    if (action == kExport) Export();
    Sync();
    if (closeAfter_) {
      app_.Prompt().Close(form_);
      break;
    }
  }
}

std::optional<ledger::Target> TSeriesProgramDlg::TargetOfForm() {
  const std::string& text = form_.Field(kLedger).text;
  if (text.empty()) return ledger::DefaultTarget();
  std::string error;
  auto target = ledger::ParseTarget(text, &error);
  if (!target) form_.Field(kSetupStatus).text = Tr(kCtx, "台帳: ") + error;
  return target;
}

std::unique_ptr<ledger::Ledger> TSeriesProgramDlg::OpenTarget(ledger::Access access) {
  const auto target = TargetOfForm();
  if (!target) return nullptr;
  try {
    return std::make_unique<ledger::Ledger>(*target, access);
  } catch (const ledger::DatabaseError& e) {
    form_.Field(kSetupStatus).text = Tr(kCtx, "台帳: ") + e.what();
    return nullptr;
  }
}

void TSeriesProgramDlg::TestConnection() {
  const auto l = OpenTarget(ledger::Access::Look);
  if (!l) return;
  try {
    const size_t count = l->Progress().size();
    form_.Field(kSetupStatus).text =
        WithArgs(Tr(kCtx, "接続しました: %1"), {l->Where().Display()}) + " (" +
        WithArgs(Tr(kCtx, "シリーズ %1 件"), {std::to_string(count)}) + ")";
    ListOpenSeries(*l);
  } catch (const ledger::DatabaseError& e) {
    form_.Field(kSetupStatus).text = Tr(kCtx, "台帳: ") + e.what();
  }
}

void TSeriesProgramDlg::ListOpenSeries(ledger::Ledger& l) {
  PromptField& list = form_.Field(kOpenSeries);
  list.items.clear();
  openIds_.clear();
  for (const ledger::SeriesProgress& p : l.Progress())
    if (p.codesLeft || p.claimed || p.failed) {
      list.items.push_back(SeriesProgressWords(p));
      openIds_.push_back(p.series.id);
    }
  list.index = list.items.empty() ? -1 : 0;
  if (list.items.empty())
    form_.Field(kSetupStatus).text = Tr(kCtx, "台帳に続きのシリーズがありません");
}

void TSeriesProgramDlg::Start() {
  PromptField& status = form_.Field(kSetupStatus);
  status.text.clear();
  production::SeriesRequest request;
  request.chip = kChips.at(static_cast<size_t>(std::max(0, form_.Field(kChip).index)));
  request.increment = static_cast<uint64_t>(form_.Field(kStep).Int());
  if (const int64_t planned = form_.Field(kPlanned).Int(); planned > 0)
    request.planned = static_cast<uint64_t>(planned);
  request.csv = form_.Field(kResults).text;
  switch (form_.Field(kKind).index) {
    case kNewAnimal: {
      const auto national = NumberOfText(form_.Field(kNational).text);
      if (!national) {
        status.text = Tr(kCtx, "最初の国別IDを数字で入れてください");
        return;
      }
      request.country = Countries().at(static_cast<size_t>(form_.Field(kCountry).index));
      request.national = national;
      break;
    }
    case kNewIndustrial: {
      request.industrial = NumberOfText(form_.Field(kIndustrial).text);
      if (!request.industrial) {
        status.text = Tr(kCtx, "最初の産業用番号を数字で入れてください");
        return;
      }
      break;
    }
    default: {
      const int index = form_.Field(kOpenSeries).index;
      if (index < 0 || static_cast<size_t>(index) >= openIds_.size()) {
        status.text = Tr(kCtx, "台帳のシリーズを選んでください");
        return;
      }
      request.resume = true;
      request.series = openIds_[static_cast<size_t>(index)];
      request.planned.reset();
      break;
    }
  }
  if (production::PortLost(app_)) {
    status.text = Tr(kCtx, "ポートが開いていません");
    return;
  }
  if (!ledger_) ledger_ = OpenTarget(ledger::Access::Station);
  if (!ledger_) return;
  std::optional<series::ResultsFile> results;
  std::string error;
  if (!request.csv.empty()) {
    results.emplace();
    if (!results->Open(request.csv, &error)) {
      status.text = error;
      return;
    }
  }
  const ledger::Station station =
      ThisStation(production::PortName(app_), form_.Field(kStation).text);
  ledger::Series picked;
  try {
    // Every guard of the runner, before anything is written to a tag or to the file.
    if (request.FirstCode()) production::CheckCodePlan(request, production::PlanOf(request));
    const production::FileSeries fs =
        results ? production::SeriesOfFile(*results, *ledger_) : production::FileSeries{};
    picked = production::PickSeries(request, *ledger_, station, results ? &*results : nullptr, fs,
                                    false);
    if (results) {
      production::CheckResultsFile(request, picked, *results);
      production::CheckFileSeries(request, picked, fs);
    }
    production::CheckStationFree(*ledger_, station);
    std::string dropped;
    if (results && !results->Begin(&error, &dropped)) {
      status.text = error;
      return;
    }
    picked =
        production::PickSeries(request, *ledger_, station, results ? &*results : nullptr, fs, true);
    ledger_->Enter(station, picked.id, production::PortName(app_));
  } catch (const production::Refusal& e) {
    status.text = SeriesRefusalText(e);
    return;
  } catch (const ledger::DatabaseError& e) {
    ledger_.reset();
    status.text = Tr(kCtx, "台帳: ") + e.what();
    return;
  }
  series_ = picked;
  Running(picked, station, results ? &*results : nullptr);
  if (results) results->Close();
  try {
    if (ledger_) ledger_->Leave(station);
  } catch (const ledger::DatabaseError&) {
    // The run has said why the ledger failed; the row stays until the station runs again.
  }
}

void TSeriesProgramDlg::Running(const ledger::Series& series, const ledger::Station& station,
                                series::ResultsFile* results) {
  running_ = true;
  paused_ = stop_ = false;
  verified_ = failed_ = 0;
  form_.Field(kRows).cells.resize(1);
  form_.Field(kRows).cellColors.clear();
  form_.Field(kResult).text.clear();
  form_.Field(kResult).color = -1;
  form_.Field(kCode).text.clear();
  form_.Field(kRunStatus).text =
      SeriesPlanText(series) + ", " + WithArgs(Tr(kCtx, "ステーション %1"), {StationText(station)});
  form_.activePage = kRunPage;
  ShowCounts();
  Refresh();

  production::RunSettings settings;
  settings.chip = kChips.at(static_cast<size_t>(std::max(0, form_.Field(kChip).index)));
  settings.stopOnFail = form_.Field(kOnFail).index == 1;
  settings.port = production::PortName(app_);
  production::RunEvents events;
  events.step = [&](Step step, const std::string& code) {
    step_ = step;
    static const char* const kStates[] = {
        QT_TRANSLATE_NOOP("TSeriesProgramDlg", "タグを置いてください"),
        QT_TRANSLATE_NOOP("TSeriesProgramDlg", "書込み中"),
        QT_TRANSLATE_NOOP("TSeriesProgramDlg", "確認中"),
        QT_TRANSLATE_NOOP("TSeriesProgramDlg", "タグを取ってください")};
    form_.Field(kState).text = Tr(kCtx, kStates[static_cast<int>(step)]);
    if (step == Step::Writing) form_.Field(kCode).text = code;
    if (paused_ && step == Step::WaitingForTag) form_.Field(kState).text = Tr(kCtx, "一時停止中");
    Refresh();
    if (onStep) onStep(step);
  };
  events.ledgerFailed = [&](const std::string& why) {
    form_.Field(kRunStatus).text = Tr(kCtx, "台帳が使えなくなったため停止しました: ") + why;
  };
  // The notes the page has no other place for, under the series and the station.
  const std::string header = form_.Field(kRunStatus).text;
  auto noted = [&](const production::RunNote& note) {
    const std::string text = RunNoteText(note);
    if (text.empty()) return;
    form_.Field(kRunStatus).text = header + "\n" + text;
    Refresh();
  };
  events.note = noted;
  events.progress = [&](int, const production::RunNote& note) { noted(note); };
  events.tagDone = [&](const production::TagDone& t) {
    ++(t.row.ok ? verified_ : failed_);
    PromptField& result = form_.Field(kResult);
    result.text = t.row.ok ? "OK" : "NG";
    result.color = t.row.ok ? kOkColor : kNgColor;
    AddRow(t.row);
    ShowCounts();
    Refresh();
  };
  events.stop = [&] { return TakePresses(); };
  events.paused = [&] {
    TakePresses();
    return paused_;
  };
  production::RunTotals totals;
  RunShowingErrors(
      app_.Prompt(), Tr(kCtx, "連番書込み"),
      [&] {
        totals = production::RunSeries(app_, *ledger_, series, station, results, settings, events);
      },
      Tr(kCtx, "連番書込み"));
  running_ = false;
  paused_ = false;
  if (totals.ledgerError) ledger_.reset();
  ShowSummary(totals);
}

bool TSeriesProgramDlg::TakePresses() {
  for (std::string press; !(press = app_.Prompt().TakePress(form_)).empty();) {
    if (press == kPause) {
      paused_ = !paused_;
      if (step_ == Step::WaitingForTag)
        form_.Field(kState).text =
            paused_ ? Tr(kCtx, "一時停止中") : Tr(kCtx, "タグを置いてください");
      Refresh();
    } else if (press == kStop || press == kClose) {
      // A tag on the reader has its code recorded already; the operator says whether to go on.
      const bool inHand = step_ != Step::WaitingForTag;
      if (press == kClose || !inHand ||
          app_.Prompt().Confirm(Tr(kCtx, "リーダーにタグがあります。このタグで停止しますか?"),
                                Tr(kCtx, "連番書込み"), ConfirmButtons::YesNo)) {
        stop_ = true;
        closeAfter_ = closeAfter_ || press == kClose;
      }
    }
  }
  return stop_;
}

ledger::SeriesProgress TSeriesProgramDlg::ProgressNow() {
  // The series as the ledger has it now: the codes handed out since the run began count too.
  const auto now = ledger_->FindSeries(series_->id);
  return ledger_->ProgressOf(now ? *now : *series_);
}

void TSeriesProgramDlg::ShowCounts() {
  form_.Field(kStationCounts).text =
      WithArgs(Tr(kCtx, "このステーション: OK %1"), {std::to_string(verified_)}) + ", NG " +
      std::to_string(failed_);
  if (!ledger_ || !series_) return;
  try {
    const ledger::SeriesProgress p = ProgressNow();
    std::string text = WithArgs(Tr(kCtx, "シリーズ全体: OK %1"), {std::to_string(p.verified)});
    text += ", " + WithArgs(Tr(kCtx, "書込み中 %1"), {std::to_string(p.claimed)});
    text += ", " + WithArgs(Tr(kCtx, "残り %1"), {std::to_string(p.codesLeft)});
    form_.Field(kSeriesCounts).text = text;
    const auto& planned = series_->plan.planned;
    form_.Field(kProgress).text =
        planned ? std::to_string(p.verified) + "/" + std::to_string(*planned) : "";
  } catch (const ledger::DatabaseError&) {
    // The next claim fails too and says why; the counts stay as they were.
  }
}

void TSeriesProgramDlg::AddRow(const series::Row& row) {
  auto& cells = form_.Field(kRows).cells;
  auto& colors = form_.Field(kRows).cellColors;
  cells.insert(cells.begin() + 1, std::vector<std::string>{row.time, row.written, row.readBack,
                                                           row.ok ? "OK" : "NG", row.uid});
  if (cells.size() > kShownRows + 1) cells.resize(kShownRows + 1);
  colors.assign(cells.size(), std::vector<int>(5, -1));
  for (size_t r = 1; r < cells.size(); ++r)
    colors[r][3] = cells[r][3] == "OK" ? kOkColor : kNgColor;
}

void TSeriesProgramDlg::ShowSummary(const production::RunTotals& totals) {
  totals_ = totals;
  form_.Field(kSummaryStatus).text.clear();
  std::string why;
  if (totals.ledgerError)
    why = form_.Field(kRunStatus).text;
  else if (totals.fileError)
    why = form_.Field(kRunStatus).text;
  else if (totals.portLost)
    why = Tr(kCtx, "ポートが失われたため停止しました");
  else if (totals.seriesEnded)
    why = Tr(kCtx, "シリーズの最後まで書きました");
  else if (failed_ && form_.Field(kOnFail).index == 1)
    why = Tr(kCtx, "NGのため停止しました");
  else
    why = Tr(kCtx, "停止しました");
  std::string text = why + "\n" +
                     WithArgs(Tr(kCtx, "このステーション: OK %1"), {std::to_string(verified_)}) +
                     ", NG " + std::to_string(failed_);
  PromptField& orphans = form_.Field(kOrphans);
  orphans.cells.resize(1);
  orphans.index = -1;  // the operator picks the orphan to release
  orphans_.clear();
  if (ledger_ && series_) {
    try {
      text += "\n" + SeriesProgressWords(ProgressNow());
      for (const ledger::CodeRecord& c : ledger_->Unfinished())
        if (c.seriesId == series_->id && c.state == ledger::CodeState::Claimed &&
            !StationRuns(c.station)) {
          orphans_.push_back(c);
          orphans.cells.push_back(std::vector<std::string>{
              series::CodeText(c.code), Tr(kCtx, "未記録"), StationText(c.station), c.uid});
        }
      if (orphans_.empty()) text += "\n" + Tr(kCtx, "止まったステーションの孤立コードはありません");
    } catch (const ledger::DatabaseError& e) {
      ledger_.reset();
      text += "\n" + Tr(kCtx, "台帳: ") + e.what();
    }
  }
  form_.Field(kSummary).text = text;
  form_.Field(kState).text = why;
  form_.activePage = kSummaryPage;
  Refresh();
}

void TSeriesProgramDlg::Release() {
  const int orphan = form_.Field(kOrphans).index;
  if (orphan < 0 || static_cast<size_t>(orphan) >= orphans_.size() || !ledger_) return;
  const ledger::CodeRecord c = orphans_[static_cast<size_t>(orphan)];
  const std::string code = series::CodeText(c.code);
  if (!app_.Prompt().Confirm(
          WithArgs(
              Tr(kCtx,
                 "%1 を解放しますか? そのステーションが持っていたタグをリーダーに置いてください。"),
              {code}),
          Tr(kCtx, "解放"), ConfirmButtons::YesNo))
    return;
  production::ReleaseOutcome r;
  std::string outcome;
  try {
    r = production::ReleaseOrphan(app_, *ledger_, c);
    outcome = ReleaseText(code, r);
  } catch (const ledger::DatabaseError& e) {
    ledger_.reset();
    outcome = Tr(kCtx, "台帳: ") + e.what();
  }
  // The summary and the orphans again, as the ledger now has them; the outcome beneath.
  ShowSummary(totals_);
  form_.Field(kSummaryStatus).text = outcome;
  Refresh();
}

void TSeriesProgramDlg::Export() {
  if (!series_) return;
  const auto chosen =
      app_.Prompt().SaveFileName("series-" + std::to_string(series_->id) + ".csv", "CSV|*.csv");
  if (!chosen) return;
  std::string text = std::string(series::ResultsFile::kHeader) + "\n";
  try {
    const auto l = OpenTarget(ledger::Access::Look);
    if (!l) {
      form_.Field(kSummaryStatus).text = form_.Field(kSetupStatus).text;
      Refresh();
      return;
    }
    for (const ledger::TagRecord& r : l->Records(series_->id))
      text += series::ResultsFile::Line(RowOf(r)) + "\n";
  } catch (const ledger::DatabaseError& e) {
    form_.Field(kSummaryStatus).text = Tr(kCtx, "台帳: ") + e.what();
    Refresh();
    return;
  }
  const files::Error e = files::Replace(*chosen, text);
  form_.Field(kSummaryStatus).text =
      e ? *chosen + ": " + e.Text() : WithArgs(Tr(kCtx, "書き出しました: %1"), {*chosen});
  Refresh();
}

void MnSeriesProgramClick(AppCore& app, fdx::IdChip chip) {
  TSeriesProgramDlg(app, chip).Run();
}

void RegisterSeriesProgramming(HandlerRegistry& registry) {
  registry.Add("MnSeriesProgramHDX", [](AppCore& app, const std::string&) {
    MnSeriesProgramClick(app, fdx::IdChip::Sic279);
  });
  registry.Add("MnSeriesProgramFDX", [](AppCore& app, const std::string&) {
    MnSeriesProgramClick(app, fdx::IdChip::Sic7888);
  });
  registry.Add("MnSeriesProgramAnimal", [](AppCore& app, const std::string&) {
    MnSeriesProgramClick(app, fdx::IdChip::Sic7888);
  });
}
