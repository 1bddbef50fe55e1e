#pragma once
// What the runner writes. Without --json: standard output carries exactly the log pane's lines
// (and a verb's own data lines: the tally, the dump's table, the item list), standard error the
// lines for a person (progress, status panels, a dialog's own log and counters, confirmations,
// message boxes, the one-line reason of an error). With --json: standard output carries JSON
// Lines instead, one object per event, each with "event", a monotonic "t_ms" since the start and
// the wall-clock "time" (ISO 8601, UTC), ending with a "summary" object that holds the verdict and
// the exit status (docs/qzh900ctl.schema.json); standard error keeps its lines.
#include <QElapsedTimer>
#include <QJsonObject>
#include <string>
#include <string_view>

#include "app/outcome.h"

// A std::string as the QString the JSON events and Qt calls take.
inline QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

class Output {
 public:
  // The JSON Schema version the events follow (docs/qzh900ctl.schema.json).
  static constexpr int kSchemaVersion = 3;

  // The output of the process.
  static Output& Get();

  // A new run of `verb` ("" before the verb is known); with json, the "start" event.
  void Start(const std::string& verb, bool json);
  bool Json() const { return json_; }

  // A log pane line.
  void LogLine(const std::string& line);
  // A data line of the verb: the line as it is on standard output, or the event.
  void Data(const std::string& line, const char* event, const QJsonObject& fields);
  // A line for a person on standard error ("program: [1/5] waiting for a tag"), and with --json
  // the event with the line as its "text" and the fields given.
  void Note(const std::string& line, const char* event, QJsonObject fields = {});
  // An event of the JSON stream only.
  void Event(const char* event, QJsonObject fields);
  // An event of a handler's outcome: status panels, dialog lines and counters on standard error;
  // every kind in the JSON stream.
  void Outcome(const OutcomeEvent& e);
  // The one-line reason of a usage or port error on standard error, and the "error" event.
  void Error(const std::string& reason);
  // The "summary" event; returns exitCode.
  int Finish(int verdict, int exitCode, bool interrupted, const OutcomeRecorder* outcome);

 private:
  void Write(const char* event, QJsonObject fields);
  std::string verb_;
  bool json_ = false;
  bool finished_ = false;
  QElapsedTimer clock_;
};

// Every write to standard output is checked. A failed one (a closed pipe, a full disk, a closed
// descriptor) asks the run to stop as SIGTERM would (interrupt::RequestStop); Output::Finish then
// writes one line on standard error and makes the exit status 2.
// Flushes standard output; false once any write of it failed.
bool StdoutOk();
// Writes text as it is to standard output; false when that failed.
bool WriteStdout(std::string_view text);
// "-" as a file name: standard output (every verb that writes a file takes it).
bool IsStandardOutput(const std::string& fileName);
// errno of the first failed write (0 none); forgotten by ResetStdoutError (a new run in-process).
int StdoutErrorCode();
void ResetStdoutError();

// "qzh900ctl" or "qzh900ctl VERB", for the beginning of error lines.
std::string ProgramName(const std::string& verb);
