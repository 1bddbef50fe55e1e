#include "tests/programming/programming_rig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "fdx/register.h"
#include "sim/chip_registry.h"

namespace prog_test {

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

std::string StepPrompts::Interact(PromptForm& form) {
  if (steps.empty()) return ScriptedPrompts::Interact(form);
  if (std::find(opened_.begin(), opened_.end(), &form) == opened_.end()) {
    opened_.push_back(&form);
    shown.push_back(form);
  }
  seen.push_back(form);
  const Step step = steps.front();
  steps.pop_front();
  for (const auto& [name, value] : step.set) {
    if (name == kPageControl) {
      form.activePage = value;
      form.Changed(kPageControl);
    } else {
      ApplyValue(form, form.F(name), value);
    }
  }
  return step.press;
}

sim::TagPtr MakeTag(const std::string& spec) {
  auto r = sim::ChipRegistry::Builtin().Make(spec);
  if (!r.tag) throw std::runtime_error(spec + ": " + r.error);
  return r.tag;
}

ProgRig::ProgRig(std::vector<sim::TagPtr> tags, const std::string& rom)
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
  RegisterFdxHandlers(registry);
  log.Clear();
}

ProgRig::~ProgRig() {
  app->CloseComm();
  sim->Stop();
}

void ProgRig::Run(const std::string& item) {
  ASSERT_TRUE(registry.Run(*app, item)) << item;
}

Lines ProgRig::Results() const {
  Lines out;
  for (const auto& l : log.Lines())
    if (!StartsWith(l, "TX: ") && !StartsWith(l, "RX: ")) out.push_back(l);
  return out;
}

Lines ProgRig::Sent() const {
  Lines out;
  for (const auto& l : log.Lines())
    if (StartsWith(l, "TX: ")) out.push_back(FrameData(l.substr(4)));
  return out;
}

}  // namespace prog_test
