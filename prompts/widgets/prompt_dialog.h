#pragma once
// A PromptForm rendered as a QDialog. The dialog's objectName is the form's class name and every
// field and action widget carries its name, so tests and the window find them as the form names
// them. A user's change is written into the form at once and raises form.Changed(name); after
// every behaviour callback the widgets are brought back in step with the form, so the form's
// callbacks drive what the dialog shows.
//
// The generic look follows the form's layout facts (pages, group boxes, rows, grid columns,
// captions over fields); the fields stand in a scroll area, so a dialog never needs more than
// the screen it opens on and can be made smaller than its content.
//
// A dialog with a bespoke look subclasses PromptDialog, overrides Build (placing the widgets of
// CreateFieldWidget and CreateActionButton as it likes) or MakeView for fields of its own, and
// registers a factory with RegisterDialogRenderer (widget_prompts.h).
#include <QDialog>
#include <map>
#include <memory>
#include <string>

#include "prompts/prompt_form.h"
#include "prompts/widgets/field_views.h"

class QAction;
class QBoxLayout;
class QGridLayout;
class QLabel;
class QPushButton;
class QScreen;
class QTabWidget;

class PromptDialog : public QDialog, private FieldHost {
  Q_OBJECT
 public:
  PromptDialog(PromptForm& form, QWidget* parent);
  ~PromptDialog() override;

  PromptForm& Form() { return form_; }
  // Creates the widgets; called once, right after construction, by whoever shows the dialog.
  virtual void Build();
  // Brings every widget in step with the form (caption, fields, pages, actions).
  virtual void SyncFromForm();
  // Sizes the dialog to its content, at most the available part of `screen` (scroll bars show
  // the rest), and at least as wide as its title.
  void FitTo(const QScreen* screen);

  QWidget* FieldWidget(const std::string& name) const;
  QPushButton* ActionButton(const std::string& name) const;
  // An action shown as an item of a field's pop-up menu.
  QAction* MenuAction(const std::string& name) const;
  // The name of the form's first Cancel action ("" when it has none).
  std::string CancelName() const;
  // Gives the keyboard focus to the first field that takes input (done as the dialog first
  // shows): an edit with its text selected, else a list, group or box on its selected entry.
  void FocusFirstField();
  // The screen areas of the visible fields the user watches while the handler works.
  std::vector<QRect> WatchedAreas() const;

 signals:
  // An Accept, Cancel or Return action was pressed; Escape and the close box press the Cancel
  // action. What follows (closing, returning to the handler) is the caller's business.
  void ActionPressed(const QString& name);

 protected:
  // The view of one field; override to give a field a look of its own.
  virtual std::unique_ptr<FieldView> MakeView(const PromptField& field);
  // The widget of a field, named after it, with its caption label when it has one (named
  // name + "Label", returned through `caption`, not placed). Kept in step by SyncFromForm.
  QWidget* CreateFieldWidget(PromptField& field, QWidget* parent, QLabel** caption = nullptr);
  // A button for an action, named after it, kept in step by SyncFromForm.
  QPushButton* CreateActionButton(const PromptAction& action, QWidget* parent);
  // After a user's change was written into the form: raises the form's behaviour and re-syncs.
  void FieldEdited(const std::string& name) override;
  // A button: Local actions run the form's onAction here; the others are signalled.
  void Press(const std::string& action);
  bool Syncing() const override { return syncing_; }

  void reject() override;
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  // Grows the dialog, within its screen, to what the shown widgets need.
  void GrowToShownContent();

 private:
  struct Placed {
    std::unique_ptr<FieldView> view;
    QWidget* widget = nullptr;
    QLabel* caption = nullptr;   // the label of `label`, beside or above the widget
    QBoxLayout* cell = nullptr;  // the widget with the captions standing over it
    std::string over;            // a caption: the field it stands over
  };
  // A row of fields without columns: one line across the grid.
  struct Line {
    QBoxLayout* layout = nullptr;
    bool growsWide = false;  // holds a field that takes the width it gets
  };
  // The grid of the dialog's body, a page or a group box (created on first use).
  struct Container {
    QWidget* widget = nullptr;
    QWidget* scroll = nullptr;  // the dialog's body: the scroll box around it
    QGridLayout* grid = nullptr;
    int nextRow = 0;
    int columns = 0;              // columns used by fields placed in columns
    bool growsTall = false;       // holds a field that takes the height it gets
    std::map<int, int> gridRows;  // form row -> grid row
    std::map<int, Line> lines;    // form row -> its line
  };
  PromptField& FormField(const std::string& name) override { return form_.Field(name); }
  Container& ContainerOf(const PromptField& field);
  QWidget* PageWidget(const std::string& page);
  void PlaceField(PromptField& field, Container& container);
  void PlaceCaptionOver(const std::string& caption, const std::string& target);
  void SyncCaptionsOver();

  PromptForm& form_;
  std::map<std::string, Placed> fields_;
  std::map<std::string, QPushButton*> actions_;
  std::map<std::string, QAction*> menuActions_;  // items of a field's pop-up menu
  std::map<std::pair<std::string, std::string>, Container> containers_;  // (page, group)
  std::map<std::string, QWidget*> pages_;
  QBoxLayout* main_ = nullptr;
  QTabWidget* tabs_ = nullptr;
  bool syncing_ = false;
  bool grown_ = false;  // grown once to what the shown widgets need
};

// The width a window needs for its title in a title bar: the text and the window buttons.
int TitleBarWidth(const QString& title);
// Room a window manager's frame takes around a window: the title bar above, a border elsewhere.
inline constexpr int kWindowFrameSide = 4;
inline constexpr int kWindowFrameTop = 30;
