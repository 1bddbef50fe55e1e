#pragma once
// The FDX ID reads: "IDRead(FDX)" with EM and BDE recognition and the FECAVA fallback of newer
// firmware, "IDRead(FECAVA)", the animal-ID read that decodes ISO 11784 codes, and the combined
// HDX and FDX read. One object per handler run.
class AppCore;
class Response;
class TTirisC1Dlg;
class HandlerRegistry;

class FdxIdRead {
 public:
  explicit FdxIdRead(AppCore& app);

  void IDRead1Click();
  void FecavaIDread1Click();
  void IDRead2Click();
  void IDRead3Click();

 private:
  bool TryFdxRead(Response& out);
  bool IsBdeSic7888();
  AppCore& app_;
  TTirisC1Dlg& comm_;
};

void RegisterFdxIdRead(HandlerRegistry& registry);
