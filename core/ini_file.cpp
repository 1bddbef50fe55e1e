#include "core/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

bool EqualNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
    if (x != y) return false;
  }
  return true;
}

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
  return s.substr(b, e - b);
}

IniFile::SaveWriteHook saveWriteHook = nullptr;

// Writes in pieces of at most 4 KiB so that a test's hook sees the write progress.
bool WriteAll(int fd, const std::string& data) {
  constexpr size_t kPiece = 4096;
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = ::write(fd, data.data() + done, std::min(kPiece, data.size() - done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(n);
    if (saveWriteHook) saveWriteHook(done, data.size());
  }
  return true;
}

}  // namespace

IniFile::IniFile(std::string path) : path_(std::move(path)) {}

bool IniFile::Load() {
  lines_.clear();
  std::ifstream in(path_, std::ios::binary);
  if (!in) return false;
  std::string line, section;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    Line l;
    l.raw = line;
    std::string t = Trim(line);
    if (t.size() >= 2 && t.front() == '[' && t.back() == ']') {
      section = t.substr(1, t.size() - 2);
      l.isHeader = true;
      l.section = section;
    } else {
      l.section = section;
      size_t eq = line.find('=');
      if (eq != std::string::npos && !t.empty() && t[0] != ';' && t[0] != '#') {
        l.key = Trim(line.substr(0, eq));
        l.value = line.substr(eq + 1);
        if (!l.value.empty() && l.value.back() == '\r') l.value.pop_back();
      }
    }
    lines_.push_back(std::move(l));
  }
  return true;
}

int IniFile::FindKey(const std::string& section, const std::string& key) const {
  for (size_t i = 0; i < lines_.size(); ++i) {
    const Line& l = lines_[i];
    if (!l.isHeader && !l.key.empty() && EqualNoCase(l.section, section) && EqualNoCase(l.key, key))
      return static_cast<int>(i);
  }
  return -1;
}

int IniFile::FindSectionEnd(const std::string& section) const {
  int last = -1;
  for (size_t i = 0; i < lines_.size(); ++i) {
    const Line& l = lines_[i];
    if (EqualNoCase(l.section, section) && (l.isHeader || !l.key.empty()))
      last = static_cast<int>(i);
  }
  return last;
}

std::vector<std::pair<std::string, std::string>> IniFile::Entries(
    const std::string& section) const {
  std::vector<std::pair<std::string, std::string>> out;
  for (const Line& l : lines_)
    if (!l.isHeader && !l.key.empty() && EqualNoCase(l.section, section))
      out.emplace_back(l.key, l.value);
  return out;
}

bool IniFile::HasKey(const std::string& section, const std::string& key) const {
  return FindKey(section, key) >= 0;
}

std::optional<std::string> IniFile::Value(const std::string& section,
                                          const std::string& key) const {
  int i = FindKey(section, key);
  if (i < 0) return std::nullopt;
  return lines_[static_cast<size_t>(i)].value;
}

std::string IniFile::ReadString(const std::string& section, const std::string& key,
                                const std::string& def) const {
  auto v = Value(section, key);
  return v ? *v : def;
}

int64_t IniFile::ReadInteger(const std::string& section, const std::string& key,
                             int64_t def) const {
  auto v = Value(section, key);
  if (!v) return def;
  auto n = ParseInteger(*v);
  return n ? *n : def;
}

double IniFile::ReadFloat(const std::string& section, const std::string& key, double def) const {
  auto v = Value(section, key);
  if (!v) return def;
  auto n = ParseFloat(*v);
  return n ? *n : def;
}

bool IniFile::ReadBool(const std::string& section, const std::string& key, bool def) const {
  auto v = Value(section, key);
  if (!v) return def;
  std::string t = Trim(*v);
  if (t == "1" || EqualNoCase(t, "true")) return true;
  if (t == "0" || EqualNoCase(t, "false")) return false;
  auto n = ParseInteger(t);
  return n ? *n != 0 : def;
}

void IniFile::WriteString(const std::string& section, const std::string& key,
                          const std::string& value) {
  // A value must stay on one line.
  std::string v = value;
  for (char& c : v)
    if (c == '\n' || c == '\r') c = ' ';
  int i = FindKey(section, key);
  if (i >= 0) {
    lines_[static_cast<size_t>(i)].value = v;
    return;
  }
  Line l;
  l.section = section;
  l.key = key;
  l.value = v;
  int end = FindSectionEnd(section);
  if (end < 0) {
    Line h;
    h.isHeader = true;
    h.section = section;
    lines_.push_back(h);
    lines_.push_back(l);
  } else {
    lines_.insert(lines_.begin() + end + 1, l);
  }
}

void IniFile::WriteInteger(const std::string& section, const std::string& key, int64_t value) {
  WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

void IniFile::DeleteKey(const std::string& section, const std::string& key) {
  int i = FindKey(section, key);
  if (i >= 0) lines_.erase(lines_.begin() + i);
}

std::string IniFile::Text() const {
  std::string out;
  for (const Line& l : lines_) {
    if (l.isHeader)
      out += "[" + l.section + "]";
    else if (!l.key.empty())
      out += l.key + "=" + l.value;
    else
      out += l.raw;
    out += "\n";
  }
  return out;
}

bool IniFile::Save() const {
  const std::string tmp = path_ + ".tmp";
  int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, Text()) && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (ok) {
    // Keep the permissions of the file being replaced.
    struct stat st {};
    if (::stat(path_.c_str(), &st) == 0) ::chmod(tmp.c_str(), st.st_mode & 07777);
    ok = ::rename(tmp.c_str(), path_.c_str()) == 0;
  }
  if (!ok) ::unlink(tmp.c_str());
  return ok;
}

void IniFile::SetSaveWriteHookForTests(SaveWriteHook hook) {
  saveWriteHook = hook;
}

bool IniFile::Exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

bool IniFile::IsReadOnly(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return false;
  return (st.st_mode & S_IWUSR) == 0 || ::access(path.c_str(), W_OK) != 0;
}

bool IniFile::CreateFolders(const std::string& folder) {
  if (folder.empty()) return false;
  std::string cur;
  size_t pos = 0;
  while (pos <= folder.size()) {
    size_t next = folder.find('/', pos);
    if (next == std::string::npos) next = folder.size();
    cur = folder.substr(0, next);
    if (!cur.empty()) {
      struct stat st {};
      if (::stat(cur.c_str(), &st) != 0) {
        if (::mkdir(cur.c_str(), 0755) != 0 && errno != EEXIST) return false;
      } else if (!S_ISDIR(st.st_mode)) {
        return false;
      }
    }
    pos = next + 1;
  }
  return true;
}

std::string IniFile::FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::string FormatGeneralFloat(double v) {
  if (v == 0) return "0";
  if (!std::isfinite(v)) return "0";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.14E", v);  // d.dddddddddddddde+XX: 15 significant digits
  std::string s(buf);
  size_t e = s.find('E');
  std::string mant = s.substr(0, e);
  int exp = std::atoi(s.c_str() + e + 1);
  bool neg = mant[0] == '-';
  if (neg) mant.erase(0, 1);
  std::string digits;
  for (char c : mant)
    if (c != '.') digits.push_back(c);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  // Built with append() only: GCC 12 warns falsely about operator+ on strings at -O3.
  std::string out;
  if (neg) out.push_back('-');
  if (exp >= 15 || exp < -5) {
    out.push_back(digits[0]);
    if (digits.size() > 1) out.append(".").append(digits, 1, std::string::npos);
    out.append("E");
    if (exp < 0) out.push_back('-');
    out.append(std::to_string(exp < 0 ? -exp : exp));
  } else if (exp >= 0) {
    const size_t intDigits = static_cast<size_t>(exp) + 1;
    out.append(digits, 0, std::min(digits.size(), intDigits));
    if (digits.size() < intDigits) out.append(intDigits - digits.size(), '0');
    if (digits.size() > intDigits) out.append(".").append(digits, intDigits, std::string::npos);
  } else {
    out.append("0.").append(static_cast<size_t>(-exp - 1), '0').append(digits);
  }
  return out;
}

std::optional<double> ParseFloat(const std::string& s) {
  std::string t = Trim(s);
  if (t.empty()) return std::nullopt;
  const char* b = t.c_str();
  char* end = nullptr;
  errno = 0;
  double v = std::strtod(b, &end);
  if (end == b || *end != '\0' || errno == ERANGE || !std::isfinite(v)) return std::nullopt;
  // strtod also reads hex floats, "inf" and "nan"; an INI number is decimal.
  for (char c : t)
    if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == 'E' || c == 'e' ||
          c == '+' || c == '-'))
      return std::nullopt;
  return v;
}

std::optional<int64_t> ParseInteger(const std::string& s) {
  std::string t = Trim(s);
  if (t.empty()) return std::nullopt;
  int base = 10;
  size_t pos = 0;
  bool neg = false;
  if (t[0] == '-' || t[0] == '+') {
    neg = t[0] == '-';
    pos = 1;
  }
  if (t.compare(pos, 1, "$") == 0) {
    base = 16;
    pos += 1;
  } else if (t.size() > pos + 1 && t[pos] == '0' && (t[pos + 1] == 'x' || t[pos + 1] == 'X')) {
    base = 16;
    pos += 2;
  }
  if (pos >= t.size()) return std::nullopt;
  uint64_t v = 0;
  for (; pos < t.size(); ++pos) {
    char c = t[pos];
    int d;
    if (c >= '0' && c <= '9')
      d = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f')
      d = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F')
      d = c - 'A' + 10;
    else
      return std::nullopt;
    if (v > (UINT64_MAX - static_cast<uint64_t>(d)) / static_cast<uint64_t>(base))
      return std::nullopt;
    v = v * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
  }
  if (base == 10 && v > static_cast<uint64_t>(INT64_MAX) + (neg ? 1 : 0)) return std::nullopt;
  if (neg) return static_cast<int64_t>(0 - v);
  return static_cast<int64_t>(v);
}
