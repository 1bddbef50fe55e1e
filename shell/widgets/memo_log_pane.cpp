#include "shell/widgets/memo_log_pane.h"

#include <QPlainTextEdit>
#include <algorithm>

MemoLogPane::MemoLogPane(QObject* parent) : QObject(parent) {
  flush_.setSingleShot(true);
  flush_.setInterval(kFlushDelayMs);
  connect(&flush_, &QTimer::timeout, this, &MemoLogPane::Flush);
}

void MemoLogPane::Clear() {
  pending_.clear();
  flush_.stop();
  if (memo_) memo_->clear();
  lines_ = 0;
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
  memo_->appendPlainText(pending_);
  pending_.clear();
}

QStringList MemoLogPane::Lines() {
  Flush();
  if (!memo_ || lines_ == 0) return {};
  return memo_->toPlainText().split(QLatin1Char('\n'));
}
