#include "tests/hdx/hdx_rig.h"

#include <gtest/gtest.h>

#include "core/hex.h"
#include "hdx/register.h"
#include "link/frame.h"
#include "sim/chip_registry.h"

namespace hdx_test {

namespace {
class RecordingProgress : public ProgressDialog {
 public:
  explicit RecordingProgress(RecordingPrompts& owner) : owner_(owner) {}
  void SetCaption(const std::string&) override {}
  void SetLabel(const std::string& text) override {
    if (!text.empty()) owner_.progressLabels.push_back(text);
  }
  void SetCancelVisible(bool visible) override { owner_.progressCancelVisible.push_back(visible); }
  void SetBarVisible(bool) override {}
  void SetProgress(int, int) override {}
  void Show() override {}
  void Close() override {}
  bool Continue() const override { return true; }

 private:
  RecordingPrompts& owner_;
};
}  // namespace

void RecordingPrompts::Refresh(PromptForm&) {
  ++refreshes;
}

std::unique_ptr<ProgressDialog> RecordingPrompts::CreateProgress() {
  return std::make_unique<RecordingProgress>(*this);
}

sim::TagPtr MakeChip(const std::string& spec) {
  auto r = sim::ChipRegistry::Builtin().Make(spec);
  EXPECT_TRUE(r.tag) << spec << ": " << r.error;
  return r.tag;
}

HdxRig::HdxRig(std::vector<sim::TagPtr> tags, RigOptions options) : tags_(tags) {
  sim::SimulatorOptions o;
  o.wireTime = options.wireTime;
  o.module.romVersion = options.romVersion;
  o.module.airTimeByCode = options.airTimes;
  sim = std::make_unique<sim::Simulator>(o, std::make_shared<sim::Field>(std::move(tags)));
  std::string error;
  EXPECT_TRUE(sim->Start(&error)) << error;
  app = std::make_unique<AppCore>(log, prompts, cfg.SettingsPath());
  app->LoadSettings();
  auto comm = std::make_unique<TTirisC1Dlg>(cfg.SettingsPath(), &log);
  comm->SetBaudRate(TBaudRate::br57600);
  comm->OpenNamedPort(sim->DevicePath());
  app->SetComm(std::move(comm));
  app->ReaderLevel = options.readerLevel;
  RegisterHdxHandlers(registry);
}

HdxRig::~HdxRig() {
  app.reset();
  sim->Stop();
}

bool HdxRig::Run(const std::string& item) {
  return registry.Run(*app, item);
}

std::vector<std::string> HdxRig::Results() const {
  std::vector<std::string> out;
  for (const auto& line : log.Lines())
    if (line.rfind("TX: ", 0) != 0 && line.rfind("RX: ", 0) != 0) out.push_back(line);
  return out;
}

bool HdxRig::Sent(const std::vector<uint8_t>& data) const {
  const std::string line = "TX: " + hex::Bytes(frame::BuildCommandFrame(data, frame::KindM));
  for (const auto& l : log.Lines())
    if (l == line) return true;
  return false;
}

int HdxRig::SentCount(uint8_t code) const {
  const std::string code_text = " " + hex::Byte(code) + " ";
  int n = 0;
  for (const auto& l : log.Lines())
    if (l.rfind("TX: 02 00 4D ", 0) == 0 && l.substr(15, 4) == code_text) ++n;
  return n;
}

}  // namespace hdx_test
