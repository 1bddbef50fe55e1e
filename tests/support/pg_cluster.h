#pragma once
// A private PostgreSQL server for one test: a cluster in a temporary folder, on a Unix socket in
// that folder only (scripts/pg-cluster.sh), run by the user postgres when the test runs as root.
// It is stopped and its folder removed when the object goes, and also when the test process dies
// any other way: a reaper process in a session of its own waits for the test's end of a pipe to
// close and then stops the server at once.
//
//   PgCluster pg;                          // throws std::runtime_error when it cannot start
//   qzh900ctl program --ledger pg.Uri() ...
//   pg.Stop(); ... pg.Start();             // the server gone and back, same data
#include <sys/types.h>

#include <string>
#include <vector>

class PgCluster {
 public:
  PgCluster();
  ~PgCluster();
  PgCluster(const PgCluster&) = delete;
  PgCluster& operator=(const PgCluster&) = delete;

  // postgresql://USER@/ledger?host=DIR, the database "ledger" of the cluster.
  const std::string& Uri() const { return uri_; }
  const std::string& Dir() const { return dir_; }
  // Stops the server (fast: open sessions are ended); Start starts it again. Both throw
  // std::runtime_error with the script's output when they fail.
  void Stop();
  void Start();

 private:
  std::string dir_;
  std::string uri_;
  int reaperPipe_ = -1;
  pid_t reaper_ = -1;
};

// Runs argv (no shell) to its end: the exit status, with standard output in *out and standard
// error in *err.
int RunProgram(const std::vector<std::string>& argv, std::string* out, std::string* err);
