// COMn names for Linux devices: the registry file, the sysfs scan and the stable by-id paths.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>

#include "core/app_paths.h"
#include "link/com_port.h"
#include "link/port_registry.h"
#include "tests/support/temp_config.h"

namespace {

namespace fs = std::filesystem;

// A fake /sys/class/tty and /dev. Character devices cannot be made without privileges, so each
// fake device node links to a distinct character device of this machine (/dev/null, ...).
class FakeTty {
 public:
  explicit FakeTty(const TempConfig& cfg) : root_(cfg.Dir() + "/fake") {
    fs::create_directories(root_ + "/sys/class/tty");
    fs::create_directories(root_ + "/devices");
    fs::create_directories(root_ + "/dev/serial/by-id");
    port_registry::SetScanRoots(root_ + "/sys/class/tty", root_ + "/dev");
  }
  ~FakeTty() { port_registry::SetScanRoots("/sys/class/tty", "/dev"); }

  // A tty with a device behind it; type "" for none (USB adapters), "0" for a phantom UART.
  void Add(const std::string& name, const std::string& node, const std::string& type,
           const std::string& byId = "", const std::string& vendor = "") {
    const std::string dev = root_ + "/devices/" + name;
    fs::create_directories(dev);
    if (!vendor.empty()) {
      TempConfig::WriteFile(dev + "/../idVendor", vendor + "\n");
      TempConfig::WriteFile(dev + "/../idProduct", "6001\n");
      TempConfig::WriteFile(dev + "/../product", "FT232R USB UART\n");
    }
    const std::string sys = root_ + "/sys/class/tty/" + name;
    fs::create_directories(sys);
    fs::create_directory_symlink(dev, sys + "/device");
    if (!type.empty()) TempConfig::WriteFile(sys + "/type", type + "\n");
    fs::create_symlink(node, root_ + "/dev/" + name);
    if (!byId.empty())
      fs::create_symlink(root_ + "/dev/" + name, root_ + "/dev/serial/by-id/" + byId);
  }
  std::string Dev(const std::string& name) const { return root_ + "/dev/" + name; }
  std::string ById(const std::string& name) const { return root_ + "/dev/serial/by-id/" + name; }

 private:
  std::string root_;
};

TEST(PortRegistry, RealDevicesGetStableNumbersAndPhantomsAreSkipped) {
  TempConfig cfg;
  FakeTty tty(cfg);
  tty.Add("ttyS0", "/dev/null", "4");
  tty.Add("ttyS1", "/dev/zero", "0");  // no UART behind it
  tty.Add("ttyUSB0", "/dev/full", "", "usb-FTDI_FT232R_A1-if00-port0", "0403");
  const auto ports = port_registry::List();
  ASSERT_EQ(ports.size(), 2u);
  EXPECT_EQ(ports[0].name, "COM1");
  EXPECT_EQ(ports[0].device, tty.Dev("ttyS0"));
  EXPECT_EQ(ports[1].name, "COM2");
  EXPECT_EQ(ports[1].device, tty.ById("usb-FTDI_FT232R_A1-if00-port0"));
  EXPECT_EQ(ports[1].usbVendor, "0403");
  EXPECT_EQ(ports[1].usbProduct, "6001");
  // Saved: the numbers survive the next scan, and the adapter is found under its stable path.
  const std::string saved = TempConfig::ReadFile(app_paths::PortRegistryPath());
  EXPECT_NE(saved.find("COM2=" + tty.ById("usb-FTDI_FT232R_A1-if00-port0")), std::string::npos);
  EXPECT_EQ(port_registry::ListNames(), (std::vector<std::string>{"COM1", "COM2"}));
  EXPECT_EQ(port_registry::ResolveDevice("COM2"), tty.ById("usb-FTDI_FT232R_A1-if00-port0"));
  EXPECT_EQ(port_registry::ResolveDevice("/dev/ttyACM7"), "/dev/ttyACM7");
}

TEST(PortRegistry, EntriesOfMissingDevicesAreNotListedAndKeepTheirNumbers) {
  TempConfig cfg;
  FakeTty tty(cfg);
  TempConfig::WriteFile(app_paths::PortRegistryPath(),
                        "[Ports]\nCOM1=/dev/does-not-exist\nCOM10=/dev/null\nCOM2=/dev/zero\n"
                        "COM3\ngarbage=\nCOMx=/dev/ptmx\n");
  tty.Add("ttyUSB3", "/dev/full", "");
  const auto names = port_registry::ListNames();
  // Sorted as text; the unplugged COM1 is not offered and its number is not reused.
  EXPECT_EQ(names, (std::vector<std::string>{"COM10", "COM2", "COM3"}));
  EXPECT_EQ(port_registry::ResolveDevice("COM3"), tty.Dev("ttyUSB3"));
  EXPECT_EQ(port_registry::ResolveDevice("COM1"), "");
  EXPECT_EQ(port_registry::ResolveDevice("COM0"), "");
  EXPECT_EQ(port_registry::ResolveDevice("LPT1"), "");
}

TEST(PortRegistry, RegisterAndUnregisterKeepOtherEntries) {
  TempConfig cfg;
  FakeTty tty(cfg);
  ASSERT_TRUE(port_registry::Register(9, "/dev/ptmx"));
  ASSERT_TRUE(port_registry::Register(12, "/dev/ptmx"));
  EXPECT_TRUE(port_registry::Unregister(9, "/dev/other"));  // not ours: left alone
  EXPECT_EQ(port_registry::ResolveDevice("COM9"), "/dev/ptmx");
  EXPECT_TRUE(port_registry::Unregister(9, "/dev/ptmx"));
  EXPECT_EQ(port_registry::ResolveDevice("COM9"), "");
  EXPECT_EQ(port_registry::ResolveDevice("COM12"), "/dev/ptmx");
  EXPECT_FALSE(port_registry::Register(256, "/dev/ptmx"));
}

TEST(PortRegistry, AReadOnlyRegistryStillListsWhatItHolds) {
  TempConfig cfg;
  FakeTty tty(cfg);
  TempConfig::WriteFile(app_paths::PortRegistryPath(), "[Ports]\nCOM4=/dev/ptmx\n");
  ::chmod(app_paths::PortRegistryPath().c_str(), 0444);
  tty.Add("ttyUSB0", "/dev/null", "");
  const auto names = port_registry::ListNames();
  EXPECT_NE(std::find(names.begin(), names.end(), "COM4"), names.end());
  EXPECT_EQ(TempConfig::ReadFile(app_paths::PortRegistryPath()), "[Ports]\nCOM4=/dev/ptmx\n");
  EXPECT_FALSE(port_registry::Register(5, "/dev/ptmx"));
}

}  // namespace
