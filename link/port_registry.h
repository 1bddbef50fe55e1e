#pragma once
// "COMn" names for Linux serial devices. The registry <appdata>/norvik/ports.ini keeps lines
// COM<n>=<device path> in section [Ports]; a real device seen for the first time gets the lowest
// free number and is saved under its stable /dev/serial/by-id path where it has one, so a USB
// adapter keeps its number.
#include <string>
#include <vector>

struct PortInfo {
  std::string name;                   // "COM3"
  std::string device;                 // path as registered
  std::string driver;                 // kernel driver, when known
  std::string usbVendor, usbProduct;  // "0403", "6001" for USB adapters
  std::string description;            // manufacturer and product, when known
};

namespace port_registry {

// Registered entries whose device exists, registered network ports (device: the URL, driver
// "network"), plus every real serial device of /sys/class/tty not
// yet registered (registered on the way), sorted as text ("COM10" before "COM2").
std::vector<PortInfo> List();
std::vector<std::string> ListNames();

// Device path for "COMn" (registry first, then a fresh scan), or the name itself when it is a
// path. Empty when unknown.
std::string ResolveDevice(const std::string& name);

// The network port a name stands for: the name itself when it is a URL ("rfc2217://gate-3:2001"),
// the URL registered under a COMn name ("COM12=rfc2217://gate-3:2001"), else empty.
std::string NetworkUrl(const std::string& name);

// Registers path (a device or a network port's URL) under the lowest free COMn, or returns the
// number it already has. 0 when no number is free or the file cannot be written.
int RegisterNew(const std::string& path);

// Registers path under COM<n>, replacing what was there. Returns false when the file cannot be
// written.
bool Register(int n, const std::string& path);
// Removes COM<n> when it still names path (or unconditionally when path is empty).
bool Unregister(int n, const std::string& path = "");

// Why the registry file is there but cannot be read (larger than 16 MiB, not a regular file), in
// English; empty when it can. The registry then lists the ports found now and keeps none.
std::string ReadProblem();

// Whether some process holds the device open exclusively (our own flock).
bool InUse(const std::string& device);

// Test hook: the sysfs and /dev roots to scan (default "/sys/class/tty" and "/dev").
void SetScanRoots(const std::string& sysClassTty, const std::string& devRoot);

}  // namespace port_registry
