#pragma once
// What every window of the tool must satisfy as it is shown: it fits its screen with a window
// manager's frame around it; its title fits a title bar; no label, button, check box, radio
// button, group box title or tab shows its text cut (the font's metrics against the widget's
// geometry); no part is squeezed into a scroll box while the screen has room; the marks over a byte
// row stand over the fields they name, "MSB" over the leftmost and "LSB" over the rightmost field
// of the row; the fields of a row stand on one level; no label, nor two labels side by side, says a
// word twice ("Block Block Address"); no text is a component's name; every menu of a menu bar opens
// with Alt and a key of its own.
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

// Texts of the other language (every text ShownTexts lists, with the menus' items): in the
// English window, a text in Japanese script; in the Japanese window, a text that is one of
// `english`, the English forms of texts that have a Japanese one.
std::vector<std::string> CheckLanguage(const QWidget& window, bool englishWindow,
                                       const std::set<std::string>& english);

// The texts a window shows (labels, buttons, group box titles, tabs, menus, table headers, list
// items and its title), without mnemonic marks.
std::vector<std::string> ShownTexts(const QWidget& window);

}  // namespace gallery
