#pragma once
// The items `run` can start: every menu component with a registered handler, named by its
// component name or by its caption (English or Japanese, with or without "&", "(&X)" and "...",
// optionally with the captions of the menus above it: "SIC7888 > IDWrite...").
#include <QByteArray>
#include <QTranslator>
#include <string>
#include <vector>

#include "app/handler_registry.h"

struct RunnableItem {
  std::string name;                // component name: "SIC7888GETUID1"
  std::string caption;             // English caption: "GetUID"
  std::string japanese;            // caption of the Japanese window
  std::vector<std::string> menus;  // English captions of the menus above it, outermost first
  // How the window offers it: "" (a menu item), "hidden", "reader level 2+", "reader level 3",
  // "animal-ID mode".
  std::string availability;
  // The reader level the window needs before it offers the item (0: any; hidden items, which
  // the window offers at no level, are runnable at every level).
  int minLevel = 0;
  std::string Path() const;  // "FDX Tag > SIC7888 > GetUID"
};

class ItemCatalog {
 public:
  // fHDXP: the setting that shows the HDX+ menu.
  ItemCatalog(const HandlerRegistry& registry, int fHDXP);
  const std::vector<RunnableItem>& Items() const { return items_; }
  // The names of Items(), in the same order, without working out how the window offers each
  // (the quick list for shell completion).
  static std::vector<std::string> Names(const HandlerRegistry& registry);
  // The item ITEM names; throws UsageError (unknown, ambiguous or not runnable) with the reason.
  const RunnableItem& Resolve(const std::string& item) const;

  // A caption reduced for comparison: no accelerator marks, no trailing "...", no-break spaces as
  // blanks, ASCII letters in lower case.
  static std::string Normalize(const std::string& caption);

 private:
  std::vector<RunnableItem> items_;
  std::vector<std::string> unrunnable_;  // menu items without a handler of their own
};
