#include "cli/items.h"

#include <map>
#include <set>

#include "cli/session.h"
#include "core/language.h"
#include "shell/menu_tree.h"

namespace {

// The window's own items, which `run` does not start, and what to use instead.
const std::map<std::string, std::string>& WindowItems() {
  static const std::map<std::string, std::string> m = {
      {"MnSetCOM", "choose the port with --port"},
      {"MnSetComPara", "set the speed with --baud"},
      {"TB_TEST2", "use \"qzh900ctl listen SECONDS\""},
      {"MnSetTestMode1", "use \"qzh900ctl listen SECONDS\""},
      {"MnSetTestModeFDX", "use \"qzh900ctl listen SECONDS\""},
      {"MnSetTestModeAnimalID", "use \"qzh900ctl listen SECONDS --animal-id\""},
      {"TB_TEST3", "every verb puts the module in command mode first"},
      {"MnSetTestMode3", "every verb puts the module in command mode first"},
      {"MnSetLanguage_JPN", "choose the language of a run with --lang ja"},
      {"MnSetLanguage_ENU", "choose the language of a run with --lang en"},
      {"FileExitItem", "nothing to run"},
      {"HelpAboutItem", "\"qzh900ctl --help\" names the version"},
      {"MnGridClear", "nothing to run"},
      {"MnLastCommand", "nothing to run"},
  };
  return m;
}

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

std::vector<std::string> SplitPath(const std::string& item) {
  std::vector<std::string> parts;
  std::string cur;
  for (size_t i = 0; i < item.size(); ++i) {
    if (item[i] == '>') {
      parts.push_back(cur);
      cur.clear();
    } else if (item.compare(i, 3, "\u203A") == 0) {  // "›"
      parts.push_back(cur);
      cur.clear();
      i += 2;
    } else {
      cur.push_back(item[i]);
    }
  }
  parts.push_back(cur);
  return parts;
}

bool Visible(const MenuModel& m, const std::string& name) {
  for (std::string n = name; !n.empty(); n = m.Get(n).def->parent)
    if (!m.Visible(n)) return false;
  return true;
}

bool Reachable(const MenuModel& m, const std::string& name) {
  return Visible(m, name) || (*m.Get(name).def->shortcut && m.ShortcutLive(name));
}

bool ReachableAt(const std::string& name, int fHDXP, int level, bool animalBox) {
  MenuModel m;
  ApplyCreationRules(m, fHDXP);
  SetCommandMenusEnabled(m, true);
  ApplyReaderLevel(m, level);
  if (animalBox) ApplyAnimalIdBox(m, true, fHDXP);
  for (const auto& s : m.All())
    if (s.def->kind == MenuKind::Item) m.SetHandlerPresent(s.def->name, true);
  return Reachable(m, name);
}

// How the window offers an item, at each reader level.
std::string Availability(const std::string& name, int fHDXP) {
  if (ReachableAt(name, fHDXP, 1, false)) return "";
  if (ReachableAt(name, fHDXP, 2, false)) return "reader level 2+";
  if (ReachableAt(name, fHDXP, 3, false)) return "reader level 3";
  if (ReachableAt(name, fHDXP, 3, true)) return "animal-ID mode";
  return "hidden";
}

// The lowest reader level at which the window offers the item, with or without the "Animal ID"
// box; 0 when it offers it at every level or at none.
int MinimumLevel(const std::string& name, int fHDXP) {
  for (int level = 1; level <= 3; ++level)
    if (ReachableAt(name, fHDXP, level, false) || ReachableAt(name, fHDXP, level, true))
      return level == 1 ? 0 : level;
  return 0;
}

}  // namespace

std::string RunnableItem::Path() const {
  std::string p;
  for (const std::string& m : menus) p += m + " > ";
  return p + caption;
}

std::string ItemCatalog::Normalize(const std::string& caption) {
  std::string s;
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption.compare(i, 2, "(&") == 0 && i + 3 < caption.size() && caption[i + 3] == ')') {
      i += 3;
      continue;
    }
    if (caption[i] == '&') continue;
    if (caption.compare(i, 2, "\u00A0") == 0) {
      s.push_back(' ');
      ++i;
      continue;
    }
    s.push_back(caption[i]);
  }
  while (!s.empty() && s.back() == ' ') s.pop_back();
  while (!s.empty() && s.front() == ' ') s.erase(s.begin());
  if (s.size() > 3 && s.compare(s.size() - 3, 3, "...") == 0) s.resize(s.size() - 3);
  if (s.size() > 3 && s.compare(s.size() - 3, 3, "\u2026") == 0) s.resize(s.size() - 3);
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return Lower(s);
}

ItemCatalog::ItemCatalog(const HandlerRegistry& registry, int fHDXP) {
  // The English captions, whatever the language of the run.
  const QByteArray module = QByteArray::fromStdString(language::EmbeddedEnglishModule());
  QTranslator english;
  const bool loaded =
      !module.isEmpty() && english.load(reinterpret_cast<const uchar*>(module.constData()),
                                        static_cast<int>(module.size()));
  auto englishOf = [&](const MenuItemDef& d) {
    if (!d.translate || !loaded) return std::string(d.caption);
    const QString t = english.translate("TTirisAppForm", d.caption);
    return t.isEmpty() ? std::string(d.caption) : t.toStdString();
  };
  std::map<std::string, const MenuItemDef*> byName;
  for (const MenuItemDef& d : MenuTable()) byName[d.name] = &d;
  std::vector<std::string> registered = registry.Items();
  std::map<std::string, bool> placed;
  for (const MenuItemDef& d : MenuTable()) {
    if (d.kind != MenuKind::Item && d.kind != MenuKind::ToolButton) continue;
    if (!registry.Find(d.name)) {
      unrunnable_.push_back(d.name);
      continue;
    }
    RunnableItem it;
    it.name = d.name;
    it.caption = englishOf(d);
    it.japanese = d.caption;
    for (const char* p = d.parent; *p;) {
      const MenuItemDef* parent = byName.at(p);
      if (parent->kind == MenuKind::Root) break;
      it.menus.insert(it.menus.begin(), englishOf(*parent));
      p = parent->parent;
    }
    it.availability = Availability(d.name, fHDXP);
    it.minLevel = MinimumLevel(d.name, fHDXP);
    placed[d.name] = true;
    items_.push_back(std::move(it));
  }
  // Handlers without a menu component of their own come last.
  for (const std::string& name : registered) {
    if (placed.count(name)) continue;
    RunnableItem it;
    it.name = it.caption = it.japanese = name;
    it.availability = "hidden";
    items_.push_back(std::move(it));
  }
}

std::vector<std::string> ItemCatalog::Names(const HandlerRegistry& registry) {
  std::vector<std::string> names;
  std::set<std::string> placed;
  for (const MenuItemDef& d : MenuTable())
    if ((d.kind == MenuKind::Item || d.kind == MenuKind::ToolButton) && registry.Find(d.name)) {
      names.push_back(d.name);
      placed.insert(d.name);
    }
  for (const std::string& name : registry.Items())
    if (!placed.count(name)) names.push_back(name);
  return names;
}

const RunnableItem& ItemCatalog::Resolve(const std::string& item) const {
  if (item.empty()) throw UsageError("run needs an ITEM (see qzh900ctl list)");
  for (const RunnableItem& it : items_)
    if (it.name == item) return it;
  if (auto w = WindowItems().find(item); w != WindowItems().end())
    throw UsageError(item + " is the window's own item: " + w->second);
  for (const std::string& n : unrunnable_)
    if (n == item) throw UsageError(item + " has no handler of its own (a submenu or a separator)");
  const std::vector<std::string> parts = SplitPath(item);
  std::vector<std::string> want;
  for (const std::string& p : parts) want.push_back(Normalize(p));
  std::vector<const RunnableItem*> hits;
  for (const RunnableItem& it : items_) {
    if (Normalize(it.caption) != want.back() && Normalize(it.japanese) != want.back()) continue;
    // The menus named before the caption, in order, among the menus above the item.
    size_t k = 0;
    for (const std::string& m : it.menus)
      if (k + 1 < want.size() && Normalize(m) == want[k]) ++k;
    if (k + 1 == want.size()) hits.push_back(&it);
  }
  if (hits.size() == 1) return *hits.front();
  if (hits.empty()) {
    // Case-insensitive component names, as a courtesy.
    for (const RunnableItem& it : items_)
      if (Lower(it.name) == Lower(item)) return it;
    throw UsageError("unknown item \"" + item + "\" (see qzh900ctl list)");
  }
  std::string which;
  for (const RunnableItem* h : hits)
    which += (which.empty() ? "" : ", ") + h->name + " (" + h->Path() + ")";
  throw UsageError("\"" + item + "\" names several items: " + which);
}
