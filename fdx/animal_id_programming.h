#pragma once
// The animal-ID write items of the animal-ID tool mode and the hidden "ID Config Setup"
// submenus: each opens the entry dialog the setting fWriteAnimalID chooses for its chip (the
// plain TSetID3Dlg or TSetID2Dlg, or the detailed TSetAnimalID1Dlg) and writes from there.
//
//   AnimalIDWrite1 (SIC279), AnimalIDWrite3 (SIC7888), EM43052 (EM4305), AnimalIDWrite2 (HDX+),
//   MnSIC279_AnimalIDWrite (as AnimalIDWrite1), FDXB1 (as AnimalIDWrite3)
#include "fdx/animal_id_write.h"

class AppCore;
class HandlerRegistry;

// The entry dialog for the chip, by fWriteAnimalID.
void RunAnimalIdWrite(AppCore& app, fdx::IdChip chip);

void RegisterAnimalIdProgramming(HandlerRegistry& registry);
