#pragma once
// A programming station's identity (host, a name that outlives a re-plugged adapter, process),
// and the texts of series, codes and rows that the runner and the production window share.
#include <optional>
#include <string>

#include "ledger/ledger.h"
#include "production/series.h"

class AppCore;

namespace production {

// The module's port was open and has vanished since (no module: true).
bool PortLost(AppCore& app);
// The module's port as the user named it ("COM9", a device path); "" without a module.
std::string PortName(AppCore& app);

}  // namespace production

// The name of a port that stays when its adapter is plugged in again: the link of
// /dev/serial/by-id that leads to the same device, else the port as it was given.
std::string StablePortName(const std::string& port);
// This machine's host name, as stations are kept with it.
std::string ThisHost();
// This machine with the station's name (empty: the port's stable name), and this process.
ledger::Station ThisStation(const std::string& port, const std::string& name = "");
// "line2 COM3": the station as texts name it.
std::string StationText(const ledger::Station& station);
// Whether a claim of that station is still in hand: its process runs on this machine.
bool StationRuns(const ledger::Station& station);

// A series as texts name it: "series 3 (animal codes 392 000000000100 + 1 x 200)".
std::string SeriesText(const ledger::Series& series);
// A series with its progress, unmistakably: "series 3 (animal codes from 392 000000000100, step
// 1, planned 200: 150 verified, 2 in hand, 1 failed, 47 left)".
std::string SeriesProgressText(const ledger::SeriesProgress& progress);
// The code of a series' number as the results file writes it.
std::string SeriesCodeText(const ledger::SeriesPlan& plan, uint64_t number);

// A tag record as a row of the results file (the station as "host:port" when it was recorded on
// another machine).
series::Row RowOf(const ledger::TagRecord& record);
