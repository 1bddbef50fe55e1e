#pragma once
// The reader check: how well this module and its antenna read a tag, measured. Headless: the
// command runner's check verb and the window's "Reader check..." dialog both run it and show its
// figures as they come.
//
// 1. Power sweep: the LF transmission level found at the start is noted (and kept in a state
//    file until it is set again, app/lf_level_restore.h); from the top down (50, 45, ..., 5) each
//    level gets N reads with the family's own read, then the levels between the lowest coarse
//    level that still read and the one below it get N reads each. Per level: the read rate and
//    the p50/p95 round-trip time. The threshold is the lowest level that reads >= 95 %, with every
//    level measured above it reading so too.
// 2. SIC7888 tuning (opt-in): for each tuning value (CT 0-31), the threshold at reduced power;
//    the best value is the one with the lowest threshold. It is written only when asked; else the
//    original value is written back and checked with READ CT.
// 3. Link and noise: with the field empty (the user is asked to take the tag away), read-loop
//    mode for a while, counting ID frames, frames with a wrong SUM or of an unknown type and stray
//    bytes; then N identification exchanges (ROM version) with their time-outs and NACKs.
// The start level is set again at the end, after a failure and when the run is stopped; a port
// that vanished gets it back at its next identification.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class AppCore;

enum class CheckFamily { Hdx, Fdx, Sic7888, Em4305 };

// "hdx", "fdx", "sic7888", "em4305" (as options and JSON name them); nullopt for anything else.
std::optional<CheckFamily> CheckFamilyByName(const std::string& name);
const char* CheckFamilyName(CheckFamily family);

struct CheckSettings {
  std::optional<CheckFamily> family;  // nullopt: the family of the tag that answers
  bool withTag = true;                // false: the field is empty, no sweep and no prompt
  int reads = 20;                     // reads per level
  std::vector<int> levels;            // coarse levels, top first; empty: 50, 45, ..., 5
  bool link = true;                   // the link and noise part
  uint32_t listenMs = 5000;           // read-loop time of the noise count
  int identifications = 20;           // identification exchanges
  bool tune = false;                  // SIC7888 tuning sweep
  bool apply = false;                 // write the best tuning value
  int tuneLevel = 0;                  // top level of the tuning sweeps; 0: threshold + 10
  int tuneReads = 5;                  // reads per level in the tuning sweeps
  uint32_t tagAwayMs = 60000;         // how long to wait for the field to be empty
};

struct LevelResult {
  int level = 0;
  int reads = 0;
  int ok = 0;
  double p50Ms = 0;  // round-trip time of the reads, answered or not
  double p95Ms = 0;
  double Rate() const { return reads > 0 ? static_cast<double>(ok) / reads : 0.0; }
};

struct LinkResult {
  bool ran = false;
  uint32_t listenMs = 0;
  uint64_t idFrames = 0;
  uint64_t badSum = 0;
  uint64_t badFormat = 0;
  uint64_t strayBytes = 0;
  int exchanges = 0;
  int answered = 0;
  int timeouts = 0;
  int nacks = 0;
};

struct TuneStep {
  int ct = 0;
  std::optional<int> threshold;  // nullopt: did not read at the top level
};

struct TuneResult {
  bool ran = false;
  int original = -1;
  int topLevel = 0;
  std::vector<TuneStep> steps;
  std::optional<int> best;
  bool applied = false;
  std::optional<int> ctAfter;  // READ CT at the end
};

struct CheckResult {
  std::optional<CheckFamily> family;
  int startLevel = -1;
  std::vector<LevelResult> levels;  // top first
  std::optional<int> threshold;
  TuneResult tune;
  LinkResult link;
  bool levelRestored = false;  // the start level was set again and read back (or never changed)
  bool cancelled = false;      // stopped by the user or a signal
  std::string failure;         // why it ended early; empty when it did not
  bool Ok() const { return failure.empty() && !cancelled && levelRestored; }
};

// The waits a check may make a person sit through.
enum class CheckWait { kNone, kTagAway, kEmptyField };

struct CheckHooks {
  // A step of the check: its phase ("sweep", "tune", "link"), steps done and expected.
  std::function<void(const std::string& phase, int done, int total)> progress;
  std::function<void(const LevelResult&)> levelDone;
  std::function<void(const TuneStep&)> tuneDone;
  // Asked between exchanges: true ends the check (the level is still set back).
  std::function<bool()> stop;
  // A wait of more than a moment: which wait, what it waits for (in the window's language) and
  // the whole seconds left, when it begins and whenever that number changes; (kNone, "", 0) when
  // it is over. `stop` ends it too.
  std::function<void(CheckWait wait, const std::string& what, int secondsLeft)> waiting;
};

// The coarse levels by default: 50, 45, ..., 5.
std::vector<int> DefaultCheckLevels();
// v with that many decimals ("39.77"), as the check's lines, table and report show figures.
std::string FixedDecimals(double v, int decimals);
// The p-th percentile (0-100) by the nearest rank; 0 for no values.
double Percentile(std::vector<double> values, double p);
// The lowest level reading >= 95 % with every level above it reading so too; nullopt when the
// top level does not.
std::optional<int> ThresholdOf(std::vector<LevelResult> levels);
// Fine levels between the lowest coarse level that reads and the coarse level below it.
std::vector<int> FineLevels(const std::vector<LevelResult>& coarse);
// The tuning value with the lowest threshold; ties go to the value nearest the original.
std::optional<int> BestTuning(const std::vector<TuneStep>& steps, int original);

CheckResult RunReaderCheck(AppCore& app, const CheckSettings& settings, const CheckHooks& hooks);
