#pragma once
// The line settings of a serial link: speed, character format and flow control, as a value.
// The serial port applies them to its device; a network link carries them to the far end's port
// (or says why it cannot); the settings file keeps them in section ComDebug.
#include <string>

enum class TBaudRate {
  brCustom,
  br110,
  br300,
  br600,
  br1200,
  br2400,
  br4800,
  br9600,
  br14400,
  br19200,
  br38400,
  br56000,
  br57600,
  br115200,
  br128000,
  br256000
};
enum class TDataBits { dbFive, dbSix, dbSeven, dbEight };
enum class TParityBits { prNone, prOdd, prEven, prMark, prSpace };
enum class TStopBits { sbOneStopBit, sbOne5StopBits, sbTwoStopBits };
enum class TFlowControl { fcHardware, fcSoftware, fcNone, fcCustom };

// Conversions the tool relies on.
std::string BaudRateToStr(TBaudRate rate);         // "57600"; brCustom gives "Custom"
TBaudRate StrToBaudRate(const std::string& text);  // unknown text gives br9600
int BaudRateValue(TBaudRate rate);                 // 57600; brCustom gives 0
std::string DataBitsToStr(TDataBits bits);         // "8"
TDataBits StrToDataBits(const std::string& text);  // unknown text gives dbEight

// Port names "COM1".."COM255".
std::string PortNumberToName(int n);
// Characters from the fourth on read as a decimal integer; 0 when they are not one.
int PortNameToNumber(const std::string& name);

struct LineSettings {
  TBaudRate baud = TBaudRate::br9600;
  TDataBits dataBits = TDataBits::dbEight;
  TParityBits parity = TParityBits::prNone;
  TStopBits stopBits = TStopBits::sbOneStopBit;
  TFlowControl flow = TFlowControl::fcNone;

  bool operator==(const LineSettings&) const = default;
};
