#pragma once
// Commands addressed to the QZH-900 module itself: LED and buzzer tests, ROM version, model
// name, restart, EEPROM initialisation, software information, buzzer settings, serial speeds,
// action mode, LF power and the LF carrier. One object per handler run; everything that must
// outlive the run is kept by AppCore.
#include <cstdint>
#include <string>
#include <vector>

class AppCore;
class TTirisC1Dlg;
class HandlerRegistry;

class ReaderCommands {
 public:
  explicit ReaderCommands(AppCore& app);

  // LED and buzzer tests (reader_commands.cpp).
  void MnLEDTest1Click(const std::string& sender);
  void MnLEDSet1Click();
  void BUZTest1Click();
  void MnBuzContONClick();
  void MnBuzOFFClick();

  // Queries and plain module commands (reader_commands.cpp).
  void MnGetROMVerClick();
  void MnGetModelNameClick();
  // Sends the restart command and logs its result line; true on ACK.
  bool MnRestartClick();
  void Flash1Click();
  void RDInfo1Click();
  void STPROGMODE1Click();
  void ActionMode1Click();

  // LF carrier (reader_commands.cpp).
  void LFON1Click();
  void ON1Click();
  void OFF1Click();
  void ToolButton1Click() { ON1Click(); }
  void ToolButton2Click() { OFF1Click(); }

  // Settings that read, change and write back (reader_settings.cpp).
  void MnSetBuzClick();
  void MnEnBuzClick(const std::string& sender);
  void Mnset9600bps1Click(const std::string& sender);
  void COMSpeed1Click();
  void PWMDuty1Click();

 private:
  // 05 reply sound; waits and logs only when a reply is asked for.
  void Buzzer(uint8_t reply, uint8_t sound);
  AppCore& app_;
  TTirisC1Dlg& comm_;
};

// Reads `count` EEPROM words from word `start` (0D start count) into `words`. False when the
// exchange fails (the link has logged why) or when the answer carries fewer words than asked
// for (then a format error line is written).
bool ReadModuleWords(AppCore& app, uint8_t start, uint8_t count, std::vector<uint16_t>& words);
// The line for an ACK whose LEN leaves out bytes the handler needs.
void LogShortResponse(AppCore& app);
// The line for a typed value that the command cannot carry; nothing is sent.
void LogInvalidValue(AppCore& app);

void RegisterReaderCommands(HandlerRegistry& registry);
