#pragma once
// The main window's own behaviour without widgets: creation, first showing, shut-down, the
// read-loop and command-mode buttons, the hidden mode menu, "Clear", "COM Port...",
// "COM Parameter...", the check box, the language menu and the Debug Menu. The window (or a test)
// supplies a ShellView; every state change of menus and buttons goes to the MenuModel.
#include <string>

#include "core/log_pane.h"
#include "link/tag_tally.h"
#include "shell/menu_tree.h"

class AppCore;
class HandlerRegistry;
class TTirisC1Dlg;
struct PromptForm;
struct OptionSettings;

// What the logic needs from the window.
class ShellView {
 public:
  virtual ~ShellView() = default;
  virtual TallyGrid& Grid() = 0;  // StringGrid1
  virtual void SetTitle(const std::string& title) = 0;
  virtual void SetTimer1Interval(int ms) = 0;
  virtual void ShowLogPage() = 0;
  // Closes the main window once the current event has been handled (the program then ends).
  virtual void CloseWindow() = 0;
  // The modal About box.
  virtual void ShowAbout() = 0;
  // The connection (port, speed, module, mode) may have changed: the status bar shows it anew.
  virtual void ConnectionChanged() {}
  // The port vanished: says so at once, without waiting for the user (`text` names the port).
  virtual void ShowPortLost(const std::string& text) { (void)text; }
};

// What the status bar says about the connection.
struct ConnectionFacts {
  std::string port;       // "COM9"; "" without a communication module
  bool open = false;      // the port is open
  bool lost = false;      // the port vanished
  int baud = 0;           // bit/s
  std::string model;      // from the latest identification ("" when none succeeded)
  std::string rom;        // ROM version
  bool readLoop = false;  // the "Read Loop Mode" button is down
};
// "COM9 · 57600 bps · QZH-900 1100LFS00 · コマンドモード", "COM9 · 切断されました", "未接続", in
// the window's language.
std::string ConnectionText(const ConnectionFacts& facts);

// The Debug Menu (TSetConfig2Dlg) as a form, and storing a confirmed one.
PromptForm SetConfig2Form(const OptionSettings& settings);
void ApplySetConfig2Form(const PromptForm& form, OptionSettings& settings);

class ShellHandlers {
 public:
  ShellHandlers(AppCore& app, MenuModel& menus, ShellView& view, std::string exePath);

  // Window state.
  bool ShowAllowed = true;
  bool FirstOpen = true;
  int RestartCounter = 0;
  // Set once the window is closing: nothing may use the communication module afterwards.
  bool Closing() const { return closing_; }

  // Registers the window's own items (tool buttons, mode menu, Clear, COM Port..., ...).
  void Register(HandlerRegistry& registry);

  // Creation steps (the log pane and the grid exist; AppCore is constructed).
  void FormCreate();
  // First showing: language check, open-port dialog, identification.
  void FormShow();
  // Shut-down: saves the settings, closes and frees the communication module. Runs once.
  void FormClose();

  // Creates the communication module bound to the window's log pane and tag table.
  TTirisC1Dlg& CreateCommModule();

  // The connection as the status bar shows it.
  ConnectionFacts Connection() const;
  // The open port vanished: said in the log and at once on the screen; read-loop mode ends
  // (its button comes up), the tally keeps what it counted.
  void PortLost(const std::string& port);

  // Handlers.
  void TB_TEST1Click(const std::string& sender);
  void MnSetReadModeClick(const std::string& sender);
  void MnGridClearClick();
  void MnSetCOMClick();
  void MnSetComParaClick();
  void CBAnimalIDClick(bool ticked);
  void Language1Click();
  void MnSetLanguage_JPNClick();
  void MnSetLanguage_ENUClick();
  void ShowDebugMenu();

 private:
  void RequestClose();
  void SelectJapanese();
  void SelectEnglish();
  void SetLanguageFlag(int flag);
  void LogOpenResult(bool ok);
  // After an open and identification: the port is remembered as working, the menus follow.
  void Identified(bool ok);

  AppCore& app_;
  MenuModel& menus_;
  ShellView& view_;
  std::string exePath_;
  bool closing_ = false;
  bool closed_ = false;
};
