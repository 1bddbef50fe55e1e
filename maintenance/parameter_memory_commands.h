#pragma once
// The module's parameter memory: the parameter dialog over EEPROM words 1-22, the system flag
// byte (system parameter 0), a plain EEPROM read and the EEPROM write-and-verify endurance test.
#include <string>

class AppCore;
class HandlerRegistry;

class ParameterMemoryCommands {
 public:
  explicit ParameterMemoryCommands(AppCore& app);

  void MnParaSet1Click();
  void SystemParameter1Click();
  void EEPROMRead1Click();
  void EEPROMWrite1Click();

 private:
  AppCore& app_;
};

void RegisterParameterMemoryCommands(HandlerRegistry& registry);
