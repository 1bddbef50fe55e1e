#include "link/port_registry.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>

#include "core/app_paths.h"
#include "core/ini_file.h"
#include "link/com_port.h"
#include "link/net_address.h"

namespace port_registry {

namespace {

constexpr const char* kSection = "Ports";
std::string g_sysRoot = "/sys/class/tty";
std::string g_devRoot = "/dev";

std::string ReadFirstLine(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  if (in) std::getline(in, line);
  while (!line.empty() && (line.back() == '\n' || line.back() == ' ')) line.pop_back();
  return line;
}

std::string RealPath(const std::string& path) {
  char buf[PATH_MAX];
  if (::realpath(path.c_str(), buf)) return buf;
  return {};
}

std::string BaseName(const std::string& path) {
  size_t s = path.rfind('/');
  return s == std::string::npos ? path : path.substr(s + 1);
}

bool DeviceExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISCHR(st.st_mode);
}

// Holds an exclusive lock on a lock file beside the registry while it is read and rewritten,
// so that the tool and the simulator never lose each other's entries.
class RegistryLock {
 public:
  RegistryLock() {
    std::string dir = app_paths::NorvikDir();
    IniFile::CreateFolders(dir);
    // Never through a link planted in its place; without the lock the registry is still read.
    fd_ = ::open((dir + "/ports.lock").c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd_ >= 0) ::flock(fd_, LOCK_EX);
  }
  ~RegistryLock() {
    if (fd_ >= 0) ::close(fd_);
  }

 private:
  int fd_ = -1;
};

struct SysDevice {
  std::string devPath;  // /dev/ttyUSB0
  std::string stable;   // /dev/serial/by-id/... when there is one, else devPath
  PortInfo info;
};

// Every real serial device of /sys/class/tty: it has a "device" link; ports of the 8250 driver
// that report type 0 are phantoms that no UART stands behind.
std::vector<SysDevice> ScanSys() {
  std::vector<SysDevice> out;
  std::map<std::string, std::string> byId;  // real path -> by-id link
  if (DIR* d = ::opendir((g_devRoot + "/serial/by-id").c_str())) {
    while (dirent* e = ::readdir(d)) {
      if (e->d_name[0] == '.') continue;
      std::string link = g_devRoot + "/serial/by-id/" + e->d_name;
      std::string real = RealPath(link);
      if (!real.empty()) byId[real] = link;
    }
    ::closedir(d);
  }
  DIR* d = ::opendir(g_sysRoot.c_str());
  if (!d) return out;
  while (dirent* e = ::readdir(d)) {
    if (e->d_name[0] == '.') continue;
    std::string name = e->d_name;
    std::string sys = g_sysRoot + "/" + name;
    std::string devLink = RealPath(sys + "/device");
    if (devLink.empty()) continue;
    // UART ports report their type; 0 is a phantom 8250 port with no UART behind it.
    const std::string type = ReadFirstLine(sys + "/type");
    if (type == "0") continue;
    // The driver: the first one up the device chain that is not the serial core's own.
    std::string driver;
    for (std::string p = devLink; p.size() > 1 && driver.empty(); p = p.substr(0, p.rfind('/'))) {
      std::string d = BaseName(RealPath(p + "/driver"));
      if (!d.empty() && d != "port" && d != "ctrl") driver = d;
    }
    SysDevice dev;
    dev.devPath = g_devRoot + "/" + name;
    if (!DeviceExists(dev.devPath)) continue;
    auto it = byId.find(RealPath(dev.devPath));
    dev.stable = it != byId.end() ? it->second : dev.devPath;
    dev.info.driver = driver;
    // Walk up from the tty's device to the USB device that carries idVendor/idProduct.
    std::string p = devLink;
    for (int up = 0; up < 6 && p.size() > 1; ++up) {
      std::string vid = ReadFirstLine(p + "/idVendor");
      if (!vid.empty()) {
        dev.info.usbVendor = vid;
        dev.info.usbProduct = ReadFirstLine(p + "/idProduct");
        std::string man = ReadFirstLine(p + "/manufacturer");
        std::string prod = ReadFirstLine(p + "/product");
        dev.info.description = man.empty() ? prod : (prod.empty() ? man : man + " " + prod);
        break;
      }
      p = p.substr(0, p.rfind('/'));
    }
    out.push_back(std::move(dev));
  }
  ::closedir(d);
  std::sort(out.begin(), out.end(),
            [](const SysDevice& a, const SysDevice& b) { return a.devPath < b.devPath; });
  return out;
}

// The entries COM1..COM255 with a path; of a key written twice the first counts. One pass over
// the section (the registry is read for every port list).
std::map<int, std::string> ReadEntries(const IniFile& ini) {
  std::map<int, std::string> entries;
  std::set<int> seen;
  for (const auto& [key, value] : ini.Entries(kSection)) {
    const int n = PortNameToNumber(key);
    if (n < 1 || n > 255) continue;
    const std::string name = PortNumberToName(n);
    if (key.size() != name.size() ||
        !std::equal(key.begin(), key.end(), name.begin(), [](char a, char b) {
          return std::toupper(static_cast<unsigned char>(a)) == b;
        }))
      continue;  // "COM09" is not COM9
    if (seen.insert(n).second && !value.empty()) entries.emplace(n, value);
  }
  return entries;
}

// Registers the devices not yet known under the lowest free numbers. Returns the entries.
std::map<int, std::string> Refresh(std::vector<SysDevice>& sys,
                                   std::map<std::string, PortInfo>& infoByPath) {
  RegistryLock lock;
  IniFile ini(app_paths::PortRegistryPath());
  ini.Load();
  auto entries = ReadEntries(ini);
  bool changed = false;
  for (SysDevice& dev : sys) {
    infoByPath[dev.stable] = dev.info;
    infoByPath[dev.devPath] = dev.info;
    bool known = false;
    for (const auto& [n, path] : entries) {
      if (path == dev.stable || path == dev.devPath || RealPath(path) == RealPath(dev.devPath)) {
        known = true;
        break;
      }
    }
    if (known) continue;
    int n = 1;
    while (n <= 255 && entries.count(n)) ++n;
    if (n > 255) break;
    entries[n] = dev.stable;
    ini.WriteString(kSection, PortNumberToName(n), dev.stable);
    changed = true;
  }
  if (changed && !(IniFile::Exists(ini.path()) && IniFile::IsReadOnly(ini.path()))) ini.Save();
  return entries;
}

}  // namespace

void SetScanRoots(const std::string& sysClassTty, const std::string& devRoot) {
  g_sysRoot = sysClassTty;
  g_devRoot = devRoot;
}

std::vector<PortInfo> List() {
  auto sys = ScanSys();
  std::map<std::string, PortInfo> infoByPath;
  auto entries = Refresh(sys, infoByPath);
  std::vector<PortInfo> out;
  for (const auto& [n, path] : entries) {
    const bool network = LooksLikeUrl(path);
    if (!network && !DeviceExists(path)) continue;
    PortInfo info;
    auto it = infoByPath.find(path);
    if (it != infoByPath.end()) info = it->second;
    if (network) info.driver = "network";
    info.name = PortNumberToName(n);
    info.device = path;
    out.push_back(std::move(info));
  }
  std::sort(out.begin(), out.end(),
            [](const PortInfo& a, const PortInfo& b) { return a.name < b.name; });
  return out;
}

std::vector<std::string> ListNames() {
  std::vector<std::string> names;
  for (const auto& p : List()) names.push_back(p.name);
  return names;
}

std::string ResolveDevice(const std::string& name) {
  if (!name.empty() && name[0] == '/') return name;
  int n = PortNameToNumber(name);
  if (n < 1 || n > 255 || name.compare(0, 3, "COM") != 0) return {};
  {
    IniFile ini(app_paths::PortRegistryPath());
    ini.Load();
    auto v = ini.Value(kSection, name);
    if (v && !v->empty() && DeviceExists(*v)) return *v;
  }
  for (const auto& p : List())
    if (p.name == name) return p.device;
  return {};
}

std::string NetworkUrl(const std::string& name) {
  if (LooksLikeUrl(name)) return name;
  const int n = PortNameToNumber(name);
  if (n < 1 || n > 255 || name.compare(0, 3, "COM") != 0) return {};
  IniFile ini(app_paths::PortRegistryPath());
  ini.Load();
  const auto entries = ReadEntries(ini);
  const auto it = entries.find(n);
  return it != entries.end() && LooksLikeUrl(it->second) ? it->second : std::string();
}

int RegisterNew(const std::string& path) {
  RegistryLock lock;
  IniFile ini(app_paths::PortRegistryPath());
  ini.Load();
  const auto entries = ReadEntries(ini);
  for (const auto& [n, registered] : entries)
    if (registered == path) return n;
  if (IniFile::Exists(ini.path()) && IniFile::IsReadOnly(ini.path())) return 0;
  int n = 1;
  while (n <= 255 && entries.count(n)) ++n;
  if (n > 255) return 0;
  ini.WriteString(kSection, PortNumberToName(n), path);
  return ini.Save() ? n : 0;
}

bool Register(int n, const std::string& path) {
  if (n < 1 || n > 255) return false;
  RegistryLock lock;
  IniFile ini(app_paths::PortRegistryPath());
  ini.Load();
  if (IniFile::Exists(ini.path()) && IniFile::IsReadOnly(ini.path())) return false;
  ini.WriteString(kSection, PortNumberToName(n), path);
  return ini.Save();
}

bool Unregister(int n, const std::string& path) {
  RegistryLock lock;
  IniFile ini(app_paths::PortRegistryPath());
  if (!ini.Load()) return true;
  auto v = ini.Value(kSection, PortNumberToName(n));
  if (!v) return true;
  if (!path.empty() && *v != path) return true;
  ini.DeleteKey(kSection, PortNumberToName(n));
  return ini.Save();
}

std::string ReadProblem() {
  IniFile ini(app_paths::PortRegistryPath());
  ini.Load();
  return ini.LoadError() ? ini.LoadError().Text() : std::string();
}

bool InUse(const std::string& device) {
  // Looks for any process holding the device open, without opening it (opening a serial port
  // raises DTR, which resets some devices).
  const std::string target = RealPath(device);
  if (target.empty()) return false;
  DIR* proc = ::opendir("/proc");
  if (!proc) return false;
  bool used = false;
  while (!used) {
    dirent* p = ::readdir(proc);
    if (!p) break;
    if (p->d_name[0] < '0' || p->d_name[0] > '9') continue;
    std::string fdDir = std::string("/proc/") + p->d_name + "/fd";
    DIR* fds = ::opendir(fdDir.c_str());
    if (!fds) continue;
    while (dirent* f = ::readdir(fds)) {
      if (f->d_name[0] == '.') continue;
      char buf[PATH_MAX];
      ssize_t n = ::readlink((fdDir + "/" + f->d_name).c_str(), buf, sizeof buf - 1);
      if (n > 0) {
        buf[n] = 0;
        if (target == buf) {
          used = true;
          break;
        }
      }
    }
    ::closedir(fds);
  }
  ::closedir(proc);
  return used;
}

}  // namespace port_registry
