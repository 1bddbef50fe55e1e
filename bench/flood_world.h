// What the read-loop benchmarks share: the simulated module streaming distinct FDX-B IDs in a
// child process (so that its work is not counted as the tool's), a private configuration folder,
// and the real main window on the offscreen platform, opened on the module and identified.
#pragma once

#include <sys/types.h>

#include <QApplication>
#include <functional>
#include <memory>
#include <string>

#include "prompts/scripted_prompts.h"
#include "shell/main_window.h"
#include "sim/simulator.h"

namespace flood_world {

inline constexpr int kCom = 9;
inline constexpr int kDistinct = 150;
inline constexpr int kBaud = 115200;

// Runs the event loop of the tool for the given time.
void Pump(double seconds);

class FloodWorld {
 public:
  // In the child: runs once the module streams; `stop` is the parent's cue (a byte or its close),
  // `out` carries the child's reports back. The child ends when it returns.
  using Serve = std::function<void(sim::Simulator& module, int stop, int out)>;

  FloodWorld(const char* who, int argc, char** argv);
  ~FloodWorld();
  FloodWorld(const FloodWorld&) = delete;
  FloodWorld& operator=(const FloodWorld&) = delete;

  // Makes the private folder, starts the module in its child and opens the window on it. False,
  // with the reason on stderr, when any step fails.
  bool Start(const Serve& serve);
  TTirisAppForm& Window() { return *form_; }
  int StopFd() const { return stop_; }
  int OutFd() const { return out_; }
  // Closes the cue: the child sends its last report on OutFd and ends.
  void CueEnd();

 private:
  bool StartModule(const Serve& serve);
  void WriteSettings();
  void WaitModule();

  std::string who_;
  int argc_;
  char** argv_;
  std::string dir_;
  pid_t child_ = -1;
  int stop_ = -1;
  int out_ = -1;
  std::unique_ptr<QApplication> app_;
  ScriptedPrompts prompts_;
  std::unique_ptr<TTirisAppForm> form_;
};

}  // namespace flood_world
