// Every menu handler against answers from the fuzzer: each command the handler sends is answered
// at once with an ACK (its code echoed, most of the time) of arbitrary length and content, or a
// NACK. In sanitizer and fuzz builds a handler that indexes a response past its LEN aborts
// (link/response.h), so this finds every read past the response.
//
// Speed: one communication module serves every input (StartAfresh puts it back where a new one
// starts), the configuration lives nowhere and sleeping moves the link's clock instead of
// waiting. Built as the corpus replay (QZH_FUZZ_REPLAY), every input also runs on a module
// created for it alone and the two logs must be the same, so a state that leaks from one input
// into the next cannot go unnoticed.
#include <QCoreApplication>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
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

// The configuration folder, the settings file and the device trees are paths below a file,
// which can never exist: every settings read finds nothing and every save fails at once, so no
// input leaves a file that changes what the next one does, and no input spends its time on the
// disk or in /sys.
constexpr const char* kNowhere = "/dev/null/qzh-handlers-fuzz";
const std::string kSettings = std::string(kNowhere) + "/fuzz.ini";

struct World {
  QCoreApplication* app = nullptr;
  HandlerRegistry registry;
  std::vector<std::string> items;
  std::unique_ptr<TTirisC1Dlg> comm;  // the module every input runs on
  World() {
    static int argc = 1;
    static char name[] = "handlers_fuzz";
    static char* argv[] = {name, nullptr};
    app = new QCoreApplication(argc, argv);
    ::setenv("XDG_CONFIG_HOME", kNowhere, 1);
    port_registry::SetScanRoots(kNowhere, kNowhere);
    MillisecondTimer::SetClock([] { return MillisecondTimer::SystemMs() + slept; });
    RegisterAllHandlers(registry);
    items = registry.Items();
    comm = std::make_unique<TTirisC1Dlg>(kSettings, nullptr);
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

// Answers every command the module is sent from the input's bytes.
void AnswerFrom(MemoryLink& link, const uint8_t* data, size_t size) {
  link.OnWrite = [&link, answers = Answerer{data, size},
                  commands = 0](std::span<const uint8_t> bytes) mutable {
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
}

// Runs one input's handler on `comm` (made afresh, or new) and returns its log.
std::vector<std::string> RunInput(World& world, std::unique_ptr<TTirisC1Dlg>& comm,
                                  const uint8_t* data, size_t size) {
  const std::string& item = world.items[data[0] % world.items.size()];
  MemoryLogPane log;
  ScriptedPrompts prompts;
  prompts.SetConfirm(data[1] & 1);
  prompts.SetProgressCancelAfter(3);
  AppCore app(log, prompts, kSettings);
  app.SetSleeper([](uint32_t ms) {
    slept += ms;
    TTirisC1Dlg::ProcessPendingEvents();
  });
  app.ReaderLevel = 1 + (data[1] >> 1) % 3;
  comm->SetLogPane(&log);
  AnswerFrom(comm->UseLink(std::make_unique<MemoryLink>()), data + 2, size - 2);
  app.SetComm(std::move(comm));
  world.registry.Run(app, item);
  comm = app.ReleaseComm();
  if (comm) comm->SetLogPane(nullptr);
  return log.Lines();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static World world;
  if (size < 2 || world.items.empty()) return 0;
  if (!world.comm) world.comm = std::make_unique<TTirisC1Dlg>(kSettings, nullptr);
  world.comm->StartAfresh();
  const auto lines = RunInput(world, world.comm, data, size);
#ifdef QZH_FUZZ_REPLAY
  auto own = std::make_unique<TTirisC1Dlg>(kSettings, nullptr);
  if (RunInput(world, own, data, size) != lines) {
    std::fprintf(stderr,
                 "an input's log differs on a module of its own: state leaked from an "
                 "earlier input into the shared module\n");
    std::abort();
  }
#else
  (void)lines;
#endif
  return 0;
}
