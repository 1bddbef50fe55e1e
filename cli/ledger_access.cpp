#include "cli/ledger_access.h"

#include "cli/usage_error.h"

ledger::Target LedgerTarget(const std::string& option) {
  if (option.empty()) return ledger::DefaultTarget();
  std::string error;
  const auto target = ledger::ParseTarget(option, &error);
  if (!target) throw UsageError("--ledger: " + error);
  return *target;
}

std::unique_ptr<ledger::Ledger> OpenLedger(const ledger::Target& target, ledger::Access access) {
  try {
    return std::make_unique<ledger::Ledger>(target, access);
  } catch (const ledger::DatabaseError& e) {
    throw UsageError(std::string("ledger ") + e.what());
  }
}
