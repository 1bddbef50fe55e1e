#include "link/link_settings.h"

#include <algorithm>
#include <cstdint>

#include "core/ini_file.h"
#include "core/settings_file.h"

namespace {

constexpr const char* kComDebug = "ComDebug";

// The number of a "COMn" port; 0 for any other name.
int ComPortNumber(const std::string& port) {
  const int n = PortNameToNumber(port);
  return port.rfind("COM", 0) == 0 && n > 0 ? n : 0;
}

void StoreLinkSettings(IniFile& ini, const LinkSettings& s) {
  auto writeInt = [&](const char* key, int64_t v) { ini.WriteInteger(kComDebug, key, v); };
  if (const int n = ComPortNumber(s.port); n > 0) writeInt("Port", n);
  const LineSettings& l = s.line;
  writeInt("BaudRate", BaudRateValue(l.baud) ? BaudRateValue(l.baud) : 9600);
  writeInt("ParityBits", static_cast<int>(l.parity));
  writeInt("ByteSize", static_cast<int>(l.dataBits) + 5);
  writeInt("StopBits", static_cast<int>(l.stopBits));
  writeInt("FlowCont", l.flow == TFlowControl::fcHardware   ? 1
                       : l.flow == TFlowControl::fcSoftware ? 2
                                                            : 0);
  const LinkExtras& e = s.extras;
  writeInt("CharWaitTime", e.CharWaitTime);
  writeInt("RWPower", e.RWPower);
  writeInt("CardType", e.CardType);
  writeInt("MAX_REC_NO", e.MAX_REC_NO);
  if (e.LastWorkingPort > 0) writeInt("LastWorkingPort", e.LastWorkingPort);
}

}  // namespace

LinkSettings ReadLinkSettings(const IniFile& ini) {
  auto readInt = [&](const char* key, int64_t def) { return ini.ReadInteger(kComDebug, key, def); };
  LinkSettings s;
  s.port = PortNumberToName(static_cast<int>(readInt("Port", 1) & 0xFF));
  LineSettings& l = s.line;
  l.baud = StrToBaudRate(std::to_string(readInt("BaudRate", 57600)));
  const int64_t parity = readInt("ParityBits", 0);
  l.parity = parity >= 0 && parity <= 4 ? static_cast<TParityBits>(parity) : TParityBits::prNone;
  l.dataBits = StrToDataBits(std::to_string(readInt("ByteSize", 8)));
  const int64_t stop = readInt("StopBits", 0);
  l.stopBits = stop >= 0 && stop <= 2 ? static_cast<TStopBits>(stop) : TStopBits::sbOneStopBit;
  const int64_t flow = readInt("FlowCont", 0);
  l.flow = flow == 1   ? TFlowControl::fcHardware
           : flow == 2 ? TFlowControl::fcSoftware
                       : TFlowControl::fcNone;
  LinkExtras& e = s.extras;
  e.CharWaitTime = static_cast<int>(readInt("CharWaitTime", 80));
  e.RWPower = static_cast<int>(readInt("RWPower", 1));
  e.CardType = static_cast<int>(readInt("CardType", 0));
  e.MAX_REC_NO = static_cast<int>(std::clamp<int64_t>(readInt("MAX_REC_NO", 100), 0, 1000000));
  e.LastWorkingPort = static_cast<int>(std::clamp<int64_t>(readInt("LastWorkingPort", 0), 0, 255));
  return s;
}

LinkSettings LoadLinkSettingsFile(const std::string& path) {
  IniFile ini(path);
  ini.Load();
  return ReadLinkSettings(ini);
}

bool SaveLinkSettingsFile(const std::string& path, const LinkSettings& settings) {
  return UpdateSettingsFile(path, [&](IniFile& ini) { StoreLinkSettings(ini, settings); });
}
