#include "prompts/widgets/prompt_dialog.h"

#include <QAction>
#include <QApplication>
#include <QBoxLayout>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QTabWidget>
#include <algorithm>

#include "prompts/widgets/qt_text.h"

namespace {

// A scroll area that asks for the whole size of its content (QScrollArea caps its wish at a
// few hundred pixels); the dialog then fits itself to the screen.
class ContentScroll : public QScrollArea {
 public:
  explicit ContentScroll(QWidget* parent) : QScrollArea(parent) {
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    // Not a stop of the Tab chain: the first field, not the area around it, takes the focus.
    setFocusPolicy(Qt::NoFocus);
  }
  QSize sizeHint() const override {
    const QSize content =
        widget() ? widget()->sizeHint().expandedTo(widget()->minimumSizeHint()) : QSize(0, 0);
    return content + QSize(2 * frameWidth(), 2 * frameWidth());
  }
};

// Fields that take the height they are given: a page holding one needs no stretch below.
bool GrowsTall(const PromptField& f) {
  return f.kind == FieldKind::Memo || f.kind == FieldKind::Table ||
         (f.kind == FieldKind::Choice && f.choiceStyle == ChoiceStyle::List);
}

// Fields that take the width of their line: a line holding one needs no stretch at its end.
bool GrowsWide(const PromptField& f) {
  return f.kind == FieldKind::Text || f.kind == FieldKind::Memo || f.kind == FieldKind::Table ||
         f.kind == FieldKind::Panel || f.kind == FieldKind::Choice;
}

QBoxLayout* NewCell() {
  auto* cell = new QVBoxLayout;
  cell->setContentsMargins(0, 0, 0, 0);
  cell->setSpacing(1);
  return cell;
}

// A cell of a line or grid row: what it holds sits at its foot, so that the fields of a row stay
// on one level when marks ("MSB", "LSB") stand over some of them and make their cells taller.
QBoxLayout* NewRowCell() {
  QBoxLayout* cell = NewCell();
  cell->addStretch(1);
  return cell;
}

// A caption beside a field of a row, in a cell of its own as high as the field and centred on
// it, so that it reads on the field's line however tall the row is.
QBoxLayout* BesideCell(QLabel* caption, const QWidget* field) {
  QBoxLayout* cell = NewRowCell();
  caption->setMinimumHeight(field->sizeHint().height());
  caption->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  cell->addWidget(caption);
  return cell;
}

}  // namespace

int TitleBarWidth(const QString& title) {
  QFont font = QApplication::font();
  font.setBold(true);
  const QFontMetrics fm(font);
  // The icon at the left and three window buttons at the right of the text.
  return fm.horizontalAdvance(title) + 4 * fm.height() + 48;
}

PromptDialog::PromptDialog(PromptForm& form, QWidget* parent) : QDialog(parent), form_(form) {}

PromptDialog::~PromptDialog() {
  // The widgets go before the views that their signals reach.
  for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) delete child;
}

std::unique_ptr<FieldView> PromptDialog::MakeView(const PromptField& field) {
  return MakeFieldView(field);
}

QWidget* PromptDialog::CreateFieldWidget(PromptField& f, QWidget* parent, QLabel** caption) {
  Placed& placed = fields_[f.name];
  placed.view = MakeView(f);
  placed.widget = placed.view->Create(f, parent, *this);
  placed.widget->setObjectName(ToQString(f.name));
  if (!f.hint.empty()) placed.widget->setToolTip(ToQString(f.hint));
  if (placed.view->CaptionBeside() && !f.label.empty()) {
    placed.caption = new QLabel(ToQString(f.label), parent);
    placed.caption->setObjectName(ToQString(f.name + "Label"));
  }
  if (caption) *caption = placed.caption;
  return placed.widget;
}

QPushButton* PromptDialog::CreateActionButton(const PromptAction& a, QWidget* parent) {
  auto* b = new QPushButton(ToQString(a.caption), parent);
  b->setObjectName(ToQString(a.name));
  const std::string name = a.name;
  connect(b, &QPushButton::clicked, this, [this, name] { Press(name); });
  actions_[a.name] = b;
  return b;
}

QWidget* PromptDialog::PageWidget(const std::string& page) {
  if (!tabs_) {  // the tabs stand where the first paged field does
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(kPageControl);
    main_->addWidget(tabs_, 1);
    for (size_t i = 0; i < form_.pages.size(); ++i) {
      auto* sheet = new QWidget(tabs_);
      sheet->setObjectName(ToQString(form_.pages[i]));
      auto* layout = new QVBoxLayout(sheet);
      layout->setContentsMargins(0, 0, 0, 0);
      auto* scroll = new ContentScroll(sheet);
      auto* content = new QWidget;
      scroll->setWidget(content);
      layout->addWidget(scroll);
      const std::string caption = i < form_.pageCaptions.size() && !form_.pageCaptions[i].empty()
                                      ? form_.pageCaptions[i]
                                      : form_.pages[i];
      tabs_->addTab(sheet, ToQString(caption));
      pages_[form_.pages[i]] = content;
    }
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
      // A page picked later may hold more than the one the dialog opened with: the dialog grows
      // for it rather than squeeze it into a scroll box.
      if (isVisible()) GrowToShownContent();
      if (syncing_ || index < 0) return;
      form_.activePage = tabs_->widget(index)->objectName().toStdString();
      FieldEdited(kPageControl);
    });
  }
  return pages_.at(page);
}

PromptDialog::Container& PromptDialog::ContainerOf(const PromptField& f) {
  const bool paged = std::find(form_.pages.begin(), form_.pages.end(), f.page) != form_.pages.end();
  const std::string page = paged ? f.page : "";
  Container& c = containers_[{page, f.group}];
  if (c.widget) return c;
  if (!f.group.empty()) {
    PromptField pageOnly;
    pageOnly.page = page;
    Container& outer = ContainerOf(pageOnly);
    auto* box = new QGroupBox(ToQString(f.group), outer.widget);
    outer.grid->addWidget(box, outer.nextRow++, 0, 1, -1);
    c.widget = box;
  } else if (paged) {
    c.widget = PageWidget(page);
  } else {
    auto* scroll = new ContentScroll(this);
    c.widget = new QWidget;
    c.scroll = scroll;
    scroll->setWidget(c.widget);
    main_->addWidget(scroll, 1);
  }
  c.grid = new QGridLayout(c.widget);
  return c;
}

void PromptDialog::PlaceField(PromptField& f, Container& c) {
  QLabel* caption = nullptr;
  QWidget* w = CreateFieldWidget(f, c.widget, &caption);
  QBoxLayout* cell = f.row >= 0 && !GrowsTall(f) ? NewRowCell() : NewCell();
  cell->addWidget(w);
  fields_[f.name].cell = cell;
  if (GrowsTall(f)) c.growsTall = true;
  // A text in a row reads on the level of the row's fields.
  if (auto* text = qobject_cast<QLabel*>(w); text && f.kind == FieldKind::Label && f.row >= 0) {
    text->setMinimumHeight(QLineEdit().sizeHint().height());
    text->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  }
  if (caption && f.labelOver) {
    cell->insertWidget(cell->indexOf(w), caption, 0, Qt::AlignHCenter | Qt::AlignBottom);
    caption = nullptr;
  }
  if (f.row < 0) {
    if (caption) c.grid->addWidget(caption, c.nextRow++, 0, 1, -1);
    c.grid->addLayout(cell, c.nextRow++, 0, 1, -1);
    return;
  }
  auto [it, added] = c.gridRows.try_emplace(f.row, c.nextRow);
  if (added) ++c.nextRow;
  const int gridRow = it->second;
  if (f.column >= 0) {
    int column = f.column;
    if (caption) c.grid->addLayout(BesideCell(caption, w), gridRow, column++);
    const int span = std::max(1, f.span);
    c.grid->addLayout(cell, gridRow, column, 1, span);
    c.columns = std::max(c.columns, column + span);
    return;
  }
  Line& line = c.lines[f.row];
  if (!line.layout) {
    line.layout = new QHBoxLayout;
    c.grid->addLayout(line.layout, gridRow, 0, 1, -1);
  }
  if (GrowsWide(f)) line.growsWide = true;
  if (caption) line.layout->addLayout(BesideCell(caption, w));
  line.layout->addLayout(cell);
}

void PromptDialog::PlaceCaptionOver(const std::string& name, const std::string& target) {
  Placed& caption = fields_.at(name);
  auto it = fields_.find(target);
  if (it == fields_.end() || !it->second.cell || caption.over == target) return;
  if (!caption.over.empty())
    if (auto old = fields_.find(caption.over); old != fields_.end() && old->second.cell)
      old->second.cell->removeWidget(caption.widget);
  QBoxLayout* cell = it->second.cell;
  cell->insertWidget(cell->indexOf(it->second.widget), caption.widget, 0,
                     Qt::AlignHCenter | Qt::AlignBottom);
  caption.over = target;
}

void PromptDialog::Build() {
  setObjectName(ToQString(form_.dialog));
  main_ = new QVBoxLayout(this);
  std::vector<PromptField*> captionsOver;
  for (PromptField& f : form_.fields) {
    if (!f.over.empty() && f.kind == FieldKind::Label) {
      captionsOver.push_back(&f);
      continue;
    }
    PlaceField(f, ContainerOf(f));
  }
  for (PromptField* f : captionsOver) {
    const auto target = fields_.find(f->over);
    QWidget* parent = target != fields_.end() ? target->second.widget->parentWidget() : this;
    CreateFieldWidget(*f, parent);
    PlaceCaptionOver(f->name, f->over);
  }

  // Buttons of a page stand at its foot, those of a row at the end of its line; the others are
  // the dialog's own children, where Enter in a numeric field looks for the default.
  auto* buttons = new QHBoxLayout;
  std::map<std::string, QHBoxLayout*> pageButtons;
  int local = 0;
  for (PromptAction& a : form_.actions) {
    if (!a.menuOf.empty()) {
      auto it = fields_.find(a.menuOf);
      if (it == fields_.end()) continue;
      QWidget* owner = it->second.widget;
      auto* action = new QAction(ToQString(a.caption), owner);
      action->setObjectName(ToQString(a.name));
      const std::string name = a.name;
      connect(action, &QAction::triggered, this, [this, name] { Press(name); });
      owner->addAction(action);
      owner->setContextMenuPolicy(Qt::ActionsContextMenu);
      menuActions_[a.name] = action;
      continue;
    }
    PromptField where;
    where.page = a.page;
    if (a.row >= 0) {
      Container& c = ContainerOf(where);
      auto line = c.lines.find(a.row);
      if (line != c.lines.end()) {
        line->second.layout->addWidget(CreateActionButton(a, c.widget), 0, Qt::AlignBottom);
        continue;
      }
    }
    if (!a.page.empty() && pages_.count(a.page)) {
      Container& c = ContainerOf(where);
      QHBoxLayout*& row = pageButtons[a.page];
      if (!row) {
        row = new QHBoxLayout;
        c.grid->addLayout(row, c.nextRow++, 0, 1, -1);
      }
      row->addWidget(CreateActionButton(a, c.widget));
      continue;
    }
    // Local actions (fill buttons) at the left, the closing ones at the right.
    if (a.kind == ActionKind::Local)
      buttons->insertWidget(local++, CreateActionButton(a, this));
    else
      buttons->addWidget(CreateActionButton(a, this));
  }
  for (auto& [page, row] : pageButtons) row->addStretch();
  buttons->insertStretch(local);
  main_->addLayout(buttons);

  for (auto& [key, c] : containers_) {
    for (auto& [row, line] : c.lines)
      if (!line.growsWide) line.layout->addStretch();
    if (c.columns > 0) c.grid->setColumnStretch(c.columns, 1);
    const bool box = qobject_cast<QGroupBox*>(c.widget) != nullptr;
    if (!c.growsTall && !box) c.grid->setRowStretch(c.nextRow, 1);
    // Beside tab pages the body keeps its height: the pages take what the dialog has more.
    if (c.scroll && tabs_ && !c.growsTall) main_->setStretchFactor(c.scroll, 0);
  }
  SyncFromForm();
}

void PromptDialog::FitTo(const QScreen* screen) {
  if (layout()) layout()->activate();
  const QRect avail = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
  const QSize room = avail.size() - QSize(2 * kWindowFrameSide, kWindowFrameTop + kWindowFrameSide);
  QSize want = sizeHint().expandedTo(minimumSizeHint());
  const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
  if (want.height() > room.height()) want.rwidth() += bar;
  if (want.width() > room.width()) want.rheight() += bar;
  const int least =
      std::max(layout() ? layout()->minimumSize().width() : 0, TitleBarWidth(windowTitle()));
  setMinimumWidth(std::min(least, room.width()));
  if (minimumHeight() > room.height()) setMinimumHeight(room.height());
  resize(want.boundedTo(room).expandedTo(QSize(minimumWidth(), 0)));
}

void PromptDialog::FocusFirstField() {
  // A field typed into comes first (digits typed at once go there and Enter sends them), then a
  // list or group on its selected entry; fields on hidden pages or disabled ones are passed by.
  for (const bool typed : {true, false})
    for (const PromptField& f : form_.fields) {
      auto it = fields_.find(f.name);
      if (it == fields_.end() || f.readOnly) continue;
      Placed& p = it->second;
      if (!p.widget->isVisibleTo(this) || !p.widget->isEnabledTo(this)) continue;
      if (p.view->TypedInto() == typed && p.view->TakeFocus()) return;
    }
}

void PromptDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (grown_) return;
  grown_ = true;
  FocusFirstField();
  // Shown widgets may ask for more than their hints did before (a group box polished with its
  // title font): grow once to what the shown page needs, within the screen, and stay on it.
  GrowToShownContent();
}

void PromptDialog::GrowToShownContent() {
  if (layout()) layout()->activate();
  QSize more(0, 0);
  for (const auto* scroll : findChildren<ContentScroll*>()) {
    const QWidget* content = scroll->widget();
    if (!content || !scroll->isVisible()) continue;
    if (content->layout()) content->layout()->activate();
    const QSize need = content->sizeHint().expandedTo(content->minimumSizeHint());
    more = more.expandedTo(need - scroll->viewport()->size());
  }
  const QScreen* where = screen();
  if ((more.width() <= 0 && more.height() <= 0) || !where) return;
  const QRect avail = where->availableGeometry().adjusted(kWindowFrameSide, kWindowFrameTop,
                                                          -kWindowFrameSide, -kWindowFrameSide);
  QRect g(geometry().topLeft(), (size() + more.expandedTo(QSize(0, 0))).boundedTo(avail.size()));
  g.moveRight(std::min(g.right(), avail.right()));
  g.moveBottom(std::min(g.bottom(), avail.bottom()));
  setGeometry(g);
}

void PromptDialog::SyncCaptionsOver() {
  for (const PromptField& f : form_.fields)
    if (!f.over.empty() && f.kind == FieldKind::Label && fields_.count(f.name))
      PlaceCaptionOver(f.name, f.over);
}

void PromptDialog::SyncFromForm() {
  const bool wasSyncing = syncing_;
  syncing_ = true;
  setWindowTitle(ToQString(form_.caption));
  SyncCaptionsOver();
  for (const PromptField& f : form_.fields) {
    auto it = fields_.find(f.name);
    if (it == fields_.end()) continue;
    Placed& p = it->second;
    p.view->Sync(f);
    p.widget->setHidden(!f.visible);
    p.widget->setEnabled(f.enabled);
    if (p.caption) {
      p.caption->setText(ToQString(f.label));
      p.caption->setHidden(!f.visible || f.label.empty());
      p.caption->setEnabled(f.enabled);
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
    if (auto m = menuActions_.find(a.name); m != menuActions_.end()) {
      m->second->setText(ToQString(a.caption));
      m->second->setVisible(a.visible);
      m->second->setEnabled(a.enabled);
      continue;
    }
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
  return it == fields_.end() ? nullptr : it->second.widget;
}

QPushButton* PromptDialog::ActionButton(const std::string& name) const {
  auto it = actions_.find(name);
  return it == actions_.end() ? nullptr : it->second;
}

QAction* PromptDialog::MenuAction(const std::string& name) const {
  auto it = menuActions_.find(name);
  return it == menuActions_.end() ? nullptr : it->second;
}

std::string PromptDialog::CancelName() const {
  for (const PromptAction& a : form_.actions)
    if (a.kind == ActionKind::Cancel) return a.name;
  return "";
}

std::vector<QRect> PromptDialog::WatchedAreas() const {
  std::vector<QRect> areas;
  for (const PromptField& f : form_.fields) {
    if (!f.watched) continue;
    auto it = fields_.find(f.name);
    if (it == fields_.end()) continue;
    for (const QWidget* w : {static_cast<const QWidget*>(it->second.widget),
                             static_cast<const QWidget*>(it->second.caption)})
      if (w && w->isVisible()) areas.emplace_back(w->mapToGlobal(QPoint(0, 0)), w->size());
  }
  return areas;
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
