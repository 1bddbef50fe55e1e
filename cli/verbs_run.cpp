// run: one menu item's handler, headless, through the scripted prompts, after the script was
// checked against a dry pass and the module identified.
#include <set>

#include "cli/dry_run.h"
#include "cli/items.h"
#include "cli/output.h"
#include "cli/verbs.h"
#include "hdx/id_write_dialog.h"

namespace {

struct RunArgs {
  std::string item;
  PromptScript script;
  bool anyLevel = false;
};

RunArgs ParseRunArgs(std::vector<std::string>& args) {
  RunArgs r;
  std::vector<std::string> positional;
  for (OptionReader arg(args, kRunOptions); arg.Next();) {
    if (!arg.Option()) {
      positional.push_back(arg.Arg());
    } else if (arg.Is("--answer")) {
      const std::string kv = arg.Text();
      const size_t eq = kv.find('=');
      if (eq == std::string::npos || eq == 0)
        throw UsageError("--answer takes KEY=VALUE: \"" + kv + "\"");
      r.script.answers.emplace_back(kv.substr(0, eq), kv.substr(eq + 1));
    } else if (arg.Is("--yes")) {
      if (r.script.confirm == false) throw UsageError("--yes and --no exclude each other");
      r.script.confirm = true;
    } else if (arg.Is("--no")) {
      if (r.script.confirm == true) throw UsageError("--yes and --no exclude each other");
      r.script.confirm = false;
    } else if (arg.Is("--cancel")) {
      r.script.cancel = true;
    } else if (arg.Is("--repeat")) {
      r.script.repeat = static_cast<int>(arg.Number());
    } else if (arg.Is("--press")) {
      const std::string p = arg.Text();
      if (p.empty()) throw UsageError("--press needs an action name");
      r.script.presses.push_back(p);
    } else if (arg.Is("--file")) {
      r.script.file = arg.Text();
      if (r.script.file->empty()) throw UsageError("--file needs a path");
    } else if (arg.Is("--ctrl")) {
      r.script.control = true;
    } else if (arg.Is("--any-level")) {
      r.anyLevel = true;
    }
  }
  if (positional.empty()) throw UsageError("run needs an ITEM (see qzh900ctl list)");
  if (positional.size() > 1) throw UsageError("unexpected argument: " + positional[1]);
  r.item = positional.front();
  if (r.script.cancel && (r.script.repeat || !r.script.presses.empty()))
    throw UsageError("--cancel excludes --repeat and --press");
  return r;
}

// The script against the dry pass: everything a script can get wrong is refused here, before the
// module hears anything.
void CheckScript(const RunnableItem& item, const RunArgs& r, const DryRunResult& dry) {
  if (dry.scriptError) throw UsageError(*dry.scriptError);
  for (const auto& [key, value] : r.script.answers) {
    if (!KeyNamesAField(key, dry.forms)) {
      std::set<std::string> dialogs;
      std::string fields;
      for (const PromptForm& f : dry.forms) {
        if (!dialogs.insert(f.dialog).second) continue;
        for (const PromptField& field : f.fields)
          if (field.kind != FieldKind::Label && field.kind != FieldKind::Panel)
            fields += (fields.empty() ? "" : ", ") + f.dialog + "." + field.name;
      }
      throw UsageError("unknown field " + key + " for " + item.name +
                       (fields.empty() ? " (it asks for nothing)" : " (fields: " + fields + ")"));
    }
  }
  for (const std::string& key : dry.unusedAnswers)
    if (KeyNamesALockedField(key, dry.forms))
      throw UsageError("field " + key + " cannot be set: it is disabled or read-only (answers " +
                       "are applied in the order given)");
  if (r.script.cancel && dry.formsBeforeFirstCommand == 0 && dry.commands > 0)
    throw UsageError(item.name + " sends before it asks anything; --cancel would not stop it");
  if ((r.script.repeat || !r.script.presses.empty()) && !dry.interactive)
    throw UsageError(item.name + " opens no dialog that stays open; --repeat and --press do not " +
                     "apply");
  if (const auto unknown = CliPrompts::UnknownPresses(r.script.presses, dry.forms);
      !unknown.empty()) {
    std::set<std::string> actions;
    for (const PromptForm& f : dry.forms)
      if (CliPrompts::IsInteractive(f))
        for (const PromptAction& a : f.actions)
          if (a.visible) actions.insert(f.dialog + "." + a.name);
    std::string names;
    for (const std::string& a : actions) names += (names.empty() ? "" : ", ") + a;
    throw UsageError("unknown action " + unknown.front() + " for " + item.name +
                     " (actions: " + names + ")");
  }
  if (dry.unansweredConfirmation && !r.script.confirm && !r.script.cancel)
    throw UsageError(item.name + " asks \"" + dry.confirmations.front() +
                     "\": answer it with --yes or --no");
}

// An item the window offers only from a higher reader level than the module's is refused.
void CheckLevel(const RunnableItem& item, const RunArgs& r, Session& s) {
  const int level = s.App().ReaderLevel;
  if (item.minLevel <= level || r.anyLevel) return;
  throw UsageError(item.name + " needs reader level " + std::to_string(item.minLevel) +
                   "; the module on " + s.PortName() + " is at level " + std::to_string(level) +
                   " (--any-level runs it anyway)");
}

// The ID write dialog keeps the last ID written when it closes; a script that goes on in the next
// run must not write that ID again, so with --save the run keeps the ID the dialog would write
// next (its fields when it closed), once a write was pressed.
void KeepTheNextId(Session& s) {
  const PromptForm* last = nullptr;
  for (const PromptForm& f : s.Prompts().ClosedForms())
    if (f.dialog == "TWrData1_3Dlg") last = &f;
  if (!last) return;
  bool pressed = false;
  for (const OutcomeEvent& e : s.Outcome().Events())
    pressed = pressed || (e.kind == OutcomeKind::Status && e.dialog == last->dialog);
  if (pressed) s.App().Settings.ANI_ID = IdFromFields(*last);
}

}  // namespace

int RunRun(const CommonOptions& o, std::vector<std::string>& args) {
  RunArgs r = ParseRunArgs(args);
  Session s(o);
  HandlerRegistry registry;
  RegisterAllHandlers(registry);
  const ItemCatalog catalog(registry, s.App().Settings.fHDXP);
  const RunnableItem& item = catalog.Resolve(r.item);
  const Handler& handler = *registry.Find(item.name);

  // The dry pass, before the port is opened: the newest firmware's level, which shows every item.
  DryRunResult dry = RunDryPasses(handler, item.name, DryContextOf(s, 3), r.script);
  CheckScript(item, r, dry);
  // A cancelled first dialog sends nothing: the port stays closed. Otherwise the module is
  // identified first, so that every dialog sees the real level, and the script is checked again
  // at that level (a level shows other fields) before the handler sends anything.
  if (!r.script.cancel) {
    s.OpenPort();
    s.Identify();
    CheckLevel(item, r, s);
    if (s.App().ReaderLevel != 3) {
      dry = RunDryPasses(handler, item.name, DryContextOf(s, s.App().ReaderLevel), r.script);
      CheckScript(item, r, dry);
    }
  }
  CliPrompts& prompts = s.Prompts();
  prompts.Configure(r.script);
  prompts.SetEcho(true);
  s.Outcome().Clear();
  if (s.StopRequested()) return EndRun(s, 1);
  bool failed = false;
  try {
    handler(s.App(), item.name);
  } catch (const ScriptError& e) {
    throw UsageError(e.what());
  } catch (const std::exception& e) {
    // The window shows it in a message box and goes on.
    Output::Get().Note("qzh900ctl run: " + item.name + ": " + e.what(), "message",
                       {{"caption", "Error"}, {"message", QString::fromStdString(e.what())}});
    failed = true;
  }
  s.CheckPort();
  const std::vector<std::string> unused = prompts.UnusedAnswers();
  if (!unused.empty())
    throw UsageError("answer " + unused.front() + " fits no field " + item.name + " showed");
  if (o.save) KeepTheNextId(s);
  int verdict = s.Outcome().Verdict();
  if (prompts.Cancelled() || prompts.StoppedADialog() || failed) verdict = 1;
  if (prompts.Cancelled() && dry.commands == 0)
    Output::Get().Note("qzh900ctl run: " + item.name + " cancelled; nothing was sent", "progress");
  return EndRun(s, verdict);
}
