#include "core/language.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QTranslator>
#include <cerrno>
#include <charconv>
#include <climits>
#include <set>

#include "core/app_paths.h"
#include "core/files.h"
#include "core/ini_file.h"
#include "core/messages.h"

namespace language {

namespace {

constexpr const char* kOverrideSection = "Locales";
constexpr const char* kEmbeddedModule = ":/i18n/QZH900Tool.ENU";
// A module file larger than this is not a translation catalogue of ours.
constexpr qint64 kMaxModuleSize = 64 * 1024 * 1024;

bool EqualNoCase(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i]; ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 32);
    if (x != y) return false;
  }
  return i == a.size() && !b[i];
}

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

// The INI key of a path: the path itself, with the few characters that would end or hide a key
// line ('=', line ends, '%' itself, blanks at either end, a leading comment or section mark)
// written as %XX.
std::string OverrideKey(const std::string& path) {
  static const char* hex = "0123456789ABCDEF";
  std::string key;
  for (size_t i = 0; i < path.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(path[i]);
    const bool edge = i == 0 || i + 1 == path.size();
    const bool escape = c == '=' || c == '%' || c == '\n' || c == '\r' ||
                        (edge && (c == ' ' || c == '\t')) ||
                        (i == 0 && (c == ';' || c == '#' || c == '['));
    if (escape) {
      key += '%';
      key += hex[c >> 4];
      key += hex[c & 15];
    } else {
      key += static_cast<char>(c);
    }
  }
  return key;
}

bool Stat(const std::string& path, struct stat& st) {
  return ::stat(path.c_str(), &st) == 0;
}

// Writes a file through the file unit's atomic replacement, so that a reader of the old file (a
// shell running r.bat, a catalogue in use) keeps the old contents and nobody ever sees a
// half-written file. `times`, when given, become the file's access and modification times.
bool WriteFileAtomically(const std::string& path, const std::string& data,
                         const struct timespec* times = nullptr) {
  return !files::Replace(path, data, {.newMode = 0644, .times = times});
}

// Whether a new module file could be placed at `path`: the folder takes a new file and nothing
// that is not a regular file sits at the path.
bool CanPlaceFile(const std::string& path) {
  return !files::CheckReplaceable(path);
}

bool SameLocalDay(time_t a, time_t b) {
  struct tm ta {};
  struct tm tb {};
  if (!::localtime_r(&a, &ta) || !::localtime_r(&b, &tb)) return false;
  return ta.tm_year == tb.tm_year && ta.tm_yday == tb.tm_yday;
}

std::string ShellWord(const std::string& word) {
  bool plain = !word.empty();
  for (char c : word) {
    const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                    c == '_' || c == '-' || c == '.';
    plain = plain && ok;
  }
  if (plain) return word;
  // Inside double quotes sh keeps every character literally except '$', '`', '"' and '\', which
  // a backslash makes literal. A line end inside the quotes stays part of the word.
  std::string out = "\"";
  for (char c : word) {
    if (c == '$' || c == '`' || c == '"' || c == '\\') out += '\\';
    out += c;
  }
  out += '"';
  return out;
}

std::string QuotedPath(const std::string& path) {
  // The path is always quoted, as the batch file's first line has it.
  std::string quoted = ShellWord(path);
  if (quoted.empty() || quoted.front() != '"') quoted = "\"" + quoted + "\"";
  return quoted;
}

// Starts /bin/sh batchPath in workDir as the grandchild of this process, in a new session, with
// the standard streams on /dev/null and no other descriptor inherited. The intermediate child is
// reaped here; the grandchild belongs to init. Exec failures travel back through a pipe that
// closes on exec, so success means the shell is running.
bool StartDetachedShell(const std::string& batchPath, const std::string& workDir) {
  // Everything the children need is prepared before fork: after it only async-signal-safe calls.
  std::string sh = "/bin/sh";
  std::string script = batchPath;
  char* argv[] = {sh.data(), script.data(), nullptr};
  const char* dir = workDir.c_str();
  const char* devNull = "/dev/null";
  long maxFd = ::sysconf(_SC_OPEN_MAX);
  if (maxFd < 0 || maxFd > 65536) maxFd = 65536;

  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) return false;
  // With a standard stream closed the pipe could sit on 0..2, where /dev/null goes.
  for (int& fd : pipeFds) {
    if (fd > 2) continue;
    const int high = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
    ::close(fd);
    fd = high;
  }
  if (pipeFds[0] < 0 || pipeFds[1] < 0) {
    for (int fd : pipeFds)
      if (fd >= 0) ::close(fd);
    return false;
  }

  sigset_t all, old;
  ::sigfillset(&all);
  ::pthread_sigmask(SIG_SETMASK, &all, &old);
  const pid_t child = ::fork();
  if (child == 0) {
    auto fail = [&](int err) {
      (void)!::write(pipeFds[1], &err, sizeof err);
      ::_exit(127);
    };
    ::close(pipeFds[0]);
    if (::setsid() < 0) fail(errno);
    const pid_t grandchild = ::fork();
    if (grandchild < 0) fail(errno);
    if (grandchild > 0) ::_exit(0);
    if (::chdir(dir) != 0) fail(errno);
    const int nul = ::open(devNull, O_RDWR);
    if (nul < 0) fail(errno);
    for (int fd = 0; fd <= 2; ++fd)
      if (::dup2(nul, fd) < 0) fail(errno);
    if (nul > 2) ::close(nul);
    if (::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) != 0) {
      for (long fd = 3; fd < maxFd; ++fd) ::fcntl(static_cast<int>(fd), F_SETFD, FD_CLOEXEC);
    }
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    for (int sig = 1; sig < NSIG; ++sig) ::sigaction(sig, &dfl, nullptr);
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::execv(argv[0], argv);
    fail(errno);
  }
  const int forkErrno = errno;
  ::pthread_sigmask(SIG_SETMASK, &old, nullptr);
  ::close(pipeFds[1]);
  if (child < 0) {
    ::close(pipeFds[0]);
    errno = forkErrno;
    return false;
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  int childErrno = 0;
  ssize_t n;
  while ((n = ::read(pipeFds[0], &childErrno, sizeof childErrno)) < 0 && errno == EINTR) {
  }
  ::close(pipeFds[0]);
  return n == 0;
}

// The catalogue installed by InstallLanguage, with the bytes QTranslator reads from.
class ModuleTranslator : public QTranslator {
 public:
  using QTranslator::QTranslator;
  bool LoadBytes(QByteArray bytes) {
    if (bytes.isEmpty() || bytes.size() > kMaxModuleSize) return false;
    bytes_ = std::move(bytes);
    return load(reinterpret_cast<const uchar*>(bytes_.constData()),
                static_cast<int>(bytes_.size()));
  }

 private:
  QByteArray bytes_;
};

QByteArray ReadModuleFile(const std::string& path) {
  files::ReadResult r = files::ReadWhole(path, static_cast<size_t>(kMaxModuleSize));
  if (!r.Ok()) return {};
  return QByteArray::fromStdString(r.data);
}

}  // namespace

std::string CollapseDotSegments(std::string path) {
  size_t i;
  while ((i = path.find("/./")) != std::string::npos) path.replace(i, 3, "/");
  return path;
}

std::string ExecutablePath() {
  std::string buf(PATH_MAX, '\0');
  const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
  std::string path;
  if (n > 0 && static_cast<size_t>(n) < buf.size()) {
    path.assign(buf.data(), static_cast<size_t>(n));
    // The file was replaced while running: the path is still where the program lives.
    const std::string deleted = " (deleted)";
    if (path.size() > deleted.size() &&
        path.compare(path.size() - deleted.size(), deleted.size(), deleted) == 0)
      path.resize(path.size() - deleted.size());
  } else if (QCoreApplication::instance()) {
    path = QCoreApplication::applicationFilePath().toStdString();
  }
  return CollapseDotSegments(path);
}

bool InSystemFolder(const std::string& exePath) {
  const std::string path = CollapseDotSegments(exePath);
  for (const char* root : {"/usr/", "/bin/", "/sbin/", "/lib/"})
    if (path.rfind(root, 0) == 0) return true;
  return false;
}

std::string EnglishModulePath(const std::string& exePath) {
  const std::string path = CollapseDotSegments(exePath);
  const size_t slash = path.rfind('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const size_t dot = path.rfind('.');
  // Only a dot inside the file name, not its first character, starts an extension.
  const bool hasExtension = dot != std::string::npos && dot > nameStart;
  return (hasExtension ? path.substr(0, dot) : path) + ".ENU";
}

std::string ReadLocaleOverride(const std::string& exePath) {
  IniFile ini(app_paths::LocaleOverridePath());
  ini.Load();
  auto value = ini.Value(kOverrideSection, OverrideKey(exePath));
  if (!value) {
    const std::string collapsed = CollapseDotSegments(exePath);
    if (collapsed != exePath) value = ini.Value(kOverrideSection, OverrideKey(collapsed));
  }
  return value ? Trim(*value) : std::string();
}

bool WriteLocaleOverride(const std::string& exePath, const std::string& value) {
  const std::string path = app_paths::LocaleOverridePath();
  if (!IniFile::CreateFolders(IniFile::FolderOf(path))) return false;
  IniFile ini(path);
  // An existing store that cannot be read is never overwritten: the other entries would be lost.
  if (!ini.Load() && IniFile::Exists(path)) return false;
  ini.WriteString(kOverrideSection, OverrideKey(exePath), value);
  const std::string collapsed = CollapseDotSegments(exePath);
  if (collapsed != exePath) ini.WriteString(kOverrideSection, OverrideKey(collapsed), value);
  return ini.Save();
}

bool EnsureLocaleOverride(const std::string& exePath, const std::string& value) {
  if (ReadLocaleOverride(exePath) == value) return false;
  WriteLocaleOverride(exePath, value);
  return true;
}

std::string RestartBatchText(const std::string& exePath, const std::string& argument, int counter) {
  return QuotedPath(exePath) + " " + ShellWord(argument) + " " + std::to_string(counter) +
         "\nexit\n";
}

bool WriteRestartBatch(const std::string& exePath, const std::string& argument, int counter) {
  if (!IniFile::CreateFolders(app_paths::NorvikDir())) return false;
  return WriteFileAtomically(app_paths::RestartBatchPath(),
                             RestartBatchText(exePath, argument, counter));
}

bool RestartProgram(const std::string& exePath, const std::string& argument, int counter) {
  if (!WriteRestartBatch(exePath, argument, counter)) return false;
  return StartDetachedShell(app_paths::RestartBatchPath(), app_paths::NorvikDir());
}

void DeleteRestartBatch() {
  ::unlink(app_paths::RestartBatchPath().c_str());
}

std::string EmbeddedEnglishModule() {
  QFile f(kEmbeddedModule);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll().toStdString();
}

bool WriteEnglishModule(const std::string& exePath) {
  struct stat exe {};
  if (!Stat(exePath, exe)) return false;
  const std::string module = EmbeddedEnglishModule();
  if (module.empty()) return false;
  const struct timespec times[2] = {exe.st_atim, exe.st_mtim};
  return WriteFileAtomically(EnglishModulePath(exePath), module, times);
}

bool EnglishModuleIsCurrent(const std::string& exePath) {
  struct stat exe {
  }, module{};
  if (!Stat(exePath, exe) || !Stat(EnglishModulePath(exePath), module)) return false;
  return S_ISREG(module.st_mode) && SameLocalDay(module.st_mtime, exe.st_mtime);
}

void InstallLanguage(QCoreApplication& app, bool english) {
  InstallLanguage(app, english, ExecutablePath());
}

bool InstallQtCatalogue(QCoreApplication& app, bool english) {
  if (english) return false;  // Qt speaks English by itself
  auto* translator = new QTranslator(&app);
  if (!translator->load("qtbase_ja", QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
      !app.installTranslator(translator)) {
    delete translator;
    return false;
  }
  return true;
}

bool InstallLanguage(QCoreApplication& app, bool english, const std::string& exePath) {
  SetMessageLanguage(english ? Language::English : Language::Japanese);
  InstallQtCatalogue(app, english);
  if (!english) return false;
  auto* translator = new ModuleTranslator(&app);
  bool loaded = EnglishModuleIsCurrent(exePath) &&
                translator->LoadBytes(ReadModuleFile(EnglishModulePath(exePath)));
  if (!loaded) loaded = translator->LoadBytes(QByteArray::fromStdString(EmbeddedEnglishModule()));
  if (!loaded || !app.installTranslator(translator)) {
    delete translator;
    return false;
  }
  return true;
}

int RestartCounterFromArgs(const std::vector<std::string>& args) {
  if (args.size() < 2) return 0;
  const std::string& text = args[1];
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < 0) return 0;
  return value;
}

bool FirstArgumentIs(const std::vector<std::string>& args, const char* word) {
  return !args.empty() && EqualNoCase(args[0], word);
}

bool MayRestart(int restartCounter) {
  return restartCounter < kMaxRestartsInARow;
}

EntryDecision ModuleCheckAtEntry(const std::string& exePath, const std::vector<std::string>& args,
                                 int restartCounter) {
  EntryDecision d;
  d.restartCounter = args.size() > 1 ? RestartCounterFromArgs(args) : restartCounter;
  const bool recopy = FirstArgumentIs(args, kRecopyArgument);
  auto restart = [&](const char* argument) {
    if (!MayRestart(d.restartCounter)) return false;
    if (!RestartProgram(exePath, argument, d.restartCounter + 1)) return false;
    d.restart = true;
    d.restartArgument = argument;
    d.restartCounter += 1;
    return true;
  };

  // A program the package manager installed gets no file beside it (the package would not own
  // it, and purging would leave it): the embedded module serves there.
  if (!EnglishModuleIsCurrent(exePath) && !InSystemFolder(exePath)) {
    const std::string modulePath = EnglishModulePath(exePath);
    const std::string override = ReadLocaleOverride(exePath);
    // While this process may be using the module, refresh it from a process that runs on the
    // Japanese texts. Pointless when the module cannot be placed beside the executable at all:
    // the embedded copy serves then.
    if (override != kJapaneseOverride && !recopy && !EmbeddedEnglishModule().empty() &&
        CanPlaceFile(modulePath)) {
      WriteLocaleOverride(exePath, kJapaneseOverride);
      if (restart(kRecopyArgument)) return d;
      // No restart: put the override back; the module is replaced below (a rename, so a
      // catalogue already read by this process is not disturbed).
      WriteLocaleOverride(exePath, override.empty() ? kJapaneseOverride : override);
    }
    static std::set<std::string> written;  // once per process and module
    if (written.insert(modulePath).second) WriteEnglishModule(exePath);
  }

  if (recopy) {
    WriteLocaleOverride(exePath, kEnglishOverride);
    restart(kRebootArgument);
  }
  return d;
}

EntryDecision LanguageCheckAtShow(const std::string& exePath, int languageFlag,
                                  int restartCounter) {
  EntryDecision d;
  d.restartCounter = restartCounter;
  const bool differed =
      EnsureLocaleOverride(exePath, languageFlag == 1 ? kJapaneseOverride : kEnglishOverride);
  if (differed && MayRestart(restartCounter) &&
      RestartProgram(exePath, kRebootArgument, restartCounter + 1)) {
    d.restart = true;
    d.restartArgument = kRebootArgument;
    d.restartCounter = restartCounter + 1;
  }
  return d;
}

}  // namespace language
