#pragma once
// The ledger a case runs on when it runs on both databases: "sqlite", a file in the case's folder,
// or "postgresql", the database of a private server (PgCluster) that lives as long as this.
//
//   class MyTest : public ::testing::TestWithParam<std::string> { ... TestLedger ledger_; };
//   INSTANTIATE_TEST_SUITE_P(Ledgers, MyTest, kBothLedgers, LedgerName);
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/support/pg_cluster.h"

class TestLedger {
 public:
  // Throws std::runtime_error when the server cannot start (the case fails).
  TestLedger(const std::string& kind, const std::string& folder);
  // "sqlite:FOLDER/ledger.sqlite" or "postgresql://...".
  const std::string& Uri() const { return uri_; }
  // The server; nullptr for SQLite.
  PgCluster* Server() const { return pg_.get(); }

 private:
  std::unique_ptr<PgCluster> pg_;
  std::string uri_;
};

inline const auto kBothLedgers = ::testing::Values("sqlite", "postgresql");
inline std::string LedgerName(const ::testing::TestParamInfo<std::string>& info) {
  return info.param;
}
