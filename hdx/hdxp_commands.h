#pragma once
// The "HDX+" menu: READ MULTIPLE BLOCKS, the chip lock state, the whole tag memory with its
// summary, the ID write and the chip lock. The commands have no wrappers: each handler builds
// its bytes and waits with the standard 2000 ms.
#include <string>

#include "link/comm_module.h"

class AppCore;
class HandlerRegistry;

class HdxPlusCommands {
 public:
  explicit HdxPlusCommands(AppCore& app);

  void READMULTIPLEBLOCKS1Click();
  void LockInfomation1Click();
  void tagData1Click();
  void MNHDXP_IDWrite2Click();
  void MnHDXP_CRCWrite1Click();

 private:
  AppCore& app_;
  TTirisC1Dlg& comm_;
};

void RegisterHdxPlusCommands(HandlerRegistry& registry);
