#pragma once
// A dialog as data. Every dialog a handler needs is described by a PromptForm: its class name,
// caption, fields (named after the controls: IntEd1, EdString, ComboBox1, CBLock, RGHexDecimal,
// StringGrid1, ...) and actions (buttons). The window shows a form with a real dialog; tests and
// the command runner answer it from a script. Behaviour that belongs to the dialog (a combo that
// hides fields, a fill button) lives in the form's callbacks, so both ways run it.
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "prompts/number_edit_model.h"

enum class FieldKind {
  Label,   // static text; `text` is its caption
  Number,  // numeric edit (TNumberEdit); `number` holds spec, value and text
  Text,    // one-line text edit; `text`
  Choice,  // combo box or list box; `items`, `index` (-1: none)
  Radio,   // radio group; `items`, `index`, `columns`
  Check,   // check box; `checked`, caption in `label`
  Table,   // string grid; `cells[row][col]`, `cellColors` (0xRRGGBB or -1)
  Memo,    // multi-line log; `lines`
  Panel,   // coloured status panel; `text`, `color`
};

// How a Choice field looks: a fixed drop-down list, an editable drop-down (its edit text in
// `text`; typing a text that is no item leaves no item selected) or a list box.
enum class ChoiceStyle { DropDownList, DropDown, List };

struct PromptField {
  std::string name;
  FieldKind kind = FieldKind::Label;
  std::string label;  // caption of the field's label or group box
  bool visible = true;
  bool enabled = true;
  bool readOnly = false;
  // Layout facts for the window; the look is the window's business, names and behaviour are the
  // form's.
  //   page    the tab page the field sits on (empty: no tabs)
  //   group   the caption of a group box around the fields that share it (empty: no box)
  //   row     fields that share a row number >= 0 stand on one line, in the order added
  //   column  a row may place its fields in columns instead, shared by every row of its page or
  //           group that uses columns (a grid); a field whose caption stands beside it takes two
  //           columns, the caption's and its own. -1: the next place of the row's line.
  //   span    the columns the field takes in a grid
  //   over    a Label that stands over that field, aligned with it (the "MSB" and "LSB" marks of
  //           a byte row); its own row is then not used
  //   labelOver  the field's own caption stands over it rather than beside it
  //   watched the user watches the field while the handler works (counters, a status panel): a
  //           progress window keeps clear of it
  std::string page;
  std::string group;
  int row = -1;
  int column = -1;
  int span = 1;
  std::string over;
  bool labelOver = false;
  bool watched = false;
  std::string hint;  // tool tip

  NumberEditModel number;  // Number
  std::string text;        // Label, Text, Panel
  std::vector<std::string> items;
  // List: a further text per item that the list shows beside it (a port's device); the item
  // itself stays what is chosen and answered.
  std::vector<std::string> itemDetails;
  int index = -1;  // Choice, Radio; read-only Table: the selected row after the fixed rows
  ChoiceStyle choiceStyle = ChoiceStyle::DropDownList;  // Choice
  int columns = 1;                                      // Radio
  bool checked = false;                                 // Check
  std::vector<std::vector<std::string>> cells;          // Table: [row][col], row 0 the header
  std::vector<std::vector<int>> cellColors;             // Table: text colour per cell, -1 default
  std::vector<int> columnWidths;                        // Table
  int fixedRows = 1, fixedCols = 0;                     // Table
  std::vector<std::string> lines;                       // Memo
  int color = -1;                                       // Panel background, 0xRRGGBB

  // Value of a Number field, truncated toward zero.
  int64_t Int() const { return number.IntValue(); }
};

enum class ActionKind {
  Accept,  // closes the dialog with OK
  Cancel,  // closes the dialog with Cancel (also Escape and the window's close box)
  Local,   // runs the form's onAction and stays open (fill buttons, "All select")
  Return,  // Interact() returns its name to the handler; the dialog stays open
};

struct PromptAction {
  std::string name;  // OKBtn, CancelBtn, ScanSBt, ...
  std::string caption;
  ActionKind kind = ActionKind::Accept;
  bool visible = true;
  bool enabled = true;
  bool isDefault = false;
  // Where the window puts it (layout facts, as for fields): by default with the dialog's
  // buttons; on a tab page; in the line of a row of fields (on `page`); or as an item of the
  // pop-up menu of a field.
  std::string page;
  int row = -1;
  std::string menuOf;
};

struct PromptForm {
  std::string dialog;              // class name: "TInputIntDlg"
  std::string caption;             // window caption
  std::deque<PromptField> fields;  // deque: references stay valid while adding
  std::deque<PromptAction> actions;
  // Where the dialog opens: centred on the screen, or on the main window.
  bool centerOnMainWindow = false;
  // An interactive dialog that leaves the main window usable beside it (its handler still holds
  // the module: other handlers are refused meanwhile).
  bool modeless = false;
  // Tab pages (in order, by name: "TabSheet1"), their tab texts (parallel to `pages`; a missing
  // text shows the name) and the pages whose tabs are hidden.
  std::vector<std::string> pages;
  std::vector<std::string> pageCaptions;
  std::vector<std::string> hiddenPages;
  // The page whose tab is in front, by name ("": the window's choice, the first visible one). A
  // dialog that reads it gives it a name; the window keeps it in step with the tab the user
  // picks and raises onChange with kPageControl.
  std::string activePage;

  // Called after a field changed its value (by the user or by a script answer).
  std::function<void(PromptForm&, const std::string& field)> onChange;
  // Called for a Local action.
  std::function<void(PromptForm&, const std::string& action)> onAction;

  PromptField* Find(const std::string& name);
  const PromptField* Find(const std::string& name) const;
  // The field of that name; a missing name is a programming error and throws std::logic_error.
  PromptField& Field(const std::string& name);
  const PromptField& Field(const std::string& name) const;
  PromptAction* FindAction(const std::string& name);
  PromptAction& Action(const std::string& name);

  // Builders.
  PromptField& AddLabel(const std::string& name, const std::string& text);
  PromptField& AddNumber(const std::string& name, const std::string& label, const NumberSpec& spec,
                         double value);
  PromptField& AddText(const std::string& name, const std::string& label, const std::string& text);
  PromptField& AddChoice(const std::string& name, const std::string& label,
                         std::vector<std::string> items, int index);
  PromptField& AddRadio(const std::string& name, const std::string& label,
                        std::vector<std::string> items, int index, int columns = 1);
  PromptField& AddCheck(const std::string& name, const std::string& label, bool checked);
  PromptField& AddTable(const std::string& name, int rows, int cols);
  PromptField& AddMemo(const std::string& name);
  PromptField& AddPanel(const std::string& name, const std::string& text);
  PromptAction& AddAction(const std::string& name, const std::string& caption, ActionKind kind,
                          bool isDefault = false);
  // A tab page with its tab text.
  void AddPage(const std::string& name, const std::string& caption);
  // The usual pair: OKBtn "OK" (default) and CancelBtn with the given caption.
  void AddOkCancel(const std::string& okCaption = "OK",
                   const std::string& cancelCaption = "Cancel");

  // Raises onChange for a field (implementations call this after changing a value).
  void Changed(const std::string& field) {
    if (onChange) onChange(*this, field);
  }
};

// The name of the tab control of a form with pages: what onChange names when the user picks
// another tab, and the answer key that picks one in a script.
inline constexpr const char* kPageControl = "PageControl1";

// Number spec helpers for the common cases.
NumberSpec DecimalSpec(double min, double max, bool limit);
NumberSpec HexSpec(double min, double max, bool limit, int figure = -1);
