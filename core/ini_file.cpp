#include "core/ini_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

constexpr uint32_t kRemoved = UINT32_MAX - 1;

// ASCII lower case of every byte, by table: names are compared and hashed byte by byte.
constexpr std::array<unsigned char, 256> kLower = [] {
  std::array<unsigned char, 256> t{};
  for (int i = 0; i < 256; ++i)
    t[static_cast<size_t>(i)] = static_cast<unsigned char>(i >= 'A' && i <= 'Z' ? i + 32 : i);
  return t;
}();

unsigned char Lower(char c) {
  return kLower[static_cast<unsigned char>(c)];
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

std::string LowerCopy(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(Lower(c));
  return out;
}

bool Blank(char c) {
  return c == ' ' || c == '\t' || c == '\r';
}

std::string_view TrimView(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && Blank(s[b])) ++b;
  while (e > b && Blank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

std::string Trim(const std::string& s) {
  return std::string(TrimView(s));
}

// FNV-1a over the lower-case section, a separator and the lower-case key, in two steps: the
// section's part is taken once per section, so that a long section name with many keys costs its
// length once, not once per key.
uint64_t Mix(uint64_t h, std::string_view text) {
  for (char c : text) h = (h ^ Lower(c)) * 1099511628211ull;
  return h;
}

uint64_t SectionHash(std::string_view section) {
  // The separator is no byte of a name: "ab"+"c" and "a"+"bc" differ.
  return (Mix(1469598103934665603ull, section) ^ 0xFF) * 1099511628211ull;
}

uint64_t KeyHash(uint64_t sectionHash, std::string_view key) {
  return Mix(sectionHash, key);
}

// What a line is: a section header ("[name]", blanks around allowed), a key line ("key=value"
// with a key, not a comment), or anything else; and where in the line its parts are.
struct LineKind {
  bool header = false;
  bool key = false;
  size_t nameBegin = 0, nameEnd = 0;    // the section name or the key
  size_t valueBegin = 0, valueEnd = 0;  // a key line's value
};

LineKind Classify(std::string_view line) {
  // One pass from the front: most lines are keys, and a key line is known at its '='.
  LineKind kind;
  const char* p = line.data();
  const size_t n = line.size();
  size_t b = 0;
  while (b < n && Blank(p[b])) ++b;
  if (b == n || p[b] == ';' || p[b] == '#') return kind;
  if (p[b] == '[') {
    size_t e = n;
    while (Blank(p[e - 1])) --e;  // stops at p[b] at the latest
    if (e - b >= 2 && p[e - 1] == ']') {
      kind.header = true;
      kind.nameBegin = b + 1;
      kind.nameEnd = e - 1;
      return kind;
    }
  }
  const void* eq = std::memchr(p + b, '=', n - b);
  if (!eq) return kind;
  const size_t eqAt = static_cast<size_t>(static_cast<const char*>(eq) - p);
  size_t keyEnd = eqAt;
  while (keyEnd > b && Blank(p[keyEnd - 1])) --keyEnd;
  if (keyEnd == b) return kind;
  kind.key = true;
  kind.nameBegin = b;
  kind.nameEnd = keyEnd;
  kind.valueBegin = eqAt + 1;
  // A line end of "\r\r\n" leaves a '\r' in the line; the value never keeps one, so that a
  // value reads the same after any number of saves.
  kind.valueEnd = n;
  while (kind.valueEnd > kind.valueBegin && p[kind.valueEnd - 1] == '\r') --kind.valueEnd;
  return kind;
}

}  // namespace

IniFile::IniFile(std::string path) : path_(std::move(path)) {}

bool IniFile::Load() {
  loadError_ = {};
  files::ReadResult r = files::ReadWhole(path_, files::kSettingsLimit);
  if (!r.Ok()) {
    if (r.error.kind != files::Error::Kind::Missing) loadError_ = r.error;
    LoadText({});
    return false;
  }
  LoadText(std::move(r.data));
  return true;
}

void IniFile::LoadText(std::string text) {
  items_.clear();
  owned_.clear();
  slots_.clear();
  sectionEnd_.clear();
  indexed_ = 0;
  head_ = tail_ = kNone;
  text_ = std::move(text);
  // Offsets are 32-bit; the file unit never reads anything near that size.
  if (text_.size() >= kRemoved) text_.clear();
  // Most lines of a small file are keys; a big one grows the list as it goes.
  items_.reserve(std::min<size_t>(text_.size() / 16, 1024) + 4);
  uint32_t header = kNone;
  std::string_view section;
  uint64_t headerHash = SectionHash({});
  size_t runStart = std::string::npos;
  auto endRun = [&](size_t at) {
    if (runStart == std::string::npos) return;
    Item run;
    run.begin = static_cast<uint32_t>(runStart);
    run.end = static_cast<uint32_t>(at);
    run.header = header;
    Append(run, tail_);
    runStart = std::string::npos;
  };
  const char* data = text_.data();
  const size_t size = text_.size();
  size_t pos = 0;
  while (pos < size) {
    // Blank lines, the bulk of a padded file, join the run of other lines at once.
    const size_t blank = data[pos] == '\n'                                              ? 1
                         : data[pos] == '\r' && pos + 1 < size && data[pos + 1] == '\n' ? 2
                                                                                        : 0;
    if (blank) {
      if (runStart == std::string::npos) runStart = pos;
      pos += blank;
      continue;
    }
    const void* nl = std::memchr(data + pos, '\n', text_.size() - pos);
    const size_t lineEnd =
        nl ? static_cast<size_t>(static_cast<const char*>(nl) - data) : text_.size();
    size_t contentEnd = lineEnd;
    if (contentEnd > pos && data[contentEnd - 1] == '\r') --contentEnd;
    const LineKind kind = Classify(std::string_view(data + pos, contentEnd - pos));
    if (kind.header || kind.key) {
      endRun(pos);
      Item item;
      item.begin = static_cast<uint32_t>(pos + kind.nameBegin);
      item.end = static_cast<uint32_t>(pos + kind.nameEnd);
      item.valueBegin = static_cast<uint32_t>(pos + kind.valueBegin);
      item.valueEnd = static_cast<uint32_t>(pos + kind.valueEnd);
      item.kind = kind.header ? Kind::Header : Kind::Key;
      const uint32_t index = static_cast<uint32_t>(items_.size());
      item.header = kind.header ? index : header;
      Append(item, tail_);
      if (kind.header) {
        header = index;
        section = SectionOf(items_[index]);
        headerHash = SectionHash(section);
      } else {
        const std::string_view key = KeyOf(items_[index]);
        IndexKey(index, section, key, KeyHash(headerHash, key));
      }
    } else if (runStart == std::string::npos) {
      runStart = pos;
    }
    pos = nl ? lineEnd + 1 : lineEnd;
  }
  endRun(text_.size());
}

uint32_t IniFile::Append(Item item, uint32_t after) {
  const uint32_t index = static_cast<uint32_t>(items_.size());
  if (after == kNone) {
    item.next = head_;
    head_ = index;
  } else {
    item.next = items_[after].next;
    items_[after].next = index;
  }
  if (item.next == kNone) tail_ = index;
  items_.push_back(item);
  return index;
}

std::string_view IniFile::View(uint32_t begin, uint32_t end) const {
  return std::string_view(text_.data() + begin, end - begin);
}

std::string_view IniFile::SectionOf(const Item& item) const {
  if (item.header == kNone) return {};
  const Item& h = items_[item.header];
  if (h.owned != kNone) return owned_[h.owned].name;
  return View(h.begin, h.end);
}

std::string_view IniFile::KeyOf(const Item& item) const {
  if (item.owned != kNone) return owned_[item.owned].name;
  return View(item.begin, item.end);
}

std::string_view IniFile::ValueOf(const Item& item) const {
  if (item.owned != kNone) return owned_[item.owned].value;
  return View(item.valueBegin, item.valueEnd);
}

bool IniFile::Matches(const Item& item, std::string_view section, std::string_view key) const {
  return item.kind == Kind::Key && EqualNoCase(KeyOf(item), key) &&
         EqualNoCase(SectionOf(item), section);
}

size_t IniFile::Probe(std::string_view section, std::string_view key, uint64_t hash) const {
  const size_t mask = slots_.size() - 1;
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    const IndexSlot& s = slots_[i];
    if (s.item == kNone) return i;
    if (s.item != kRemoved && s.hash == hash && Matches(items_[s.item], section, key)) return i;
  }
}

const uint32_t* IniFile::Slot(std::string_view section, std::string_view key, uint64_t hash) const {
  if (slots_.empty()) return nullptr;
  const IndexSlot& s = slots_[Probe(section, key, hash)];
  return s.item == kNone ? nullptr : &s.item;
}

uint32_t* IniFile::Slot(std::string_view section, std::string_view key, uint64_t hash) {
  return const_cast<uint32_t*>(std::as_const(*this).Slot(section, key, hash));
}

void IniFile::IndexKey(uint32_t item, std::string_view section, std::string_view key,
                       uint64_t hash) {
  // At most half full (removed entries count), so that every probe ends soon. The hashes are
  // kept: growing reads no name again.
  if (slots_.empty()) {
    slots_.assign(16, IndexSlot{});  // in what the previous load left, if anything
  } else if ((indexed_ + 1) * 2 > slots_.size()) {
    std::vector<IndexSlot> old = std::move(slots_);
    slots_.assign(old.size() * 2, IndexSlot{});
    indexed_ = 0;
    for (const IndexSlot& s : old)
      if (s.item != kNone && s.item != kRemoved) Place(s.item, s.hash);
  }
  // The first line of a section and key counts: a later one finds it and is not indexed.
  IndexSlot& s = slots_[Probe(section, key, hash)];
  if (s.item != kNone) return;
  s = {hash, item};
  ++indexed_;
}

void IniFile::Place(uint32_t item, uint64_t hash) {
  const size_t mask = slots_.size() - 1;
  size_t i = hash & mask;
  while (slots_[i].item != kNone) i = (i + 1) & mask;
  slots_[i] = {hash, item};
  ++indexed_;
}

uint32_t IniFile::FindKey(std::string_view section, std::string_view key) const {
  const uint32_t* slot = Slot(section, key, KeyHash(SectionHash(section), key));
  return slot ? *slot : kNone;
}

uint32_t IniFile::FindSectionEnd(const std::string& section, const std::string& name) const {
  auto it = sectionEnd_.find(name);
  if (it != sectionEnd_.end()) return it->second;
  uint32_t last = kNone;
  for (uint32_t i = head_; i != kNone; i = items_[i].next) {
    const Item& item = items_[i];
    if ((item.kind == Kind::Header || item.kind == Kind::Key) &&
        EqualNoCase(SectionOf(item), section))
      last = i;
  }
  if (last != kNone) sectionEnd_.emplace(name, last);
  return last;
}

std::vector<std::pair<std::string, std::string>> IniFile::Entries(
    const std::string& section) const {
  std::vector<std::pair<std::string, std::string>> out;
  for (uint32_t i = head_; i != kNone; i = items_[i].next) {
    const Item& item = items_[i];
    if (item.kind == Kind::Key && EqualNoCase(SectionOf(item), section))
      out.emplace_back(KeyOf(item), ValueOf(item));
  }
  return out;
}

bool IniFile::HasKey(const std::string& section, const std::string& key) const {
  return FindKey(section, key) != kNone;
}

std::optional<std::string> IniFile::Value(const std::string& section,
                                          const std::string& key) const {
  const uint32_t i = FindKey(section, key);
  if (i == kNone) return std::nullopt;
  return std::string(ValueOf(items_[i]));
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
  const uint64_t hash = KeyHash(SectionHash(section), key);
  const uint32_t* slot = Slot(section, key, hash);
  if (slot) {
    const uint32_t found = *slot;
    Item& item = items_[found];
    if (item.owned == kNone) {
      // The key as the file writes it; read before the item owns its text.
      std::string name(KeyOf(item));
      item.owned = static_cast<uint32_t>(owned_.size());
      owned_.push_back({std::move(name), std::move(v)});
    } else {
      owned_[item.owned].value = std::move(v);
    }
    return;
  }
  const std::string lowerSection = LowerCopy(section);
  uint32_t end = FindSectionEnd(section, lowerSection);
  Item line;
  line.kind = Kind::Key;
  line.owned = static_cast<uint32_t>(owned_.size());
  owned_.push_back({key, std::move(v)});
  if (end == kNone) {
    // A new section at the end of the file.
    Item h;
    h.kind = Kind::Header;
    h.owned = static_cast<uint32_t>(owned_.size());
    owned_.push_back({section, {}});
    h.header = static_cast<uint32_t>(items_.size());
    end = Append(h, tail_);
  }
  line.header = items_[end].header;
  const uint32_t added = Append(line, end);
  sectionEnd_[lowerSection] = added;
  IndexKey(added, section, key, hash);
}

void IniFile::WriteInteger(const std::string& section, const std::string& key, int64_t value) {
  WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

void IniFile::DeleteKey(const std::string& section, const std::string& key) {
  uint32_t* slot = Slot(section, key, KeyHash(SectionHash(section), key));
  if (!slot) return;
  const uint32_t gone = *slot;
  items_[gone].kind = Kind::Deleted;
  // The same key written again further on counts now.
  uint32_t next = items_[gone].next;
  while (next != kNone && !Matches(items_[next], section, key)) next = items_[next].next;
  *slot = next == kNone ? kRemoved : next;
  // The section may end earlier now.
  sectionEnd_.clear();
}

std::string IniFile::Text() const {
  std::string out;
  out.reserve(text_.size() + 32 * owned_.size());
  for (uint32_t i = head_; i != kNone; i = items_[i].next) {
    const Item& item = items_[i];
    switch (item.kind) {
      case Kind::Header:
        out.push_back('[');
        out.append(SectionOf(item)).append("]\n", 2);
        break;
      case Kind::Key:
        out.append(KeyOf(item)).push_back('=');
        out.append(ValueOf(item)).push_back('\n');
        break;
      case Kind::Raw: {
        // Each line as it was, without the '\r's before its line end (a save of the saved text
        // then writes the same text).
        std::string_view run = View(item.begin, item.end);
        if (run.find('\r') == std::string_view::npos) {
          out.append(run);
          if (run.back() != '\n') out.push_back('\n');
          break;
        }
        while (!run.empty()) {
          const size_t nl = run.find('\n');
          std::string_view line = run.substr(0, nl);
          while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
          out.append(line).append("\n");
          if (nl == std::string_view::npos) break;
          run.remove_prefix(nl + 1);
        }
        break;
      }
      case Kind::Deleted:
        break;
    }
  }
  return out;
}

bool IniFile::Save() const {
  // A file that could not be read is never replaced by what little this document knows.
  if (loadError_) return false;
  return !files::Replace(path_, Text());
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
