#pragma once
// The code ledger as the command runner reaches it: the ledger of --ledger (or this user's SQLite
// ledger), this station's identity, and the texts of codes, states and rows.
#include <memory>
#include <optional>
#include <string>

#include "cli/series.h"
#include "ledger/ledger.h"

// The target of a --ledger value; empty: this user's SQLite ledger. Throws UsageError.
ledger::Target LedgerTarget(const std::string& option);
// Opens it (creating or updating its tables); throws UsageError with the ledger's reason.
std::unique_ptr<ledger::Ledger> OpenLedger(const ledger::Target& target);

// This machine with the module's port, and this process.
ledger::Station ThisStation(const std::string& port);
// "line2 COM3": the station as texts name it.
std::string StationText(const ledger::Station& station);
// Whether a claim of that station is still in hand: its process runs on this machine.
bool StationRuns(const ledger::Station& station);

// A series as texts name it: "series 3 (animal codes 392 000000000100 + 1 x 200)".
std::string SeriesText(const ledger::Series& series);
// The code of a series' number as the results file writes it.
std::string SeriesCodeText(const ledger::SeriesPlan& plan, uint64_t number);

// A tag record as a row of the results file (the station as "host:port" when it was recorded on
// another machine).
series::Row RowOf(const ledger::TagRecord& record);
