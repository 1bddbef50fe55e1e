#pragma once
// Section `Option` of the settings file: the values the main window keeps between commands.
#include <array>
#include <cstdint>
#include <string>

#include "core/files.h"
#include "core/messages.h"

class IniFile;

struct OptionSettings {
  uint8_t TirisPage = 1;
  uint8_t TirisBank = 3;
  uint8_t SelAddr = 255;
  int fTimeOut = 0;
  int IntervTime = 200;
  uint8_t BlockNo = 0;
  uint8_t BlockNum = 0;
  int SIC7888Mode1 = 1;  // read at start-up, never written back
  int SIC7888Menu = 0;
  int fHDXP = 0;
  int fReadAnimalID = 0;
  int fWriteAnimalID = 0;
  int fFastBlockRead = 1;
  int fIncValue = 1;
  int IncValue = 1;
  int DecHexMode = 0;
  int EMID_AutoIncrement = 0;
  uint64_t EMId = 0;
  int fEMDispHex = 0;
  int BDEID_AutoIncrement = 0;
  uint64_t BDEId2 = 0;
  int fBDEDispHex = 0;
  std::array<uint8_t, 16> WriteData{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
  std::array<uint8_t, 8> ANI_ID{0x01, 0xA7, 0x0E, 0xF2, 0xE0, 0xF9, 0x00, 0x80};
  std::array<uint8_t, 8> IND_ID{0x01, 0, 0, 0, 0, 0, 0, 0};
  std::array<uint8_t, 16> IDKey{60, 145, 167, 94, 11,  212, 98, 248,
                                25, 195, 122, 45, 230, 132, 79, 176};
  int LanguageFlag = 0;  // 1 Japanese, 0 English; default from the user's language
  uint8_t WordNo = 0;
};

// 1 when the user's default language is Japanese, else 0.
int DefaultLanguageFlag();

// Reads every key of `Option` with its default; a missing or non-numeric value gives the default.
// `lang` selects the names of the 16 write-data keys ("Write Data[i]" or "書き込むデータ[i]").
OptionSettings LoadOptionSettings(const IniFile& ini, Language lang);

// Writes every key except SIC7888Mode1, in table order, into the document (not the disk).
void StoreOptionSettings(IniFile& ini, const OptionSettings& s, Language lang);

// Writes section `Option` by the settings write rule (core/settings_file.h). Returns whether the
// file was written.
bool SaveOptionSettings(const std::string& path, const OptionSettings& s, Language lang);
// Section Option of the file at path; `error`, when given, gets the reason a file that is there
// could not be read.
OptionSettings LoadOptionSettingsFile(const std::string& path, Language lang,
                                      files::Error* error = nullptr);
