// A handler's world for the benchmarks that time whole jobs: the simulated module with wire time
// and the air times given, one tag in its field, and AppCore (a memory log pane, scripted
// prompts) with its communication module open on the simulator at 57600 bit/s.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

#include "app/app_core.h"
#include "prompts/scripted_prompts.h"
#include "sim/simulator.h"

struct TimedWorld {
  TimedWorld(const std::map<uint8_t, sim::Duration>& air, sim::TagPtr tag,
             const std::string& settingsPath)
      : simulator(Options(air), std::make_shared<sim::Field>(std::vector<sim::TagPtr>{tag})),
        app(log, prompts, settingsPath) {
    std::string error;
    if (!simulator.Start(&error)) {
      std::fprintf(stderr, "simulator: %s\n", error.c_str());
      std::exit(1);
    }
    auto comm = std::make_unique<TTirisC1Dlg>(app.SettingsPath(), &log);
    comm->SetBaudRate(TBaudRate::br57600);
    comm->OpenNamedPort(simulator.DevicePath());
    app.SetComm(std::move(comm));
  }
  ~TimedWorld() {
    app.CloseComm();
    simulator.Stop();
  }
  static sim::SimulatorOptions Options(const std::map<uint8_t, sim::Duration>& air) {
    sim::SimulatorOptions o;
    o.wireTime = true;
    o.module.airTimeByCode = air;
    return o;
  }

  sim::Simulator simulator;
  MemoryLogPane log;
  ScriptedPrompts prompts;
  AppCore app;
};
