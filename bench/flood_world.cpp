#include "bench/flood_world.h"

#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "core/app_paths.h"
#include "core/ini_file.h"
#include "core/language.h"
#include "core/settings.h"
#include "link/comm_module.h"
#include "link/port_registry.h"
#include "sim/chip_registry.h"

namespace flood_world {

void Pump(double seconds) {
  TTirisC1Dlg::PumpFor(static_cast<uint32_t>(seconds * 1000));
}

FloodWorld::FloodWorld(const char* who, int argc, char** argv)
    : who_(who), argc_(argc), argv_(argv) {}

FloodWorld::~FloodWorld() {
  if (form_) form_->close();
  form_.reset();
  CueEnd();
  WaitModule();
  if (out_ >= 0) ::close(out_);
  if (!dir_.empty()) std::filesystem::remove_all(dir_);
}

bool FloodWorld::Start(const Serve& serve) {
  // A private configuration folder, shared with the child through the environment.
  std::string pattern = "/tmp/qzh-" + who_ + "-XXXXXX";
  if (!::mkdtemp(pattern.data())) {
    std::fprintf(stderr, "%s: no temporary folder\n", who_.c_str());
    return false;
  }
  dir_ = pattern;
  ::setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
  if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  if (!StartModule(serve)) return false;
  WriteSettings();

  app_ = std::make_unique<QApplication>(argc_, argv_);
  QApplication::setQuitOnLastWindowClosed(false);
  const std::string exe = dir_ + "/bin/QZH900Tool";
  language::WriteLocaleOverride(
      exe, DefaultLanguageFlag() == 1 ? language::kJapaneseOverride : language::kEnglishOverride);
  prompts_.Answer("TOpenCom1Dlg.LBComPort", "COM" + std::to_string(kCom));
  prompts_.Answer("TOpenCom1Dlg.RGComSpeed", "4");
  MainWindowOptions options;
  options.prompts = &prompts_;
  options.exePath = exe;
  form_ = std::make_unique<TTirisAppForm>(options);
  form_->show();
  while (form_->App().ReaderLevel == 0 && form_->isVisible()) Pump(0.05);
  if (!form_->App().Comm() || !form_->App().Comm()->Connected()) {
    std::fprintf(stderr, "%s: the module was not identified\n", who_.c_str());
    return false;
  }
  return true;
}

bool FloodWorld::StartModule(const Serve& serve) {
  int ready[2], stop[2], out[2];
  if (::pipe(ready) || ::pipe(stop) || ::pipe(out)) return false;
  child_ = ::fork();
  if (child_ < 0) return false;
  if (child_ == 0) {
    ::close(ready[0]);
    ::close(stop[1]);
    ::close(out[0]);
    sim::SimulatorOptions o;
    o.wireTime = true;
    o.comNumber = kCom;
    o.module.baud = kBaud;
    o.module.flood = true;
    auto field = std::make_shared<sim::Field>();
    for (int i = 0; i < kDistinct; ++i) {
      auto made =
          sim::ChipRegistry::Builtin().Make("fdxb:392:" + std::to_string(100000000000LL + i));
      if (!made.tag) {
        std::fprintf(stderr, "%s: %s\n", who_.c_str(), made.error.c_str());
        _exit(2);
      }
      field->Insert(made.tag);
    }
    sim::Simulator s(o, field);
    std::string error;
    if (!s.Start(&error)) {
      std::fprintf(stderr, "%s: simulator: %s\n", who_.c_str(), error.c_str());
      _exit(2);
    }
    const char c = 1;
    if (::write(ready[1], &c, 1) != 1) _exit(2);
    serve(s, stop[0], out[1]);
    _exit(0);
  }
  ::close(ready[1]);
  ::close(stop[0]);
  ::close(out[1]);
  stop_ = stop[1];
  out_ = out[0];
  char c;
  const bool started = ::read(ready[0], &c, 1) == 1;
  ::close(ready[0]);
  if (!started) std::fprintf(stderr, "%s: the simulator did not start\n", who_.c_str());
  return started;
}

void FloodWorld::WriteSettings() {
  std::filesystem::create_directories(dir_ + "/sys");
  port_registry::SetScanRoots(dir_ + "/sys", dir_ + "/sys");
  IniFile ini(app_paths::SettingsPath());
  ini.WriteInteger("ComDebug", "Port", kCom);
  ini.WriteInteger("ComDebug", "BaudRate", kBaud);
  IniFile::CreateFolders(IniFile::FolderOf(app_paths::SettingsPath()));
  ini.Save();
}

void FloodWorld::CueEnd() {
  if (stop_ >= 0) ::close(stop_);
  stop_ = -1;
}

void FloodWorld::WaitModule() {
  if (child_ > 0) {
    int status = 0;
    ::waitpid(child_, &status, 0);
  }
  child_ = -1;
}

}  // namespace flood_world
