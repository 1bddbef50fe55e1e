#include "tests/support/handler_rig.h"

#include "tests/support/wait.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "sim/chip_registry.h"

namespace test_rig {

namespace {

// Frame text "02 00 4D LL dd ... 03 SS 0D " to its data "dd ... ".
std::string FrameData(const std::string& frame) {
  const size_t bytes = frame.size() / 3;
  if (bytes < 7) return frame;
  return frame.substr(12, (bytes - 7) * 3);
}

bool StartsWith(const std::string& s, const char* prefix) {
  return s.rfind(prefix, 0) == 0;
}

}  // namespace

sim::TagPtr MakeTag(const std::string& spec) {
  auto r = sim::ChipRegistry::Builtin().Make(spec);
  if (!r.tag) throw std::runtime_error(spec + ": " + r.error);
  return r.tag;
}

RigCore::RigCore(ScriptedPrompts& prompts, std::vector<sim::TagPtr> tags, const std::string& rom)
    : field(std::make_shared<sim::Field>(std::move(tags))) {
  sim::SimulatorOptions o;
  o.wireTime = false;
  o.module.romVersion = rom;
  sim = std::make_unique<sim::Simulator>(o, field);
  std::string error;
  if (!sim->Start(&error)) throw std::runtime_error("simulator: " + error);
  app = std::make_unique<AppCore>(log, prompts, config.SettingsPath());
  app->LoadSettings();
  auto comm = std::make_unique<TTirisC1Dlg>(config.SettingsPath(), &log);
  comm->OpenNamedPort(sim->DevicePath());
  app->SetComm(std::move(comm));
  if (!app->IdentifyReader()) throw std::runtime_error("the simulated module was not identified");
  RegisterAllHandlers(registry);
  log.Clear();
}

RigCore::~RigCore() {
  app->CloseComm();
  sim->Stop();
}

void RigCore::Run(const std::string& item) {
  ASSERT_TRUE(registry.Run(*app, item)) << item;
}

std::vector<std::string> RigCore::Lines() const {
  std::vector<std::string> out;
  for (const auto& l : log.Lines())
    if (!StartsWith(l, "TX: ") && !StartsWith(l, "RX: ") && !StartsWith(l, "02 00 4E "))
      out.push_back(l);
  return out;
}

std::vector<std::string> RigCore::Results() const {
  std::vector<std::string> out;
  for (const auto& l : log.Lines())
    if (!StartsWith(l, "TX: ") && !StartsWith(l, "RX: ")) out.push_back(l);
  return out;
}

std::vector<std::string> RigCore::Sent() const {
  std::vector<std::string> out;
  for (const auto& l : log.Lines()) {
    if (StartsWith(l, "TX: ")) out.push_back(FrameData(l.substr(4)));
    if (StartsWith(l, "02 00 4E ")) out.push_back(FrameData(l));
  }
  return out;
}

bool RigCore::PumpUntilLogged(const std::string& prefix) {
  return test_support::PumpUntil([&] {
    for (const auto& l : log.Lines())
      if (StartsWith(l, prefix.c_str())) return true;
    return false;
  });
}

bool EmptyTheField(sim::Simulator& sim, const std::function<size_t()>& idFramesTaken) {
  uint64_t streamed = 0;
  sim.WithModule([&](sim::Module& m) {
    sim.TheField().Clear();
    streamed = m.Counters().idFrames;
  });
  return test_support::PumpUntil([&] { return idFramesTaken() >= streamed; });
}

bool RigCore::CarrierOn() {
  bool on = false;
  sim->WithModule([&](sim::Module& m) { on = m.CarrierOn(sim::Clock::now()); });
  return on;
}

}  // namespace test_rig
