#include "cli/session.h"

#include "link/com_port.h"
#include "shell/app_paths.h"
#include "shell/ini_file.h"

const char* const kCommonOptionsHelp =
    "  --port COMn|PATH   port to open (default: the one of the settings file)\n"
    "  --baud N           speed in bit/s (default: the one of the settings file)\n"
    "  --lang en|ja       language of the log lines (default: the settings file's)\n"
    "  --animal-id        decorate ID lines with country and national ID\n";

CommonOptions ParseCommonOptions(std::vector<std::string>& args) {
  CommonOptions o;
  std::vector<std::string> rest;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&]() -> std::string {
      const size_t eq = a.find('=');
      if (eq != std::string::npos) return a.substr(eq + 1);
      if (i + 1 >= args.size()) throw UsageError(a + " needs a value");
      return args[++i];
    };
    auto is = [&](const char* name) {
      return a == name || a.rfind(std::string(name) + "=", 0) == 0;
    };
    if (is("--port")) {
      o.port = value();
    } else if (is("--baud")) {
      const std::string v = value();
      auto n = ParseInteger(v);
      if (!n || BaudRateValue(StrToBaudRate(std::to_string(*n))) != *n)
        throw UsageError("unsupported speed: " + v);
      o.baud = static_cast<int>(*n);
    } else if (is("--lang")) {
      o.lang = value();
      if (o.lang != "en" && o.lang != "ja") throw UsageError("--lang takes en or ja");
    } else if (a == "--animal-id") {
      o.animalId = true;
    } else if (a == "--help" || a == "-h") {
      o.help = true;
    } else {
      rest.push_back(a);
    }
  }
  args = rest;
  return o;
}

namespace {
Language ChooseLanguage(const CommonOptions& o) {
  if (o.lang == "ja") return Language::Japanese;
  if (o.lang == "en") return Language::English;
  IniFile ini(app_paths::SettingsPath());
  ini.Load();
  return ini.ReadInteger("Option", "LanguageFlag", DefaultLanguageFlag()) == 1 ? Language::Japanese
                                                                               : Language::English;
}
}  // namespace

Session::Session(const CommonOptions& options)
    : options_(options), app_(log_, prompts_, app_paths::SettingsPath()) {
  SetMessageLanguage(ChooseLanguage(options));
  app_.LoadSettings();
  app_.CreateComm();
  app_.SetAnimalIdDisplay(options.animalId);
  if (!options.port.empty()) app_.Comm()->CommX1.SetPort(options.port);
  if (options.baud) app_.Comm()->CommX1.SetBaudRate(StrToBaudRate(std::to_string(options.baud)));
}

void Session::OpenPort() {
  try {
    app_.Comm()->OpenNamedPort(app_.Comm()->CommX1.Port());
  } catch (const ComPortError& e) {
    throw UsageError(e.what());
  }
}

const std::string& Session::PortName() {
  return app_.Comm()->CommX1.Port();
}

std::vector<uint8_t> ParseHexArgs(const std::vector<std::string>& args) {
  std::vector<uint8_t> bytes;
  for (std::string a : args) {
    if (a.rfind("0x", 0) == 0 || a.rfind("0X", 0) == 0) a = a.substr(2);
    std::string digits;
    for (char c : a) {
      if (c == ' ' || c == ',' || c == ':') continue;
      if (!std::isxdigit(static_cast<unsigned char>(c))) throw UsageError("not a hex byte: " + a);
      digits.push_back(c);
    }
    if (digits.size() % 2 != 0) throw UsageError("odd number of hex digits: " + a);
    for (size_t i = 0; i < digits.size(); i += 2)
      bytes.push_back(static_cast<uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}
