#include "fdx/id_format_setup.h"

#include "app/app_core.h"
#include "app/handler_registry.h"
#include "fdx/bde_id_write_dlg.h"
#include "fdx/em_id_write_dlg.h"

void FecavaID1Click(AppCore& app) {
  FecavaDialogValues& kept = app.Memory<IdFormatMemory>().fecava;
  kept = RunFecavaIDWrite1Dlg(app, kept);
}

void EMID1Click(AppCore& app) {
  OptionSettings& s = app.Settings;
  const EmIdDialogValues out =
      RunIDWrite1Dlg(app, {s.EMId, s.EMID_AutoIncrement != 0, s.fEMDispHex});
  s.EMId = out.emId;
  s.EMID_AutoIncrement = out.autoIncrement ? 1 : 0;
  s.fEMDispHex = out.base;
}

void BDE1Click(AppCore& app) {
  OptionSettings& s = app.Settings;
  const BdeDialogValues out =
      RunBDEIdWrite1Dlg(app, {s.BDEId2, s.BDEID_AutoIncrement != 0, s.fBDEDispHex});
  s.BDEId2 = out.code;
  s.BDEID_AutoIncrement = out.autoIncrement ? 1 : 0;
  s.fBDEDispHex = out.base;
}

void RegisterIdFormatSetup(HandlerRegistry& r) {
  r.Add("FecavaID1", [](AppCore& a, const std::string&) { FecavaID1Click(a); });
  r.Add("EMID1", [](AppCore& a, const std::string&) { EMID1Click(a); });
  r.Add("BDE1", [](AppCore& a, const std::string&) { BDE1Click(a); });
}
