#pragma once
// The reader check's window: the settings row, the live plot (Qt Charts: read rate and p95
// round-trip time against the LF level, the threshold as a vertical line), the table of levels, a
// progress bar, the status line and the buttons. It renders ReaderCheckModel's form; the plot is
// redrawn from the form's table whenever the handler refreshes it.
#include "prompts/widgets/prompt_dialog.h"

class QChart;
class QLineSeries;
class QProgressBar;
class QScatterSeries;
class QValueAxis;

class ReaderCheckWindow : public PromptDialog {
  Q_OBJECT
 public:
  ReaderCheckWindow(PromptForm& form, QWidget* parent);

  void Build() override;
  void SyncFromForm() override;

  // The series as drawn (tests and screenshots look at them).
  QLineSeries* RateSeries() const { return rate_; }
  QLineSeries* LatencySeries() const { return latency_; }
  QLineSeries* ThresholdSeries() const { return threshold_; }

 private:
  void UpdatePlot();

  QChart* chart_ = nullptr;
  QLineSeries* rate_ = nullptr;
  QLineSeries* latency_ = nullptr;
  QLineSeries* threshold_ = nullptr;
  QValueAxis* latencyAxis_ = nullptr;
  QProgressBar* progress_ = nullptr;
};

// Registers it with the window's prompts (WidgetPrompts); the program calls it once.
void RegisterReaderCheckWindow();
