#include "tests/support/pg_cluster.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

extern char** environ;

namespace {

std::string Script() {
  return std::string(QZH_SOURCE_DIR) + "/scripts/pg-cluster.sh";
}

}  // namespace

int RunProgram(const std::vector<std::string>& argv, std::string* out, std::string* err) {
  int o[2], e[2];
  if (::pipe2(o, O_CLOEXEC) != 0) return -1;
  if (::pipe2(e, O_CLOEXEC) != 0) {
    ::close(o[0]);
    ::close(o[1]);
    return -1;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, o[1], 1);
  posix_spawn_file_actions_adddup2(&actions, e[1], 2);
  std::vector<std::string> args = argv;
  std::vector<char*> cargv;
  for (std::string& a : args) cargv.push_back(a.data());
  cargv.push_back(nullptr);
  pid_t pid = -1;
  const int rc = posix_spawnp(&pid, cargv[0], &actions, nullptr, cargv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(o[1]);
  ::close(e[1]);
  std::string outText, errText;
  if (rc == 0) {
    // Both streams at once, so that neither fills its pipe while the other is read.
    pollfd fds[2] = {{o[0], POLLIN, 0}, {e[0], POLLIN, 0}};
    std::string* sinks[2] = {&outText, &errText};
    int open = 2;
    while (open > 0) {
      if (::poll(fds, 2, -1) < 0 && errno != EINTR) break;
      for (int i = 0; i < 2; ++i) {
        if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
        char buf[4096];
        const ssize_t n = ::read(fds[i].fd, buf, sizeof buf);
        if (n > 0) {
          sinks[i]->append(buf, static_cast<size_t>(n));
        } else if (n == 0 || errno != EINTR) {
          fds[i].fd = -1;
          --open;
        }
      }
    }
  }
  ::close(o[0]);
  ::close(e[0]);
  if (out) *out = outText;
  if (err) *err = errText;
  if (rc != 0) return -1;
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

PgCluster::PgCluster() {
  char tmpl[] = "/tmp/qzh-pg-XXXXXX";
  if (!::mkdtemp(tmpl)) throw std::runtime_error("mkdtemp failed");
  dir_ = tmpl;
  // The reaper: waits for the end of the pipe (this process closing it, or dying), then stops the
  // server at once and removes the folder.
  int p[2];
  if (::pipe2(p, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, p[0], 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
  std::string shell = "/bin/sh", dashC = "-c",
              body = "cat >/dev/null; \"$0\" kill \"$1\"; rm -rf \"$1\"", script = Script();
  char* argv[] = {shell.data(), dashC.data(), body.data(), script.data(), dir_.data(), nullptr};
  const int rc = posix_spawn(&reaper_, "/bin/sh", &actions, &attr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  ::close(p[0]);
  reaperPipe_ = p[1];
  if (rc != 0) {
    reaper_ = -1;
    std::filesystem::remove_all(dir_);
    throw std::runtime_error("cannot start the reaper of the PostgreSQL test server");
  }
  Start();
}

PgCluster::~PgCluster() {
  std::string ignored;
  RunProgram({Script(), "stop", dir_}, &ignored, &ignored);
  if (reaperPipe_ >= 0) ::close(reaperPipe_);
  if (reaper_ > 0)
    while (::waitpid(reaper_, nullptr, 0) < 0 && errno == EINTR) {
    }
}

void PgCluster::Start() {
  std::string out, err;
  if (RunProgram({Script(), "start", dir_}, &out, &err) != 0)
    throw std::runtime_error("the PostgreSQL test server does not start: " + err);
  while (!out.empty() && out.back() == '\n') out.pop_back();
  uri_ = out;
}

void PgCluster::Stop() {
  std::string out, err;
  if (RunProgram({Script(), "stop", dir_}, &out, &err) != 0)
    throw std::runtime_error("the PostgreSQL test server does not stop: " + err);
}
