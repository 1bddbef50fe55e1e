#pragma once
// The outcome of a handler: every result it reports, recorded as it is reported, so that the
// command runner (and the window, if it wants to) knows how a command went without reading the
// text of its log lines. AppCore's log writers record their result lines here; the exchange's
// NACK and time-out reports arrive through the communication module; status panels, the rounds,
// counters and own log of a dialog that stays open, and message boxes that report a result are
// recorded by the handlers through AppCore (a message box that reports a result is a Result).
//
// The verdict: 0 when every result reported was OK, 1 as soon as one step failed (an NG result,
// a NACK or time-out, an input error, an NG status, a failure counter above zero). Failures while
// the handler probes (it tries one read and then another, or asks whether a chip is of a kind)
// are recorded but do not count: a probe's failure is an answer, and the handler reports its own
// result after it.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/log_pane.h"
#include "link/link_fault.h"

enum class OutcomeKind {
  Result,      // an OK/NG result: a result line in any of its forms, a round of a dialog
  Fault,       // the exchange's report of a failed command (NACK, time-out, ...)
  InputError,  // the handler refused what was entered ("Input Error!! [NO Hex Data]")
  Status,      // a status panel's text; ok set when the text is a result
  Counter,     // a dialog's counter
  DialogLine,  // a line of a dialog's own log
  Conclusion,  // the handler's verdict on a whole job that writes no result line of its own
};

// "result", "fault", "input_error", "status", "counter", "dialog_log", "conclusion".
const char* OutcomeKindName(OutcomeKind kind);

struct OutcomeEvent {
  OutcomeKind kind = OutcomeKind::Result;
  std::string text;                   // the line, status text or message as shown
  std::optional<bool> ok;             // Result, Status, Conclusion
  LinkFault fault = LinkFault::Nack;  // Fault
  std::string dialog;                 // the dialog class it belongs to ("": the main log pane)
  std::string field;                  // Status: the panel; Counter, DialogLine: the control
  int64_t value = 0;                  // Counter
  bool failureCounter = false;        // Counter: it counts failures (NG)
  bool probe = false;                 // recorded while the handler was probing

  // Whether this event makes the verdict 1.
  bool Failed() const;
};

class OutcomeRecorder {
 public:
  void Record(OutcomeEvent event);

  // Shorthands.
  void Result(bool ok, const std::string& text, const std::string& dialog = "");
  void Fault(LinkFault fault, const std::string& text);
  void InputError(const std::string& text);
  void Status(const std::string& dialog, const std::string& panel, const std::string& text,
              std::optional<bool> ok);
  void Counter(const std::string& dialog, const std::string& field, int64_t value, bool failures);
  void DialogLine(const std::string& dialog, const std::string& field, const std::string& line);
  void Conclusion(bool ok, const std::string& text);

  const std::vector<OutcomeEvent>& Events() const { return events_; }
  // Forgets the events (the runner starts each handler with an empty outcome).
  void Clear() { events_.clear(); }
  // Events from index `from` on: dropped (a quiet identification is no part of the outcome).
  void Truncate(size_t from);

  // 0 when nothing failed, 1 when something did (see the top of this file).
  int Verdict() const;
  // Counts for a summary.
  size_t ResultCount() const;
  size_t FailureCount() const;

  // Called with every event as it is recorded (the runner prints and streams them).
  std::function<void(const OutcomeEvent&)> OnEvent;

  // While one of these lives, failures are a probe's (see the top of this file).
  class Probe {
   public:
    explicit Probe(OutcomeRecorder& r) : r_(r) { ++r_.probing_; }
    ~Probe() { --r_.probing_; }
    Probe(const Probe&) = delete;
    Probe& operator=(const Probe&) = delete;

   private:
    OutcomeRecorder& r_;
  };

 private:
  std::vector<OutcomeEvent> events_;
  int probing_ = 0;
};

// A dialog's own log pane that records each of its lines in the outcome as well.
class RecordingLogPane : public LogPane {
 public:
  RecordingLogPane(LogPane& pane, OutcomeRecorder& outcome, std::string dialog, std::string field)
      : pane_(pane), outcome_(outcome), dialog_(std::move(dialog)), field_(std::move(field)) {}
  int LineCount() const override { return pane_.LineCount(); }
  void Clear() override { pane_.Clear(); }
  void Append(const std::string& line) override {
    pane_.Append(line);
    outcome_.DialogLine(dialog_, field_, line);
  }

 private:
  LogPane& pane_;
  OutcomeRecorder& outcome_;
  std::string dialog_;
  std::string field_;
};
