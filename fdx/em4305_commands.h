#pragma once
// The "EM4305" menu: read and write one word, log in with the 4-byte password, set protection
// bits and disable the transponder. With "Login" checked a command runs inside the login
// sequence: carrier on, login, the command, carrier off, so the transponder stays powered (and
// logged in) across it. One object per handler run; the password and the protection value live
// in Em4305Memory, the word address and write data in AppCore::Settings.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

class AppCore;
class TTirisC1Dlg;
class HandlerRegistry;

// Kept for the life of the program (zero at start).
struct Em4305Memory {
  std::array<uint8_t, 4> password{};
  std::array<uint8_t, 4> protection{};  // the protection word last sent with Protect
};

class Em4305Commands {
 public:
  explicit Em4305Commands(AppCore& app);

  void ReadWord1Click();
  void WriteWord1Click();
  void Login1Click();
  void Protect1Click();
  void Disable1Click();

 private:
  // What the login sequence does when the carrier cannot be switched on: ReadWord still
  // switches it off, WriteWord and Protect stop at once.
  enum class CarrierFailure { SwitchOff, Stop };
  // Carrier on ("TX_ONCmd"), afterCarrierOn, login ("Login"), operation, carrier off
  // ("TX_OFFCmd"); a failed step skips the steps after it up to the carrier off.
  void LoginSequence(std::span<const uint8_t, 4> password, CarrierFailure rule,
                     const std::function<void()>& afterCarrierOn,
                     const std::function<void()>& operation);
  // Reads a protection word with its result and data lines; nullopt when the read failed.
  std::optional<uint32_t> ReadProtectionWord(uint8_t address);

  AppCore& app_;
  TTirisC1Dlg& comm_;
  Em4305Memory& memory_;
};

void RegisterEm4305Commands(HandlerRegistry& registry);
