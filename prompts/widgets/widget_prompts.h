#pragma once
// The window's implementation of Prompts: every form becomes a real dialog (PromptDialog, or a
// registered bespoke renderer), message boxes are QMessageBoxes, the progress dialog is
// TGuage1Dlg. Dialogs open centred on the screen, or on the main window when the form asks so.
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "prompts/prompts.h"
#include "prompts/widgets/prompt_dialog.h"

class QLabel;
class QProgressBar;
class QFrame;
class QPushButton;

// Creates the dialog for a form of one dialog class (not yet built: the caller calls Build).
using DialogRenderer =
    std::function<std::unique_ptr<PromptDialog>(PromptForm& form, QWidget* parent)>;
// Replaces the generic rendering of one dialog class; the form, its names and behaviour stay.
//   RegisterDialogRenderer("TMPTDataWriteDlg", [](PromptForm& f, QWidget* p) {
//     return std::make_unique<MptGridDialog>(f, p);
//   });
void RegisterDialogRenderer(const std::string& dialogClass, DialogRenderer factory);

// The progress dialog: caption, centred Label1, ProgressBar1 inside Panel2 and Button1
// "&Cancel". Non-modal; the continue flag is set when created and when shown, cleared by Cancel
// (the button, Escape or the close box). Over a prompt dialog it stands clear of the fields the
// user watches, and a click into that dialog does not bury it.
class TGuage1Dlg : public QDialog {
  Q_OBJECT
 public:
  explicit TGuage1Dlg(QWidget* parent = nullptr);
  bool Continue() const { return continue_; }
  // Sets the flag, shows the dialog where it covers nothing watched and brings it to the front.
  void ShowNonModal();
  QLabel* Label1;
  QFrame* Panel2;
  QProgressBar* ProgressBar1;
  QPushButton* Button1;

 protected:
  void reject() override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  bool continue_ = true;
};

// Where a window of `size` stands on `screen` near the centre of `owner` without covering any
// of `avoid` (global coordinates); the centre of `owner` when no place is clear.
QPoint ClearSpot(const QSize& size, const QRect& owner, const std::vector<QRect>& avoid,
                 const QRect& screen);

class WidgetPrompts : public Prompts {
 public:
  // `mainWindow` (may be null) is where centerOnMainWindow dialogs open and the parent of the
  // dialogs while no modal dialog is open.
  explicit WidgetPrompts(QWidget* mainWindow);
  ~WidgetPrompts() override;

  bool Show(PromptForm& form) override;
  std::string Interact(PromptForm& form) override;
  void Refresh(PromptForm& form) override;
  void Close(PromptForm& form) override;
  bool Confirm(const std::string& text, const std::string& caption,
               ConfirmButtons buttons) override;
  void Message(const std::string& text, const std::string& caption) override;
  std::optional<std::string> SaveFileName(const std::string& initial,
                                          const std::string& filter) override;
  std::unique_ptr<ProgressDialog> CreateProgress() override;
  bool ControlHeld() const override;
  std::string TakePress(PromptForm& form) override;
  void Warning(const std::string& text, const std::string& caption) override;
  void Error(const std::string& text, const std::string& caption) override;

  // The dialog of an open interactive form (nullptr when none).
  PromptDialog* OpenDialog(const PromptForm& form) const;

 private:
  struct Open {
    std::unique_ptr<PromptDialog> dialog;
    std::deque<std::string> presses;  // pressed while the handler worked
    class QEventLoop* loop = nullptr;
    bool polled = false;       // the handler asks for presses while it works (TakePress)
    bool noticeShown = false;  // the closing notice of this stretch of work
  };
  std::unique_ptr<PromptDialog> Create(PromptForm& form);
  void Place(PromptDialog* dialog, bool onMainWindow) const;
  void Box(QMessageBox::Icon icon, const std::string& text, const std::string& caption);
  // Close pressed while the handler works: the dialog closes when the work is done; says so.
  static void ShowClosingNotice(QWidget* dialog);
  QWidget* Parent() const;
  QPointer<QWidget> main_;
  std::map<const PromptForm*, Open> open_;
  QString lastSaveFolder_;
};
