#include "prompts/widgets/field_views.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTableWidget>
#include <algorithm>

#include "prompts/widgets/number_edit.h"
#include "prompts/widgets/qt_text.h"

namespace {

QColor Rgb(int rgb) {
  return QColor((rgb >> 16) & 0xff, (rgb >> 8) & 0xff, rgb & 0xff);
}

template <class List>
bool SameItems(const List* list, const std::vector<std::string>& items) {
  if (list->count() != static_cast<int>(items.size())) return false;
  for (int i = 0; i < list->count(); ++i)
    if (list->itemText(i) != ToQString(items[static_cast<size_t>(i)])) return false;
  return true;
}

// QListWidget reads its rows like a combo box does.
class ListBox : public QListWidget {
 public:
  using QListWidget::QListWidget;
  QString itemText(int row) const { return item(row)->text(); }

 protected:
  // Taking the focus, a view makes its first entry current: a list where nothing is chosen stays
  // so (the user's arrow key or click chooses), so that nothing is chosen for the user.
  void focusInEvent(QFocusEvent* event) override {
    if (currentRow() >= 0) return QListWidget::focusInEvent(event);
    const QSignalBlocker quiet(this);
    QListWidget::focusInEvent(event);
    selectionModel()->clearCurrentIndex();
  }
};

class LabelView : public FieldView {
 public:
  QWidget* Create(const PromptField&, QWidget* parent, FieldHost&) override {
    return label_ = new QLabel(parent);
  }
  void Sync(const PromptField& f) override { label_->setText(ToQString(f.text)); }

 private:
  QLabel* label_ = nullptr;
};

class NumberView : public FieldView {
 public:
  QWidget* Create(const PromptField& f, QWidget* parent, FieldHost& host) override {
    edit_ = new TUpdownNumberEdit(parent);
    const std::string name = f.name;
    QObject::connect(edit_, &TNumberEdit::OnChange, edit_, [this, &host, name] {
      if (host.Syncing()) return;
      host.FormField(name).number = edit_->Model();
      host.FieldEdited(name);
    });
    return edit_;
  }
  void Sync(const PromptField& f) override {
    edit_->SetModel(f.number);
    edit_->setReadOnly(f.readOnly);
  }
  bool CaptionBeside() const override { return true; }
  bool TakeFocus() override {
    edit_->setFocus(Qt::OtherFocusReason);
    edit_->selectAll();
    return true;
  }
  bool TypedInto() const override { return true; }

 private:
  TUpdownNumberEdit* edit_ = nullptr;
};

class TextView : public FieldView {
 public:
  QWidget* Create(const PromptField& f, QWidget* parent, FieldHost& host) override {
    edit_ = new QLineEdit(parent);
    const std::string name = f.name;
    QObject::connect(edit_, &QLineEdit::textEdited, edit_, [&host, name](const QString& text) {
      host.FormField(name).text = text.toStdString();
      host.FieldEdited(name);
    });
    return edit_;
  }
  void Sync(const PromptField& f) override {
    // A text set by the form shows its start; the user's own typing keeps its cursor.
    if (edit_->text() != ToQString(f.text)) {
      edit_->setText(ToQString(f.text));
      edit_->setCursorPosition(0);
    }
    edit_->setReadOnly(f.readOnly);
  }
  bool CaptionBeside() const override { return true; }
  bool TakeFocus() override {
    edit_->setFocus(Qt::OtherFocusReason);
    edit_->selectAll();
    return true;
  }
  bool TypedInto() const override { return true; }

 private:
  QLineEdit* edit_ = nullptr;
};

// A fixed or editable drop-down list.
class ComboView : public FieldView {
 public:
  QWidget* Create(const PromptField& f, QWidget* parent, FieldHost& host) override {
    combo_ = new QComboBox(parent);
    combo_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    const std::string name = f.name;
    if (f.choiceStyle == ChoiceStyle::DropDown) {
      combo_->setEditable(true);
      combo_->setInsertPolicy(QComboBox::NoInsert);
      // Typing selects the item of that exact text, or none.
      QObject::connect(combo_, &QComboBox::editTextChanged, combo_,
                       [this, &host, name](const QString& t) {
                         if (host.Syncing()) return;
                         PromptField& fl = host.FormField(name);
                         fl.text = t.toStdString();
                         fl.index = combo_->findText(t, Qt::MatchExactly);
                         host.FieldEdited(name);
                       });
    }
    QObject::connect(combo_, &QComboBox::activated, combo_, [this, &host, name](int index) {
      PromptField& fl = host.FormField(name);
      fl.index = index;
      fl.text = combo_->itemText(index).toStdString();
      host.FieldEdited(name);
    });
    return combo_;
  }
  void Sync(const PromptField& f) override {
    if (!SameItems(combo_, f.items)) {
      combo_->clear();
      for (const auto& item : f.items) combo_->addItem(ToQString(item));
    }
    if (combo_->currentIndex() != f.index) combo_->setCurrentIndex(f.index);
    if (combo_->isEditable() && combo_->currentText() != ToQString(f.text))
      combo_->setEditText(ToQString(f.text));
  }
  bool CaptionBeside() const override { return true; }
  bool TakeFocus() override {
    combo_->setFocus(Qt::OtherFocusReason);
    if (QLineEdit* edit = combo_->lineEdit()) edit->selectAll();
    return true;
  }

 private:
  QComboBox* combo_ = nullptr;
};

class ListView : public FieldView {
 public:
  QWidget* Create(const PromptField& f, QWidget* parent, FieldHost& host) override {
    list_ = new ListBox(parent);
    const std::string name = f.name;
    QObject::connect(list_, &QListWidget::currentRowChanged, list_, [&host, name](int row) {
      if (host.Syncing()) return;
      host.FormField(name).index = row;
      host.FieldEdited(name);
    });
    return list_;
  }
  void Sync(const PromptField& f) override {
    // An item's detail stands beside it, set apart by a few blanks.
    std::vector<std::string> shown = f.items;
    for (size_t i = 0; i < shown.size() && i < f.itemDetails.size(); ++i)
      if (!f.itemDetails[i].empty()) shown[i] += "    " + f.itemDetails[i];
    if (!SameItems(list_, shown)) {
      list_->clear();
      for (const auto& item : shown) list_->addItem(ToQString(item));
    }
    list_->setCurrentRow(f.index);
  }
  bool CaptionBeside() const override { return true; }
  bool TakeFocus() override {
    list_->setFocus(Qt::OtherFocusReason);
    if (QListWidgetItem* current = list_->currentItem()) list_->scrollToItem(current);
    return true;
  }

 private:
  ListBox* list_ = nullptr;
};

// A group box of radio buttons in `columns` columns, filled column by column.
class RadioView : public FieldView {
 public:
  QWidget* Create(const PromptField& f, QWidget* parent, FieldHost& host) override {
    box_ = new QGroupBox(ToQString(f.label), parent);
    auto* grid = new QGridLayout(box_);
    group_ = new QButtonGroup(box_);
    const int columns = std::max(1, f.columns);
    const int count = static_cast<int>(f.items.size());
    const int perColumn = std::max(1, (count + columns - 1) / columns);
    for (int i = 0; i < count; ++i) {
      auto* radio = new QRadioButton(ToQString(f.items[static_cast<size_t>(i)]), box_);
      radio->setObjectName(ToQString(f.name + "_" + std::to_string(i)));
      group_->addButton(radio, i);
      grid->addWidget(radio, i % perColumn, i / perColumn);
    }
    const std::string name = f.name;
    QObject::connect(group_, &QButtonGroup::idClicked, box_, [&host, name](int id) {
      host.FormField(name).index = id;
      host.FieldEdited(name);
    });
    return box_;
  }
  void Sync(const PromptField& f) override {
    box_->setTitle(ToQString(f.label));
    group_->setExclusive(false);  // lets index -1 clear every button
    for (QAbstractButton* b : group_->buttons()) b->setChecked(group_->id(b) == f.index);
    group_->setExclusive(true);
  }
  bool TakeFocus() override {
    QAbstractButton* b = group_->checkedButton();
    if (!b && !group_->buttons().isEmpty()) b = group_->buttons().first();
    if (!b) return false;
    b->setFocus(Qt::OtherFocusReason);
    return true;
  }

 private:
  QGroupBox* box_ = nullptr;
  QButtonGroup* group_ = nullptr;
};

class CheckView : public FieldView {
 public:
  QWidget* Create(const PromptField& f, QWidget* parent, FieldHost& host) override {
    check_ = new QCheckBox(parent);
    const std::string name = f.name;
    QObject::connect(check_, &QCheckBox::toggled, check_, [&host, name](bool on) {
      if (host.Syncing()) return;
      host.FormField(name).checked = on;
      host.FieldEdited(name);
    });
    return check_;
  }
  void Sync(const PromptField& f) override {
    check_->setText(ToQString(f.label));
    check_->setChecked(f.checked);
  }
  bool TakeFocus() override {
    check_->setFocus(Qt::OtherFocusReason);
    return true;
  }

 private:
  QCheckBox* check_ = nullptr;
};

// A string grid that asks for the room of its columns and of up to a dozen rows.
class FormTable : public QTableWidget {
 public:
  using QTableWidget::QTableWidget;
  QSize sizeHint() const override {
    int width = 2 * frameWidth() + verticalScrollBar()->sizeHint().width();
    if (verticalHeader()->isVisible()) width += verticalHeader()->sizeHint().width();
    for (int c = 0; c < columnCount(); ++c) width += columnWidth(c);
    int height = 2 * frameWidth();
    if (horizontalHeader()->isVisible()) height += horizontalHeader()->sizeHint().height();
    const int rows = std::clamp(rowCount(), 4, 12);
    height += rows * verticalHeader()->defaultSectionSize();
    return {width, height};
  }
};

class TableView : public FieldView {
 public:
  QWidget* Create(const PromptField& f, QWidget* parent, FieldHost& host) override {
    table_ = new FormTable(parent);
    const std::string name = f.name;
    QObject::connect(table_, &QTableWidget::itemChanged, table_,
                     [&host, name](QTableWidgetItem* item) {
                       if (host.Syncing()) return;
                       PromptField& fl = host.FormField(name);
                       const auto r = static_cast<size_t>(item->row() + fl.fixedRows);
                       const auto c = static_cast<size_t>(item->column() + fl.fixedCols);
                       if (r >= fl.cells.size() || c >= fl.cells[r].size()) return;
                       fl.cells[r][c] = item->text().toStdString();
                       host.FieldEdited(name);
                     });
    // A read-only grid is a list to pick rows from: its selected row is the field's index (the
    // current cell alone, which focus sets, picks nothing).
    QTableWidget* table = table_;
    QObject::connect(table, &QTableWidget::itemSelectionChanged, table, [table, &host, name] {
      if (host.Syncing()) return;
      PromptField& fl = host.FormField(name);
      const QModelIndexList rows = table->selectionModel()->selectedRows();
      const int row = rows.isEmpty() ? -1 : rows.first().row();
      if (!fl.readOnly || fl.index == row) return;
      fl.index = row;
      host.FieldEdited(name);
    });
    return table_;
  }
  void Sync(const PromptField& f) override;
  bool CaptionBeside() const override { return true; }

 private:
  FormTable* table_ = nullptr;
};

void TableView::Sync(const PromptField& f) {
  QTableWidget* table = table_;
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
  if (f.readOnly) {
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    const QModelIndexList selected = table->selectionModel()->selectedRows();
    const int row = selected.isEmpty() ? -1 : selected.first().row();
    if (f.index >= 0 && f.index < rows) {
      if (row != f.index) table->selectRow(f.index);
    } else if (row >= 0) {
      table->clearSelection();
    }
  }
  // Columns without a width given fit their contents.
  if (f.columnWidths.empty()) table->resizeColumnsToContents();
  for (size_t c = static_cast<size_t>(f.fixedCols); c < f.columnWidths.size(); ++c)
    table->setColumnWidth(static_cast<int>(c) - f.fixedCols, f.columnWidths[c]);
}

class MemoView : public FieldView {
 public:
  QWidget* Create(const PromptField& f, QWidget* parent, FieldHost& host) override {
    memo_ = new QPlainTextEdit(parent);
    const std::string name = f.name;
    QObject::connect(memo_, &QPlainTextEdit::textChanged, memo_, [this, &host, name] {
      if (host.Syncing() || memo_->isReadOnly()) return;
      PromptField& fl = host.FormField(name);
      fl.lines.clear();
      for (const QString& line : memo_->toPlainText().split('\n'))
        fl.lines.push_back(line.toStdString());
      shown_ = fl.lines.size();
      host.FieldEdited(name);
    });
    return memo_;
  }
  void Sync(const PromptField& f) override {
    memo_->setReadOnly(f.readOnly);
    // A log grows at its end: append the new lines only, rewrite when it was emptied.
    if (f.lines.size() < shown_ || memo_->blockCount() < static_cast<int>(shown_)) {
      memo_->clear();
      shown_ = 0;
    }
    if (f.lines.size() > shown_) {
      QStringList add;
      for (size_t i = shown_; i < f.lines.size(); ++i) add << ToQString(f.lines[i]);
      memo_->appendPlainText(add.join('\n'));
      shown_ = f.lines.size();
      memo_->verticalScrollBar()->setValue(memo_->verticalScrollBar()->maximum());
    }
  }
  bool CaptionBeside() const override { return true; }

 private:
  QPlainTextEdit* memo_ = nullptr;
  size_t shown_ = 0;  // lines of the field already in the widget
};

// A coloured status panel with a centred text.
class PanelView : public FieldView {
 public:
  QWidget* Create(const PromptField&, QWidget* parent, FieldHost&) override {
    panel_ = new QLabel(parent);
    panel_->setAlignment(Qt::AlignCenter);
    panel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel_->setAutoFillBackground(true);
    panel_->setMinimumHeight(24);
    panel_->setMargin(2);
    return panel_;
  }
  void Sync(const PromptField& f) override {
    panel_->setText(ToQString(f.text));
    QPalette palette;
    if (f.color >= 0) {
      const QColor back = Rgb(f.color);
      palette.setColor(QPalette::Window, back);
      palette.setColor(QPalette::WindowText, back.lightness() < 128 ? Qt::white : Qt::black);
    }
    panel_->setPalette(palette);
  }

 private:
  QLabel* panel_ = nullptr;
};

}  // namespace

std::unique_ptr<FieldView> MakeFieldView(const PromptField& field) {
  switch (field.kind) {
    case FieldKind::Label:
      return std::make_unique<LabelView>();
    case FieldKind::Number:
      return std::make_unique<NumberView>();
    case FieldKind::Text:
      return std::make_unique<TextView>();
    case FieldKind::Choice:
      if (field.choiceStyle == ChoiceStyle::List) return std::make_unique<ListView>();
      return std::make_unique<ComboView>();
    case FieldKind::Radio:
      return std::make_unique<RadioView>();
    case FieldKind::Check:
      return std::make_unique<CheckView>();
    case FieldKind::Table:
      return std::make_unique<TableView>();
    case FieldKind::Memo:
      return std::make_unique<MemoView>();
    case FieldKind::Panel:
      return std::make_unique<PanelView>();
  }
  return std::make_unique<LabelView>();
}
