#pragma once
// The ledger's tables, version by version. Each step brings a database from the version before it
// to its own; an empty database runs them all. A new version appends its step and raises
// Ledger::kSchemaVersion.
//
//   schema_version  the one row: the version of the tables
//   series          kind, country, first number, increment, planned count, the next index of its
//                   counter; UNIQUE by kind, country, first number and increment
//   codes           one row per code handed out (UNIQUE): its series and number, state, the
//                   station (host, its name in the column port, process) that claimed it, chip,
//                   UID, code read back, times of claim and record
//   records         one row per tag written (verified or failed), the results file's columns
//   stations        (version 2) the stations at work: host, name, process, series, port, since
#include <string>
#include <vector>

#include "ledger/target.h"

namespace ledger {

// The statements of the step that makes version `version` (1 ...) from the one before.
std::vector<std::string> SchemaStep(Target::Backend backend, int version);

}  // namespace ledger
