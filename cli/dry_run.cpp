#include "cli/dry_run.h"

#include <algorithm>
#include <exception>
#include <memory>

#include "app/app_core.h"
#include "cli/session.h"
#include "core/log_pane.h"
#include "link/comm_module.h"
#include "link/frame.h"
#include "link/memory_link.h"

namespace {

// Thrown through the handler when the pass has seen enough; not a std::exception, so nothing on
// the way mistakes it for a failure of the handler.
struct EnoughCommands {};

// Loops of commands (multipage scans, write tests) end here: what the user would be asked comes
// long before.
constexpr int kCommandLimit = 300;
// Data bytes of every answer after the echoed code.
constexpr size_t kAnswerBytes = 64;

}  // namespace

DryRunContext DryContextOf(Session& s, int level) {
  DryRunContext c;
  c.settingsPath = s.Settings().ScratchCopy();
  c.settings = s.App().Settings;
  c.readerLevel = level;
  c.animalId = s.Options().animalId;
  return c;
}

DryRunResult RunDry(const Handler& handler, const std::string& item, const DryRunContext& context,
                    const PromptScript& script, uint8_t fill) {
  DryRunResult r;
  MemoryLogPane log;
  CliPrompts prompts;
  prompts.Configure(script);
  prompts.SetDry(true);
  prompts.SetProgressCancelAfter(2);
  AppCore app(log, prompts, context.settingsPath);
  app.Settings = context.settings;
  app.ReaderLevel = context.readerLevel;
  app.SetAnimalIdDisplay(context.animalId);
  TTirisC1Dlg& comm = app.CreateComm();
  comm.SetLogTxFrames(false);
  comm.SetLogRxFrames(false);
  MemoryLink& link = comm.UseLink(std::make_unique<MemoryLink>());
  link.OnWrite = [&](std::span<const uint8_t> bytes) {
    if (r.commands == 0) r.formsBeforeFirstCommand = prompts.shown.size();
    if (++r.commands > kCommandLimit) throw EnoughCommands{};
    std::vector<uint8_t> data;
    if (bytes.size() > 4) data.push_back(bytes[4]);
    data.resize(data.size() + kAnswerBytes, fill);
    link.Deliver(frame::BuildResponseFrame(frame::TypeAck, data));
  };
  try {
    handler(app, item);
  } catch (const EnoughCommands&) {
  } catch (const ScriptError& e) {
    r.scriptError = e.what();
  } catch (const std::exception& e) {
    r.error = e.what();
  }
  if (r.commands == 0) r.formsBeforeFirstCommand = prompts.shown.size();
  r.forms = prompts.shown;
  for (size_t i = 0; i < r.forms.size(); ++i)
    r.afterCommand.push_back(i >= r.formsBeforeFirstCommand);
  for (const PromptForm& f : r.forms) r.interactive = r.interactive || CliPrompts::IsInteractive(f);
  r.confirmations = prompts.confirmations;
  r.unansweredConfirmation = prompts.UnansweredConfirmation();
  r.unusedAnswers = prompts.UnusedAnswers();
  return r;
}

DryRunResult RunDryPasses(const Handler& handler, const std::string& item,
                          const DryRunContext& context, const PromptScript& script) {
  DryRunResult r = RunDry(handler, item, context, script, 0x00);
  const DryRunResult ones = RunDry(handler, item, context, script, 0xFF);
  r.forms.insert(r.forms.end(), ones.forms.begin(), ones.forms.end());
  r.afterCommand.insert(r.afterCommand.end(), ones.afterCommand.begin(), ones.afterCommand.end());
  r.commands = std::max(r.commands, ones.commands);
  r.interactive = r.interactive || ones.interactive;
  r.confirmations.insert(r.confirmations.end(), ones.confirmations.begin(),
                         ones.confirmations.end());
  r.unansweredConfirmation = r.unansweredConfirmation || ones.unansweredConfirmation;
  std::vector<std::string> unused;
  for (const std::string& k : r.unusedAnswers)
    if (std::find(ones.unusedAnswers.begin(), ones.unusedAnswers.end(), k) !=
        ones.unusedAnswers.end())
      unused.push_back(k);
  r.unusedAnswers = unused;
  if (!r.scriptError) r.scriptError = ones.scriptError;
  if (!r.error) r.error = ones.error;
  return r;
}

namespace {

// The field of that key on the form, or nullptr ("Field" or "Dialog.Field").
const PromptField* FieldOfKey(const std::string& key, const PromptForm& form) {
  const std::string prefix = form.dialog + ".";
  const std::string name = key.rfind(prefix, 0) == 0 ? key.substr(prefix.size()) : key;
  return form.Find(name);
}

bool NamesTabControl(const std::string& key, const PromptForm& form) {
  return !form.pages.empty() && (key == "PageControl1" || key == form.dialog + ".PageControl1");
}

}  // namespace

bool KeyNamesAField(const std::string& key, const std::vector<PromptForm>& forms) {
  for (const PromptForm& f : forms)
    if (FieldOfKey(key, f) || NamesTabControl(key, f)) return true;
  return false;
}

bool KeyNamesALockedField(const std::string& key, const std::vector<PromptForm>& forms) {
  for (const PromptForm& f : forms)
    if (const PromptField* field = FieldOfKey(key, f);
        field && (!field->enabled || field->readOnly))
      return true;
  return false;
}
