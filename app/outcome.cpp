#include "app/outcome.h"

#include <algorithm>

const char* OutcomeKindName(OutcomeKind kind) {
  switch (kind) {
    case OutcomeKind::Result:
      return "result";
    case OutcomeKind::Fault:
      return "fault";
    case OutcomeKind::InputError:
      return "input_error";
    case OutcomeKind::Status:
      return "status";
    case OutcomeKind::Counter:
      return "counter";
    case OutcomeKind::DialogLine:
      return "dialog_log";
    case OutcomeKind::Conclusion:
      return "conclusion";
  }
  return "result";
}

bool OutcomeEvent::Failed() const {
  if (probe) return false;
  switch (kind) {
    case OutcomeKind::Fault:
    case OutcomeKind::InputError:
      return true;
    case OutcomeKind::Result:
    case OutcomeKind::Status:
    case OutcomeKind::Conclusion:
      return ok == false;
    case OutcomeKind::Counter:
      return failureCounter && value > 0;
    case OutcomeKind::DialogLine:
      return false;
  }
  return false;
}

void OutcomeRecorder::Record(OutcomeEvent event) {
  event.probe = event.probe || probing_ > 0;
  events_.push_back(std::move(event));
  if (OnEvent) OnEvent(events_.back());
}

namespace {

OutcomeEvent Event(OutcomeKind kind, const std::string& text, std::optional<bool> ok) {
  OutcomeEvent e;
  e.kind = kind;
  e.text = text;
  e.ok = ok;
  return e;
}

}  // namespace

void OutcomeRecorder::Result(bool ok, const std::string& text, const std::string& dialog) {
  OutcomeEvent e = Event(OutcomeKind::Result, text, ok);
  e.dialog = dialog;
  Record(std::move(e));
}

void OutcomeRecorder::Fault(LinkFault fault, const std::string& text) {
  OutcomeEvent e = Event(OutcomeKind::Fault, text, false);
  e.fault = fault;
  Record(std::move(e));
}

void OutcomeRecorder::InputError(const std::string& text) {
  Record(Event(OutcomeKind::InputError, text, false));
}

void OutcomeRecorder::Status(const std::string& dialog, const std::string& panel,
                             const std::string& text, std::optional<bool> ok) {
  OutcomeEvent e = Event(OutcomeKind::Status, text, ok);
  e.dialog = dialog;
  e.field = panel;
  Record(std::move(e));
}

void OutcomeRecorder::Counter(const std::string& dialog, const std::string& field, int64_t value,
                              bool failures) {
  OutcomeEvent e = Event(OutcomeKind::Counter, "", std::nullopt);
  e.dialog = dialog;
  e.field = field;
  e.value = value;
  e.failureCounter = failures;
  Record(std::move(e));
}

void OutcomeRecorder::DialogLine(const std::string& dialog, const std::string& field,
                                 const std::string& line) {
  OutcomeEvent e = Event(OutcomeKind::DialogLine, line, std::nullopt);
  e.dialog = dialog;
  e.field = field;
  Record(std::move(e));
}

void OutcomeRecorder::Conclusion(bool ok, const std::string& text) {
  Record(Event(OutcomeKind::Conclusion, text, ok));
}

void OutcomeRecorder::Truncate(size_t from) {
  if (from < events_.size()) events_.resize(from);
}

int OutcomeRecorder::Verdict() const {
  return FailureCount() > 0 ? 1 : 0;
}

size_t OutcomeRecorder::ResultCount() const {
  return static_cast<size_t>(std::count_if(
      events_.begin(), events_.end(), [](const auto& e) { return !e.probe && e.ok.has_value(); }));
}

size_t OutcomeRecorder::FailureCount() const {
  return static_cast<size_t>(
      std::count_if(events_.begin(), events_.end(), [](const auto& e) { return e.Failed(); }));
}
