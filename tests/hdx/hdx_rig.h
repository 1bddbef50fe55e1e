#pragma once
// An HDX test bench: the simulated module on a pty with the chips a test puts in its field, the
// real communication module talking to it, AppCore with a memory log pane, scripted prompts and a
// private configuration folder, and every HDX handler registered.
#include <memory>
#include <string>
#include <vector>

#include "app/app_core.h"
#include "app/handler_registry.h"
#include "prompts/scripted_prompts.h"
#include "sim/simulator.h"
#include "tests/support/temp_config.h"

namespace hdx_test {

// Scripted prompts that also count refreshes and record what the progress dialog showed.
class RecordingPrompts : public ScriptedPrompts {
 public:
  void Refresh(PromptForm& form) override;
  std::unique_ptr<ProgressDialog> CreateProgress() override;
  int refreshes = 0;
  std::vector<std::string> progressLabels;
  std::vector<bool> progressCancelVisible;
};

struct RigOptions {
  std::string romVersion = "1100LFS00";
  int readerLevel = 3;
  bool wireTime = false;
  std::map<uint8_t, sim::Duration> airTimes;
};

class HdxRig {
 public:
  explicit HdxRig(std::vector<sim::TagPtr> tags, RigOptions options = {});
  ~HdxRig();

  // Runs a menu item's handler as the window would.
  bool Run(const std::string& item);
  // The log lines without the "TX: " and "RX: " frame lines.
  std::vector<std::string> Results() const;
  // Every log line.
  const std::vector<std::string>& Lines() const { return log.Lines(); }
  void ClearLog() { log.Clear(); }
  // Whether a command with these data bytes (code first) was sent since the log was cleared.
  bool Sent(const std::vector<uint8_t>& data) const;
  int SentCount(uint8_t code) const;

  // The first tag of the field as its class (nullptr when it is another).
  template <class T>
  T* Tag(size_t index = 0) {
    return dynamic_cast<T*>(tags_.at(index).get());
  }

  TempConfig cfg;
  MemoryLogPane log;
  RecordingPrompts prompts;
  std::unique_ptr<sim::Simulator> sim;
  std::unique_ptr<AppCore> app;
  HandlerRegistry registry;

 private:
  std::vector<sim::TagPtr> tags_;
};

// A chip of the registry by its spec ("ti-mpt", "sic279:0102...").
sim::TagPtr MakeChip(const std::string& spec);

}  // namespace hdx_test
