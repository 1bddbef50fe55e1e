#include "tests/support/ser2net.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "tests/support/wait.h"

namespace test_support {

uint16_t FreeTcpPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return 0;
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  uint16_t port = 0;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) == 0)
    port = ntohs(a.sin_port);
  ::close(fd);
  return port;
}

namespace {

// The targets of a process's open descriptors ("socket:[123]", "/dev/pts/4", ...).
std::vector<std::string> OpenFiles(pid_t pid) {
  std::vector<std::string> files;
  std::error_code ec;
  const std::string dir = "/proc/" + std::to_string(pid) + "/fd";
  for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
    std::error_code linkError;
    const auto target = std::filesystem::read_symlink(entry.path(), linkError);
    if (!linkError) files.push_back(target.string());
  }
  return files;
}

}  // namespace

bool Listening(uint16_t port, pid_t owner) {
  // Lines "sl local_address rem_address st tx:rx tr:when retrnsmt uid timeout inode ...":
  // 0100007F:PORT (hex), state 0A is LISTEN.
  char local[32];
  std::snprintf(local, sizeof local, "0100007F:%04X", port);
  std::ifstream in("/proc/net/tcp");
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string sl, addr, remote, state, queues, timer, retransmits, uid, timeout, inode;
    fields >> sl >> addr >> remote >> state >> queues >> timer >> retransmits >> uid >> timeout >>
        inode;
    if (addr != local || state != "0A") continue;
    if (owner <= 0) return true;
    const std::vector<std::string> files = OpenFiles(owner);
    return std::find(files.begin(), files.end(), "socket:[" + inode + "]") != files.end();
  }
  return false;
}

Ser2net::~Ser2net() {
  Stop();
  if (!dir_.empty()) std::filesystem::remove_all(dir_);
}

bool Ser2net::Start(const std::string& device, int baud, std::string* error) {
  char tmpl[] = "/tmp/qzh-ser2net-XXXXXX";
  if (!::mkdtemp(tmpl)) {
    *error = "mkdtemp failed";
    return false;
  }
  dir_ = tmpl;
  device_ = device;
  telnetPort_ = FreeTcpPort();
  rawPort_ = FreeTcpPort();
  while (rawPort_ == telnetPort_) rawPort_ = FreeTcpPort();
  config_ = dir_ + "/ser2net.yaml";
  const std::string connector = "serialdev," + device + "," + std::to_string(baud) + "n81,local";
  std::ofstream out(config_);
  out << "connection: &rfc2217\n"
      << "  accepter: telnet(rfc2217),tcp,127.0.0.1," << telnetPort_ << "\n"
      << "  connector: " << connector << "\n"
      << "  options:\n    kickolduser: true\n"
      << "connection: &raw\n"
      << "  accepter: tcp,127.0.0.1," << rawPort_ << "\n"
      << "  connector: " << connector << "\n"
      << "  options:\n    kickolduser: true\n";
  out.close();
  if (!out) {
    *error = "cannot write " + config_;
    return false;
  }
  return Launch(error);
}

bool Ser2net::Launch(std::string* error) {
  const std::string log = dir_ + "/ser2net.log";
  pid_ = ::fork();
  if (pid_ < 0) {
    *error = "fork failed";
    return false;
  }
  if (pid_ == 0) {
    const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (fd >= 0) {
      ::dup2(fd, 1);
      ::dup2(fd, 2);
    }
    // -n: in the foreground (its process id is ours to stop), -u: no UUCP lock files.
    ::execlp("ser2net", "ser2net", "-n", "-u", "-c", config_.c_str(), static_cast<char*>(nullptr));
    ::execl("/usr/sbin/ser2net", "ser2net", "-n", "-u", "-c", config_.c_str(),
            static_cast<char*>(nullptr));
    ::_exit(127);
  }
  bool exited = false;
  const bool up = PumpUntil([&] {
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) exited = true;
    return exited || (Listening(telnetPort_, pid_) && Listening(rawPort_, pid_));
  });
  if (up && !exited) return true;
  if (exited) pid_ = -1;
  std::ifstream in(log);
  std::stringstream text;
  text << in.rdbuf();
  *error = (exited ? "ser2net ended at once: " : "ser2net does not listen: ") + text.str();
  Stop();
  return false;
}

void Ser2net::Stop() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGTERM);
  int status = 0;
  ::waitpid(pid_, &status, 0);
  pid_ = -1;
}

bool Ser2net::AwaitDeviceClosed() const {
  if (pid_ <= 0) return true;
  std::error_code ec;
  std::string device = std::filesystem::canonical(device_, ec).string();
  if (ec) device = device_;
  return PumpUntil([&] {
    const std::vector<std::string> files = OpenFiles(pid_);
    return std::find(files.begin(), files.end(), device) == files.end();
  });
}

bool Ser2net::Restart(std::string* error) {
  Stop();
  return Launch(error);
}

}  // namespace test_support
