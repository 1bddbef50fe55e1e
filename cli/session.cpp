#include "cli/session.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "cli/interrupt.h"
#include "cli/output.h"
#include "core/app_paths.h"
#include "core/files.h"
#include "core/ini_file.h"
#include "core/language.h"
#include "core/messages.h"
#include "core/settings.h"

const std::vector<OptionDef>& CommonOptionDefs() {
  static const std::vector<OptionDef> defs = {
      {"--port", nullptr, "COMn|PATH|URL", ValueKind::Text, 0, 0,
       "port to open: COMn, a device path, or a network port rfc2217://HOST:PORT or "
       "socket://HOST:PORT (default: the one of the settings file)"},
      {"--baud", nullptr, "N", ValueKind::Text, 0, 0,
       "speed in bit/s, one of the port's standard speeds (default: the one of the settings "
       "file)"},
      {"--lang", nullptr, "en|ja", ValueKind::Text, 0, 0,
       "language of the log lines and of the remembered values (default: the settings file's)"},
      {"--animal-id", nullptr, nullptr, ValueKind::Flag, 0, 0,
       "decorate ID lines with country and national ID"},
      {"--verbose", "-v", nullptr, ValueKind::Flag, 0, 0,
       "show the module's identification lines on standard error"},
      {"--save", nullptr, nullptr, ValueKind::Flag, 0, 0,
       "write the remembered values back to the settings file at the end (without it the "
       "settings file is read, never written)"},
      {"--json", nullptr, nullptr, ValueKind::Flag, 0, 0,
       "JSON Lines on standard output instead of the lines: one object per event and a final "
       "summary (the schema: /usr/share/doc/qzh900-tool/qzh900ctl.schema.json)"},
      {"--help", "-h", nullptr, ValueKind::Flag, 0, 0, "this text"},
  };
  return defs;
}

void StdoutLogPane::Append(const std::string& line) {
  if (sink_ == Sink::Stdout) {
    Output::Get().LogLine(line);
  } else if (sink_ == Sink::Stderr) {
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
  }
  ++count_;
}

CommonOptions ParseCommonOptions(std::vector<std::string>& args) {
  CommonOptions o;
  std::vector<std::string> rest;
  const std::vector<OptionDef>& defs = CommonOptionDefs();
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--") {
      // The end of the options: the rest, "--" included, is the verb's (its reader skips it).
      rest.insert(rest.end(), args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
      break;
    }
    const OptionDef* d = FindOption(defs, a);
    if (!d) {
      rest.push_back(a);
      continue;
    }
    const size_t eq = a.rfind("--", 0) == 0 ? a.find('=') : std::string::npos;
    auto value = [&] {
      if (eq != std::string::npos) return a.substr(eq + 1);
      if (i + 1 >= args.size()) throw UsageError(a + " needs a value");
      return args[++i];
    };
    if (!d->value && eq != std::string::npos)
      throw UsageError(std::string(d->name) + " takes no value");
    const std::string name = d->name;
    if (name == "--port") {
      o.port = value();
      if (o.port.empty()) throw UsageError("--port needs a port name");
    } else if (name == "--baud") {
      const std::string v = value();
      const bool digits = !v.empty() && v.find_first_not_of("0123456789") == std::string::npos;
      const auto n = digits && v.size() <= 7 ? ParseInteger(v) : std::nullopt;
      if (!n || BaudRateValue(StrToBaudRate(std::to_string(*n))) != *n)
        throw UsageError("unsupported speed: " + v);
      o.baud = static_cast<int>(*n);
    } else if (name == "--lang") {
      o.lang = value();
      if (o.lang != "en" && o.lang != "ja") throw UsageError("--lang takes en or ja");
    } else if (name == "--animal-id") {
      o.animalId = true;
    } else if (name == "--verbose") {
      o.verbose = true;
    } else if (name == "--save") {
      o.save = true;
    } else if (name == "--json") {
      o.json = true;
    } else if (name == "--help") {
      o.help = true;
    }
  }
  args = rest;
  return o;
}

// --- Settings sandbox ---

namespace {

std::string TempRoot() {
  const char* t = std::getenv("TMPDIR");
  return t && *t == '/' ? t : "/tmp";
}

// A folder in memory when the system has one, else the temporary folder.
std::string MemoryRoot() {
  constexpr const char* kShm = "/dev/shm";
  struct stat st {};
  return ::stat(kShm, &st) == 0 && S_ISDIR(st.st_mode) && ::access(kShm, W_OK | X_OK) == 0
             ? kShm
             : TempRoot();
}

// What changes when a file is written: its inode (files are replaced by a rename), size and
// modification time.
std::string Stamp(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return "-";
  return std::to_string(st.st_ino) + ":" + std::to_string(st.st_size) + ":" +
         std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec);
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

SettingsSandbox::SettingsSandbox(std::string realPath, SettingsPlace place)
    : real_(std::move(realPath)) {
  const std::string root = place == SettingsPlace::Memory ? MemoryRoot() : TempRoot();
  std::string dir = root + "/qzh900ctl.XXXXXX";
  if (!::mkdtemp(dir.data())) throw UsageError("cannot create a temporary folder in " + root);
  dir_ = dir;
  work_ = dir_ + "/" + app_paths::kExeBase + ".ini";
  scratch_ = dir_ + "/scratch.ini";
  // The files before the folder: a second Ctrl+C removes them in this order.
  for (const std::string& p : {work_, scratch_, dir_}) interrupt::RegisterTemporary(p);
  realError_ = CopyIfExists(real_, work_);
}

SettingsSandbox::~SettingsSandbox() {
  for (const std::string& p : {work_, scratch_}) ::unlink(p.c_str());
  ::rmdir(dir_.c_str());
  for (const std::string& p : {work_, scratch_, dir_}) interrupt::ForgetTemporary(p);
}

std::string SettingsSandbox::ScratchCopy() {
  if (!scratchStamp_.empty() && scratchStamp_ == Stamp(work_) + " " + Stamp(scratch_))
    return scratch_;
  ::unlink(scratch_.c_str());
  CopyIfExists(work_, scratch_);
  scratchStamp_ = Stamp(work_) + " " + Stamp(scratch_);
  return scratch_;
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

Language RunLanguage(const CommonOptions& o) {
  if (o.lang == "ja") return Language::Japanese;
  if (o.lang == "en") return Language::English;
  return FileLanguageOf(app_paths::SettingsPath());
}

}  // namespace

Session::Session(const CommonOptions& options, SettingsPlace place)
    : options_(options),
      language_(RunLanguage(options)),
      sandbox_(app_paths::SettingsPath(), place),
      app_(log_, prompts_, sandbox_.WorkPath()) {
  if (sandbox_.RealFileError())
    std::fprintf(stderr,
                 "qzh900ctl: the settings file %s cannot be read (%s); working on defaults\n",
                 sandbox_.RealPath().c_str(), sandbox_.RealFileError().Text().c_str());
  // The window of the run's language: its texts, and the remembered values under its key names
  // (the write-data bytes are keyed by a text of the language).
  SetMessageLanguage(language_);
  app_.LoadSettings();
  if (language_ == Language::English && QCoreApplication::instance()) {
    englishModule_ = QByteArray::fromStdString(language::EmbeddedEnglishModule());
    auto t = std::make_unique<QTranslator>();
    if (!englishModule_.isEmpty() &&
        t->load(reinterpret_cast<const uchar*>(englishModule_.constData()),
                static_cast<int>(englishModule_.size())) &&
        QCoreApplication::installTranslator(t.get()))
      translator_ = std::move(t);
  }
  app_.Outcome().OnEvent = [this](const OutcomeEvent& e) {
    if (log_.CurrentSink() != StdoutLogPane::Sink::None) Output::Get().Outcome(e);
  };
  prompts_.SetStop([this] { return StopRequested(); });
  app_.CreateComm();
  app_.SetAnimalIdDisplay(options.animalId);
  if (!options.port.empty()) app_.Comm()->SetPortName(options.port);
  if (options.baud) app_.Comm()->SetBaudRate(StrToBaudRate(std::to_string(options.baud)));
}

Session::~Session() {
  if (translator_) QCoreApplication::removeTranslator(translator_.get());
}

void Session::OpenPort() {
  // COM1 is the default of a settings file without a port: on a PC it is the machine's own serial
  // console. A port is never guessed.
  if (options_.port.empty()) {
    IniFile ini(sandbox_.WorkPath());
    ini.Load();
    if (!ini.HasKey("ComDebug", "Port"))
      throw UsageError(
          "no port given and none stored in the settings: name it with --port "
          "(qzh900ctl ports lists them)");
  }
  try {
    app_.Comm()->OpenNamedPort(app_.Comm()->PortName());
  } catch (const ComPortError& e) {
    throw UsageError(e.what());
  }
}

const std::string& Session::PortName() {
  return app_.Comm()->PortName();
}

void Session::CheckPort() {
  if (PortLost()) throw UsageError("the port " + PortName() + " has vanished");
}

bool Session::StopRequested() {
  return interrupt::Requested() || PortLost();
}

void Session::Identify(bool shown) {
  const size_t mark = app_.Outcome().Events().size();
  if (!shown)
    log_.SetSink(options_.verbose ? StdoutLogPane::Sink::Stderr : StdoutLogPane::Sink::None);
  const bool ok = app_.IdentifyReader();
  app_.LogOkNg(ok, LoadMessage(Msg::OpenMsg) + PortName());
  log_.SetSink(StdoutLogPane::Sink::Stdout);
  // Why it failed, from the exchange's own report: a refusal names its reason.
  std::string refusal;
  bool timedOut = false;
  for (size_t i = mark; i < app_.Outcome().Events().size(); ++i) {
    const OutcomeEvent& e = app_.Outcome().Events()[i];
    if (e.kind != OutcomeKind::Fault) continue;
    if (e.fault == LinkFault::Nack && refusal.empty()) refusal = e.text.empty() ? "NACK" : e.text;
    if (e.fault == LinkFault::TimedOut) timedOut = true;
  }
  if (!shown) app_.Outcome().Truncate(mark);
  CheckPort();
  if (ok) return;
  // A module that answers but refuses is a failed step of a shown identification (verdict 1).
  if (shown && !timedOut) return;
  if (!refusal.empty())
    throw UsageError("the module on " + PortName() + " refuses the identification (" + refusal +
                     ")");
  if (timedOut) throw UsageError("no answer from the module on " + PortName());
  throw UsageError("the module on " + PortName() + " could not be identified");
}

bool Session::Finish() {
  if (!options_.save) return true;
  // What the window of the run's language does at shut-down, into the copy, then the copy over
  // the real file.
  const bool stored = app_.SaveSettings();
  std::string error;
  if (!stored) error = "the settings could not be written";
  if (stored && sandbox_.SaveBack(&error)) return true;
  Output::Get().Error("--save: " + error);
  return false;
}

std::vector<uint8_t> ParseHexArgs(const std::vector<std::string>& args) {
  std::vector<uint8_t> bytes;
  bool optionsEnded = false;
  for (std::string a : args) {
    if (a == "--" && !optionsEnded) {
      optionsEnded = true;
      continue;
    }
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
