#include "production/series.h"

#include <cstring>
#include <ctime>

#include "codec/animal_id.h"
#include "core/csv.h"
#include "fdx/id_text.h"

namespace series {

uint64_t CodeOf(const Plan& plan, uint64_t number) {
  return ledger::CodeOf(plan.kind, plan.country, number);
}

std::optional<uint64_t> Next(const Plan& plan, uint64_t number) {
  const uint64_t max = MaxNumber(plan.kind);
  if (number > max || plan.increment > max - number) return std::nullopt;
  return number + plan.increment;
}

std::string CodeText(uint64_t code) {
  if (code & fdx::AnimalIdCode::kAnimalFlag) {
    const fdx::AnimalIdCode c = fdx::AnimalIdCode::Decode(code);
    // Only the plain animal codes of a series read back to the same value from this text.
    if (fdx::AnimalIdCode::Animal(c.countryCode, c.nationalId).Encode() == code)
      return c.CountryText() + " " + c.NationalText();
    return "0x" + fdx::FormatId(code, true);
  }
  return fdx::FormatPaddedDecimal(19, code);
}

std::optional<uint64_t> ParseCodeText(const std::string& text) {
  if (text.rfind("0x", 0) == 0) return fdx::ParseHexId(text.substr(2));
  const size_t blank = text.find(' ');
  if (blank == std::string::npos) {
    const auto n = fdx::ParseDecimalId(text);
    if (!n || *n > MaxNumber(CodeKind::Industrial)) return std::nullopt;
    return n;
  }
  const auto country = fdx::ParseDecimalId(text.substr(0, blank));
  const auto national = fdx::ParseDecimalId(text.substr(blank + 1));
  if (!country || !national || *country > fdx::AnimalIdCode::kMaxCountryCode ||
      *national > fdx::AnimalIdCode::kMaxNationalId)
    return std::nullopt;
  return fdx::AnimalIdCode::Animal(static_cast<unsigned>(*country), *national).Encode();
}

namespace {

struct ChipNames {
  fdx::IdChip chip;
  const char* option;
  const char* name;
};
constexpr ChipNames kChips[] = {
    {fdx::IdChip::Sic279, "sic279", "SIC279"},
    {fdx::IdChip::Sic7888, "sic7888", "SIC7888"},
    {fdx::IdChip::Em4305, "em4305", "EM4305"},
    {fdx::IdChip::HdxPlus, "hdxplus", "HDX+"},
};

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

}  // namespace

std::optional<fdx::IdChip> ChipOfName(const std::string& name) {
  for (const ChipNames& c : kChips)
    if (Lower(name) == c.option || name == c.name) return c.chip;
  if (Lower(name) == "hdx+") return fdx::IdChip::HdxPlus;
  return std::nullopt;
}

std::string ChipName(fdx::IdChip chip) {
  for (const ChipNames& c : kChips)
    if (c.chip == chip) return c.name;
  return "";
}

std::string ChipOptionName(fdx::IdChip chip) {
  for (const ChipNames& c : kChips)
    if (c.chip == chip) return c.option;
  return "";
}

std::string TimeText(int64_t unixSeconds) {
  const std::time_t t = static_cast<std::time_t>(unixSeconds);
  std::tm tm{};
  localtime_r(&t, &tm);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &tm);
  return text;
}

std::string ResultsFile::Line(const Row& r) {
  using csv::Field;
  return Field(r.time) + "," + Field(r.port) + "," + Field(r.chip) + "," + Field(r.written) + "," +
         Field(r.readBack) + "," + (r.ok ? "OK" : "NG") + "," + Field(r.uid) + "," +
         (r.series > 0 ? std::to_string(r.series) : std::string());
}

std::optional<Row> ResultsFile::RowOf(const std::vector<std::string>& f, std::string* why) {
  auto fail = [&](const std::string& reason) -> std::optional<Row> {
    if (why) *why = reason;
    return std::nullopt;
  };
  // Seven fields: a row of an older version, without its series.
  if (f.size() != 8 && f.size() != 7)
    return fail(std::to_string(f.size()) + " fields instead of 8");
  if (f[5] != "OK" && f[5] != "NG") return fail("the result is \"" + f[5] + "\", not OK or NG");
  if (!ParseCodeText(f[3])) return fail("\"" + f[3] + "\" is not a code");
  Row r;
  if (f.size() == 8 && !f[7].empty()) {
    const auto id = fdx::ParseDecimalId(f[7]);
    if (!id || *id == 0 || *id > static_cast<uint64_t>(INT64_MAX))
      return fail("the series is \"" + f[7] + "\", not a series number");
    r.series = static_cast<int64_t>(*id);
  }
  r.time = f[0];
  r.port = f[1];
  r.chip = f[2];
  r.written = f[3];
  r.readBack = f[4];
  r.ok = f[5] == "OK";
  r.uid = f[6];
  return r;
}

ResultsFile::~ResultsFile() {
  Close();
}

void ResultsFile::Close() {
  file_.Close();
}

bool ResultsFile::Open(const std::string& path, std::string* error) {
  Close();
  rows_.clear();
  path_ = path;
  empty_ = unended_ = false;
  cutAt_ = std::string::npos;
  cutText_.clear();
  auto fail = [&](const std::string& why) {
    if (error) *error = path + ": " + why;
    Close();
    return false;
  };
  if (files::Error e = file_.Open(path)) {
    return fail(e.kind == files::Error::Kind::Locked
                    ? "in use by another run (qzh900ctl program holds it); one file, one run"
                    : e.Text());
  }
  const files::ReadResult r = file_.ReadAll(kLimit);
  if (!r.Ok()) return fail(r.error.Text());
  return Parse(r.data, error) || fail(error ? *error : "");
}

bool ResultsFile::Parse(std::string_view text, std::string* error) {
  empty_ = text.empty();
  // Offsets in the file count the byte order mark the reader does not see.
  constexpr std::string_view kBom = "\xEF\xBB\xBF";
  const size_t bom = text.substr(0, kBom.size()) == kBom ? kBom.size() : 0;
  text.remove_prefix(bom);
  csv::Reader reader(text);
  csv::Record record;
  auto fail = [&](size_t line, const std::string& why) {
    if (error) *error = "line " + std::to_string(line) + ": " + why;
    return false;
  };
  std::vector<std::string> header = {"time",      "port",   "chip", "written",
                                     "read back", "result", "uid",  "series"};
  const std::vector<std::string> olderHeader(header.begin(), header.end() - 1);
  size_t start = 0;
  for (bool first = true; reader.Next(record); first = false, start = reader.Offset()) {
    if (first) {
      if (record.fields != header && record.fields != olderHeader)
        return fail(record.line, "not a results file of qzh900ctl program");
      unended_ = !record.ended;
      continue;
    }
    if (!record.ended) {
      // A row cut short by a crash (a write that never ended) stops before its line end. One
      // whose text ends with a line end was written whole: a quote that opens a field and never
      // closes swallowed the line ends after it; refused, never taken out.
      if (text.back() == '\n' || text.back() == '\r')
        return fail(record.line, "a quote opens a field and never closes");
      cutAt_ = bom + start;
      cutText_ = std::string(text.substr(start));
      break;
    }
    if (record.fields.size() == 1 && record.fields[0].empty()) continue;  // an empty line
    std::string why;
    const auto row = RowOf(record.fields, &why);
    if (!row) return fail(record.line, why);
    rows_.push_back(*row);
  }
  if (!reader.Error().empty()) return fail(reader.ErrorLine(), reader.Error());
  return true;
}

bool ResultsFile::Begin(std::string* error, std::string* dropped) {
  auto fail = [&](const files::Error& e) {
    if (error) *error = path_ + ": " + e.Text();
    return false;
  };
  if (cutAt_ != std::string::npos) {
    if (files::Error e = file_.TruncateTo(cutAt_)) return fail(e);
    if (dropped) *dropped = cutText_;
    cutAt_ = std::string::npos;
  }
  if (empty_ || unended_) {
    if (files::Error e = file_.Append(std::string(empty_ ? kHeader : "") + "\n")) return fail(e);
    empty_ = unended_ = false;
  }
  return true;
}

bool ResultsFile::Append(const Row& row, std::string* error) {
  if (files::Error e = file_.Append(Line(row) + "\n")) {
    if (error) *error = e.Text();
    return false;
  }
  rows_.push_back(row);
  return true;
}

std::set<uint64_t> ResultsFile::VerifiedCodes() const {
  std::set<uint64_t> codes;
  for (const Row& r : rows_)
    if (r.ok)
      if (auto c = ParseCodeText(r.written)) codes.insert(*c);
  return codes;
}

std::optional<uint64_t> ResultsFile::LastVerified(CodeKind kind, unsigned country) const {
  for (auto it = rows_.rbegin(); it != rows_.rend(); ++it) {
    if (!it->ok) continue;
    const auto code = ParseCodeText(it->written);
    if (!code) continue;
    const bool animal = (*code & fdx::AnimalIdCode::kAnimalFlag) != 0;
    if (animal != (kind == CodeKind::Animal)) continue;
    if (animal && fdx::AnimalIdCode::Decode(*code).countryCode != country) continue;
    return code;
  }
  return std::nullopt;
}

}  // namespace series
