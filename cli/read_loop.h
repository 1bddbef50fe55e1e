#pragma once
// Read-loop mode for the listen verb: the switch into it and back, the tally, and the report of
// each ID frame (the "id" event with --json, and the repeats --dedup leaves out).
#include <QElapsedTimer>
#include <cstdint>
#include <string>
#include <unordered_map>

#include "cli/session.h"
#include "codec/frame_id.h"

// Command mode first, then continuous (or animal-ID) reading, as the "Read Loop Mode" button
// does; the result line says how it went. False when the module did not take it.
bool EnterReadLoop(Session& s);
// The end of a run whose EnterReadLoop failed: exit 2 with one line when no module answers on
// the port, else the verdict 1.
int ReadLoopRefused(Session& s);
// Back to command mode while the module may still stream ID frames. After a signal one short try
// only: the run must end within a second.
bool BackToCommandMode(TTirisC1Dlg& comm, bool interrupted);
// The tally as lines (a header, then one row per ID) or as "tally" events.
void PrintTally(const TagTally& tally);

struct IdReporterOptions {
  uint32_t dedupMs = 0;        // 0: every ID frame is shown
  bool linesInJson = true;     // with --json: the frames' log lines as "log" events too
  bool japaneseNames = false;  // country names in Japanese
};

// Sees every ID frame of the run: the "id" event with the tag's decoded identity (the ID bytes,
// the country and national ID of an animal code, the EM number of an EM tag), and leaves out a
// repeat of an ID within dedupMs of the time it was last shown, its lines included (0: none left
// out). Listens to the receiver for the life of the object.
class IdReporter {
 public:
  IdReporter(TTirisC1Dlg& comm, const IdReporterOptions& options);
  IdReporter(const IdReporter&) = delete;
  IdReporter& operator=(const IdReporter&) = delete;

 private:
  bool Show(const fdx::FrameId& id, const std::string& kindText, const std::string& idText);
  TTirisC1Dlg& comm_;
  IdReporterOptions options_;
  QElapsedTimer clock_;
  std::unordered_map<std::string, int64_t> lastShown_;  // kind and ID -> ms of the clock
  Subscription listening_;  // last: it goes first, before what Show uses
};
