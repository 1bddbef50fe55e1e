#pragma once
// The main window's named components as data: every menu, menu item, pop-up item, tool-bar
// button and the "Animal ID" check box, with its parent, caption, shortcut and the state the
// window's rules give it. The window builds its widgets from this table and mirrors MenuModel;
// the rules (creation, reader level, check box, command menus) live here, without widgets.
#include <functional>
#include <map>
#include <string>
#include <vector>

enum class MenuKind {
  Root,        // MainMenu1, PopupMenu1, ToolBar1
  Menu,        // a menu of the menu bar or a sub-menu
  Item,        // runs its handler (disabled while no handler is registered)
  Separator,   // N1, N2, ...
  ToolButton,  // runs its handler; checkable
  Check,       // CBAnimalID
};

struct MenuItemDef {
  const char* name;
  const char* parent;  // "" for the roots
  // Japanese source text (translated with Tr("TTirisAppForm", caption)) when `translate` is set,
  // else the caption shown in both languages.
  const char* caption = "";
  bool translate = false;
  const char* shortcut = "";  // portable key sequence text ("Ctrl+Shift+F9"), or ""
  MenuKind kind = MenuKind::Item;
  bool hidden = false;     // hidden by the window's design, before any rule runs
  bool checkable = false;  // shows a tick (language items, tool buttons)
  // The key that opens a menu of the menu bar with Alt (0: none); the caption itself stays
  // without the mark, MenuText adds it.
  char mnemonic = 0;
};

// Every component in display order; parents come before their children.
const std::vector<MenuItemDef>& MenuTable();

// The caption as shown in the running language.
std::string MenuCaption(const MenuItemDef& def);
// A caption with the item's mnemonic marked: "&" before the letter where the caption holds it
// ("&HDX Tag", "C&onfiguration"), else "(&X)" after it ("コマンド(&C)").
std::string MenuText(const MenuItemDef& def, const std::string& caption);

class MenuModel {
 public:
  struct State {
    const MenuItemDef* def = nullptr;
    std::string caption;
    std::string hint;  // status bar and tool tip; empty: the caption without its key mark
    bool visible = true;
    bool enabled = true;      // as the window's rules set it
    bool hasHandler = false;  // items only: a handler is registered for the name
    bool checked = false;
  };

  MenuModel();

  bool Has(const std::string& name) const { return index_.count(name) != 0; }
  const State& Get(const std::string& name) const;
  const std::vector<State>& All() const { return items_; }

  bool Visible(const std::string& name) const { return Get(name).visible; }
  // The state the user sees: the rule's enabled flag, and for items a registered handler.
  bool Enabled(const std::string& name) const;
  bool Checked(const std::string& name) const { return Get(name).checked; }
  std::string Hint(const std::string& name) const;

  void SetVisible(const std::string& name, bool visible);
  void SetEnabled(const std::string& name, bool enabled);
  void SetChecked(const std::string& name, bool checked);
  void SetCaption(const std::string& name, const std::string& caption);
  void SetHint(const std::string& name, const std::string& hint);
  void SetHandlerPresent(const std::string& name, bool present);

  // Whether the item's shortcut runs it now: the item and every menu above it are enabled,
  // visible or not.
  bool ShortcutLive(const std::string& name) const;

  // Called with the name of every component whose state changed.
  std::function<void(const std::string& name)> onChanged;

 private:
  State& Mutable(const std::string& name);
  void Notify(const std::string& name) {
    if (onChanged) onChanged(name);
  }
  std::vector<State> items_;
  std::map<std::string, size_t> index_;
};

// --- The window's rules ---

// Creation steps 8 to 10: check box cleared and hidden, tool buttons up, command menus and the
// check box disabled, the unused items hidden, the mode captions set.
void ApplyCreationRules(MenuModel& m, int fHDXP);

// The menus a successful identification (or "Command Mode") enables and read-loop mode
// disables, together with the check box and the Configuration items that talk to the module
// (the Configuration menu, with "COM Port...", stays enabled).
void SetCommandMenusEnabled(MenuModel& m, bool enabled);

// The seven items that depend on the module's firmware: level 0 or 1 hides them all, 2 all but
// the EM4305 sub-menu, 3 shows them all.
void ApplyReaderLevel(MenuModel& m, int level);

// The "Animal ID" check box: the menus of the animal-ID tool mode or of the normal one.
void ApplyAnimalIdBox(MenuModel& m, bool ticked, int fHDXP);

// Tool buttons TB_TEST2 / TB_TEST3 down or up.
void SetModeButtons(MenuModel& m, bool readLoopDown, bool commandDown);

// The components these rules name (tests).
const std::vector<std::string>& CommandMenuNames();
const std::vector<std::string>& ReaderLevelItemNames();
