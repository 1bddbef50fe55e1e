#pragma once
// The SIC7888 "ID Config Setup" items for the FECAVA, EM ID and BDE layouts (FecavaID1Click,
// EMID1Click, BDE1Click): each hands the main window's values to its dialog, runs it and takes
// the values back however it closes. The EM ID and BDE values live in the settings (EMId,
// EMID_AutoIncrement, fEMDispHex, BDEId2, BDEID_AutoIncrement, fBDEDispHex) and reach the file
// when the program saves its settings; the FECAVA values are kept for the run only.
#include "fdx/fecava_id_write_dlg.h"

class AppCore;
class HandlerRegistry;

// The FECAVA dialog's values, kept for the life of the program (zero at start).
struct IdFormatMemory {
  FecavaDialogValues fecava;
};

void FecavaID1Click(AppCore& app);
void EMID1Click(AppCore& app);
void BDE1Click(AppCore& app);

void RegisterIdFormatSetup(HandlerRegistry& registry);
