#pragma once
// Series programming without the module: the codes of a series, their text forms, and the results
// file, the operator's record of the run (one row per tag, written and flushed as soon as the tag
// is done). The code ledger (ledger/) is the authority on which codes were verified; the loop that
// talks to the module is production/series_run.h.
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/files.h"
#include "fdx/animal_id_write.h"
#include "ledger/code_plan.h"

namespace series {

using ledger::CodeKind;

// The first code and the step of a series. `number` is the national ID (animal codes) or the
// 63-bit number (industrial codes).
struct Plan {
  fdx::IdChip chip = fdx::IdChip::Sic7888;
  CodeKind kind = CodeKind::Animal;
  unsigned country = 0;
  uint64_t number = 0;
  uint64_t increment = 1;
};

// The largest number of each kind.
using ledger::MaxNumber;
// The 64-bit code of a number (ledger::CodeOf).
uint64_t CodeOf(const Plan& plan, uint64_t number);
// The number after `number`, or nullopt when the series is exhausted.
std::optional<uint64_t> Next(const Plan& plan, uint64_t number);

// "999 000000000001" (country, national ID) for a code with the animal flag, else the number as
// 19 decimal digits.
std::string CodeText(uint64_t code);
// The reverse of CodeText; nullopt for anything else.
std::optional<uint64_t> ParseCodeText(const std::string& text);

// "sic279", "sic7888", "em4305", "hdxplus" and the names in the results file.
std::optional<fdx::IdChip> ChipOfName(const std::string& name);
std::string ChipName(fdx::IdChip chip);        // "SIC7888"
std::string ChipOptionName(fdx::IdChip chip);  // "sic7888"

struct Row {
  std::string time;  // "2026-12-09 07:15:02"
  std::string port;
  std::string chip;
  std::string written;   // CodeText
  std::string readBack;  // CodeText, or "" when nothing could be read
  bool ok = false;       // "OK" / "NG"
  std::string uid;       // UID or traceability data, hexadecimal bytes
  int64_t series = 0;    // the ledger's series; 0: none (a row of a file of an older version)
};

// The results file, a CSV file (RFC 4180) of one writer at a time. Open locks it for this
// process (a second run on the same file is refused) and reads its rows, writing nothing, and
// refuses a file that is not a results file or holds a row that cannot be read; Begin, once the
// run's checks have passed, gives a new file its header; rows go out one by one, each flushed to
// the disk. The series is the last column, added after the others so that readers of the first
// seven keep working: a file of an older version (seven columns) is read, and keeps its header
// when rows with the series are appended. A UTF-8 byte order mark (a spreadsheet's "CSV UTF-8")
// is passed over.
class ResultsFile {
 public:
  static constexpr const char* kHeader = "time,port,chip,written,read back,result,uid,series";
  // The largest results file read (some two million rows).
  static constexpr size_t kLimit = size_t{256} << 20;

  ResultsFile() = default;
  ~ResultsFile();
  ResultsFile(const ResultsFile&) = delete;
  ResultsFile& operator=(const ResultsFile&) = delete;

  // Takes the file (created when missing), reads its rows; false with the reason, which names
  // the file and, for a row that cannot be read, its line.
  bool Open(const std::string& path, std::string* error);
  // Before the first row: the header into a new or empty file, and a last row cut short by a
  // crash (it carries no result) taken out; its text goes to *dropped. False with the reason.
  bool Begin(std::string* error, std::string* dropped = nullptr);
  const std::vector<Row>& Rows() const { return rows_; }
  // The file as Open was given it.
  const std::string& Path() const { return path_; }
  // Appends one row and flushes it to the disk; false with the reason (the row is then not in
  // the file).
  bool Append(const Row& row, std::string* error);
  // Unlocks and closes; a file Open created stays only when something was written to it.
  void Close();

  // The codes of every verified row.
  std::set<uint64_t> VerifiedCodes() const;
  // The last verified code of this kind (and, for animal codes, this country).
  std::optional<uint64_t> LastVerified(CodeKind kind, unsigned country) const;

  // One row as a line of the file, without its line end.
  static std::string Line(const Row& row);
  // The row of a record's fields; nullopt with the reason when they are not one.
  static std::optional<Row> RowOf(const std::vector<std::string>& fields, std::string* why);

 private:
  bool Parse(std::string_view text, std::string* error);

  files::LockedAppendFile file_;
  std::string path_;
  std::vector<Row> rows_;
  bool empty_ = false;                // nothing in the file yet: Begin writes the header
  bool unended_ = false;              // the header without its line end: Begin adds it
  size_t cutAt_ = std::string::npos;  // where a last row cut short starts
  std::string cutText_;
};

// Local time as "yyyy-mm-dd hh:mm:ss".
std::string TimeText(int64_t unixSeconds);

}  // namespace series
