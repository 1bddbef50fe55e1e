#pragma once
// Where a code ledger lives: an SQLite file on this machine ("sqlite:PATH"), or a PostgreSQL
// database that stations on several machines share, named by a libpq connection URI:
//
//   postgresql://[user[:password]@][host][:port]/database[?parameter=value&...]
//
// "postgres://" is the same. The host is a host name or address; a Unix socket folder is given
// with the parameter host (?host=/run/postgresql). Other parameters (sslmode, connect_timeout,
// application_name, ...) go to libpq as they are. Without a user, password or host libpq's own
// defaults apply (PGUSER, ~/.pgpass, the local socket).
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace ledger {

struct Target {
  enum class Backend { Sqlite, Postgres };
  Backend backend = Backend::Sqlite;
  std::string path;  // SQLite: the database file
  // PostgreSQL
  std::string host;  // a host name, or a socket folder (starts with '/'); empty: libpq's default
  int port = 0;      // 0: libpq's default
  std::string user;
  std::string password;
  std::string database;
  std::vector<std::pair<std::string, std::string>> parameters;  // the other URI parameters

  // The target as the user wrote it, without a password: "sqlite:/home/a/ledger.sqlite",
  // "postgresql://line@db1:5433/codes".
  std::string Display() const;
};

// The target of a connection string; nullopt with the reason.
std::optional<Target> ParseTarget(const std::string& text, std::string* error);

// The SQLite ledger of this user on this machine (core/app_paths.h).
Target DefaultTarget();

}  // namespace ledger
