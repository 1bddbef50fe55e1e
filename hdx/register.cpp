#include "hdx/register.h"

#include "app/handler_registry.h"
#include "hdx/disp_tag_data_dlg.h"
#include "hdx/hdxp_commands.h"
#include "hdx/mpt_editor.h"
#include "hdx/sic279_commands.h"
#include "hdx/ti_commands.h"

void RegisterHdxHandlers(HandlerRegistry& registry) {
  RegisterTiHdxCommands(registry);
  registry.Add("MPTDataWrite1", [](AppCore& a, const std::string&) { RunMptEditor(a); });
  RegisterSic279Commands(registry);
  RegisterHdxPlusCommands(registry);
  registry.Add("MnTgaData", [](AppCore& a, const std::string&) { MnTgaDataClick(a); });
}
