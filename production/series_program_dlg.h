#pragma once
// The "Series programming..." window (MnSeriesProgram*), as a form on the series engine: a tray of
// tags programmed from the window alone. Three pages:
// - set-up: chip family; a new animal series (country by its name, first national ID, step,
//   planned count), a new industrial series, or an open series of the ledger with its progress;
//   the ledger (empty: this user's SQLite ledger, or a PostgreSQL connection string) with "Test
//   connection"; results file; station name; the on-fail rule; sound. Every guard of the runner
//   runs on Start before anything is written, its refusal shown on the page;
// - running: the step in large text, the code being written, the last result (OK / NG, coloured,
//   with a sound), the counts of this station and of the whole series (from the ledger), progress
//   to the planned count and the last rows. Pause holds the run before the next tag; Stop (and
//   closing the window) ends it once the tag in hand is finished and recorded, asking first when
//   a tag is on the reader;
// - afterwards: the series' summary, the orphans of stations that no longer run with Release of
//   the one selected (asked first, No by default; the tag must be on the reader) and the series'
//   export to CSV.
// It keeps the port while it is open (no other handler runs meanwhile); the window renders it with
// its own look (production/widgets/series_program_dialog.h).
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fdx/animal_id_write.h"
#include "ledger/ledger.h"
#include "production/series_run.h"
#include "prompts/prompt_form.h"

class AppCore;

class TSeriesProgramDlg {
 public:
  TSeriesProgramDlg(AppCore& app, fdx::IdChip chip);
  ~TSeriesProgramDlg();
  // Interacts until the window is closed.
  void Run();
  PromptForm& Form() { return form_; }

  // Tests: called at every step of the engine, after the form shows it.
  std::function<void(production::Step step)> onStep;

  // Pages.
  static constexpr const char* kSetupPage = "TSSetup";
  static constexpr const char* kRunPage = "TSRun";
  static constexpr const char* kSummaryPage = "TSSummary";
  // Set-up fields.
  static constexpr const char* kChip = "CBChip";
  static constexpr const char* kKind = "RGKind";  // new animal / new industrial / open series
  static constexpr const char* kCountry = "CBCountry";
  static constexpr const char* kNational = "EdNational";
  static constexpr const char* kIndustrial = "EdIndustrial";
  static constexpr const char* kStep = "IntEdStep";
  static constexpr const char* kPlanned = "IntEdPlanned";  // 0: open
  static constexpr const char* kOpenSeries = "LBSeries";
  static constexpr const char* kLedger = "EdLedger";
  static constexpr const char* kResults = "EdResults";
  static constexpr const char* kStation = "EdStation";
  static constexpr const char* kOnFail = "RGOnFail";  // wait / stop
  static constexpr const char* kSound = "CBSound";
  static constexpr const char* kSetupStatus = "STSetupStatus";
  // Running fields.
  static constexpr const char* kState = "STState";
  static constexpr const char* kCode = "STCode";
  static constexpr const char* kResult = "STResult";  // "OK" / "NG" / ""
  static constexpr const char* kStationCounts = "STStationCounts";
  static constexpr const char* kSeriesCounts = "STSeriesCounts";
  static constexpr const char* kProgress = "STProgress";  // "verified/planned", "" when open
  static constexpr const char* kRows = "SGRows";
  static constexpr const char* kRunStatus = "STRunStatus";
  // Afterwards.
  static constexpr const char* kSummary = "STSummary";
  static constexpr const char* kOrphans = "SGOrphans";
  static constexpr const char* kSummaryStatus = "STSummaryStatus";  // what Release, Export did
  // Actions.
  static constexpr const char* kTest = "BtTest";
  static constexpr const char* kStart = "BtStart";
  static constexpr const char* kPause = "BtPause";
  static constexpr const char* kStop = "BtStop";
  static constexpr const char* kRelease = "BtRelease";
  static constexpr const char* kExport = "BtExport";
  static constexpr const char* kClose = "BtClose";

  // Kinds of series (the kKind radio).
  enum Kind { kNewAnimal = 0, kNewIndustrial = 1, kOpen = 2 };
  // The colours of the result.
  static constexpr int kOkColor = 0x2E7D32;
  static constexpr int kNgColor = 0xC62828;

 private:
  void Sync();
  void Refresh();
  void Changed(const std::string& field);
  std::optional<ledger::Target> TargetOfForm();
  // The ledger of the form, to be looked at or for the station's run; nullptr with the reason in
  // the set-up status.
  std::unique_ptr<ledger::Ledger> OpenTarget(ledger::Access access);
  // Looks at the ledger: its series, and the open ones into the set-up's list.
  void TestConnection();
  void ListOpenSeries(ledger::Ledger& l);
  void Start();
  void Running(const ledger::Series& series, const ledger::Station& station,
               series::ResultsFile* results);
  // The progress of the series worked, from the ledger. Throws ledger::DatabaseError.
  ledger::SeriesProgress ProgressNow();
  void ShowCounts();
  void AddRow(const series::Row& row);
  // Takes the presses queued while the engine works; true when the run is to stop.
  bool TakePresses();
  void ShowSummary(const production::RunTotals& totals);
  void Release();
  void Export();

  AppCore& app_;
  PromptForm form_;
  std::unique_ptr<ledger::Ledger> ledger_;
  std::vector<int64_t> openIds_;             // the series of the kOpenSeries list
  std::vector<ledger::CodeRecord> orphans_;  // the rows of kOrphans
  std::optional<ledger::Series> series_;     // the series worked (or last worked)
  production::RunTotals totals_;             // how the last run ended
  production::Step step_ = production::Step::WaitingForTag;
  bool running_ = false;
  bool paused_ = false;
  bool stop_ = false;
  bool closeAfter_ = false;
  int verified_ = 0;
  int failed_ = 0;
};

void MnSeriesProgramClick(AppCore& app, fdx::IdChip chip);
// Registers the window's items: one in each menu of the families it serves.
class HandlerRegistry;
void RegisterSeriesProgramming(HandlerRegistry& registry);
