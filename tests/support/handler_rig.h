#pragma once
// Handlers against the simulator, as the window runs them: AppCore with scripted prompts in a
// private configuration, the real communication module on the simulator's pseudo-terminal, the
// module identified (so the reader level is the firmware's), every family's handlers registered,
// and the log split into the handler's lines and the commands sent.
//
//   test_rig::HandlerRig<> rig({test_rig::MakeTag("sic7888")});
//   rig.prompts.Answer("IntEd1", "4");
//   rig.Run("SIC7888READBLOCK1");
//   EXPECT_EQ(rig.Lines(), ...);
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/app_core.h"
#include "app/handler_registry.h"
#include "core/log_pane.h"
#include "prompts/scripted_prompts.h"
#include "sim/simulator.h"
#include "tests/support/temp_config.h"

namespace test_rig {

// A tag of the simulator by its spec ("fdxb:392:123456789012", "sic7888", ...); throws on a bad
// spec.
sim::TagPtr MakeTag(const std::string& spec);

// Empties the field and waits until the host has taken every ID frame the module streamed
// before it (idFramesTaken counts those the host has seen), so that no frame in flight answers
// the next command. Clearing under the module's lock means no frame is being built meanwhile.
bool EmptyTheField(sim::Simulator& sim, const std::function<size_t()>& idFramesTaken);

// Everything but the prompts, which the rig's user chooses (a ScriptedPrompts or a subclass).
class RigCore {
 public:
  RigCore(ScriptedPrompts& prompts, std::vector<sim::TagPtr> tags, const std::string& rom);
  ~RigCore();
  RigCore(const RigCore&) = delete;
  RigCore& operator=(const RigCore&) = delete;

  // Runs the handler of a menu item; lines accumulate until Clear().
  void Run(const std::string& item);
  void Clear() { log.Clear(); }
  // The log without the exchange's frame lines ("TX: ", "RX: " and the LF carrier frames).
  std::vector<std::string> Lines() const;
  // The log without the "TX: " and "RX: " lines only.
  std::vector<std::string> Results() const;
  // The data bytes of every command frame sent, as "81 01 01 " texts.
  std::vector<std::string> Sent() const;
  // Lets the event loop run until a line starting with `prefix` is in the log (an answer nobody
  // waits for); false when it never comes.
  bool PumpUntilLogged(const std::string& prefix);
  // Whether the module's LF carrier is on now.
  bool CarrierOn();
  // Runs fn on the tag at index under the field's lock.
  template <class Tag>
  void With(size_t index, const std::function<void(Tag&)>& fn) {
    field->With(index, [&](sim::Transponder& t) { fn(dynamic_cast<Tag&>(t)); });
  }

  TempConfig config;
  MemoryLogPane log;
  std::shared_ptr<sim::Field> field;
  std::unique_ptr<sim::Simulator> sim;
  std::unique_ptr<AppCore> app;
  HandlerRegistry registry;
};

template <class P>
struct PromptsHolder {
  P prompts;
};

// The prompts come first so that the core can hand them to AppCore.
template <class P = ScriptedPrompts>
struct HandlerRig : PromptsHolder<P>, RigCore {
  explicit HandlerRig(std::vector<sim::TagPtr> tags = {}, const std::string& rom = "1100LFS00")
      : RigCore(this->prompts, std::move(tags), rom) {}
};

}  // namespace test_rig
