#include "production/station.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QSysInfo>
#include <cerrno>
#include <filesystem>

#include "app/app_core.h"

std::string StablePortName(const std::string& port) {
  struct stat device {};
  if (::stat(port.c_str(), &device) != 0 || !S_ISCHR(device.st_mode)) return port;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/dev/serial/by-id", ec)) {
    struct stat link {};
    if (::stat(entry.path().c_str(), &link) == 0 && S_ISCHR(link.st_mode) &&
        link.st_rdev == device.st_rdev)
      return entry.path().string();
  }
  return port;
}

std::string ThisHost() {
  return QSysInfo::machineHostName().toStdString();
}

ledger::Station ThisStation(const std::string& port, const std::string& name) {
  return {ThisHost(), name.empty() ? StablePortName(port) : name, static_cast<int64_t>(::getpid())};
}

std::string StationText(const ledger::Station& station) {
  return station.host + " " + station.name;
}

bool StationRuns(const ledger::Station& station) {
  if (station.host != ThisHost() || station.pid <= 0) return false;
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

std::string SeriesProgressText(const ledger::SeriesProgress& p) {
  const ledger::SeriesPlan& plan = p.series.plan;
  std::string text =
      "series " + std::to_string(p.series.id) + " (" +
      (plan.kind == ledger::CodeKind::Animal ? "animal" : "industrial") + " codes from " +
      SeriesCodeText(plan, plan.first) + ", step " + std::to_string(plan.increment) + ", " +
      (plan.planned ? "planned " + std::to_string(*plan.planned) : "open") + ": " +
      std::to_string(p.verified) + " verified, " + std::to_string(p.claimed) + " in hand, ";
  if (p.failed) text += std::to_string(p.failed) + " failed, ";
  return text + std::to_string(p.codesLeft) + " left)";
}

series::Row RowOf(const ledger::TagRecord& r) {
  series::Row row;
  row.time = series::TimeText(r.timeMs / 1000);
  const bool here = r.station.host == ThisHost();
  row.port = here ? r.station.name : r.station.host + ":" + r.station.name;
  row.chip = r.chip;
  row.written = series::CodeText(r.code);
  row.readBack = r.readBack ? series::CodeText(*r.readBack) : "";
  row.ok = r.ok;
  row.uid = r.uid;
  row.series = r.seriesId;
  return row;
}

namespace production {

bool PortLost(AppCore& app) {
  return !app.Comm() || app.Comm()->PortLost();
}

std::string PortName(AppCore& app) {
  return app.Comm() ? app.Comm()->PortName() : std::string();
}

}  // namespace production
