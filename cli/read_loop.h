#pragma once
// Read-loop mode for the listen verb: the switch into it and back, the tally, and the report of
// each ID frame (the "id" event with --json, and the repeats --dedup leaves out).
#include <QElapsedTimer>
#include <cstdint>
#include <string>
#include <unordered_map>

#include "cli/session.h"

// Command mode first, then continuous (or animal-ID) reading, as the "Read Loop Mode" button
// does; the result line says how it went. False when the module did not take it.
bool EnterReadLoop(Session& s);
// Back to command mode while the module may still stream ID frames. After a signal one short try
// only: the run must end within a second.
bool BackToCommandMode(TTirisC1Dlg& comm, bool interrupted);
// The tally as lines (a header, then one row per ID) or as "tally" events.
void PrintTally(const TagTally& tally);

// Sees every ID frame of the run: the "id" event with the kind, the ID bytes, the animal code
// where the tag carries one, and leaves out a repeat of an ID within dedupMs of the time it was
// last shown (0: none left out). Installed on the receiver for the life of the object.
class IdReporter {
 public:
  IdReporter(TTirisC1Dlg& comm, uint32_t dedupMs);
  ~IdReporter();
  IdReporter(const IdReporter&) = delete;
  IdReporter& operator=(const IdReporter&) = delete;

 private:
  bool Show(const uint8_t* frame, const std::string& kindText, const std::string& idText);
  TTirisC1Dlg& comm_;
  uint32_t dedupMs_;
  QElapsedTimer clock_;
  std::unordered_map<std::string, int64_t> lastShown_;  // kind and ID -> ms of the clock
};
