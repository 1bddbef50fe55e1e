#pragma once
// The TI HDX items of the "TIRIS" menu: charge-only read, write-and-program of the ID, single
// page read, program and lock, and the two multi-page commands of newer firmware. One object per
// handler run; the remembered page, write data, BlockNo and BlockNum live in AppCore::Settings.
#include <string>

#include "core/messages.h"
#include "link/comm_module.h"

class AppCore;
class HandlerRegistry;

class TiHdxCommands {
 public:
  explicit TiHdxCommands(AppCore& app);

  void MnChargeOnlyReadCmd1Click();
  void MNWriteAndProgramCmd1Click();
  void MnGeneralReadPageCmdClick();
  void MnProgramPageCmdClick();
  void MnLockPageCmdClick();
  void MnGeneralReadPageCmd2Click();
  void MnWriteAndProgramCmd2Click();

 private:
  // Asks for the page number (0 .. 255) in TInputIntDlg, starting from the remembered page;
  // false on Cancel, else the page is remembered.
  bool AskPage(const std::string& caption, Msg label);
  // OK line, tag type line, data line and, for page answers, the page status line.
  void LogTiAnswer(const std::string& name, bool ok, const Response& out, bool pageStatus);

  AppCore& app_;
  TTirisC1Dlg& comm_;
};

void RegisterTiHdxCommands(HandlerRegistry& registry);
