#pragma once
// The code ledger as the command runner reaches it: the ledger of --ledger (or this user's SQLite
// ledger). Stations and the texts of codes, states and rows are the production engine's
// (production/station.h).
#include <memory>
#include <string>

#include "ledger/ledger.h"
#include "production/station.h"

// The target of a --ledger value; empty: this user's SQLite ledger. Throws UsageError.
ledger::Target LedgerTarget(const std::string& option);
// Opens it (for a station: creating or updating its tables); throws UsageError with the ledger's
// reason.
std::unique_ptr<ledger::Ledger> OpenLedger(const ledger::Target& target,
                                           ledger::Access access = ledger::Access::Station);
