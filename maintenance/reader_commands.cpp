#include "maintenance/reader_commands.h"

#include "shell/app_core.h"
#include "shell/handler_registry.h"

ReaderCommands::ReaderCommands(AppCore& app) : app_(app), comm_(app.Link()) {}

void ReaderCommands::MnGetROMVerClick() {
  Response out{};
  if (!comm_.Exchange({0x90}, out)) {
    app_.LogOkNg(false, LoadMessage(Msg::GetROMVersionCommandMsg));
    return;
  }
  app_.LogOkNg(true, LoadMessage(Msg::GetROMVersionCommandMsg));
  app_.AddLog(LoadMessage(Msg::ROMVersion) + ResponseText(out, 2, out[0]));
}

void ReaderCommands::MnGetModelNameClick() {
  Response out{};
  if (!comm_.Exchange({0x93}, out)) {
    app_.LogOkNg(false, LoadMessage(Msg::GetModelNameCommandMsg));
    return;
  }
  app_.LogOkNg(true, LoadMessage(Msg::GetModelNameCommandMsg));
  app_.AddLog(LoadMessage(Msg::ModelNameMsg) + ResponseText(out, 2, out[0]));
}

void RegisterReaderCommands(HandlerRegistry& r) {
  r.Add("MnGetROMVer", [](AppCore& a, const std::string&) { ReaderCommands(a).MnGetROMVerClick(); });
  r.Add("MnGetModelName",
        [](AppCore& a, const std::string&) { ReaderCommands(a).MnGetModelNameClick(); });
}
