// list: every item run can start, with the dialogs its handler shows (from dry passes).
#include <QJsonArray>
#include <QJsonObject>
#include <cstdio>
#include <set>

#include "cli/dry_run.h"
#include "cli/interrupt.h"
#include "cli/items.h"
#include "cli/output.h"
#include "cli/verbs.h"

namespace {

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

QJsonObject FormJson(const PromptForm& f, bool afterCommand) {
  QJsonArray fields;
  for (const PromptField& field : f.fields) {
    if (field.kind == FieldKind::Label || field.kind == FieldKind::Panel ||
        field.kind == FieldKind::Table)
      continue;
    fields.append(QJsonObject{{"name", Q(field.name)},
                              {"summary", Q(FieldSummary(field))},
                              {"label", Q(field.label)},
                              {"visible", field.visible},
                              {"enabled", field.enabled},
                              {"read_only", field.readOnly}});
  }
  QJsonArray actions;
  if (CliPrompts::IsInteractive(f))
    for (const PromptAction& a : f.actions)
      if (a.visible && a.kind != ActionKind::Local)
        actions.append(
            QJsonObject{{"name", Q(a.name)}, {"caption", Q(a.caption)}, {"default", a.isDefault}});
  QJsonArray pages;
  for (const std::string& p : f.pages) pages.append(Q(p));
  return {{"dialog", Q(f.dialog)},
          {"caption", Q(f.caption)},
          {"after_answer", afterCommand},
          {"fields", fields},
          {"pages", pages},
          {"actions", actions},
          {"stays_open", CliPrompts::IsInteractive(f)}};
}

// The names alone, for shell completion: no handler runs, no settings file is read.
int PrintNames() {
  HandlerRegistry registry;
  RegisterAllHandlers(registry);
  std::string names;
  for (const std::string& name : ItemCatalog::Names(registry)) names += name + "\n";
  WriteStdout(names);
  return 0;
}

}  // namespace

int RunList(const CommonOptions& o, std::vector<std::string>& args) {
  std::vector<std::string> wanted;
  bool namesOnly = false;
  for (OptionReader arg(args, kListOptions); arg.Next();) {
    if (arg.Is("--names"))
      namesOnly = true;
    else
      wanted.push_back(arg.Arg());
  }
  if (namesOnly) {
    if (!wanted.empty()) throw UsageError("--names takes no ITEM");
    return PrintNames();
  }
  // The dry passes write their settings only to a scratch copy in memory: list leaves the disk
  // alone.
  Session s(o, SettingsPlace::Memory);
  HandlerRegistry registry;
  RegisterAllHandlers(registry);
  const ItemCatalog catalog(registry, s.App().Settings.fHDXP);
  std::vector<const RunnableItem*> items;
  for (const std::string& w : wanted) items.push_back(&catalog.Resolve(w));
  if (wanted.empty())
    for (const RunnableItem& it : catalog.Items()) items.push_back(&it);
  const bool json = Output::Get().Json();
  for (const RunnableItem* it : items) {
    if (interrupt::Requested() || !StdoutOk()) break;
    if (!json)
      std::printf("%s  \"%s\"  (%s)%s%s\n", it->name.c_str(), it->caption.c_str(),
                  it->Path().c_str(), it->availability.empty() ? "" : "  ",
                  it->availability.c_str());
    // Confirmations answered Yes, to see what follows them.
    PromptScript yes;
    yes.confirm = true;
    const DryRunResult dry =
        RunDryPasses(*registry.Find(it->name), it->name, DryContextOf(s, 3), yes);
    std::set<std::string> printed;
    QJsonArray dialogs;
    for (size_t i = 0; i < dry.forms.size(); ++i) {
      const PromptForm& f = dry.forms[i];
      if (!printed.insert(f.dialog + "\n" + f.caption).second) continue;
      if (json)
        dialogs.append(FormJson(f, dry.afterCommand[i]));
      else
        PrintForm(f, dry.afterCommand[i]);
    }
    QJsonArray questions;
    for (std::string c :
         std::set<std::string>(dry.confirmations.begin(), dry.confirmations.end())) {
      for (char& ch : c)
        if (ch == '\n') ch = ' ';
      questions.append(Q(c));
      if (!json) std::printf("  asks \"%s\" (--yes / --no)\n", c.c_str());
    }
    if (!json && dry.forms.empty() && dry.confirmations.empty()) std::printf("  no prompt\n");
    Output::Get().Event("item", {{"name", Q(it->name)},
                                 {"caption", Q(it->caption)},
                                 {"path", Q(it->Path())},
                                 {"availability", Q(it->availability)},
                                 {"min_level", it->minLevel},
                                 {"dialogs", dialogs},
                                 {"confirmations", questions}});
  }
  std::fflush(stdout);
  return VerdictOf(0);
}
