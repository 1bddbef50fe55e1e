#include "fdx/animal_id_programming.h"

#include "app/app_core.h"
#include "app/handler_registry.h"
#include "codec/animal_id.h"
#include "fdx/set_animal_id1_dlg.h"
#include "fdx/set_id2_dlg.h"
#include "fdx/set_id3_dlg.h"

using namespace fdx;

void RunAnimalIdWrite(AppCore& app, IdChip chip) {
  if (EntryDialogOf(app.Settings.fWriteAnimalID) == AnimalIdEntryDialog::Detailed) {
    RunSetAnimalID1Dlg(app, chip);
    return;
  }
  switch (chip) {
    case IdChip::Sic279:
      RunSetID3Dlg(app, SetId3Mode::Sic279);
      break;
    case IdChip::Sic7888:
      RunSetID3Dlg(app, SetId3Mode::Sic7888);
      break;
    case IdChip::Em4305:
      RunSetID3Dlg(app, SetId3Mode::Em4305);
      break;
    case IdChip::HdxPlus:
      RunSetID2Dlg(app);
      break;
  }
}

void RegisterAnimalIdProgramming(HandlerRegistry& r) {
  auto add = [&r](const char* item, IdChip chip) {
    r.Add(item, [chip](AppCore& a, const std::string&) { RunAnimalIdWrite(a, chip); });
  };
  add("AnimalIDWrite1", IdChip::Sic279);   // AnimalIDWrite1Click
  add("AnimalIDWrite3", IdChip::Sic7888);  // AnimalIDWrite3Click
  add("EM43052", IdChip::Em4305);          // EM43052Click
  add("AnimalIDWrite2", IdChip::HdxPlus);  // AnimalIDWrite2Click
  // The hidden "ID Config Setup" items run the same handlers.
  add("MnSIC279_AnimalIDWrite", IdChip::Sic279);  // MnSIC279_AnimalIDWriteClick
  add("FDXB1", IdChip::Sic7888);                  // FDXB1Click
}
