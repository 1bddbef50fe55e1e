#include "shell/widgets/memo_log_pane.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <algorithm>

MemoLogPane::MemoLogPane(QObject* parent) : QObject(parent) {
  flush_.setSingleShot(true);
  flush_.setInterval(kFlushDelayMs);
  connect(&flush_, &QTimer::timeout, this, &MemoLogPane::Flush);
}

void MemoLogPane::Attach(QPlainTextEdit* memo) {
  memo_ = memo;
  QScrollBar* bar = memo_->verticalScrollBar();
  // Only the user's scrolling of the pane on the screen decides whether it follows the end.
  connect(bar, &QScrollBar::valueChanged, this, [this, bar](int value) {
    if (!appending_ && memo_->isVisible()) follow_ = value >= bar->maximum();
  });
}

void MemoLogPane::Clear() {
  pending_.clear();
  flush_.stop();
  appending_ = true;
  if (memo_) memo_->clear();
  appending_ = false;
  lines_ = 0;
  follow_ = true;
}

void MemoLogPane::Append(const std::string& line) {
  if (!pending_.isEmpty()) pending_ += QLatin1Char('\n');
  pending_ += QString::fromStdString(line);
  // A text with line breaks shows as several lines, and counts so.
  lines_ += 1 + static_cast<int>(std::count(line.begin(), line.end(), '\n'));
  if (!flush_.isActive()) flush_.start();
}

void MemoLogPane::Flush() {
  flush_.stop();
  if (pending_.isEmpty() || !memo_) return;
  // One paragraph per line: the document turns every '\n' into a new block.
  appending_ = true;
  memo_->appendPlainText(pending_);
  pending_.clear();
  if (follow_) {
    // The caret at the end too: a view shown again brings its caret into sight, and a caret
    // left at the top (a click, an emptied pane) would scroll the newest lines out of it.
    if (!memo_->textCursor().hasSelection()) memo_->moveCursor(QTextCursor::End);
    QScrollBar* bar = memo_->verticalScrollBar();
    bar->setValue(bar->maximum());
  }
  appending_ = false;
}

QStringList MemoLogPane::Lines() {
  Flush();
  if (!memo_ || lines_ == 0) return {};
  return memo_->toPlainText().split(QLatin1Char('\n'));
}
