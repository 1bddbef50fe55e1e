#pragma once
// The pure module on a clock the test moves by hand.
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "core/hex.h"
#include "link/frame.h"
#include "sim/module.h"

namespace sim_test {

using namespace std::chrono_literals;

struct ModuleRig {
  explicit ModuleRig(sim::ModuleConfig config = {},
                     std::shared_ptr<sim::Field> f = std::make_shared<sim::Field>())
      : field(std::move(f)), module(std::move(config), field, now) {}
  explicit ModuleRig(std::vector<sim::TagPtr> tags, sim::ModuleConfig config = {})
      : ModuleRig(std::move(config), std::make_shared<sim::Field>(std::move(tags))) {}

  void Send(const std::vector<uint8_t>& bytes) { module.Receive(bytes, now); }
  void Command(std::initializer_list<uint8_t> data, uint8_t kind = frame::KindM) {
    Send(frame::BuildCommandFrame(std::vector<uint8_t>(data), kind));
  }
  // What the module has sent by now, as "02 00 30 ... " text.
  std::string Out() {
    std::vector<sim::Emission> out;
    module.Transmit(now, out);
    std::vector<uint8_t> all;
    for (const auto& e : out) all.insert(all.end(), e.bytes.begin(), e.bytes.end());
    return hex::Bytes(all);
  }
  std::vector<sim::Emission> Emissions() {
    std::vector<sim::Emission> out;
    module.Transmit(now, out);
    return out;
  }
  std::string Ask(std::initializer_list<uint8_t> data, uint8_t kind = frame::KindM) {
    Command(data, kind);
    return Out();
  }
  void Wait(sim::Duration d) { now += d; }

  sim::TimePoint now = sim::TimePoint{} + 1h;  // first: the module starts at it
  std::shared_ptr<sim::Field> field;
  sim::Module module;
};

}  // namespace sim_test
