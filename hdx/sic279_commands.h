#pragma once
// The "SIC279" menu: traceability data and chip configuration, lock bits, protected block access
// and write, and the ID write dialog. One object per handler run; the block number and count are
// AppCore::Settings' BlockNo and BlockNum, the four ProtectedWrite bytes are kept for the run.
#include <cstdint>
#include <string>

#include "link/comm_module.h"

class AppCore;
class HandlerRegistry;

class Sic279Commands {
 public:
  explicit Sic279Commands(AppCore& app);

  void raceabilitydataRead1Click();
  void ChipConfigRead1Click();
  void Lockbitreadall1Click();
  void Lockbitread1Click();
  void Protecteddirectaccess1Click();
  void Protectedwrite1Click();
  void IDWrite1Click();

 private:
  // The result line; true when the answer was an ACK holding at least `minLen` data bytes (a
  // shorter ACK is reported as a format error and counts as a failure).
  bool Result(bool ack, const Response& out, int minLen, const std::string& name);
  // The traceability line and the OPT, PWD and CRC lines of data bytes 1-8.
  void LogTraceability(const Response& out);

  AppCore& app_;
  TTirisC1Dlg& comm_;
};

// Bit 0 becomes bit 7, bit 1 bit 6, and so on.
uint8_t ReverseBits(uint8_t b);

void RegisterSic279Commands(HandlerRegistry& registry);
