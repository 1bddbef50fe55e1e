#pragma once
// The module's command codes by name: the first data byte of every command frame. Every sender
// (the wrappers, the handlers, the runner) and the simulated module use these names, so a code
// is written once.
#include <cstdint>

namespace cmd {

// The module itself.
inline constexpr uint8_t ActionModeSet = 0x00;
inline constexpr uint8_t SoftwareInfo = 0x01;
inline constexpr uint8_t LedControl = 0x02;
inline constexpr uint8_t SystemParameterRead = 0x03;
inline constexpr uint8_t SystemParameterWrite = 0x04;
inline constexpr uint8_t Buzzer = 0x05;
inline constexpr uint8_t EepromInitialisation = 0x06;
inline constexpr uint8_t Restart = 0x0A;
inline constexpr uint8_t ParameterWordRead = 0x0D;
inline constexpr uint8_t ParameterWordWrite = 0x0E;
inline constexpr uint8_t RomVersion = 0x90;
inline constexpr uint8_t ModelName = 0x93;
inline constexpr uint8_t StProgMode = 0x9B;
inline constexpr uint8_t LfControl = 0x9E;  // sent in a kind 'N' frame

// TI HDX.
inline constexpr uint8_t ChargeOnlyRead = 0x10;
inline constexpr uint8_t WriteAndProgram = 0x11;
inline constexpr uint8_t GeneralReadPage = 0x12;
inline constexpr uint8_t ProgramPage = 0x13;
inline constexpr uint8_t LockPage = 0x14;
inline constexpr uint8_t GeneralReadPageCmd2 = 0x8B;  // TI multi-page read
inline constexpr uint8_t WriteAndProgramCmd2 = 0x8C;  // TI multi-page program

// HDX+.
inline constexpr uint8_t HdxPlusReadMultipleBlocks = 0x36;
inline constexpr uint8_t HdxPlusIdWrite = 0x3B;
inline constexpr uint8_t HdxPlusChipLock = 0x3C;

// SIC279.
inline constexpr uint8_t Sic279TraceabilityDataRead = 0x50;
inline constexpr uint8_t Sic279ChipConfigRead = 0x51;
inline constexpr uint8_t Sic279LockBitReadAll = 0x52;
inline constexpr uint8_t Sic279LockBitRead = 0x55;
inline constexpr uint8_t Sic279ProtectedDirectAccess = 0x57;
inline constexpr uint8_t Sic279ProtectedWrite = 0x58;
inline constexpr uint8_t Sic279IdWrite = 0x59;

// ID reads.
inline constexpr uint8_t IdReadFdx = 0x70;
inline constexpr uint8_t IdReadAnimal = 0x71;  // also ID read HDX and FDX, with 0x02
inline constexpr uint8_t IdReadFecava = 0x72;

// SIC7888.
inline constexpr uint8_t Sic7888GetUid = 0x80;
inline constexpr uint8_t Sic7888ReadBlock = 0x81;
inline constexpr uint8_t Sic7888ReadPage = 0x82;
inline constexpr uint8_t Sic7888WriteBlock = 0x83;
inline constexpr uint8_t Sic7888WritePage = 0x84;
inline constexpr uint8_t Sic7888IdWrite = 0x86;
inline constexpr uint8_t Sic7888ReadCt = 0x87;
inline constexpr uint8_t Sic7888WriteCt = 0x88;
inline constexpr uint8_t Sic7888ReadBlock2 = 0x89;
inline constexpr uint8_t Sic7888WriteBlock2 = 0x8A;

// EM4305.
inline constexpr uint8_t Em4305WriteWord = 0xE0;
inline constexpr uint8_t Em4305ReadWord = 0xE1;
inline constexpr uint8_t Em4305Login = 0xE2;
inline constexpr uint8_t Em4305Protect = 0xE3;
inline constexpr uint8_t Em4305Disable = 0xE4;
inline constexpr uint8_t Em4305IdWrite = 0xE5;

}  // namespace cmd
