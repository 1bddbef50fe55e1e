#pragma once
// Memo1: the main window's log pane on a read-only QPlainTextEdit. Lines are collected and
// handed to the view in batches (one append per flush instead of one per line), which keeps a
// read-loop flood cheap; order and text stay exactly as written, and the line count the
// 5000-line rule reads includes the lines not yet shown. The view keeps the newest line in sight
// unless the user has scrolled up to read: also while the pane is hidden behind another tab and
// when it is emptied by the line rule there, so a command's result is on the screen as soon as
// the pane is.
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include "core/log_pane.h"

class QPlainTextEdit;

class MemoLogPane : public QObject, public LogPane {
  Q_OBJECT
 public:
  // Milliseconds a line may wait before it is shown.
  static constexpr int kFlushDelayMs = 25;

  explicit MemoLogPane(QObject* parent = nullptr);
  void Attach(QPlainTextEdit* memo);

  int LineCount() const override { return lines_; }
  void Clear() override;
  void Append(const std::string& line) override;

  // Shows the waiting lines now.
  void Flush();
  // Every line of the pane, shown or waiting.
  QStringList Lines();

 private:
  QPlainTextEdit* memo_ = nullptr;
  QString pending_;
  QTimer flush_;
  int lines_ = 0;
  bool follow_ = true;      // the view stays at the end
  bool appending_ = false;  // the pane moves the view itself
};
