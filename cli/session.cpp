#include "cli/session.h"
#include "cli/arg_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "core/app_paths.h"
#include "core/files.h"
#include "core/ini_file.h"
#include "core/language.h"
#include "core/messages.h"
#include "core/settings.h"
#include "link/com_port.h"

const char* const kCommonOptionsHelp =
    "  --port COMn|PATH   port to open (default: the one of the settings file)\n"
    "  --baud N           speed in bit/s (default: the one of the settings file)\n"
    "  --lang en|ja       language of the log lines (default: the settings file's)\n"
    "  --animal-id        decorate ID lines with country and national ID\n"
    "  --verbose          show the module's identification lines on standard error\n"
    "  --save             write the remembered values back to the settings file at the end\n"
    "                     (without it the settings file is read, never written)\n"
    "  --help             this text\n";

void StdoutLogPane::Append(const std::string& line) {
  std::FILE* out = sink_ == Sink::Stdout ? stdout : sink_ == Sink::Stderr ? stderr : nullptr;
  if (out) {
    std::fwrite(line.data(), 1, line.size(), out);
    std::fputc('\n', out);
    std::fflush(out);
  }
  ++count_;
  recent_.push_back(line);
}

std::optional<bool> ResultOfLines(const std::vector<std::string>& lines) {
  for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
    const std::string& l = *it;
    if (l.size() < 3) continue;
    const std::string head = l.substr(0, 2);
    if (head != "OK" && head != "NG") continue;
    if (l[2] == ':' || (l[2] == ' ' && l.size() > 3 && l[3] == ':')) return head == "OK";
  }
  return std::nullopt;
}

CommonOptions ParseCommonOptions(std::vector<std::string>& args) {
  CommonOptions o;
  std::vector<std::string> rest;
  for (ArgReader arg(args); arg.Next();) {
    const std::string& a = arg.Arg();
    auto value = [&] { return arg.Value(); };
    auto is = [&](const char* n) { return arg.Is(n); };
    if (is("--port")) {
      o.port = value();
      if (o.port.empty()) throw UsageError("--port needs a port name");
    } else if (is("--baud")) {
      const std::string v = value();
      auto n = ParseInteger(v);
      if (!n || BaudRateValue(StrToBaudRate(std::to_string(*n))) != *n)
        throw UsageError("unsupported speed: " + v);
      o.baud = static_cast<int>(*n);
    } else if (is("--lang")) {
      o.lang = value();
      if (o.lang != "en" && o.lang != "ja") throw UsageError("--lang takes en or ja");
    } else if (a == "--animal-id") {
      o.animalId = true;
    } else if (a == "--verbose" || a == "-v") {
      o.verbose = true;
    } else if (a == "--save") {
      o.save = true;
    } else if (a == "--help" || a == "-h") {
      o.help = true;
    } else {
      rest.push_back(a);
    }
  }
  args = rest;
  return o;
}

int64_t ParseNumberOption(const std::string& option, const std::string& text, int64_t min,
                          int64_t max) {
  const std::optional<int64_t> n = ParseInteger(text);
  if (!n || text.empty() || text.find_first_of(" \t") != std::string::npos)
    throw UsageError(option + " takes a number: \"" + text + "\"");
  if (*n < min || *n > max)
    throw UsageError(option + " " + text + " is out of range " + std::to_string(min) + ".." +
                     std::to_string(max));
  return *n;
}

// --- Settings sandbox ---

namespace {

std::string TempRoot() {
  const char* t = std::getenv("TMPDIR");
  return t && *t == '/' ? t : "/tmp";
}

// Copies src to dst with src's permission bits; nothing when src does not exist or cannot be
// read (the reason is returned then).
files::Error CopyIfExists(const std::string& src, const std::string& dst) {
  struct stat st {};
  if (::stat(src.c_str(), &st) != 0) return {};
  files::ReadResult r = files::ReadWhole(src, files::kSettingsLimit);
  if (!r.Ok()) return r.error;
  return files::Replace(dst, r.data, {.newMode = st.st_mode & 07777});
}

}  // namespace

SettingsSandbox::SettingsSandbox(std::string realPath) : real_(std::move(realPath)) {
  std::string dir = TempRoot() + "/qzh900ctl.XXXXXX";
  if (!::mkdtemp(dir.data())) throw UsageError("cannot create a temporary folder in " + TempRoot());
  dir_ = dir;
  work_ = dir_ + "/" + app_paths::kExeBase + ".ini";
  realError_ = CopyIfExists(real_, work_);
}

SettingsSandbox::~SettingsSandbox() {
  ::unlink(work_.c_str());
  for (const std::string& s : scratch_) ::unlink(s.c_str());
  ::rmdir(dir_.c_str());
}

std::string SettingsSandbox::ScratchCopy() {
  const std::string path = dir_ + "/scratch" + std::to_string(scratch_.size()) + ".ini";
  ::unlink(path.c_str());
  CopyIfExists(work_, path);
  scratch_.push_back(path);
  return path;
}

bool SettingsSandbox::SaveBack(std::string* error) {
  struct stat st {};
  if (::stat(work_.c_str(), &st) != 0) return true;  // nothing was ever written
  if (realError_) {
    if (error)
      *error = "the settings file " + real_ + " cannot be read (" + realError_.Text() + ")";
    return false;
  }
  if (IniFile::Exists(real_) && IniFile::IsReadOnly(real_)) {
    if (error) *error = "the settings file " + real_ + " is read-only";
    return false;
  }
  if (!IniFile::CreateFolders(IniFile::FolderOf(real_))) {
    if (error) *error = "cannot create the folder of " + real_;
    return false;
  }
  const files::ReadResult work = files::ReadWhole(work_, files::kSettingsLimit);
  if (!work.Ok()) {
    if (error) *error = "cannot read the working copy of the settings";
    return false;
  }
  const files::Error why =
      files::Replace(real_, work.data, {.newMode = (st.st_mode & 07777) | S_IWUSR});
  if (why) {
    if (error) *error = "cannot write " + real_ + ": " + why.Text();
    return false;
  }
  return true;
}

// --- Session ---

namespace {

Language FileLanguageOf(const std::string& settingsPath) {
  IniFile ini(settingsPath);
  ini.Load();
  return ini.ReadInteger("Option", "LanguageFlag", DefaultLanguageFlag()) == 1 ? Language::Japanese
                                                                               : Language::English;
}

}  // namespace

Session::Session(const CommonOptions& options)
    : options_(options),
      fileLanguage_(FileLanguageOf(app_paths::SettingsPath())),
      sandbox_(app_paths::SettingsPath()),
      app_(log_, prompts_, sandbox_.WorkPath()) {
  if (sandbox_.RealFileError())
    std::fprintf(stderr,
                 "qzh900ctl: the settings file %s cannot be read (%s); working on defaults\n",
                 sandbox_.RealPath().c_str(), sandbox_.RealFileError().Text().c_str());
  // The remembered values are read in the file's language (it names the write-data keys).
  SetMessageLanguage(fileLanguage_);
  app_.LoadSettings();
  const Language display = options.lang == "ja"   ? Language::Japanese
                           : options.lang == "en" ? Language::English
                                                  : fileLanguage_;
  SetMessageLanguage(display);
  if (display == Language::English && QCoreApplication::instance()) {
    englishModule_ = QByteArray::fromStdString(language::EmbeddedEnglishModule());
    auto t = std::make_unique<QTranslator>();
    if (!englishModule_.isEmpty() &&
        t->load(reinterpret_cast<const uchar*>(englishModule_.constData()),
                static_cast<int>(englishModule_.size())) &&
        QCoreApplication::installTranslator(t.get()))
      translator_ = std::move(t);
  }
  app_.CreateComm();
  app_.SetAnimalIdDisplay(options.animalId);
  if (!options.port.empty()) app_.Comm()->CommX1().SetPort(options.port);
  if (options.baud) app_.Comm()->CommX1().SetBaudRate(StrToBaudRate(std::to_string(options.baud)));
}

Session::~Session() {
  if (translator_) QCoreApplication::removeTranslator(translator_.get());
}

void Session::OpenPort() {
  try {
    app_.Comm()->OpenNamedPort(app_.Comm()->CommX1().Port());
  } catch (const ComPortError& e) {
    throw UsageError(e.what());
  }
}

const std::string& Session::PortName() {
  return app_.Comm()->CommX1().Port();
}

void Session::Identify() {
  log_.SetSink(options_.verbose ? StdoutLogPane::Sink::Stderr : StdoutLogPane::Sink::None);
  const bool ok = app_.IdentifyReader();
  app_.LogOkNg(ok, LoadMessage(Msg::OpenMsg) + PortName());
  log_.SetSink(StdoutLogPane::Sink::Stdout);
  if (PortLost()) throw UsageError("the port " + PortName() + " has vanished");
  if (!ok) throw UsageError("no answer from the module on " + PortName());
}

bool Session::Finish() {
  if (!options_.save) return true;
  // What the window does at shut-down, into the copy, then the copy over the real file.
  const Language display = MessageLanguage();
  SetMessageLanguage(fileLanguage_);
  const bool stored = app_.SaveSettings();
  SetMessageLanguage(display);
  std::string error;
  if (!stored) error = "the settings could not be written";
  if (stored && sandbox_.SaveBack(&error)) return true;
  std::fprintf(stderr, "qzh900ctl: --save: %s\n", error.c_str());
  return false;
}

std::vector<uint8_t> ParseHexArgs(const std::vector<std::string>& args) {
  std::vector<uint8_t> bytes;
  for (std::string a : args) {
    if (a.rfind("0x", 0) == 0 || a.rfind("0X", 0) == 0) a = a.substr(2);
    std::string digits;
    for (char c : a) {
      if (c == ' ' || c == ',' || c == ':') continue;
      if (!std::isxdigit(static_cast<unsigned char>(c))) throw UsageError("not a hex byte: " + a);
      digits.push_back(c);
    }
    if (digits.size() % 2 != 0) throw UsageError("odd number of hex digits: " + a);
    for (size_t i = 0; i < digits.size(); i += 2)
      bytes.push_back(static_cast<uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}
