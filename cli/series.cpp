#include "cli/series.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

#include "codec/animal_id.h"
#include "fdx/id_text.h"

namespace series {

uint64_t MaxNumber(CodeKind kind) {
  return kind == CodeKind::Animal ? fdx::AnimalIdCode::kMaxNationalId
                                  : ~fdx::AnimalIdCode::kAnimalFlag;
}

uint64_t CodeOf(const Plan& plan, uint64_t number) {
  if (plan.kind == CodeKind::Animal)
    return fdx::AnimalIdCode::Animal(plan.country, number).Encode();
  return fdx::NonAnimalNumber(number);
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

// One CSV field: quoted when it holds a comma, a quote or a line break.
std::string Field(const std::string& s) {
  if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
  std::string q = "\"";
  for (char c : s) {
    if (c == '"') q.push_back('"');
    q.push_back(c);
  }
  return q + "\"";
}

std::optional<std::vector<std::string>> SplitCsv(const std::string& line) {
  std::vector<std::string> out;
  std::string cur;
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
        cur.push_back('"');
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        cur.push_back(c);
      }
    } else if (c == '"' && cur.empty()) {
      quoted = true;
    } else if (c == ',') {
      out.push_back(cur);
      cur.clear();
    } else {
      cur.push_back(c);
    }
  }
  if (quoted) return std::nullopt;
  out.push_back(cur);
  return out;
}

bool WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
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
  return Field(r.time) + "," + Field(r.port) + "," + Field(r.chip) + "," + Field(r.written) + "," +
         Field(r.readBack) + "," + (r.ok ? "OK" : "NG") + "," + Field(r.uid);
}

std::optional<Row> ResultsFile::ParseLine(const std::string& line) {
  const auto f = SplitCsv(line);
  if (!f || f->size() != 7 || ((*f)[5] != "OK" && (*f)[5] != "NG")) return std::nullopt;
  if (!ParseCodeText((*f)[3])) return std::nullopt;
  Row r;
  r.time = (*f)[0];
  r.port = (*f)[1];
  r.chip = (*f)[2];
  r.written = (*f)[3];
  r.readBack = (*f)[4];
  r.ok = (*f)[5] == "OK";
  r.uid = (*f)[6];
  return r;
}

ResultsFile::~ResultsFile() {
  Close();
}

void ResultsFile::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool ResultsFile::Open(const std::string& path, std::string* error) {
  Close();
  rows_.clear();
  auto fail = [&](const std::string& why) {
    if (error) *error = path + ": " + why;
    Close();
    return false;
  };
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return fail(std::strerror(errno));
  fd_ = fd;
  struct stat st {};
  if (::fstat(fd_, &st) != 0) return fail(std::strerror(errno));
  if (!S_ISREG(st.st_mode)) return fail("not a regular file");
  std::string text;
  char buf[65536];
  for (;;) {
    const ssize_t n = ::pread(fd_, buf, sizeof buf, static_cast<off_t>(text.size()));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return fail(std::strerror(errno));
    if (n == 0) break;
    text.append(buf, static_cast<size_t>(n));
  }
  if (text.empty()) {
    if (!WriteAll(fd_, std::string(kHeader) + "\n") || ::fsync(fd_) != 0)
      return fail(std::strerror(errno));
    return true;
  }
  size_t pos = 0;
  bool first = true;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    const bool complete = end != std::string::npos;
    if (!complete) end = text.size();
    std::string line = text.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    pos = end + 1;
    if (first) {
      if (line != kHeader) return fail("not a results file of qzh900ctl program");
      first = false;
      continue;
    }
    // A line cut short by a crash carries no result; the next row starts on a line of its own.
    if (!complete) break;
    if (auto row = ParseLine(line)) rows_.push_back(*row);
  }
  if (text.back() != '\n' && !WriteAll(fd_, "\n")) return fail(std::strerror(errno));
  return true;
}

bool ResultsFile::Append(const Row& row, std::string* error) {
  if (fd_ < 0) {
    if (error) *error = "the results file is not open";
    return false;
  }
  struct stat st {};
  const off_t before = ::fstat(fd_, &st) == 0 ? st.st_size : -1;
  if (!WriteAll(fd_, Line(row) + "\n") || ::fsync(fd_) != 0) {
    if (error) *error = std::strerror(errno);
    // Never half a row: the file goes back to its length before.
    if (before >= 0 && ::ftruncate(fd_, before) == 0) ::fsync(fd_);
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
