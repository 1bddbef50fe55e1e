#pragma once
// The command test dialog (one transponder command run once or repeatedly, with OK/NG counts)
// and the hidden item that sends a typed byte string to the port.
#include <array>
#include <cstdint>
#include <string>

#include "maintenance/command_test_dlg.h"

class AppCore;
class HandlerRegistry;
class LogPane;
class TTirisC1Dlg;

// The dialog's fields that outlive it (kept by AppCore for the life of the program).
struct CommandTestMemory {
  int address = 0;
  int blockNumber = 0;
  std::array<uint8_t, 8> data{};  // EdData0 .. EdData7
  std::string sentString;         // TCmdOutpDlg's last string
};

class CommandTest {
 public:
  explicit CommandTest(AppCore& app);

  void MnCmdTestClick();
  void MnChkCmdClick();

  // Start: one run, single or continuous, against the dialog's fields. Its lines go to `log`.
  // Returns true when the user closed the dialog during a continuous run and agreed to stop it:
  // the dialog is then to close.
  bool OKBtnClick(PromptForm& form, CommandTestState& state, LogPane& log);

 private:
  // Close (the button or the close box) pressed while a continuous run goes on: asks whether to
  // stop the run and close.
  bool CloseAsked(PromptForm& form);
  // Sends the selected command with the fields' values; true when its success check holds.
  bool SendSelected(PromptForm& form);

  AppCore& app_;
  TTirisC1Dlg& comm_;
};

void RegisterCommandTest(HandlerRegistry& registry);
