#pragma once
// What every window of the tool must satisfy as it is shown: it fits its screen with a window
// manager's frame around it; its title fits a title bar; no label, button, check box, radio
// button, group box title or tab shows its text cut (the font's metrics against the widget's
// geometry); the marks over a byte row stand over the fields they name, "MSB" over the leftmost
// and "LSB" over the rightmost field of the row; no text is a component's name; every menu of a
// menu bar opens with Alt and a key of its own.
#include <QRect>
#include <set>
#include <string>
#include <vector>

class QWidget;
struct PromptForm;

namespace gallery {

// The problems of one window, one line each (empty: none). `form` (may be null) is the form the
// window renders; `names` are further names of components no text may show (menu items,
// handlers).
std::vector<std::string> CheckWindow(const QWidget& window, const PromptForm* form,
                                     const QRect& screen, const std::set<std::string>& names);

// The texts a window shows (labels, buttons, group box titles, tabs, menus, table headers, list
// items and its title), without mnemonic marks.
std::vector<std::string> ShownTexts(const QWidget& window);

}  // namespace gallery
