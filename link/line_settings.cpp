#include "link/line_settings.h"

namespace {

struct RateEntry {
  TBaudRate rate;
  int value;
};
constexpr RateEntry kRates[] = {
    {TBaudRate::br110, 110},       {TBaudRate::br300, 300},       {TBaudRate::br600, 600},
    {TBaudRate::br1200, 1200},     {TBaudRate::br2400, 2400},     {TBaudRate::br4800, 4800},
    {TBaudRate::br9600, 9600},     {TBaudRate::br14400, 14400},   {TBaudRate::br19200, 19200},
    {TBaudRate::br38400, 38400},   {TBaudRate::br56000, 56000},   {TBaudRate::br57600, 57600},
    {TBaudRate::br115200, 115200}, {TBaudRate::br128000, 128000}, {TBaudRate::br256000, 256000},
};

}  // namespace

std::string BaudRateToStr(TBaudRate rate) {
  for (const auto& r : kRates)
    if (r.rate == rate) return std::to_string(r.value);
  return "Custom";
}

TBaudRate StrToBaudRate(const std::string& text) {
  for (const auto& r : kRates)
    if (std::to_string(r.value) == text) return r.rate;
  return TBaudRate::br9600;
}

int BaudRateValue(TBaudRate rate) {
  for (const auto& r : kRates)
    if (r.rate == rate) return r.value;
  return 0;
}

std::string DataBitsToStr(TDataBits bits) {
  return std::to_string(static_cast<int>(bits) + 5);
}

TDataBits StrToDataBits(const std::string& text) {
  if (text == "5") return TDataBits::dbFive;
  if (text == "6") return TDataBits::dbSix;
  if (text == "7") return TDataBits::dbSeven;
  return TDataBits::dbEight;
}

std::string PortNumberToName(int n) {
  return "COM" + std::to_string(n);
}

int PortNameToNumber(const std::string& name) {
  if (name.size() <= 3) return 0;
  int n = 0;
  for (size_t i = 3; i < name.size(); ++i) {
    char c = name[i];
    if (c < '0' || c > '9') return 0;
    n = n * 10 + (c - '0');
    if (n > 1000000) return 0;
  }
  return n;
}
