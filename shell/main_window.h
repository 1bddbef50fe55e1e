#pragma once
// TTirisAppForm, the main window: menus, pop-up menu and tool bar built from the menu table, the
// log pane Memo1, the tag table StringGrid1, the status bar, the timers and the About box. Its
// behaviour lives in ShellHandlers and in the families' handlers; the window mirrors MenuModel
// and runs every item through the handler registry.
#include <QMainWindow>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "app/app_core.h"
#include "app/handler_registry.h"
#include "shell/menu_tree.h"
#include "shell/shell_handlers.h"
#include "shell/widgets/memo_log_pane.h"
#include "shell/widgets/tally_table.h"

class QAction;
class QCheckBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QStatusBar;
class QTabWidget;
class QTableWidget;
class QTimer;
class QToolBar;
class TAboutBox;

struct MainWindowOptions {
  // Makes the dialogs of the window (WidgetPrompts in the program); ignored when `prompts` is set.
  std::function<std::unique_ptr<Prompts>(QWidget* mainWindow)> makePrompts;
  Prompts* prompts = nullptr;  // dialogs answered elsewhere (tests, benchmarks)
  std::string settingsPath;    // empty: the user's settings file
  std::string exePath;         // for the language override and restarts
  // Registers further handlers after every family's and the window's own (tests).
  std::function<void(HandlerRegistry&)> extraHandlers;
};

class TTirisAppForm : public QMainWindow, public ShellView {
  Q_OBJECT
 public:
  explicit TTirisAppForm(MainWindowOptions options, QWidget* parent = nullptr);
  ~TTirisAppForm() override;

  AppCore& App() { return *app_; }
  MenuModel& Menus() { return menus_; }
  ShellHandlers& Shell() { return *shell_; }
  HandlerRegistry& Registry() { return registry_; }
  Prompts& Dialogs() { return *prompts_; }

  // Runs an item's handler as a click on it would.
  void RunItem(const std::string& name);
  // Every line of Memo1, including those not shown yet.
  QStringList LogLines() { return memoPane_.Lines(); }
  void FlushLog() { memoPane_.Flush(); }
  TallyTable& Table() { return *table_; }
  // Shut-down without showing (a restart decided at program entry).
  void ShutDownUnshown();

  // Components.
  QToolBar* ToolBar1;
  QCheckBox* CBAnimalID;
  QTabWidget* PageControl1;
  QWidget* TabSheet1;
  QWidget* TabSheet2;
  QPlainTextEdit* Memo1;
  QTableWidget* StringGrid1;
  QStatusBar* StatusBar;
  // The status bar's permanent field: port, speed, module and mode, or "not connected".
  QLabel* STConnection;
  QMenu* PopupMenu1;
  QTimer* Timer1;
  QTimer* Timer2;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  // ShellView.
  TallyGrid& Grid() override { return *table_; }
  void SetTitle(const std::string& title) override;
  void SetTimer1Interval(int ms) override;
  void ShowLogPage() override;
  void CloseWindow() override;
  void ShowAbout() override;
  void ConnectionChanged() override;
  void ShowPortLost(const std::string& text) override;

  void BuildComponents();
  void BuildMenus();
  void Sync(const std::string& name);
  void SyncAll();
  void ShortcutPressed(const std::string& name);
  void FirstShow();
  void CloseIfRequested();

  MainWindowOptions options_;
  std::unique_ptr<Prompts> ownedPrompts_;
  Prompts* prompts_ = nullptr;
  MemoLogPane memoPane_;
  std::unique_ptr<TallyTable> table_;
  std::unique_ptr<AppCore> app_;
  MenuModel menus_;
  HandlerRegistry registry_;
  std::unique_ptr<ShellHandlers> shell_;
  TAboutBox* about_ = nullptr;

  std::map<std::string, QAction*> actions_;  // items, separators, tool buttons, menus' actions
  std::map<std::string, QMenu*> menuWidgets_;
  QAction* animalIdAction_ = nullptr;  // CBAnimalID's place on the tool bar
  bool shown_ = false;
  bool closePending_ = false;
};
