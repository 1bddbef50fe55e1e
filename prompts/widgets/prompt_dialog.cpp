#include "prompts/widgets/prompt_dialog.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableWidget>
#include <algorithm>
#include <tuple>

#include "prompts/widgets/number_edit.h"
#include "prompts/widgets/qt_text.h"

namespace {

bool SameItems(const QComboBox* combo, const std::vector<std::string>& items) {
  if (combo->count() != static_cast<int>(items.size())) return false;
  for (int i = 0; i < combo->count(); ++i)
    if (combo->itemText(i) != ToQString(items[static_cast<size_t>(i)])) return false;
  return true;
}

bool SameItems(const QListWidget* list, const std::vector<std::string>& items) {
  if (list->count() != static_cast<int>(items.size())) return false;
  for (int i = 0; i < list->count(); ++i)
    if (list->item(i)->text() != ToQString(items[static_cast<size_t>(i)])) return false;
  return true;
}

QColor Rgb(int rgb) {
  return QColor((rgb >> 16) & 0xff, (rgb >> 8) & 0xff, rgb & 0xff);
}

// Fields whose caption stands in a label of its own beside the control.
bool HasCaptionLabel(const PromptField& f) {
  return !f.label.empty() &&
         (f.kind == FieldKind::Number || f.kind == FieldKind::Text || f.kind == FieldKind::Choice ||
          f.kind == FieldKind::Table || f.kind == FieldKind::Memo);
}

}  // namespace

PromptDialog::PromptDialog(PromptForm& form, QWidget* parent) : QDialog(parent), form_(form) {}

void PromptDialog::Build() {
  setObjectName(ToQString(form_.dialog));
  auto* main = new QVBoxLayout(this);
  std::map<std::string, QWidget*> pages;
  std::map<std::pair<std::string, std::string>, QGroupBox*> groups;
  std::map<std::tuple<std::string, std::string, int>, QHBoxLayout*> rows;

  for (PromptField& f : form_.fields) {
    QWidget* owner = this;
    QBoxLayout* layout = main;
    const bool paged = !f.page.empty() && std::find(form_.pages.begin(), form_.pages.end(),
                                                    f.page) != form_.pages.end();
    if (paged) {
      if (!tabs_) {  // the tabs stand where the first paged field does
        tabs_ = new QTabWidget(this);
        tabs_->setObjectName("PageControl1");
        main->addWidget(tabs_);
        for (size_t i = 0; i < form_.pages.size(); ++i) {
          auto* page = new QWidget(tabs_);
          page->setObjectName(ToQString(form_.pages[i]));
          new QVBoxLayout(page);
          const std::string caption =
              i < form_.pageCaptions.size() && !form_.pageCaptions[i].empty()
                  ? form_.pageCaptions[i]
                  : form_.pages[i];
          tabs_->addTab(page, ToQString(caption));
          pages[form_.pages[i]] = page;
        }
        connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
          if (syncing_ || index < 0) return;
          form_.activePage = tabs_->widget(index)->objectName().toStdString();
          FieldEdited(kPageControl);
        });
      }
      owner = pages[f.page];
      layout = static_cast<QBoxLayout*>(owner->layout());
    }
    if (!f.group.empty()) {
      QGroupBox*& box = groups[{f.page, f.group}];
      if (!box) {
        box = new QGroupBox(ToQString(f.group), owner);
        new QVBoxLayout(box);
        layout->addWidget(box);
      }
      owner = box;
      layout = static_cast<QBoxLayout*>(box->layout());
    }
    if (f.row >= 0) {
      QHBoxLayout*& row = rows[{f.page, f.group, f.row}];
      if (!row) {
        row = new QHBoxLayout;
        layout->addLayout(row);
      }
      layout = row;
    }
    AddField(f, owner, layout);
  }
  if (tabs_)
    for (auto& [name, page] : pages) static_cast<QBoxLayout*>(page->layout())->addStretch();

  // Buttons are the dialog's own children, where Enter in a numeric field looks for the default.
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  for (PromptAction& a : form_.actions) {
    auto* b = new QPushButton(ToQString(a.caption), this);
    b->setObjectName(ToQString(a.name));
    const std::string name = a.name;
    connect(b, &QPushButton::clicked, this, [this, name] { Press(name); });
    buttons->addWidget(b);
    actions_[a.name] = b;
  }
  main->addLayout(buttons);
  SyncFromForm();
}

void PromptDialog::AddField(PromptField& f, QWidget* owner, QBoxLayout* layout) {
  if (HasCaptionLabel(f)) {
    auto* caption = new QLabel(ToQString(f.label), owner);
    caption->setObjectName(ToQString(f.name + "Label"));
    layout->addWidget(caption);
    captions_[f.name] = caption;
  }
  QWidget* w = CreateField(f, owner);
  w->setObjectName(ToQString(f.name));
  if (!f.hint.empty()) w->setToolTip(ToQString(f.hint));
  layout->addWidget(w);
  fields_[f.name] = w;
}

QWidget* PromptDialog::CreateField(PromptField& f, QWidget* parent) {
  const std::string name = f.name;
  // Every handler looks the field up again: a behaviour callback may have added fields.
  auto field = [this, name]() -> PromptField& { return form_.Field(name); };
  switch (f.kind) {
    case FieldKind::Label:
      return new QLabel(parent);
    case FieldKind::Number: {
      auto* edit = new TUpdownNumberEdit(parent);
      connect(edit, &TNumberEdit::OnChange, this, [this, edit, field, name] {
        if (Syncing()) return;
        field().number = edit->Model();
        FieldEdited(name);
      });
      return edit;
    }
    case FieldKind::Text: {
      auto* edit = new QLineEdit(parent);
      connect(edit, &QLineEdit::textEdited, this, [this, field, name](const QString& text) {
        field().text = text.toStdString();
        FieldEdited(name);
      });
      return edit;
    }
    case FieldKind::Choice: {
      if (f.choiceStyle == ChoiceStyle::List) {
        auto* list = new QListWidget(parent);
        connect(list, &QListWidget::currentRowChanged, this, [this, field, name](int row) {
          if (Syncing()) return;
          field().index = row;
          FieldEdited(name);
        });
        return list;
      }
      auto* combo = new QComboBox(parent);
      if (f.choiceStyle == ChoiceStyle::DropDown) {
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        // Typing selects the item of that exact text, or none.
        connect(combo, &QComboBox::editTextChanged, this,
                [this, combo, field, name](const QString& t) {
                  if (Syncing()) return;
                  PromptField& fl = field();
                  fl.text = t.toStdString();
                  fl.index = combo->findText(t, Qt::MatchExactly);
                  FieldEdited(name);
                });
      }
      connect(combo, &QComboBox::activated, this, [this, combo, field, name](int index) {
        PromptField& fl = field();
        fl.index = index;
        fl.text = combo->itemText(index).toStdString();
        FieldEdited(name);
      });
      return combo;
    }
    case FieldKind::Radio: {
      auto* box = new QGroupBox(ToQString(f.label), parent);
      auto* grid = new QGridLayout(box);
      auto* group = new QButtonGroup(box);
      const int columns = std::max(1, f.columns);
      const int count = static_cast<int>(f.items.size());
      const int perColumn = std::max(1, (count + columns - 1) / columns);
      for (int i = 0; i < count; ++i) {  // filled column by column
        auto* radio = new QRadioButton(ToQString(f.items[static_cast<size_t>(i)]), box);
        radio->setObjectName(ToQString(f.name + "_" + std::to_string(i)));
        group->addButton(radio, i);
        grid->addWidget(radio, i % perColumn, i / perColumn);
      }
      connect(group, &QButtonGroup::idClicked, this, [this, field, name](int id) {
        field().index = id;
        FieldEdited(name);
      });
      return box;
    }
    case FieldKind::Check: {
      auto* check = new QCheckBox(ToQString(f.label), parent);
      connect(check, &QCheckBox::toggled, this, [this, field, name](bool on) {
        if (Syncing()) return;
        field().checked = on;
        FieldEdited(name);
      });
      return check;
    }
    case FieldKind::Table: {
      auto* table = new QTableWidget(parent);
      connect(table, &QTableWidget::itemChanged, this, [this, field, name](QTableWidgetItem* item) {
        if (Syncing()) return;
        PromptField& fl = field();
        const auto r = static_cast<size_t>(item->row() + fl.fixedRows);
        const auto c = static_cast<size_t>(item->column() + fl.fixedCols);
        if (r >= fl.cells.size() || c >= fl.cells[r].size()) return;
        fl.cells[r][c] = item->text().toStdString();
        FieldEdited(name);
      });
      return table;
    }
    case FieldKind::Memo: {
      auto* memo = new QPlainTextEdit(parent);
      connect(memo, &QPlainTextEdit::textChanged, this, [this, memo, field, name] {
        if (Syncing() || memo->isReadOnly()) return;
        PromptField& fl = field();
        fl.lines.clear();
        for (const QString& line : memo->toPlainText().split('\n'))
          fl.lines.push_back(line.toStdString());
        memoShown_[name] = fl.lines.size();
        FieldEdited(name);
      });
      return memo;
    }
    case FieldKind::Panel: {
      auto* panel = new QLabel(parent);
      panel->setAlignment(Qt::AlignCenter);
      panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
      panel->setAutoFillBackground(true);
      panel->setMinimumHeight(24);
      return panel;
    }
  }
  return new QWidget(parent);
}

void PromptDialog::SyncField(const PromptField& f, QWidget* w) {
  switch (f.kind) {
    case FieldKind::Label:
      static_cast<QLabel*>(w)->setText(ToQString(f.text));
      break;
    case FieldKind::Number: {
      auto* edit = static_cast<TNumberEdit*>(w);
      edit->SetModel(f.number);
      edit->setReadOnly(f.readOnly);
      break;
    }
    case FieldKind::Text: {
      auto* edit = static_cast<QLineEdit*>(w);
      if (edit->text() != ToQString(f.text)) edit->setText(ToQString(f.text));
      edit->setReadOnly(f.readOnly);
      break;
    }
    case FieldKind::Choice: {
      if (auto* list = qobject_cast<QListWidget*>(w)) {
        if (!SameItems(list, f.items)) {
          list->clear();
          for (const auto& item : f.items) list->addItem(ToQString(item));
        }
        list->setCurrentRow(f.index);
        break;
      }
      auto* combo = static_cast<QComboBox*>(w);
      if (!SameItems(combo, f.items)) {
        combo->clear();
        for (const auto& item : f.items) combo->addItem(ToQString(item));
      }
      if (combo->currentIndex() != f.index) combo->setCurrentIndex(f.index);
      if (combo->isEditable() && combo->currentText() != ToQString(f.text))
        combo->setEditText(ToQString(f.text));
      break;
    }
    case FieldKind::Radio: {
      auto* box = static_cast<QGroupBox*>(w);
      box->setTitle(ToQString(f.label));
      const auto radios = box->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly);
      auto* group = radios.isEmpty() ? nullptr : radios.front()->group();
      if (group) group->setExclusive(false);  // lets index -1 clear every button
      for (int i = 0; i < radios.size(); ++i) radios[i]->setChecked(i == f.index);
      if (group) group->setExclusive(true);
      break;
    }
    case FieldKind::Check: {
      auto* check = static_cast<QCheckBox*>(w);
      check->setText(ToQString(f.label));
      check->setChecked(f.checked);
      break;
    }
    case FieldKind::Table: {
      auto* table = static_cast<QTableWidget*>(w);
      const int rows = std::max(0, static_cast<int>(f.cells.size()) - f.fixedRows);
      const int cols =
          f.cells.empty() ? 0 : std::max(0, static_cast<int>(f.cells[0].size()) - f.fixedCols);
      if (table->rowCount() != rows) table->setRowCount(rows);
      if (table->columnCount() != cols) table->setColumnCount(cols);
      table->horizontalHeader()->setVisible(f.fixedRows > 0);
      table->verticalHeader()->setVisible(f.fixedCols > 0);
      table->setEditTriggers(f.readOnly ? QAbstractItemView::NoEditTriggers
                                        : QAbstractItemView::AllEditTriggers);
      QStringList header, side;
      for (int c = 0; c < cols && f.fixedRows > 0; ++c)
        header << ToQString(f.cells[0][static_cast<size_t>(c + f.fixedCols)]);
      for (int r = 0; r < rows && f.fixedCols > 0; ++r)
        side << ToQString(f.cells[static_cast<size_t>(r + f.fixedRows)][0]);
      if (f.fixedRows > 0) table->setHorizontalHeaderLabels(header);
      if (f.fixedCols > 0) table->setVerticalHeaderLabels(side);
      for (int r = 0; r < rows; ++r) {
        const auto fr = static_cast<size_t>(r + f.fixedRows);
        for (int c = 0; c < cols; ++c) {
          const auto fc = static_cast<size_t>(c + f.fixedCols);
          const QString text = fc < f.cells[fr].size() ? ToQString(f.cells[fr][fc]) : QString();
          const int color =
              fr < f.cellColors.size() && fc < f.cellColors[fr].size() ? f.cellColors[fr][fc] : -1;
          QTableWidgetItem* item = table->item(r, c);
          if (!item) {
            item = new QTableWidgetItem;
            table->setItem(r, c, item);
          }
          if (item->text() != text) item->setText(text);
          item->setForeground(color >= 0 ? QBrush(Rgb(color)) : QBrush());
        }
      }
      for (size_t c = static_cast<size_t>(f.fixedCols); c < f.columnWidths.size(); ++c)
        table->setColumnWidth(static_cast<int>(c) - f.fixedCols, f.columnWidths[c]);
      break;
    }
    case FieldKind::Memo: {
      auto* memo = static_cast<QPlainTextEdit*>(w);
      memo->setReadOnly(f.readOnly);
      size_t& shown = memoShown_[f.name];
      // A log grows at its end: append the new lines only, rewrite when it was emptied.
      if (f.lines.size() < shown || memo->blockCount() < static_cast<int>(shown)) {
        memo->clear();
        shown = 0;
      }
      if (f.lines.size() > shown) {
        QStringList add;
        for (size_t i = shown; i < f.lines.size(); ++i) add << ToQString(f.lines[i]);
        memo->appendPlainText(add.join('\n'));
        shown = f.lines.size();
        memo->verticalScrollBar()->setValue(memo->verticalScrollBar()->maximum());
      }
      break;
    }
    case FieldKind::Panel: {
      auto* panel = static_cast<QLabel*>(w);
      panel->setText(ToQString(f.text));
      QPalette palette = panel->palette();
      if (f.color >= 0) {
        const QColor back = Rgb(f.color);
        palette.setColor(QPalette::Window, back);
        palette.setColor(QPalette::WindowText, back.lightness() < 128 ? Qt::white : Qt::black);
      } else {
        palette = QPalette();
      }
      panel->setPalette(palette);
      break;
    }
  }
}

void PromptDialog::SyncFromForm() {
  const bool wasSyncing = syncing_;
  syncing_ = true;
  setWindowTitle(ToQString(form_.caption));
  for (const PromptField& f : form_.fields) {
    auto it = fields_.find(f.name);
    if (it == fields_.end()) continue;
    QWidget* w = it->second;
    SyncField(f, w);
    w->setHidden(!f.visible);
    w->setEnabled(f.enabled);
    if (auto c = captions_.find(f.name); c != captions_.end()) {
      c->second->setText(ToQString(f.label));
      c->second->setHidden(!f.visible);
      c->second->setEnabled(f.enabled);
    }
  }
  if (tabs_) {
    for (int i = 0; i < tabs_->count(); ++i) {
      const std::string page = tabs_->widget(i)->objectName().toStdString();
      const bool hidden = std::find(form_.hiddenPages.begin(), form_.hiddenPages.end(), page) !=
                          form_.hiddenPages.end();
      tabs_->setTabVisible(i, !hidden);
    }
    for (int i = 0; i < tabs_->count() && !form_.activePage.empty(); ++i)
      if (tabs_->widget(i)->objectName().toStdString() == form_.activePage &&
          tabs_->isTabVisible(i))
        tabs_->setCurrentIndex(i);
    if (!tabs_->isTabVisible(tabs_->currentIndex()))
      for (int i = 0; i < tabs_->count(); ++i)
        if (tabs_->isTabVisible(i)) {
          tabs_->setCurrentIndex(i);
          break;
        }
    if (!form_.activePage.empty())
      form_.activePage = tabs_->currentWidget()->objectName().toStdString();
  }
  bool anyDefault = false;
  for (const PromptAction& a : form_.actions) anyDefault = anyDefault || a.isDefault;
  bool defaultSet = false;
  for (const PromptAction& a : form_.actions) {
    auto it = actions_.find(a.name);
    if (it == actions_.end()) continue;
    QPushButton* b = it->second;
    b->setText(ToQString(a.caption));
    b->setHidden(!a.visible);
    b->setEnabled(a.enabled);
    // Without a marked default the first Accept action is the default button.
    const bool isDefault = !defaultSet && (anyDefault ? a.isDefault : a.kind == ActionKind::Accept);
    defaultSet = defaultSet || isDefault;
    b->setDefault(isDefault);
    b->setAutoDefault(isDefault);
  }
  syncing_ = wasSyncing;
}

QWidget* PromptDialog::FieldWidget(const std::string& name) const {
  auto it = fields_.find(name);
  return it == fields_.end() ? nullptr : it->second;
}

QPushButton* PromptDialog::ActionButton(const std::string& name) const {
  auto it = actions_.find(name);
  return it == actions_.end() ? nullptr : it->second;
}

std::string PromptDialog::CancelName() const {
  for (const PromptAction& a : form_.actions)
    if (a.kind == ActionKind::Cancel) return a.name;
  return "";
}

void PromptDialog::FieldEdited(const std::string& name) {
  if (syncing_) return;
  form_.Changed(name);
  SyncFromForm();
}

void PromptDialog::Press(const std::string& action) {
  const PromptAction* a = form_.FindAction(action);
  if (a && a->kind == ActionKind::Local) {
    if (form_.onAction) form_.onAction(form_, action);
    SyncFromForm();
    return;
  }
  emit ActionPressed(ToQString(action));
}

void PromptDialog::reject() {
  Press(CancelName());
}

void PromptDialog::closeEvent(QCloseEvent* event) {
  event->ignore();  // the caller closes the dialog once it has seen the Cancel
  reject();
}
