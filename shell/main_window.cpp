#include "shell/main_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <stdexcept>

#include "core/app_paths.h"
#include "core/ui_text.h"
#include "prompts/prompts.h"
#include "prompts/widgets/prompt_dialog.h"
#include "prompts/widgets/qt_text.h"
#include "shell/about_dlg.h"

namespace {

QWidget* Page(QWidget* content, const char* name) {
  auto* page = new QWidget;
  page->setObjectName(name);
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(content);
  return page;
}

}  // namespace

TTirisAppForm::TTirisAppForm(MainWindowOptions options, QWidget* parent)
    : QMainWindow(parent), options_(std::move(options)) {
  setObjectName("TTirisAppForm");
  if (options_.prompts) {
    prompts_ = options_.prompts;
  } else if (options_.makePrompts) {
    ownedPrompts_ = options_.makePrompts(this);
    prompts_ = ownedPrompts_.get();
  }
  if (!prompts_) throw std::logic_error("TTirisAppForm needs a way to show dialogs");

  BuildComponents();
  memoPane_.Attach(Memo1);
  table_ = std::make_unique<TallyTable>(StringGrid1);
  app_ = std::make_unique<AppCore>(
      memoPane_, *prompts_,
      options_.settingsPath.empty() ? app_paths::SettingsPath() : options_.settingsPath);
  shell_ = std::make_unique<ShellHandlers>(*app_, menus_, *this, options_.exePath);

  RegisterAllHandlers(registry_);
  shell_->Register(registry_);
  if (options_.extraHandlers) options_.extraHandlers(registry_);

  BuildMenus();
  for (const MenuModel::State& s : menus_.All())
    if (s.def->kind == MenuKind::Item || s.def->kind == MenuKind::ToolButton)
      menus_.SetHandlerPresent(s.def->name, registry_.Find(s.def->name) != nullptr);
  menus_.onChanged = [this](const std::string& name) { Sync(name); };

  shell_->FormCreate();
  SyncAll();
  ConnectionChanged();
  about_ = new TAboutBox(this);
  about_->onDebugMenu = [this] { shell_->ShowDebugMenu(); };
}

TTirisAppForm::~TTirisAppForm() {
  menus_.onChanged = nullptr;
  shell_->FormClose();
}

void TTirisAppForm::BuildComponents() {
  // No larger than the screen and in its middle, a window manager's frame around it.
  QSize size(760, 540);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect avail = screen->availableGeometry();
    const QSize room =
        avail.size() - QSize(2 * kWindowFrameSide, kWindowFrameTop + kWindowFrameSide);
    size = size.boundedTo(room);
    setGeometry(avail.left() + kWindowFrameSide + (room.width() - size.width()) / 2,
                avail.top() + kWindowFrameTop + (room.height() - size.height()) / 2, size.width(),
                size.height());
  } else {
    resize(size);
  }
  if (QFile::exists(":/icons/qzh900.png")) setWindowIcon(QIcon(":/icons/qzh900.png"));

  Memo1 = new QPlainTextEdit;
  Memo1->setObjectName("Memo1");
  Memo1->setReadOnly(true);
  Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
  Memo1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  Memo1->setContextMenuPolicy(Qt::CustomContextMenu);

  StringGrid1 = new QTableWidget;
  StringGrid1->setObjectName("StringGrid1");
  StringGrid1->setContextMenuPolicy(Qt::CustomContextMenu);

  PageControl1 = new QTabWidget;
  PageControl1->setObjectName("PageControl1");
  TabSheet1 = Page(Memo1, "TabSheet1");
  TabSheet2 = Page(StringGrid1, "TabSheet2");
  PageControl1->addTab(TabSheet1, ToQString(Tr("TTirisAppForm", "ログデータ")));
  PageControl1->addTab(TabSheet2, ToQString(Tr("TTirisAppForm", "タグデータ")));
  setCentralWidget(PageControl1);

  StatusBar = new QStatusBar;
  StatusBar->setObjectName("StatusBar");
  setStatusBar(StatusBar);
  STConnection = new QLabel;
  STConnection->setObjectName("STConnection");
  STConnection->setTextFormat(Qt::PlainText);
  StatusBar->addPermanentWidget(STConnection);

  ToolBar1 = addToolBar("ToolBar1");
  ToolBar1->setObjectName("ToolBar1");
  ToolBar1->setMovable(false);
  ToolBar1->setToolButtonStyle(Qt::ToolButtonTextOnly);
  CBAnimalID = new QCheckBox("Animal ID");
  CBAnimalID->setObjectName("CBAnimalID");

  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName("PopupMenu1");
  for (QWidget* w : {static_cast<QWidget*>(Memo1), static_cast<QWidget*>(StringGrid1)})
    connect(w, &QWidget::customContextMenuRequested, this,
            [this, w](const QPoint& pos) { PopupMenu1->popup(w->mapToGlobal(pos)); });

  // One-shot timers the commands of other families start; each stops itself when it fires.
  Timer1 = new QTimer(this);
  Timer1->setObjectName("Timer1");
  Timer1->setSingleShot(true);
  Timer2 = new QTimer(this);
  Timer2->setObjectName("Timer2");
  Timer2->setSingleShot(true);
}

void TTirisAppForm::BuildMenus() {
  menuBar()->setObjectName("MainMenu1");
  menuWidgets_["PopupMenu1"] = PopupMenu1;
  for (const MenuModel::State& s : menus_.All()) {
    const MenuItemDef& d = *s.def;
    const std::string name = d.name;
    const std::string parent = d.parent;
    QMenu* container = menuWidgets_.count(parent) ? menuWidgets_[parent] : nullptr;
    switch (d.kind) {
      case MenuKind::Root:
        break;
      case MenuKind::Menu: {
        const QString text = ToQString(MenuText(d, s.caption));
        QMenu* menu = container ? container->addMenu(text) : menuBar()->addMenu(text);
        menu->setObjectName(ToQString(name));
        menu->menuAction()->setObjectName(ToQString(name));
        menuWidgets_[name] = menu;
        actions_[name] = menu->menuAction();
        if (name == "Language1")
          connect(menu, &QMenu::aboutToShow, this, [this] { shell_->Language1Click(); });
        break;
      }
      case MenuKind::Separator: {
        QAction* sep = container ? container->addSeparator() : ToolBar1->addSeparator();
        sep->setObjectName(ToQString(name));
        actions_[name] = sep;
        break;
      }
      case MenuKind::Item:
      case MenuKind::ToolButton: {
        auto* action = new QAction(ToQString(s.caption), this);
        action->setObjectName(ToQString(name));
        action->setCheckable(d.checkable);
        if (d.kind == MenuKind::ToolButton)
          ToolBar1->addAction(action);
        else if (container)
          container->addAction(action);
        connect(action, &QAction::triggered, this, [this, name] { RunItem(name); });
        if (*d.shortcut) {
          // Shown in the menu only; the window's own shortcut runs the item, so that it works
          // while the item is hidden and honours the menus above it.
          action->setShortcut(QKeySequence(d.shortcut));
          action->setShortcutContext(Qt::WidgetShortcut);
          auto* key = new QShortcut(QKeySequence(d.shortcut), this);
          key->setObjectName(ToQString(name + "Shortcut"));
          key->setContext(Qt::WindowShortcut);
          connect(key, &QShortcut::activated, this, [this, name] { ShortcutPressed(name); });
        }
        actions_[name] = action;
        break;
      }
      case MenuKind::Check:
        animalIdAction_ = ToolBar1->addWidget(CBAnimalID);
        animalIdAction_->setObjectName("CBAnimalIDPlace");
        connect(CBAnimalID, &QCheckBox::clicked, this,
                [this](bool checked) { shell_->CBAnimalIDClick(checked); });
        break;
    }
  }
}

void TTirisAppForm::Sync(const std::string& name) {
  const MenuModel::State& s = menus_.Get(name);
  const MenuKind kind = s.def->kind;
  if (kind == MenuKind::Root) return;
  if (kind == MenuKind::Check) {
    const QSignalBlocker block(CBAnimalID);
    CBAnimalID->setChecked(s.checked);
    CBAnimalID->setEnabled(menus_.Enabled(name));
    if (animalIdAction_) animalIdAction_->setVisible(s.visible);
    return;
  }
  QAction* a = actions_.at(name);
  a->setVisible(s.visible);
  if (kind == MenuKind::Separator) return;
  a->setText(ToQString(MenuText(*s.def, s.caption)));
  a->setEnabled(menus_.Enabled(name));
  a->setStatusTip(ToQString(menus_.Hint(name)));
  if (kind == MenuKind::ToolButton) a->setToolTip(ToQString(menus_.Hint(name)));
  if (a->isCheckable()) a->setChecked(s.checked);
}

void TTirisAppForm::SyncAll() {
  for (const MenuModel::State& s : menus_.All()) Sync(s.def->name);
}

void TTirisAppForm::RunItem(const std::string& name) {
  if (menus_.Has(name) && menus_.Enabled(name)) registry_.Run(*app_, name);
  // A click toggles a tool button by itself; the handler decides what it shows.
  Sync("TB_TEST2");
  Sync("TB_TEST3");
  ConnectionChanged();
  CloseIfRequested();
}

void TTirisAppForm::ShortcutPressed(const std::string& name) {
  if (menus_.ShortcutLive(name)) RunItem(name);
}

void TTirisAppForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shown_) return;
  shown_ = true;
  // After the window is on the screen, so that the open-port dialog opens over it.
  QTimer::singleShot(0, this, &TTirisAppForm::FirstShow);
}

void TTirisAppForm::FirstShow() {
  RunShowingErrors(*prompts_, "FormShow", [this] { shell_->FormShow(); });
  CloseIfRequested();
}

void TTirisAppForm::closeEvent(QCloseEvent* event) {
  memoPane_.Flush();
  if (app_->Busy()) {
    // A command is waiting for the module: close once it has finished, and say so.
    closePending_ = true;
    StatusBar->showMessage(
        ToQString(Tr("TTirisAppForm", "コマンドの実行中です。終了するとウィンドウを閉じます。")));
    event->ignore();
    return;
  }
  shell_->FormClose();
  event->accept();
}

void TTirisAppForm::CloseIfRequested() {
  if (closePending_ && !app_->Busy()) {
    closePending_ = false;
    close();
  }
}

void TTirisAppForm::ShutDownUnshown() {
  shell_->ShowAllowed = false;
  shell_->FormClose();
}

void TTirisAppForm::SetTitle(const std::string& title) {
  setWindowTitle(ToQString(title));
}

void TTirisAppForm::SetTimer1Interval(int ms) {
  Timer1->setInterval(ms < 0 ? 0 : ms);
}

void TTirisAppForm::ShowLogPage() {
  PageControl1->setCurrentWidget(TabSheet1);
}

void TTirisAppForm::CloseWindow() {
  closePending_ = true;
  QMetaObject::invokeMethod(this, &TTirisAppForm::CloseIfRequested, Qt::QueuedConnection);
}

void TTirisAppForm::ShowAbout() {
  about_->exec();
}

void TTirisAppForm::ConnectionChanged() {
  if (!shell_) return;  // still being built
  const ConnectionFacts facts = shell_->Connection();
  STConnection->setText(ToQString(ConnectionText(facts)));
  // A lost port stands out until another one is opened.
  STConnection->setStyleSheet(facts.lost ? "color: #B00020; font-weight: bold;" : "");
}

void TTirisAppForm::ShowPortLost(const std::string& text) {
  // Not modal: it comes in the middle of the port's event, and nothing waits for an answer.
  auto* box = new QMessageBox(QMessageBox::Warning, ToQString(LoadMessage(Msg::QZH900ToolMsg)),
                              ToQString(text), QMessageBox::Ok, this);
  box->setObjectName("PortLostNotice");
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setModal(false);
  box->show();
  StatusBar->showMessage(ToQString(text));
}
