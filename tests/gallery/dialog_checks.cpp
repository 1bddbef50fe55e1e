#include "tests/gallery/dialog_checks.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabBar>
#include <QTableWidget>
#include <QToolButton>
#include <algorithm>
#include <cstdlib>
#include <map>
#include <tuple>

#include "prompts/prompt_form.h"
#include "prompts/widgets/prompt_dialog.h"

namespace gallery {

namespace {

std::string S(const QString& s) {
  return s.toStdString();
}

// "&File" as shown: "File"; "&&" is one ampersand.
QString WithoutMnemonic(QString text) {
  text.replace("&&", QString(QChar(0x1)));
  text.remove('&');
  text.replace(QChar(0x1), '&');
  return text;
}

bool Shown(const QWidget* w, const QWidget& window) {
  return w->isVisibleTo(&window) && !w->isHidden();
}

int TextWidth(const QFontMetrics& fm, const QString& text) {
  int width = 0;
  for (const QString& line : text.split('\n')) width = std::max(width, fm.horizontalAdvance(line));
  return width;
}

QRect In(const QWidget& window, const QWidget* w) {
  return QRect(w->mapTo(&window, QPoint(0, 0)), w->size());
}

std::string Where(const QWidget* w) {
  return w->objectName().isEmpty() ? std::string(w->metaObject()->className()) : S(w->objectName());
}

void CheckFits(const QWidget& window, const QRect& screen, std::vector<std::string>& out) {
  const QRect framed = window.geometry().adjusted(-kWindowFrameSide, -kWindowFrameTop,
                                                  kWindowFrameSide, kWindowFrameSide);
  if (!screen.contains(framed))
    out.push_back("does not fit the screen: " + std::to_string(window.width()) + "x" +
                  std::to_string(window.height()) + " at " + std::to_string(window.x()) + "," +
                  std::to_string(window.y()) + " with its frame, on " +
                  std::to_string(screen.width()) + "x" + std::to_string(screen.height()));
  if (!window.windowTitle().isEmpty() && window.width() < TitleBarWidth(window.windowTitle()))
    out.push_back("title \"" + S(window.windowTitle()) + "\" is cut: the window is " +
                  std::to_string(window.width()) + " px wide, the title needs " +
                  std::to_string(TitleBarWidth(window.windowTitle())));
}

void CheckTexts(const QWidget& window, std::vector<std::string>& out) {
  for (const QLabel* l : window.findChildren<QLabel*>()) {
    if (!Shown(l, window) || l->text().isEmpty() || l->wordWrap() || !l->pixmap().isNull())
      continue;
    const QFontMetrics fm(l->font());
    const QRect room =
        l->contentsRect().adjusted(l->margin(), l->margin(), -l->margin(), -l->margin());
    const int lines = static_cast<int>(l->text().count('\n')) + 1;
    if (TextWidth(fm, l->text()) > room.width() || lines * fm.height() > room.height() + 1)
      out.push_back("label " + Where(l) + " \"" + S(l->text()) + "\" is cut: needs " +
                    std::to_string(TextWidth(fm, l->text())) + "x" +
                    std::to_string(lines * fm.height()) + ", has " + std::to_string(room.width()) +
                    "x" + std::to_string(room.height()));
  }
  for (const QAbstractButton* b : window.findChildren<QAbstractButton*>()) {
    if (!Shown(b, window) || b->text().isEmpty() || qobject_cast<const QToolButton*>(b)) continue;
    const QFontMetrics fm(b->font());
    const int text = TextWidth(fm, WithoutMnemonic(b->text()));
    if (b->width() < b->sizeHint().width() || b->width() < text)
      out.push_back("button " + Where(b) + " \"" + S(b->text()) +
                    "\" is cut: " + std::to_string(b->width()) + " px for " +
                    std::to_string(b->sizeHint().width()));
  }
  for (const QGroupBox* g : window.findChildren<QGroupBox*>()) {
    if (!Shown(g, window) || g->title().isEmpty()) continue;
    const QFontMetrics fm(g->font());
    if (fm.horizontalAdvance(WithoutMnemonic(g->title())) + 12 > g->width())
      out.push_back("group box " + Where(g) + " \"" + S(g->title()) + "\" is cut");
  }
  for (const QTabBar* bar : window.findChildren<QTabBar*>()) {
    if (!Shown(bar, window)) continue;
    const QFontMetrics fm(bar->font());
    for (int i = 0; i < bar->count(); ++i)
      if (bar->isTabVisible(i) &&
          fm.horizontalAdvance(WithoutMnemonic(bar->tabText(i))) > bar->tabRect(i).width())
        out.push_back("tab \"" + S(bar->tabText(i)) + "\" is cut");
  }
}

void CheckMenus(const QWidget& window, std::vector<std::string>& out) {
  for (const QMenuBar* bar : window.findChildren<QMenuBar*>()) {
    std::map<QString, QString> keys;
    for (const QAction* a : bar->actions()) {
      if (!a->isVisible() || a->isSeparator()) continue;
      const QKeySequence key = QKeySequence::mnemonic(a->text());
      if (key.isEmpty()) {
        out.push_back("menu \"" + S(a->text()) + "\" has no mnemonic");
        continue;
      }
      const QString k = key.toString();
      if (keys.count(k))
        out.push_back("menus \"" + S(keys[k]) + "\" and \"" + S(a->text()) + "\" share " + S(k));
      keys[k] = a->text();
    }
  }
}

// The widget that shows a field's caption over it, and the field it names.
struct Mark {
  const PromptField* caption;  // the Label, or the field with its label over it
  std::string captionWidget;
  const PromptField* target;
};

std::vector<Mark> MarksOf(const PromptForm& form) {
  std::vector<Mark> marks;
  for (const PromptField& f : form.fields) {
    if (!f.visible) continue;
    if (f.kind == FieldKind::Label && !f.over.empty() && !f.text.empty())
      marks.push_back({&f, f.name, form.Find(f.over)});
    if (f.labelOver && !f.label.empty()) marks.push_back({&f, f.name + "Label", &f});
  }
  return marks;
}

// Whether any numeric field of the row, page and group of `field` is shown.
bool RowShown(const QWidget& window, const PromptForm& form, const PromptField& field) {
  for (const PromptField& f : form.fields) {
    if (f.kind != FieldKind::Number || f.row != field.row || f.page != field.page ||
        f.group != field.group)
      continue;
    const auto* w = window.findChild<QWidget*>(QString::fromStdString(f.name));
    if (w && Shown(w, window)) return true;
  }
  return false;
}

void CheckMarks(const QWidget& window, const PromptForm& form, std::vector<std::string>& out) {
  static const QRegularExpression msb("\\bMSB\\b"), lsb("\\bLSB\\b");
  for (const Mark& m : MarksOf(form)) {
    const QString text = QString::fromStdString(
        m.caption->kind == FieldKind::Label ? m.caption->text : m.caption->label);
    const auto* caption = window.findChild<QWidget*>(QString::fromStdString(m.captionWidget));
    if (!caption || !Shown(caption, window)) continue;
    const std::string what = "\"" + S(text) + "\" (" + m.captionWidget + ")";
    if (!m.target) {
      out.push_back(what + " stands over no field");
      continue;
    }
    const auto* target = window.findChild<QWidget*>(QString::fromStdString(m.target->name));
    if (!target || !Shown(target, window)) {
      // Marks kept over a row whose every field is hidden (a dialog that only asks for an
      // address) stand where the row would be; over one hidden field of a shown row they lie.
      if (RowShown(window, form, *m.target))
        out.push_back(what + " stands over " + m.target->name + ", which is not shown");
      continue;
    }
    const QRect c = In(window, caption), t = In(window, target);
    if (c.center().x() < t.left() || c.center().x() > t.right() || c.bottom() > t.top() + 1 ||
        t.top() - c.bottom() > c.height() + 8)
      out.push_back(what + " does not stand over " + m.target->name);
    // The ends of the row: the visible numeric fields of the same line.
    if (m.target->row < 0) continue;
    int left = t.left(), right = t.left();
    std::string leftmost = m.target->name, rightmost = m.target->name;
    for (const PromptField& f : form.fields) {
      if (f.kind != FieldKind::Number || !f.visible || f.row != m.target->row ||
          f.page != m.target->page || f.group != m.target->group)
        continue;
      const auto* w = window.findChild<QWidget*>(QString::fromStdString(f.name));
      if (!w || !Shown(w, window)) continue;
      const int x = In(window, w).left();
      if (x < left) left = x, leftmost = f.name;
      if (x > right) right = x, rightmost = f.name;
    }
    if (text.contains(msb) && leftmost != m.target->name)
      out.push_back(what + " stands over " + m.target->name + ", not over the leftmost field " +
                    leftmost);
    if (text.contains(lsb) && rightmost != m.target->name)
      out.push_back(what + " stands over " + m.target->name + ", not over the rightmost field " +
                    rightmost);
  }
}

void CheckNames(const QWidget& window, const PromptForm* form, const std::set<std::string>& more,
                std::vector<std::string>& out) {
  std::set<std::string> names = more;
  for (const QObject* o : window.findChildren<QObject*>())
    if (!o->objectName().isEmpty()) names.insert(S(o->objectName()));
  if (form) {
    names.insert(form->dialog);
    for (const PromptField& f : form->fields) names.insert(f.name);
    for (const PromptAction& a : form->actions) names.insert(a.name);
    names.insert(form->pages.begin(), form->pages.end());
  }
  // Component names of the kind the forms use, whatever window they belong to.
  static const QRegularExpression component(
      "^(T[A-Z]\\w*Dlg\\d*|(Panel|Label|GroupBox|Button|Edit|CheckBox|ComboBox|RadioGroup|"
      "TabSheet|StaticText|Memo|StringGrid|PageControl)\\d+|Mn[A-Z]\\w*)$");
  for (const std::string& text : ShownTexts(window)) {
    const QString t = QString::fromStdString(text).trimmed();
    if (t.isEmpty()) continue;
    if (names.count(S(t)) || component.match(t).hasMatch())
      out.push_back("shows the component name \"" + S(t) + "\"");
  }
}

// The visible numeric, text and choice fields of each row stand on one level: a row whose
// fields differ in height by the marks over some of them still reads as one line.
void CheckRowLevels(const QWidget& window, const PromptForm& form, std::vector<std::string>& out) {
  struct Seen {
    std::string name;
    int middle;
  };
  std::map<std::tuple<std::string, std::string, int>, std::vector<Seen>> rows;
  for (const PromptField& f : form.fields) {
    if (f.row < 0 || !f.visible ||
        (f.kind != FieldKind::Number && f.kind != FieldKind::Text && f.kind != FieldKind::Choice))
      continue;
    const auto* w = window.findChild<QWidget*>(QString::fromStdString(f.name));
    if (!w || !Shown(w, window)) continue;
    rows[{f.page, f.group, f.row}].push_back({f.name, In(window, w).center().y()});
  }
  for (const auto& [key, fields] : rows) {
    const auto [low, high] =
        std::minmax_element(fields.begin(), fields.end(),
                            [](const Seen& a, const Seen& b) { return a.middle < b.middle; });
    if (high->middle - low->middle > 2)
      out.push_back("the fields of row " + std::to_string(std::get<2>(key)) +
                    " stand on different levels: " + low->name + " " +
                    std::to_string(high->middle - low->middle) + " px above " + high->name);
  }
}

// Words of a text that hold a letter, lower-cased ("Block Address(0-43)": block, address).
std::vector<QString> Words(const QString& text) {
  static const QRegularExpression split("[^\\p{L}\\p{N}]+");
  std::vector<QString> words;
  for (const QString& w : text.split(split, Qt::SkipEmptyParts))
    if (w.size() > 1 && std::any_of(w.begin(), w.end(), [](QChar c) { return c.isLetter(); }))
      words.push_back(w.toLower());
  return words;
}

bool SaysAWordTwice(const QString& text) {
  const std::vector<QString> words = Words(text);
  for (size_t i = 1; i < words.size(); ++i)
    if (words[i] == words[i - 1]) return true;
  return false;
}

// A label that says a word twice, or two labels side by side whose seam does ("Block" beside
// "Block Address(0-43)").
void CheckDoubledWords(const QWidget& window, std::vector<std::string>& out) {
  std::vector<const QLabel*> labels;
  for (const QLabel* l : window.findChildren<QLabel*>())
    if (Shown(l, window) && !l->text().isEmpty() && l->pixmap().isNull()) labels.push_back(l);
  for (const QLabel* a : labels) {
    if (SaysAWordTwice(a->text()))
      out.push_back("label \"" + S(a->text()) + "\" says a word twice");
    const QRect ra = In(window, a);
    const QLabel* next = nullptr;
    int gap = 25;  // beyond that the two read apart
    for (const QLabel* b : labels) {
      const QRect rb = In(window, b);
      if (b == a || std::abs(rb.center().y() - ra.center().y()) > 4 || rb.left() < ra.left())
        continue;
      const int g = rb.left() - ra.right();
      if (g >= -1 && g < gap) gap = g, next = b;
    }
    if (next && SaysAWordTwice(a->text() + " " + next->text()))
      out.push_back("labels \"" + S(a->text()) + "\" and \"" + S(next->text()) +
                    "\" side by side say a word twice");
  }
}

// A window that has room on its screen shows every part whole: no scroll box of its own (a tab
// page squeezed into one). Lists, tables and text panes scroll by nature and are no scroll box.
void CheckSqueezed(const QWidget& window, const QRect& screen, std::vector<std::string>& out) {
  if (window.frameGeometry().height() + kWindowFrameTop + kWindowFrameSide >= screen.height() ||
      window.frameGeometry().width() + 2 * kWindowFrameSide >= screen.width())
    return;  // a window at the screen's size scrolls what does not fit
  for (const QScrollArea* area : window.findChildren<QScrollArea*>()) {
    if (!Shown(area, window)) continue;
    if (area->verticalScrollBar()->isVisible() || area->horizontalScrollBar()->isVisible())
      out.push_back(
          "a scroll box squeezes its content: " + Where(area->widget() ? area->widget() : area) +
          " in " + Where(area->parentWidget() ? area->parentWidget() : &window));
  }
}

// Kana or kanji; full-width punctuation and figures stand in some English texts as they are
// given ("Program Data（HEX）", "Word(0～15)").
bool JapaneseScript(const QString& text) {
  for (const QChar c : text) {
    const QChar::Script script = c.script();
    if (script == QChar::Script_Hiragana || script == QChar::Script_Katakana ||
        script == QChar::Script_Han)
      return true;
  }
  return false;
}

void AddMenuTexts(const QMenu& menu, std::vector<std::string>& texts) {
  for (const QAction* a : menu.actions()) {
    if (!a->isVisible() || a->isSeparator()) continue;
    texts.push_back(S(WithoutMnemonic(a->text())));
    if (a->menu()) AddMenuTexts(*a->menu(), texts);
  }
}

}  // namespace

std::vector<std::string> CheckLanguage(const QWidget& window, bool englishWindow,
                                       const std::set<std::string>& english) {
  std::vector<std::string> texts = ShownTexts(window);
  for (const QMenuBar* bar : window.findChildren<QMenuBar*>())
    for (const QAction* a : bar->actions())
      if (a->isVisible() && a->menu()) AddMenuTexts(*a->menu(), texts);
  for (const QWidget* w : window.findChildren<QWidget*>())
    if (Shown(w, window) && !w->toolTip().isEmpty()) texts.push_back(S(w->toolTip()));
  std::vector<std::string> out;
  std::set<std::string> said;
  for (const std::string& text : texts) {
    const QString t = QString::fromStdString(text).trimmed();
    if (t.isEmpty() || !said.insert(text).second) continue;
    if (englishWindow && JapaneseScript(t))
      out.push_back("Japanese text in the English window: \"" + text + "\"");
    if (!englishWindow && english.count(S(t)))
      out.push_back("English text in the Japanese window: \"" + text + "\"");
  }
  return out;
}

std::vector<std::string> ShownTexts(const QWidget& window) {
  std::vector<std::string> texts = {S(window.windowTitle())};
  auto add = [&](const QString& t) { texts.push_back(S(WithoutMnemonic(t))); };
  for (const QLabel* l : window.findChildren<QLabel*>())
    if (Shown(l, window)) add(l->text());
  for (const QAbstractButton* b : window.findChildren<QAbstractButton*>())
    if (Shown(b, window)) add(b->text());
  for (const QGroupBox* g : window.findChildren<QGroupBox*>())
    if (Shown(g, window)) add(g->title());
  for (const QTabBar* bar : window.findChildren<QTabBar*>())
    for (int i = 0; i < bar->count(); ++i)
      if (Shown(bar, window) && bar->isTabVisible(i)) add(bar->tabText(i));
  for (const QMenuBar* bar : window.findChildren<QMenuBar*>())
    for (const QAction* a : bar->actions())
      if (a->isVisible()) add(a->text());
  for (const QTableWidget* t : window.findChildren<QTableWidget*>()) {
    if (!Shown(t, window)) continue;
    for (int c = 0; c < t->columnCount(); ++c)
      if (const QTableWidgetItem* h = t->horizontalHeaderItem(c)) add(h->text());
    for (int r = 0; r < t->rowCount(); ++r)
      if (const QTableWidgetItem* h = t->verticalHeaderItem(r)) add(h->text());
  }
  for (const QComboBox* c : window.findChildren<QComboBox*>())
    if (Shown(c, window))
      for (int i = 0; i < c->count(); ++i) add(c->itemText(i));
  for (const QListWidget* l : window.findChildren<QListWidget*>())
    if (Shown(l, window))
      for (int i = 0; i < l->count(); ++i) add(l->item(i)->text());
  return texts;
}

std::vector<std::string> CheckWindow(const QWidget& window, const PromptForm* form,
                                     const QRect& screen, const std::set<std::string>& names) {
  std::vector<std::string> out;
  CheckFits(window, screen, out);
  CheckTexts(window, out);
  CheckSqueezed(window, screen, out);
  CheckMenus(window, out);
  if (form) CheckMarks(window, *form, out);
  if (form) CheckRowLevels(window, *form, out);
  CheckDoubledWords(window, out);
  CheckNames(window, form, names, out);
  return out;
}

}  // namespace gallery
