#include "cli/output.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "cli/interrupt.h"
#include "version.h"

namespace {

// The first failed write of standard output (errno), 0 while every write went through.
int gStdoutError = 0;

// Nobody reads any more (or the disk is full): the run ends as on SIGTERM, and its exit status
// says that the output is incomplete.
void StdoutFailed(int error) {
  if (gStdoutError) return;
  gStdoutError = error ? error : EIO;
  interrupt::RequestStop(SIGPIPE);
}

// Flushes standard output after a write; false (and the failure noted) when any of it failed.
bool Flushed() {
  const bool flushed = std::fflush(stdout) == 0;
  const int error = errno;  // of the write or of the flush, before anything else can change it
  if (flushed && !std::ferror(stdout)) return true;
  StdoutFailed(error);
  return false;
}

void PutLine(std::FILE* f, const std::string& line) {
  errno = 0;
  std::fwrite(line.data(), 1, line.size(), f);
  std::fputc('\n', f);
  if (f == stdout)
    Flushed();
  else
    std::fflush(f);
}

}  // namespace

bool StdoutOk() {
  if (gStdoutError) return false;
  errno = 0;
  return Flushed();
}

bool WriteStdout(std::string_view text) {
  if (gStdoutError) return false;
  errno = 0;
  std::fwrite(text.data(), 1, text.size(), stdout);
  return Flushed();
}

bool IsStandardOutput(const std::string& fileName) {
  return fileName == "-";
}

int StdoutErrorCode() {
  return gStdoutError;
}

void ResetStdoutError() {
  gStdoutError = 0;
  std::clearerr(stdout);
}

std::string ProgramName(const std::string& verb) {
  return verb.empty() ? "qzh900ctl" : "qzh900ctl " + verb;
}

Output& Output::Get() {
  static Output output;
  return output;
}

void Output::Start(const std::string& verb, bool json) {
  verb_ = verb;
  json_ = json;
  finished_ = false;
  clock_.start();
  Event(
      "start",
      {{"verb", Q(verb)}, {"version", version::kFileVersion}, {"schema_version", kSchemaVersion}});
}

void Output::Write(const char* event, QJsonObject fields) {
  fields.insert("event", event);
  fields.insert("t_ms", static_cast<qint64>(clock_.isValid() ? clock_.elapsed() : 0));
  fields.insert("time", QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs));
  PutLine(stdout, QJsonDocument(fields).toJson(QJsonDocument::Compact).toStdString());
}

void Output::Event(const char* event, QJsonObject fields) {
  if (json_) Write(event, std::move(fields));
}

void Output::LogLine(const std::string& line) {
  if (json_)
    Write("log", {{"line", Q(line)}});
  else
    PutLine(stdout, line);
}

void Output::Data(const std::string& line, const char* event, const QJsonObject& fields) {
  if (json_)
    Write(event, fields);
  else
    PutLine(stdout, line);
}

void Output::Note(const std::string& line, const char* event, QJsonObject fields) {
  PutLine(stderr, line);
  if (!json_) return;
  fields.insert("text", Q(line));
  Write(event, std::move(fields));
}

void Output::Outcome(const OutcomeEvent& e) {
  switch (e.kind) {
    case OutcomeKind::Status:
      PutLine(stderr, e.dialog + " " + e.field + ": " + e.text);
      break;
    case OutcomeKind::DialogLine:
      PutLine(stderr, e.dialog + " " + e.field + ": " + e.text);
      break;
    case OutcomeKind::Counter:
      PutLine(stderr, e.dialog + " " + e.field + ": " + std::to_string(e.value));
      break;
    default:
      break;
  }
  if (!json_) return;
  QJsonObject o;
  if (e.kind != OutcomeKind::Counter) o.insert("text", Q(e.text));
  if (e.kind == OutcomeKind::Result || e.kind == OutcomeKind::Status ||
      e.kind == OutcomeKind::Conclusion)
    o.insert("ok", e.ok ? QJsonValue(*e.ok) : QJsonValue(QJsonValue::Null));
  if (e.kind == OutcomeKind::Fault) o.insert("fault", LinkFaultName(e.fault));
  if (!e.dialog.empty()) o.insert("dialog", Q(e.dialog));
  if (!e.field.empty()) o.insert("field", Q(e.field));
  if (e.kind == OutcomeKind::Counter) {
    o.insert("value", static_cast<qint64>(e.value));
    o.insert("counts", e.failureCounter ? "ng" : "ok");
  }
  if (e.kind != OutcomeKind::DialogLine && e.kind != OutcomeKind::Counter)
    o.insert("probe", e.probe);
  Write(OutcomeKindName(e.kind), std::move(o));
}

void Output::Error(const std::string& reason) {
  PutLine(stderr, ProgramName(verb_) + ": " + reason);
  Event("error", {{"text", Q(reason)}});
}

int Output::Finish(int verdict, int exitCode, bool interrupted, const OutcomeRecorder* outcome) {
  if (finished_) return exitCode;
  finished_ = true;
  if (!StdoutOk()) exitCode = 2;
  QJsonObject o{
      {"verb", Q(verb_)}, {"verdict", verdict}, {"exit", exitCode}, {"interrupted", interrupted}};
  if (outcome) {
    o.insert("results", static_cast<qint64>(outcome->ResultCount()));
    o.insert("failures", static_cast<qint64>(outcome->FailureCount()));
  }
  Event("summary", std::move(o));
  if (!StdoutOk()) {
    // One line, whatever the run wrote before: the output it was asked for is incomplete.
    PutLine(stderr, ProgramName(verb_) + ": standard output: " + std::strerror(gStdoutError));
    return 2;
  }
  return exitCode;
}
