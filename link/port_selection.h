#pragma once
// Port selection: opening a numbered port, the open-port dialog TOpenCom1Dlg with its automatic
// scan, the port list of "Port check..." and the line-settings dialog of "COM Parameter...".
// Dialogs are prompt forms shown through Prompts, so all of it runs headless as well.
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "link/com_port.h"
#include "link/port_registry.h"
#include "prompts/prompts.h"

class TTirisC1Dlg;

namespace port_speeds {
// The five speeds the tool offers and scans, in scan order, with their texts.
inline constexpr std::array<TBaudRate, 5> kRates = {TBaudRate::br9600, TBaudRate::br19200,
                                                    TBaudRate::br38400, TBaudRate::br57600,
                                                    TBaudRate::br115200};
inline constexpr std::array<const char*, 5> kTexts = {"9600bps", "19.2kbps", "38.4kbps", "57.6kbps",
                                                      "115.2kbps"};
// Index in kRates of a rate; any rate not offered gives 1 (19.2kbps).
int IndexOfRate(TBaudRate rate);
// Rate of an index; anything outside 0..4 gives 9600.
TBaudRate RateOfIndex(int index);
}  // namespace port_speeds

// The open-port dialog as a form, filled as the dialog opens: the module's port list with the
// current port (or the first entry) selected, the speed and parity of the current settings,
// auto check cleared. `portCheck` runs when "Port check..." (Button1) is pressed.
PromptForm OpenPortForm(const TTirisC1Dlg& comm, std::function<void()> portCheck);

// The "Port check..." list: COM name, device, driver, USB vendor:product and whether the port
// is in use, one row per port.
PromptForm PortCheckForm(const std::vector<PortInfo>& ports,
                         const std::function<bool(const std::string& device)>& inUse);

// The line-settings dialog filled from a port's settings, and applying a confirmed one.
PromptForm PortSettingsForm(const TComPort& port);
void ApplyPortSettingsForm(const PromptForm& form, TComPort& port);

class PortSelection {
 public:
  PortSelection(TTirisC1Dlg& comm, Prompts& prompts) : comm_(comm), prompts_(prompts) {}

  // Opens "COM" + n with the current settings; a failure shows the "Can not open!!" message box
  // (with the reason on a further line). Returns whether the port is open.
  bool OpenPort(int n);

  // The dialog flow. Cancel in the first dialog of the program (firstOpen set) calls
  // closeMainWindow. Clears firstOpen. Returns whether a port is open at the end.
  bool ShowOpenPortDialog(bool& firstOpen, const std::function<void()>& closeMainWindow);

  // Probes every listed port at the five speeds until the module answers. Returns whether it was
  // found; the port then stays open at the found speed.
  bool ScanPorts(const std::vector<std::string>& portNames, int parityIndex);

  // "COM Parameter...": closes the port, edits its line settings, saves them on OK and reopens
  // the port in every case.
  void ShowPortSettingsDialog();

  // Shows the "Port check..." list of the ports the system has now.
  void ShowPortCheck();

 private:
  TTirisC1Dlg& comm_;
  Prompts& prompts_;
};
