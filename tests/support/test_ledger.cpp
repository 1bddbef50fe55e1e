#include "tests/support/test_ledger.h"

TestLedger::TestLedger(const std::string& kind, const std::string& folder) {
  if (kind == "postgresql") {
    pg_ = std::make_unique<PgCluster>();
    uri_ = pg_->Uri();
  } else {
    uri_ = "sqlite:" + folder + "/ledger.sqlite";
  }
}
