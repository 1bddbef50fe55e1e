#include "hdx/widgets/mpt_editor_window.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>

#include "core/ui_text.h"
#include "hdx/mpt_grid.h"
#include "hdx/widgets/group_check_box_widget.h"
#include "prompts/widgets/qt_text.h"

namespace {

constexpr const char* kGrid = "StringGrid_Hanyou";
constexpr const char* kDisplay = "GroupBox3";
constexpr int kPages = MptGrid::kPages;

// Cell editors that keep only what the cell may hold while the user types.
class CellDelegate : public QStyledItemDelegate {
 public:
  CellDelegate(QObject* parent, std::function<bool()> hex)
      : QStyledItemDelegate(parent), hex_(std::move(hex)) {}
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                        const QModelIndex&) const override {
    auto* edit = new QLineEdit(parent);
    edit->setAlignment(Qt::AlignCenter);
    QObject::connect(edit, &QLineEdit::textEdited, edit, [this, edit](const QString& text) {
      const std::string kept =
          MptGrid::FilterEditText(text.toStdString(), hex_() ? MptDisplay::Hex : MptDisplay::Ascii);
      if (ToQString(kept) != text) edit->setText(ToQString(kept));
    });
    return edit;
  }

 private:
  std::function<bool()> hex_;
};

// The grid with a caption in its corner, over the page names and left of the column numbers.
class CornerTable : public QTableWidget {
 public:
  CornerTable(int rows, int columns, QWidget* parent)
      : QTableWidget(rows, columns, parent), corner_(new QLabel(this)) {
    corner_->setObjectName("CornerLabel");
    corner_->setAlignment(Qt::AlignCenter);
  }
  void SetCorner(const QString& text) { corner_->setText(text); }
  // Room for every page; on a small screen the grid scrolls instead.
  QSize sizeHint() const override {
    const QSize base = QTableWidget::sizeHint();
    return {base.width(), horizontalHeader()->sizeHint().height() + 2 * frameWidth() +
                              rowCount() * verticalHeader()->defaultSectionSize()};
  }

 protected:
  void updateGeometries() override {
    QTableWidget::updateGeometries();
    corner_->setGeometry(frameWidth(), frameWidth(), verticalHeader()->width(),
                         horizontalHeader()->height());
    corner_->raise();
  }

 private:
  QLabel* corner_;
};

}  // namespace

MptEditorWindow::MptEditorWindow(PromptForm& form, QWidget* parent) : PromptDialog(form, parent) {}

QPushButton* MptEditorWindow::Button(const std::string& name) const {
  auto it = buttons_.find(name);
  return it == buttons_.end() ? nullptr : it->second;
}

QPushButton* MptEditorWindow::AddButton(const std::string& action, QWidget* parent) {
  auto* b = new QPushButton(parent);
  b->setObjectName(ToQString(action));
  b->setAutoDefault(false);
  connect(b, &QPushButton::clicked, this, [this, action] { Press(action); });
  buttons_[action] = b;
  return b;
}

bool MptEditorWindow::HexDisplay() const {
  return const_cast<MptEditorWindow*>(this)->Form().Field(kDisplay).index == 1;
}

void MptEditorWindow::Build() {
  setObjectName(ToQString(Form().dialog));
  auto* main = new QVBoxLayout(this);
  auto* menu = new QMenuBar(this);
  QMenu* configuration = menu->addMenu(ToQString(Tr("TMPTDataWriteDlg", "設定(&C)")));
  setting_ = configuration->addAction(ToQString(Tr("TMPTDataWriteDlg", "設定(&S)")));
  setting_->setObjectName("MnSetting");
  connect(setting_, &QAction::triggered, this, [this] { Press("MnSetting"); });
  main->setMenuBar(menu);

  auto* body = new QHBoxLayout;
  main->addLayout(body);
  auto* left = new QVBoxLayout;
  body->addLayout(left);
  for (const char* a : {"ScanSBt", "EditSBt", "ApplySBt", "ClearSBt", "SavelogSBt"})
    left->addWidget(AddButton(a, this));
  auto* displayBox = new QGroupBox(ToQString(Form().Field(kDisplay).label), this);
  displayBox->setObjectName(kDisplay);
  auto* displayRow = new QHBoxLayout(displayBox);
  display_ = new QButtonGroup(this);
  display_->setExclusive(true);
  const char* const displayButtons[] = {"ASCIISBt", "HEXSBt"};
  for (int i = 0; i < 2; ++i) {
    auto* b = new QPushButton(ToQString(Form().Field(kDisplay).items[static_cast<size_t>(i)]),
                              displayBox);
    b->setObjectName(displayButtons[i]);
    b->setCheckable(true);
    b->setAutoDefault(false);
    display_->addButton(b, i);
    displayRow->addWidget(b);
  }
  connect(display_, &QButtonGroup::idClicked, this, [this](int id) {
    if (syncing_) return;
    Form().Field(kDisplay).index = id;
    FieldEdited(kDisplay);
  });
  left->addWidget(displayBox);
  left->addStretch();
  left->addWidget(AddButton("ExitBBt", this));

  grid_ = new CornerTable(kPages, MptGrid::kColumns, this);
  grid_->setObjectName(kGrid);
  grid_->setItemDelegate(new CellDelegate(grid_, [this] { return HexDisplay(); }));
  grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  grid_->horizontalHeader()->setDefaultSectionSize(40);
  grid_->setStyleSheet("QTableWidget { background: white; }");
  for (int r = 0; r < kPages; ++r)
    for (int c = 0; c < MptGrid::kColumns; ++c) {
      auto* item = new QTableWidgetItem;
      item->setTextAlignment(Qt::AlignCenter);
      grid_->setItem(r, c, item);
    }
  connect(grid_, &QTableWidget::itemChanged, this,
          [this](QTableWidgetItem* item) { GridEdited(item->row(), item->column()); });
  grid_->setMinimumWidth(40 * MptGrid::kColumns + 80);
  body->addWidget(grid_, 1);

  auto* right = new QVBoxLayout;
  body->addLayout(right);
  lockGroup_ = new TGroupCheckBoxWidget(this);
  lockGroup_->setObjectName("GroupCheckBox1");
  TGroupCheckBox& model = lockGroup_->Model();
  for (int i = 0; i < kPages; ++i)
    model.Items.Add().SetCaption(Form().Field("GroupCheckBox1_" + std::to_string(i)).label);
  model.SetCaption(Form().Field("GroupCheckBox1_0").group);
  connect(lockGroup_, &TGroupCheckBoxWidget::ItemClicked, this, [this](int i) {
    if (syncing_) return;
    const std::string name = "GroupCheckBox1_" + std::to_string(i);
    Form().Field(name).checked = lockGroup_->Model().Items.GetItem(i).Checked();
    FieldEdited(name);
  });
  right->addWidget(lockGroup_, 1);
  right->addWidget(AddButton("AllLockBBt", this));
  SyncFromForm();
}

void MptEditorWindow::GridEdited(int row, int column) {
  if (syncing_) return;
  PromptField& f = Form().Field(kGrid);
  const auto r = static_cast<size_t>(row + 1), c = static_cast<size_t>(column + 1);
  if (r >= f.cells.size() || c >= f.cells[r].size()) return;
  f.cells[r][c] = grid_->item(row, column)->text().toStdString();
  FieldEdited(kGrid);
}

void MptEditorWindow::SyncFromForm() {
  const bool was = syncing_;
  syncing_ = true;
  PromptForm& form = Form();
  setWindowTitle(ToQString(form.caption));
  for (auto& [name, button] : buttons_) {
    const PromptAction& a = form.Action(name);
    button->setText(ToQString(a.caption));
    button->setEnabled(a.enabled);
  }
  setting_->setEnabled(form.Action("MnSetting").enabled);

  const PromptField& display = form.Field(kDisplay);
  if (QAbstractButton* b = display_->button(display.index)) b->setChecked(true);
  for (QAbstractButton* b : display_->buttons()) b->setEnabled(display.enabled);

  const PromptField& f = form.Field(kGrid);
  const int columns = f.cells.empty() ? 0 : static_cast<int>(f.cells[0].size()) - 1;
  QStringList header, side;
  for (int c = 0; c < MptGrid::kColumns; ++c)
    header << (c < columns ? ToQString(f.cells[0][static_cast<size_t>(c + 1)])
                           : ToQString(Tr("TMPTDataWriteDlg", "ロック")));
  grid_->setHorizontalHeaderLabels(header);
  static_cast<CornerTable*>(grid_)->SetCorner(f.cells.empty() ? QString()
                                                              : ToQString(f.cells[0][0]));
  for (int r = 0; r < kPages; ++r) side << ToQString(f.cells[static_cast<size_t>(r + 1)][0]);
  grid_->setVerticalHeaderLabels(side);
  grid_->setColumnHidden(MptGrid::kLockColumn, columns <= MptGrid::kLockColumn);
  for (int r = 0; r < kPages; ++r)
    for (int c = 0; c < columns; ++c) {
      const auto fr = static_cast<size_t>(r + 1), fc = static_cast<size_t>(c + 1);
      QTableWidgetItem* item = grid_->item(r, c);
      if (item->text() != ToQString(f.cells[fr][fc])) item->setText(ToQString(f.cells[fr][fc]));
      const int rgb = f.cellColors[fr][fc];
      item->setForeground(QColor(rgb == 0x0000FF ? Qt::blue : Qt::black));
    }
  // A disabled grid keeps its colours: it only takes no input.
  grid_->setEditTriggers(f.readOnly || !f.enabled ? QAbstractItemView::NoEditTriggers
                                                  : QAbstractItemView::AllEditTriggers);
  grid_->setSelectionMode(f.enabled ? QAbstractItemView::SingleSelection
                                    : QAbstractItemView::NoSelection);
  grid_->setFocusPolicy(f.enabled ? Qt::StrongFocus : Qt::NoFocus);

  TGroupCheckBox& model = lockGroup_->Model();
  for (int i = 0; i < kPages; ++i)
    model.Items.GetItem(i).SetChecked(form.Field("GroupCheckBox1_" + std::to_string(i)).checked);
  model.Enabled = form.Field("GroupCheckBox1_0").enabled;
  lockGroup_->SyncFromModel();
  syncing_ = was;
}
