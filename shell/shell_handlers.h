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
};

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

  AppCore& app_;
  MenuModel& menus_;
  ShellView& view_;
  std::string exePath_;
  bool closing_ = false;
  bool closed_ = false;
};
