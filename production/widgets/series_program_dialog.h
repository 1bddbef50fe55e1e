#pragma once
// The production window: TSeriesProgramDlg's form in a look made to be read from a metre away.
// Three tabs (set-up, running, afterwards) over the buttons; on the running tab the step in large
// letters, the code being written, the last result as a large OK or NG on green or red, the
// counts, a progress bar to the planned count and the last rows. Each new result sounds (once for
// OK, three times for NG) unless the set-up's sound box is cleared. Space pauses and resumes, Esc
// stops while a series runs (Esc closes the window otherwise).
#include "prompts/widgets/prompt_dialog.h"

class QBoxLayout;
class QLabel;
class QProgressBar;
class QTabWidget;

class TSeriesProgramDialog : public PromptDialog {
  Q_OBJECT
 public:
  TSeriesProgramDialog(PromptForm& form, QWidget* parent);

  void Build() override;
  void SyncFromForm() override;

  QProgressBar* Progress() const { return progress_; }
  QTabWidget* Tabs() const { return tabs_; }
  // Results sounded so far (tests).
  int Sounded() const { return sounded_; }

 protected:
  void reject() override;
  // Space while a series runs is Pause, whichever widget of the window has the focus (a focused
  // button would take it as its own press).
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* SetupPage();
  QWidget* RunPage();
  QWidget* SummaryPage();
  void Sound();

  QTabWidget* tabs_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QWidget* summary_ = nullptr;  // the summary, which takes the page when no orphan is listed
  QBoxLayout* summaryLayout_ = nullptr;
  std::string lastCounts_;  // the station's counts last shown: a change is a new result
  int sounded_ = 0;
};

// Registers it with the window's prompts (WidgetPrompts); the program calls it once.
void RegisterSeriesProgramDialogRenderer();
