#pragma once
// Commands addressed to the QZH-900 module itself (LED, buzzer, ROM version, model name,
// restart, speeds, action mode, LF power, LF carrier). One object per handler run; everything
// that must outlive the run is kept by AppCore.
#include <string>

class AppCore;
class TTirisC1Dlg;
class HandlerRegistry;

class ReaderCommands {
 public:
  explicit ReaderCommands(AppCore& app);

  void MnGetROMVerClick();
  void MnGetModelNameClick();

 private:
  AppCore& app_;
  TTirisC1Dlg& comm_;
};

void RegisterReaderCommands(HandlerRegistry& registry);
