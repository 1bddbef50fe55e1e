#pragma once
// Port selection: opening a numbered port, the open-port dialog TOpenCom1Dlg with its automatic
// scan, the port list of "Port check..." and the line-settings dialog of "COM Parameter...".
// Dialogs are prompt forms shown through Prompts, so all of it runs headless as well.
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "link/line_settings.h"
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

// The open-port dialog as a form, filled as the dialog opens: the module's port list, each port
// with its device and description, the last port that worked selected (nothing when none did or
// it is gone: a port is never guessed, and "Open" waits for a choice or auto check), the speed
// and parity of the current settings, auto check cleared. `portCheck` runs when "Port check..."
// (Button1) is pressed. `known` gives the devices and descriptions of the ports. With
// `addNetworkPort`, "Add network port..." (BtAddNetPort) runs it: it registers a network port and
// lists the module's ports again, and the list then shows them with the new port selected.
PromptForm OpenPortForm(const TTirisC1Dlg& comm, std::function<void()> portCheck,
                        const std::vector<PortInfo>& known = {},
                        std::function<std::optional<std::string>()> addNetworkPort = {});

// The dialog that asks for a network port's URL ("rfc2217://HOST:PORT" or "socket://HOST:PORT").
PromptForm AddNetworkPortForm();

// What the user chose in the open-port dialog.
struct PortChoice {
  bool autoCheck = false;
  int parityIndex = 0;
  std::string port;  // the selected entry ("" when none)
  int speedIndex = 1;
};

// The "Port check..." list: COM name, device, driver, USB vendor:product and whether the port
// is in use, one row per port.
PromptForm PortCheckForm(const std::vector<PortInfo>& ports,
                         const std::function<bool(const std::string& device)>& inUse);

// The line-settings dialog filled from a port's name and line settings, and the line settings a
// confirmed one gives.
PromptForm PortSettingsForm(const std::string& portName, const LineSettings& line);
LineSettings ApplyPortSettingsForm(const PromptForm& form, LineSettings line);

class PortSelection {
 public:
  PortSelection(TTirisC1Dlg& comm, Prompts& prompts) : comm_(comm), prompts_(prompts) {}

  // Opens "COM" + n with the current settings; a failure shows the "Can not open!!" message box
  // (with the reason on a further line). Returns whether the port is open.
  bool OpenPort(int n);

  // The dialog flow: AskForPort, then OpenChoice. Returns whether a port is open at the end.
  bool ShowOpenPortDialog(bool& firstOpen, const std::function<void()>& closeMainWindow);
  // The dialog alone; nothing on Cancel, which in the first dialog of the program (firstOpen
  // set) calls closeMainWindow. Clears firstOpen. Opens nothing.
  std::optional<PortChoice> AskForPort(bool& firstOpen,
                                       const std::function<void()>& closeMainWindow);
  // Opens what was chosen: the scan, or the selected port at its speed and parity (nothing to
  // open without a selection). Returns whether a port is open.
  bool OpenChoice(const PortChoice& choice);

  // Probes every listed port at the five speeds until the module answers. Returns whether it was
  // found; the port then stays open at the found speed.
  bool ScanPorts(const std::vector<std::string>& portNames, int parityIndex);

  // "COM Parameter...": closes the port, edits its line settings, saves them on OK and reopens
  // the port in every case.
  void ShowPortSettingsDialog();

  // Shows the "Port check..." list of the ports the system has now.
  void ShowPortCheck();

  // "Add network port...": asks for the URL, registers it under the lowest free COMn and lists
  // the ports again. The COMn name, or nothing (cancelled, or refused with a message).
  std::optional<std::string> AddNetworkPort();

 private:
  TTirisC1Dlg& comm_;
  Prompts& prompts_;
};
