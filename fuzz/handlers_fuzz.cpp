// Every menu handler against answers from the fuzzer: each command the handler sends is answered
// at once with an ACK (its code echoed, most of the time) of arbitrary length and content, or a
// NACK. In sanitizer and fuzz builds a handler that indexes a response past its LEN aborts
// (link/response.h), so this finds every read past the response.
#include <unistd.h>

#include <QCoreApplication>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/app_core.h"
#include "app/handler_registry.h"
#include "core/log_pane.h"
#include "link/comm_module.h"
#include "link/frame.h"
#include "link/memory_link.h"
#include "link/millisecond_timer.h"
#include "link/port_registry.h"
#include "prompts/scripted_prompts.h"

namespace {

// The link's clock: the system's plus the time the handlers slept. Sleeping only moves it on, so
// a speed change's 500 ms or a command test's pause costs no real time, while a wait for an
// answer still runs on real time.
uint32_t slept = 0;

struct World {
  QCoreApplication* app = nullptr;
  HandlerRegistry registry;
  std::vector<std::string> items;
  World() {
    static int argc = 1;
    static char name[] = "handlers_fuzz";
    static char* argv[] = {name, nullptr};
    app = new QCoreApplication(argc, argv);
    static const std::string dir = "/tmp/qzh-handlers-fuzz-" + std::to_string(::getpid());
    ::setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(dir, ignored);
    });
    // Every input creates a communication module, which lists the ports; the machine's serial
    // devices have nothing to do with the handlers, and walking /sys for them took most of the
    // time of an input. An empty folder stands for both roots.
    static const std::string noDevices = dir + "/no-devices";
    std::filesystem::create_directories(noDevices);
    port_registry::SetScanRoots(noDevices, noDevices);
    MillisecondTimer::SetClock([] { return MillisecondTimer::SystemMs() + slept; });
    RegisterAllHandlers(registry);
    items = registry.Items();
  }
};

// Feeds the answers the input holds, one per command.
struct Answerer {
  const uint8_t* data;
  size_t size;
  size_t pos = 0;
  uint8_t Next() { return pos < size ? data[pos++] : 0; }
  bool More() const { return pos < size; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static World world;
  if (size < 2 || world.items.empty()) return 0;
  const std::string item = world.items[data[0] % world.items.size()];
  Answerer answers{data + 2, size - 2};

  MemoryLogPane log;
  ScriptedPrompts prompts;
  prompts.SetConfirm(data[1] & 1);
  prompts.SetProgressCancelAfter(3);
  AppCore app(log, prompts, std::string(::getenv("XDG_CONFIG_HOME")) + "/fuzz.ini");
  app.SetSleeper([](uint32_t ms) {
    slept += ms;
    TTirisC1Dlg::ProcessPendingEvents();
  });
  app.ReaderLevel = 1 + (data[1] >> 1) % 3;
  TTirisC1Dlg& comm = app.CreateComm();
  int commands = 0;
  MemoryLink& link = comm.UseLink(std::make_unique<MemoryLink>());
  link.OnWrite = [&](std::span<const uint8_t> bytes) {
    const uint8_t code = bytes.size() > 4 ? bytes[4] : 0;
    std::vector<uint8_t> payload;
    // Out of answers: "No response from tag", so the handler ends quickly.
    const uint8_t shape = (++commands > 64 || !answers.More()) ? 0 : answers.Next();
    if ((shape & 0x0F) == 0) {
      payload.push_back(answers.More() ? answers.Next() : 0x04);
      link.Deliver(frame::BuildResponseFrame(frame::TypeNack, payload));
      return;
    }
    const size_t len = answers.Next();
    if ((shape & 0x30) != 0x30 && len > 0) payload.push_back(code);
    while (payload.size() < len) payload.push_back(answers.Next());
    link.Deliver(frame::BuildResponseFrame(frame::TypeAck, payload));
  };
  world.registry.Run(app, item);
  return 0;
}
