#include "ledger/schema.h"

namespace ledger {

namespace {

// Dialects differ only in how a table numbers its rows.
std::string Id(Target::Backend backend) {
  return backend == Target::Backend::Sqlite ? "INTEGER PRIMARY KEY AUTOINCREMENT"
                                            : "BIGINT GENERATED ALWAYS AS IDENTITY PRIMARY KEY";
}

std::vector<std::string> Version1(Target::Backend backend) {
  return {
      "CREATE TABLE schema_version (version INTEGER NOT NULL)",
      "INSERT INTO schema_version (version) VALUES (0)",
      "CREATE TABLE series ("
      " id " +
          Id(backend) +
          ","
          " kind TEXT NOT NULL CHECK (kind IN ('animal', 'industrial')),"
          " country INTEGER NOT NULL,"
          " first_number BIGINT NOT NULL CHECK (first_number >= 0),"
          " increment BIGINT NOT NULL CHECK (increment > 0),"
          " planned BIGINT CHECK (planned > 0),"
          " next_index BIGINT NOT NULL DEFAULT 0,"
          " created_ms BIGINT NOT NULL,"
          " UNIQUE (kind, country, first_number, increment))",
      "CREATE TABLE codes ("
      " code BIGINT NOT NULL UNIQUE,"
      " series_id BIGINT NOT NULL REFERENCES series (id),"
      " kind TEXT NOT NULL,"
      " country INTEGER NOT NULL,"
      " number BIGINT NOT NULL,"
      " state TEXT NOT NULL"
      "  CHECK (state IN ('claimed', 'verified', 'failed', 'void', 'released')),"
      " host TEXT NOT NULL,"
      " port TEXT NOT NULL,"
      " pid BIGINT NOT NULL,"
      " chip TEXT NOT NULL,"
      " uid TEXT NOT NULL,"
      " read_back BIGINT,"
      " claimed_ms BIGINT NOT NULL,"
      " recorded_ms BIGINT)",
      "CREATE INDEX codes_by_series ON codes (series_id, state, number)",
      "CREATE INDEX codes_by_place ON codes (kind, country, number)",
      "CREATE INDEX codes_by_uid ON codes (uid)",
      "CREATE INDEX codes_by_claim ON codes (claimed_ms)",
      "CREATE TABLE records ("
      " id " +
          Id(backend) +
          ","
          " series_id BIGINT NOT NULL REFERENCES series (id),"
          " code BIGINT NOT NULL REFERENCES codes (code),"
          " time_ms BIGINT NOT NULL,"
          " host TEXT NOT NULL,"
          " port TEXT NOT NULL,"
          " chip TEXT NOT NULL,"
          " uid TEXT NOT NULL,"
          " read_back BIGINT,"
          " ok INTEGER NOT NULL)",
      "CREATE INDEX records_by_series ON records (series_id, id)",
  };
}

// The stations at work, so that the ledger's status can say who works which series. A station
// that was killed leaves its row; the next run of the same station takes it over.
std::vector<std::string> Version2() {
  return {
      "CREATE TABLE stations ("
      " host TEXT NOT NULL,"
      " name TEXT NOT NULL,"
      " pid BIGINT NOT NULL,"
      " series_id BIGINT NOT NULL REFERENCES series (id),"
      " port TEXT NOT NULL,"
      " since_ms BIGINT NOT NULL,"
      " PRIMARY KEY (host, name))",
  };
}

}  // namespace

std::vector<std::string> SchemaStep(Target::Backend backend, int version) {
  switch (version) {
    case 1:
      return Version1(backend);
    case 2:
      return Version2();
    default:
      return {};
  }
}

}  // namespace ledger
