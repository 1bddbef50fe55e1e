#pragma once
// The "SIC7888" menu: UID, block, page and block-range reads and writes, the memory dump, the
// tuning value CT, the configuration word, the traceability data and the ID write. One object
// per handler run; the block number, block count and write data live in AppCore::Settings, the
// CT value in Sic7888Memory.
#include <cstdint>
#include <optional>
#include <string>

class AppCore;
class TTirisC1Dlg;
class HandlerRegistry;

// Kept for the life of the program.
struct Sic7888Memory {
  int64_t ctValue = 0;  // initial value of WRITE CT
};

class Sic7888Commands {
 public:
  explicit Sic7888Commands(AppCore& app);

  void raceabilityDataRead2Click();
  void SIC7888GETUID1Click();
  void SIC7888READBLOCK1Click();
  void SIC7888READPAGE1Click();
  void SIC7888WRITEBLOCK1Click();
  void SIC7888WRITEPAGE1Click();
  void SIC7888READCT1Click();
  void SIC7888WRITECT1Click();
  void SIC7888READBLOCK21Click();
  void SIC7888WriteBlock21Click();
  void SIC7888TagData1Click();
  void SIC7888IDWrite1Click();
  void ReadSIC7888Configuration1Click();

 private:
  // Mode 1 while SIC7888Mode1 is set, else asked for; nullopt on Cancel.
  std::optional<uint8_t> ResponseProtocolMode(const std::string& caption);
  // ReadBlock or ReadPage of the block asked for.
  void ReadBlockOrPage(bool page);

  AppCore& app_;
  TTirisC1Dlg& comm_;
};

void RegisterSic7888Commands(HandlerRegistry& registry);
