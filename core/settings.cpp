#include "core/settings.h"

#include <cmath>
#include <locale>

#include "core/ini_file.h"
#include "core/settings_file.h"

namespace {

constexpr const char* kOption = "Option";

std::string WriteDataKey(Language lang, int i) {
  return MessageText(Msg::WriteDataMsg, lang) + "[" + std::to_string(i) + "]";
}

uint8_t Low8(int64_t v) {
  return static_cast<uint8_t>(v & 0xFF);
}

uint64_t ReadUnsignedDecimal(const IniFile& ini, const char* key, uint64_t def) {
  auto v = ini.Value(kOption, key);
  if (!v) return def;
  std::string t;
  for (char c : *v)
    if (c != ' ' && c != '\t') t.push_back(c);
  if (t.empty() || t.size() > 20) return def;
  uint64_t n = 0;
  for (char c : t) {
    if (c < '0' || c > '9') return def;
    uint64_t d = static_cast<uint64_t>(c - '0');
    if (n > (UINT64_MAX - d) / 10) return def;
    n = n * 10 + d;
  }
  return n;
}

uint64_t FloatToU64(double v) {
  if (!(v > 0)) return 0;
  if (v >= 18446744073709551615.0) return UINT64_MAX;
  return static_cast<uint64_t>(v);
}

}  // namespace

int DefaultLanguageFlag() {
  // The process locale follows LANG/LC_*; "ja" means Japanese.
  for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* v = std::getenv(var);
    if (v && *v) return std::string(v).rfind("ja", 0) == 0 ? 1 : 0;
  }
  return 0;
}

OptionSettings LoadOptionSettings(const IniFile& ini, Language lang) {
  OptionSettings s;
  auto readInt = [&](const char* key, int64_t def) { return ini.ReadInteger(kOption, key, def); };
  s.TirisPage = Low8(readInt("TirisPage", 1));
  s.TirisBank = Low8(readInt("TirisBank", 3));
  s.SelAddr = Low8(readInt("SelAddr", 255));
  s.fTimeOut = static_cast<int>(readInt("fTimeOut", 0));
  s.IntervTime = static_cast<int>(readInt("IntervTime", 200));
  s.BlockNo = Low8(readInt("BlockNo", 0));
  s.BlockNum = Low8(readInt("BlockNum", 0));
  s.SIC7888Mode1 = static_cast<int>(readInt("SIC7888Mode1", 1));
  s.SIC7888Menu = static_cast<int>(readInt("SIC7888Menu", 0));
  s.fHDXP = static_cast<int>(readInt("fHDXP", 0));
  s.fReadAnimalID = static_cast<int>(readInt("fReadAnimalID", 0));
  s.fWriteAnimalID = static_cast<int>(readInt("fWriteAnimalID", 0));
  s.fFastBlockRead = static_cast<int>(readInt("fFastBlockRead", 1));
  s.fIncValue = static_cast<int>(readInt("fIncValue", 1));
  s.IncValue = static_cast<int>(readInt("IncValue", 1));
  s.DecHexMode = static_cast<int>(readInt("DecHexMode", 0));
  s.EMID_AutoIncrement = static_cast<int>(readInt("EMID_AutoIncrement", 0));
  s.EMId = FloatToU64(ini.ReadFloat(kOption, "EMId", 0));
  s.fEMDispHex = static_cast<int>(readInt("fEMDispHex", 0));
  s.BDEID_AutoIncrement = static_cast<int>(readInt("BDEID_AutoIncrement", 0));
  s.BDEId2 = ReadUnsignedDecimal(ini, "BDEId2", 0);
  s.fBDEDispHex = static_cast<int>(readInt("fBDEDispHex", 0));
  for (int i = 0; i < 16; ++i)
    s.WriteData[i] = Low8(ini.ReadInteger(kOption, WriteDataKey(lang, i), i));
  const OptionSettings defaults;
  for (int i = 0; i < 8; ++i)
    s.ANI_ID[i] = Low8(readInt(("ANI_ID" + std::to_string(i)).c_str(), defaults.ANI_ID[i]));
  for (int i = 0; i < 8; ++i)
    s.IND_ID[i] = Low8(readInt(("IND_ID" + std::to_string(i)).c_str(), defaults.IND_ID[i]));
  for (int i = 0; i < 16; ++i)
    s.IDKey[i] = Low8(readInt(("IDKey" + std::to_string(i)).c_str(), defaults.IDKey[i]));
  s.LanguageFlag = static_cast<int>(readInt("LanguageFlag", DefaultLanguageFlag()));
  s.WordNo = Low8(readInt("WordNo", 0));
  return s;
}

void StoreOptionSettings(IniFile& ini, const OptionSettings& s, Language lang) {
  auto writeInt = [&](const std::string& key, int64_t v) { ini.WriteInteger(kOption, key, v); };
  writeInt("TirisPage", s.TirisPage);
  writeInt("TirisBank", s.TirisBank);
  writeInt("SelAddr", s.SelAddr);
  writeInt("fTimeOut", s.fTimeOut);
  writeInt("IntervTime", s.IntervTime);
  writeInt("BlockNo", s.BlockNo);
  writeInt("BlockNum", s.BlockNum);
  writeInt("SIC7888Menu", s.SIC7888Menu);
  writeInt("fHDXP", s.fHDXP);
  writeInt("fReadAnimalID", s.fReadAnimalID);
  writeInt("fWriteAnimalID", s.fWriteAnimalID);
  writeInt("fFastBlockRead", s.fFastBlockRead);
  writeInt("fIncValue", s.fIncValue);
  writeInt("IncValue", s.IncValue);
  writeInt("DecHexMode", s.DecHexMode);
  writeInt("EMID_AutoIncrement", s.EMID_AutoIncrement);
  ini.WriteString(kOption, "EMId", FormatGeneralFloat(static_cast<double>(s.EMId)));
  writeInt("fEMDispHex", s.fEMDispHex);
  writeInt("BDEID_AutoIncrement", s.BDEID_AutoIncrement);
  ini.WriteString(kOption, "BDEId2", std::to_string(s.BDEId2));
  writeInt("fBDEDispHex", s.fBDEDispHex);
  for (int i = 0; i < 16; ++i) writeInt(WriteDataKey(lang, i), s.WriteData[i]);
  for (int i = 0; i < 8; ++i) writeInt("ANI_ID" + std::to_string(i), s.ANI_ID[i]);
  for (int i = 0; i < 8; ++i) writeInt("IND_ID" + std::to_string(i), s.IND_ID[i]);
  for (int i = 0; i < 16; ++i) writeInt("IDKey" + std::to_string(i), s.IDKey[i]);
  writeInt("LanguageFlag", s.LanguageFlag);
  writeInt("WordNo", s.WordNo);
}

bool SaveOptionSettings(const std::string& path, const OptionSettings& s, Language lang) {
  return UpdateSettingsFile(path, [&](IniFile& ini) { StoreOptionSettings(ini, s, lang); });
}

OptionSettings LoadOptionSettingsFile(const std::string& path, Language lang, files::Error* error) {
  IniFile ini(path);
  ini.Load();
  if (error) *error = ini.LoadError();
  return LoadOptionSettings(ini, lang);
}
