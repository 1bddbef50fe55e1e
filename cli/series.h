#pragma once
// Series programming without the module: the codes of a series, their text forms, and the results
// file that keeps the progress (one row per tag, written and flushed as soon as the tag is done),
// from which --resume continues. The loop that talks to the module is in verbs_program.cpp.
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "fdx/animal_id_write.h"

namespace series {

enum class CodeKind { Animal, Industrial };

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
uint64_t MaxNumber(CodeKind kind);
// The 64-bit code of a number: animal flag, country and national ID, or the number with bit 63
// clear.
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
};

// The results file. Opening it creates it with its header when missing or empty, and refuses
// a file that is not a results file; rows go out one by one, each flushed to the disk.
class ResultsFile {
 public:
  static constexpr const char* kHeader = "time,port,chip,written,read back,result,uid";

  ResultsFile() = default;
  ~ResultsFile();
  ResultsFile(const ResultsFile&) = delete;
  ResultsFile& operator=(const ResultsFile&) = delete;

  // Reads the rows there are and opens the file for appending; false with the reason.
  bool Open(const std::string& path, std::string* error);
  const std::vector<Row>& Rows() const { return rows_; }
  // Appends one row and flushes it to the disk; false with the reason (the row is then not in
  // the file).
  bool Append(const Row& row, std::string* error);
  void Close();

  // The codes of every verified row.
  std::set<uint64_t> VerifiedCodes() const;
  // The last verified code of this kind (and, for animal codes, this country).
  std::optional<uint64_t> LastVerified(CodeKind kind, unsigned country) const;

  static std::string Line(const Row& row);
  static std::optional<Row> ParseLine(const std::string& line);

 private:
  int fd_ = -1;
  std::vector<Row> rows_;
};

// Local time as "yyyy-mm-dd hh:mm:ss".
std::string TimeText(int64_t unixSeconds);

}  // namespace series
