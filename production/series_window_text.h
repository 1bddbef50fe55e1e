#pragma once
// The production window's words, in the window's language, for what the series engine reports as
// reasons with values: the guards' refusals (naming the window's own controls where the runner
// names its options) and the run's notes.
#include <string>

#include "ledger/ledger.h"
#include "production/orphan_release.h"
#include "production/series_choice.h"
#include "production/series_run.h"

std::string SeriesRefusalText(const production::Refusal& refusal);
// A note of the run as the running page's status line shows it; "" for one the page shows
// otherwise (the step, the result, the rows).
std::string RunNoteText(const production::RunNote& note);

// A series as the window names it: "シリーズ 1 (動物ID 392 081500000001 から, ステップ 1, 予定 5)".
std::string SeriesPlanText(const ledger::Series& series);
// The same with its progress: "... : OK 2, 書込み中 1, NG 0, 残り 2".
std::string SeriesProgressWords(const ledger::SeriesProgress& progress);
// What Release did with an orphan: "392 000000000101 を解放しました: ...".
std::string ReleaseText(const std::string& code, const production::ReleaseOutcome& outcome);
