#include "cli/ledger_access.h"

#include <signal.h>
#include <unistd.h>

#include <QSysInfo>
#include <cerrno>

#include "cli/usage_error.h"

ledger::Target LedgerTarget(const std::string& option) {
  if (option.empty()) return ledger::DefaultTarget();
  std::string error;
  const auto target = ledger::ParseTarget(option, &error);
  if (!target) throw UsageError("--ledger: " + error);
  return *target;
}

std::unique_ptr<ledger::Ledger> OpenLedger(const ledger::Target& target) {
  try {
    return std::make_unique<ledger::Ledger>(target);
  } catch (const ledger::DatabaseError& e) {
    throw UsageError(std::string("ledger ") + e.what());
  }
}

ledger::Station ThisStation(const std::string& port) {
  return {QSysInfo::machineHostName().toStdString(), port, static_cast<int64_t>(::getpid())};
}

std::string StationText(const ledger::Station& station) {
  return station.host + " " + station.port;
}

bool StationRuns(const ledger::Station& station) {
  if (station.host != QSysInfo::machineHostName().toStdString() || station.pid <= 0) return false;
  return ::kill(static_cast<pid_t>(station.pid), 0) == 0 || errno == EPERM;
}

std::string SeriesCodeText(const ledger::SeriesPlan& plan, uint64_t number) {
  return series::CodeText(ledger::CodeOf(plan, number));
}

std::string SeriesText(const ledger::Series& s) {
  const ledger::SeriesPlan& p = s.plan;
  return "series " + std::to_string(s.id) + " (" +
         (p.kind == ledger::CodeKind::Animal ? "animal" : "industrial") + " codes " +
         SeriesCodeText(p, p.first) + " + " + std::to_string(p.increment) + " x " +
         (p.planned ? std::to_string(*p.planned) : std::string("open")) + ")";
}

series::Row RowOf(const ledger::TagRecord& r) {
  series::Row row;
  row.time = series::TimeText(r.timeMs / 1000);
  const bool here = r.station.host == QSysInfo::machineHostName().toStdString();
  row.port = here ? r.station.port : r.station.host + ":" + r.station.port;
  row.chip = r.chip;
  row.written = series::CodeText(r.code);
  row.readBack = r.readBack ? series::CodeText(*r.readBack) : "";
  row.ok = r.ok;
  row.uid = r.uid;
  return row;
}
