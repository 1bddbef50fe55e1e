// Verbs that start menu handlers: run (one handler, headless, through the scripted prompts) and
// list (every runnable item with the dialogs it shows).
#include <cstdio>
#include <set>

#include "cli/arg_reader.h"
#include "cli/dry_run.h"
#include "cli/items.h"
#include "cli/verbs.h"

namespace {

struct RunArgs {
  std::string item;
  PromptScript script;
};

RunArgs ParseRunArgs(std::vector<std::string>& args) {
  RunArgs r;
  std::vector<std::string> positional;
  for (ArgReader arg(args); arg.Next();) {
    const std::string& a = arg.Arg();
    auto value = [&] { return arg.Value(); };
    auto is = [&](const char* n) { return arg.Is(n); };
    if (is("--answer") || a == "-a") {
      const std::string kv = value();
      const size_t eq = kv.find('=');
      if (eq == std::string::npos || eq == 0)
        throw UsageError("--answer takes KEY=VALUE: \"" + kv + "\"");
      r.script.answers.emplace_back(kv.substr(0, eq), kv.substr(eq + 1));
    } else if (a == "--yes" || a == "-y") {
      if (r.script.confirm == false) throw UsageError("--yes and --no exclude each other");
      r.script.confirm = true;
    } else if (a == "--no" || a == "-n") {
      if (r.script.confirm == true) throw UsageError("--yes and --no exclude each other");
      r.script.confirm = false;
    } else if (a == "--cancel") {
      r.script.cancel = true;
    } else if (is("--repeat")) {
      r.script.repeat = static_cast<int>(ParseNumberOption("--repeat", value(), 0, 100000));
    } else if (is("--press")) {
      const std::string p = value();
      if (p.empty()) throw UsageError("--press needs an action name");
      r.script.presses.push_back(p);
    } else if (is("--file")) {
      r.script.file = value();
      if (r.script.file->empty()) throw UsageError("--file needs a path");
    } else if (a == "--ctrl") {
      r.script.control = true;
    } else if (a.size() > 1 && a[0] == '-') {
      throw UsageError("unknown option " + a);
    } else {
      positional.push_back(a);
    }
  }
  if (positional.empty()) throw UsageError("run needs an ITEM (see qzh900ctl list)");
  if (positional.size() > 1) throw UsageError("unexpected argument: " + positional[1]);
  r.item = positional.front();
  if (r.script.cancel && (r.script.repeat || !r.script.presses.empty()))
    throw UsageError("--cancel excludes --repeat and --press");
  return r;
}

DryRunContext DryContext(Session& s, int level) {
  DryRunContext c;
  c.settingsPath = s.Settings().ScratchCopy();
  c.settings = s.App().Settings;
  c.readerLevel = level;
  c.animalId = s.Options().animalId;
  return c;
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
  if (dry.unansweredConfirmation && !r.script.confirm && !r.script.cancel)
    throw UsageError(item.name + " asks \"" + dry.confirmations.front() +
                     "\": answer it with --yes or --no");
}

std::string FieldSummary(const PromptField& f) {
  switch (f.kind) {
    case FieldKind::Number: {
      const NumberSpec& s = f.number.Spec();
      std::string range = s.NumberType == TNumberType::ntHex ? "hex " : "number ";
      if (s.Limit)
        range += f.number.Format(s.Min) + ".." + f.number.Format(s.Max);
      else
        range += "(no limit)";
      return range + " = " + f.number.Text();
    }
    case FieldKind::Text:
      return "text = \"" + f.text + "\"";
    case FieldKind::Choice:
    case FieldKind::Radio: {
      std::string items;
      for (size_t i = 0; i < f.items.size(); ++i)
        items += (i ? " | " : "") + std::to_string(i) + " " + f.items[i];
      return std::string(f.kind == FieldKind::Radio ? "radio" : "choice") + " [" + items +
             "] = " + std::to_string(f.index);
    }
    case FieldKind::Check:
      return std::string("check = ") + (f.checked ? "1" : "0");
    case FieldKind::Memo:
      return "lines";
    default:
      return "";
  }
}

void PrintForm(const PromptForm& f, bool afterCommand) {
  std::printf("  %s \"%s\"%s\n", f.dialog.c_str(), f.caption.c_str(),
              afterCommand ? " (after the module's answer; values from the module)" : "");
  if (!f.pages.empty()) {
    std::string pages;
    for (size_t i = 0; i < f.pages.size(); ++i) {
      const std::string cap = i < f.pageCaptions.size() ? f.pageCaptions[i] : f.pages[i];
      pages += (i ? " | " : "") + std::to_string(i) + " " + f.pages[i] + " \"" + cap + "\"";
    }
    std::printf("    %-22s tabs [%s]\n", "PageControl1", pages.c_str());
  }
  for (const PromptField& field : f.fields) {
    if (field.kind == FieldKind::Label || field.kind == FieldKind::Panel ||
        field.kind == FieldKind::Table)
      continue;
    std::string notes;
    if (!field.visible) notes += " (hidden)";
    if (!field.enabled) notes += " (disabled)";
    if (field.readOnly) notes += " (read-only)";
    std::string label = field.label;
    std::printf("    %-22s %s%s%s%s\n", field.name.c_str(), FieldSummary(field).c_str(),
                notes.c_str(), label.empty() ? "" : "  ", label.c_str());
  }
  if (CliPrompts::IsInteractive(f)) {
    std::string actions;
    for (const PromptAction& a : f.actions) {
      if (!a.visible || a.kind == ActionKind::Local) continue;
      actions += (actions.empty() ? "" : ", ") + a.name + " \"" + a.caption + "\"" +
                 (a.isDefault ? " (default)" : "");
    }
    std::printf("    stays open; actions: %s\n", actions.c_str());
  }
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
  const DryRunResult dry = RunDryPasses(handler, item.name, DryContext(s, 3), r.script);
  CheckScript(item, r, dry);

  if (dry.commands > 0) {
    s.OpenPort();
    s.Identify();
  }
  CliPrompts& prompts = s.Prompts();
  prompts.Configure(r.script);
  prompts.SetEcho(stderr);
  s.Log().Mark();
  int rc = 0;
  bool failed = false;
  try {
    handler(s.App(), item.name);
  } catch (const ScriptError& e) {
    throw UsageError(e.what());
  } catch (const std::exception& e) {
    // The window shows it in a message box and goes on.
    std::fprintf(stderr, "qzh900ctl run: %s: %s\n", item.name.c_str(), e.what());
    failed = true;
  }
  if (s.PortLost()) throw UsageError("the port " + s.PortName() + " has vanished");
  const std::vector<std::string> unused = prompts.UnusedAnswers();
  if (!unused.empty())
    throw UsageError("answer " + unused.front() + " fits no field " + item.name + " showed");
  const std::optional<bool> result = ResultOfLines(s.Log().Recent());
  if (result)
    rc = *result ? 0 : 1;
  else if (prompts.Cancelled() || failed)
    rc = 1;
  if (prompts.Cancelled() && dry.commands == 0)
    std::fprintf(stderr, "qzh900ctl run: %s cancelled; nothing was sent\n", item.name.c_str());
  if (!s.Finish()) rc = 2;
  return rc;
}

int RunList(const CommonOptions& o, std::vector<std::string>& args) {
  std::vector<std::string> wanted;
  for (const std::string& a : args) {
    if (a.size() > 1 && a[0] == '-') throw UsageError("unknown option " + a);
    wanted.push_back(a);
  }
  Session s(o);
  HandlerRegistry registry;
  RegisterAllHandlers(registry);
  const ItemCatalog catalog(registry, s.App().Settings.fHDXP);
  std::vector<const RunnableItem*> items;
  for (const std::string& w : wanted) items.push_back(&catalog.Resolve(w));
  if (wanted.empty())
    for (const RunnableItem& it : catalog.Items()) items.push_back(&it);
  for (const RunnableItem* it : items) {
    std::printf("%s  \"%s\"  (%s)%s%s\n", it->name.c_str(), it->caption.c_str(), it->Path().c_str(),
                it->availability.empty() ? "" : "  ", it->availability.c_str());
    // Confirmations answered Yes, to see what follows them.
    PromptScript yes;
    yes.confirm = true;
    const DryRunResult dry =
        RunDryPasses(*registry.Find(it->name), it->name, DryContext(s, 3), yes);
    std::set<std::string> printed;
    for (size_t i = 0; i < dry.forms.size(); ++i) {
      const PromptForm& f = dry.forms[i];
      if (!printed.insert(f.dialog + "\n" + f.caption).second) continue;
      PrintForm(f, dry.afterCommand[i]);
    }
    for (std::string c :
         std::set<std::string>(dry.confirmations.begin(), dry.confirmations.end())) {
      for (char& ch : c)
        if (ch == '\n') ch = ' ';
      std::printf("  asks \"%s\" (--yes / --no)\n", c.c_str());
    }
    if (dry.forms.empty() && dry.confirmations.empty()) std::printf("  no prompt\n");
  }
  return 0;
}
