// The dialog gallery: runs every menu handler of the real window, twice (the module answering
// every command with zeros, then with 0xFF bytes, so that dialogs shown only after a read found
// something set appear too), and catches each window it opens: the prompt dialogs through the
// window's own renderers, the message boxes, the About box. Each window is checked
// (dialog_checks.h), saved as a PNG with a drawn title bar, and dismissed as a user would: OK for
// a plain dialog, Close for one that stays open, Yes or OK for a question. The main window, the
// Debug Menu and the port list are added.
//
//   dialog_gallery --lang ja|en [--out DIR] [--check]   DIR/<lang>/<item>-<dialog>.png,
//   DIR/<lang>.tsv dialog_gallery --index DIR                            DIR/index.md from
//   DIR/ja.tsv and en.tsv
//
// --check prints every problem and exits 1 when there is one. scripts/gallery.sh makes the
// pictures; ctest runs the checks on a 1280x800 screen, at 96 dpi and at 1.5x scaling.
#include <stdlib.h>
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <QXmlStreamReader>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "core/app_paths.h"
#include "core/ini_file.h"
#include "core/language.h"
#include "core/message_table.h"
#include "hdx/widgets/hdx_renderers.h"
#include "link/comm_module.h"
#include "link/frame.h"
#include "link/memory_link.h"
#include "link/port_registry.h"
#include "link/port_selection.h"
#include "production/widgets/series_program_dialog.h"
#include "prompts/widgets/widget_prompts.h"
#include "shell/main_window.h"
#include "shell/menu_tree.h"
#include "tests/gallery/dialog_checks.h"

namespace {

namespace fs = std::filesystem;

struct Options {
  std::string lang = "ja";
  std::string out;    // where the pictures go ("": none)
  std::string index;  // write the index page of this folder and stop
  bool check = false;
};

// Items that end or restart the program.
bool Skipped(const std::string& item) {
  return item == "MnSetLanguage_JPN" || item == "MnSetLanguage_ENU" || item == "FileExitItem";
}

// The menu path of an item in the running language ("HDX Tag > TIRIS > ProgramPageCmd...").
std::string ItemPath(const std::string& item) {
  std::map<std::string, const MenuItemDef*> byName;
  for (const MenuItemDef& d : MenuTable()) byName[d.name] = &d;
  auto it = byName.find(item);
  if (it == byName.end()) return item;
  std::string path = MenuCaption(*it->second);
  for (const char* p = it->second->parent; *p;) {
    const MenuItemDef* parent = byName.at(p);
    if (parent->kind == MenuKind::Root) break;
    path = MenuCaption(*parent) + " > " + path;
    p = parent->parent;
  }
  return path;
}

// The window as a window manager would frame it: a title bar over the grabbed window, the title
// cut with "..." where it does not fit, so that a cut title shows in the picture.
QImage Framed(QWidget* w) {
  const QPixmap body = w->grab();
  const QSize size = body.deviceIndependentSize().toSize();
  QFont font = QApplication::font();
  font.setBold(true);
  const QFontMetrics fm(font);
  const int bar = fm.height() + 10;
  QImage image(size.width() + 2, size.height() + bar + 1, QImage::Format_RGB32);
  image.fill(QColor(0x50, 0x50, 0x58));
  QPainter p(&image);
  p.setFont(font);
  p.setPen(Qt::white);
  const int buttons = 3 * (bar - 8) + 12;  // the window buttons at the right
  const QRect titleRoom(8, 0, size.width() - buttons - 16, bar);
  p.drawText(titleRoom, Qt::AlignVCenter | Qt::AlignLeft,
             fm.elidedText(w->windowTitle(), Qt::ElideMiddle, titleRoom.width()));
  for (int i = 0; i < 3; ++i)
    p.fillRect(QRect(size.width() - (i + 1) * (bar - 4), 4, bar - 8, bar - 8),
               QColor(0x90, 0x90, 0x98));
  p.drawPixmap(QRect(1, bar, size.width(), size.height()), body);
  return image;
}

struct Shot {
  std::string file, item, path, dialog, caption;
};

class Gallery {
 public:
  Gallery(Options options, WidgetPrompts& prompts, std::set<std::string> names,
          std::set<std::string> english)
      : options_(std::move(options)),
        prompts_(prompts),
        names_(std::move(names)),
        english_(std::move(english)) {
    if (!options_.out.empty()) fs::create_directories(fs::path(options_.out) / options_.lang);
  }

  void SetItem(const std::string& item) {
    item_ = item;
    seen_.clear();
  }

  // Takes the modal window in front, once.
  void Tick() {
    // A window shown again (the About box of the second pass) is a new sight; one hidden at
    // once by Dismiss is reset there, before a handler can show it again.
    for (QWidget* top : QApplication::topLevelWidgets())
      if (!top->isVisible() && top->property("galleryTaken").toBool())
        top->setProperty("galleryTaken", false);
    QWidget* w = QApplication::activeModalWidget();
    // A window that leaves the main window usable beside it is no modal one.
    if (!w)
      for (QWidget* top : QApplication::topLevelWidgets())
        if (qobject_cast<PromptDialog*>(top) && top->isVisible() &&
            !top->property("galleryTaken").toBool())
          w = top;
    if (!w || !w->isVisible() || w->property("galleryTaken").toBool()) return;
    w->setProperty("galleryTaken", true);
    Take(w, DialogName(w));
    Dismiss(w);
    if (!w->isVisible()) w->setProperty("galleryTaken", false);
  }

  // Checks and saves a window (every visible tab page of it).
  void Take(QWidget* w, const std::string& dialog) {
    const auto* pd = qobject_cast<PromptDialog*>(w);
    PromptForm* form = pd ? &const_cast<PromptDialog*>(pd)->Form() : nullptr;
    const std::string caption = w->windowTitle().toStdString();
    std::string key = dialog + "|" + caption;
    if (form)
      for (const PromptField& f : form->fields)
        if (f.visible) key += "|" + f.name;
    if (seen_.count(key)) return;  // the same window in the second pass
    seen_.insert(key);
    std::string base = item_ + "-" + dialog;
    for (int n = 2; taken_.count(base); ++n) base = item_ + "-" + dialog + "-" + std::to_string(n);
    taken_.insert(base);

    auto* tabs = w->findChild<QTabWidget*>("PageControl1");
    const int current = tabs ? tabs->currentIndex() : 0;
    const int pages = tabs ? tabs->count() : 1;
    for (int i = 0; i < pages; ++i) {
      if (tabs && !tabs->isTabVisible(i)) continue;
      if (tabs) tabs->setCurrentIndex(i);
      QCoreApplication::processEvents();
      std::string file = base;
      if (tabs && i != current) file += "-" + tabs->widget(i)->objectName().toStdString();
      std::vector<std::string> found =
          gallery::CheckWindow(*w, form, w->screen()->availableGeometry(), names_);
      for (std::string& p : gallery::CheckLanguage(*w, options_.lang == "en", english_))
        found.push_back(std::move(p));
      for (const std::string& p : found) problems.push_back(options_.lang + " " + file + ": " + p);
      if (!options_.out.empty()) {
        const fs::path png = fs::path(options_.out) / options_.lang / (file + ".png");
        if (!Framed(w).save(QString::fromStdString(png.string())))
          problems.push_back("cannot write " + png.string());
      }
      shots.push_back({file + ".png", item_, ItemPath(item_), dialog, caption});
    }
    if (tabs) tabs->setCurrentIndex(current);
  }

  std::vector<std::string> problems;
  std::vector<Shot> shots;

 private:
  static std::string DialogName(QWidget* w) {
    if (auto* box = qobject_cast<QMessageBox*>(w)) {
      switch (box->icon()) {
        case QMessageBox::Question:
          return "Question";
        case QMessageBox::Warning:
          return "Warning";
        case QMessageBox::Critical:
          return "Error";
        default:
          return "Message";
      }
    }
    if (qobject_cast<QFileDialog*>(w)) return "FileDialog";
    return w->objectName().isEmpty() ? w->metaObject()->className() : w->objectName().toStdString();
  }

  // As a user would: Yes or OK to a question, OK to a plain dialog, Close to one that stays open
  // while its handler works, Cancel to a file dialog.
  void Dismiss(QWidget* w) {
    if (auto* box = qobject_cast<QMessageBox*>(w)) {
      QAbstractButton* yes = box->button(QMessageBox::Yes);
      if (!yes) yes = box->button(QMessageBox::Ok);
      if (!yes) yes = box->defaultButton();
      if (yes) return yes->click();
      return box->reject();
    }
    auto* dialog = qobject_cast<QDialog*>(w);
    if (!dialog) return;
    auto* pd = qobject_cast<PromptDialog*>(w);
    if (!pd || prompts_.OpenDialog(pd->Form()) == pd) return dialog->reject();
    for (QPushButton* b : pd->findChildren<QPushButton*>())
      if (b->isDefault() && b->isEnabled() && b->isVisible()) return b->click();
    dialog->reject();
  }

  Options options_;
  WidgetPrompts& prompts_;
  std::set<std::string> names_;
  std::set<std::string> english_;  // English texts that have a Japanese form
  std::string item_;
  std::set<std::string> seen_;   // windows of the current item
  std::set<std::string> taken_;  // file names used
};

// Whether a text holds a lower-case letter: "ON", "OFF" and "HEX" read the same in both windows.
bool HasLowerCase(const std::string& text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

// The English of every text that has a Japanese form: the translations of the catalogues in
// resources/i18n that differ from their source, and the message catalogue's English texts;
// abbreviations in capitals are left out.
std::set<std::string> EnglishTexts() {
  std::set<std::string> english;
  for (const auto& entry : fs::directory_iterator(QZH_I18N_DIR)) {
    if (entry.path().extension() != ".ts") continue;
    QFile file(QString::fromStdString(entry.path().string()));
    if (!file.open(QIODevice::ReadOnly)) continue;
    QXmlStreamReader xml(&file);
    QString source;
    while (!xml.atEnd()) {
      if (xml.readNext() != QXmlStreamReader::StartElement) continue;
      if (xml.name() == u"source") source = xml.readElementText();
      if (xml.name() == u"translation") {
        const QString t = xml.readElementText();
        if (!t.isEmpty() && t != source && HasLowerCase(t.toStdString()))
          english.insert(t.toStdString());
      }
    }
  }
  for (int i = 0; i < kMessageTableSize; ++i)
    if (std::strcmp(kMessageTable[i].english, kMessageTable[i].japanese) != 0 &&
        HasLowerCase(kMessageTable[i].english))
      english.insert(kMessageTable[i].english);
  return english;
}

// The module played in memory: every command is answered at once with an acknowledgement, the
// command's code echoed and then 64 bytes of `fill`.
void AnswerEverything(TTirisC1Dlg& comm, uint8_t fill) {
  MemoryLink& link = comm.UseLink(std::make_unique<MemoryLink>());
  link.OnWrite = [&link, fill](std::span<const uint8_t> bytes) {
    std::vector<uint8_t> data;
    if (bytes.size() > 4) data.push_back(bytes[4]);
    data.resize(data.size() + 64, fill);
    link.Deliver(frame::BuildResponseFrame(frame::TypeAck, data));
  };
}

void PumpUntil(const std::function<bool()>& done, int ms) {
  QElapsedTimer t;
  t.start();
  while (!done() && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

// The lines of a tab-separated file, each as its cells.
std::vector<std::vector<std::string>> ReadTsv(const fs::path& tsv) {
  std::vector<std::vector<std::string>> rows;
  std::ifstream in(tsv);
  std::string line;
  while (std::getline(in, line)) {
    std::vector<std::string> cells;
    std::stringstream ss(line);
    for (std::string cell; std::getline(ss, cell, '\t');) cells.push_back(cell);
    rows.push_back(std::move(cells));
  }
  return rows;
}

std::vector<Shot> ReadShots(const fs::path& tsv) {
  std::vector<Shot> shots;
  for (const auto& c : ReadTsv(tsv))
    if (c.size() == 5) shots.push_back({c[0], c[1], c[2], c[3], c[4]});
  return shots;
}

// The reviewer's verdict per picture, kept in DIR/verdicts.tsv: the file, the verdict on the
// Japanese and on the English window (good, acceptable, poor) and what remains.
std::map<std::string, std::vector<std::string>> ReadVerdicts(const fs::path& tsv) {
  std::map<std::string, std::vector<std::string>> verdicts;
  for (auto& c : ReadTsv(tsv))
    if (c.size() >= 3 && !c[0].empty() && c[0][0] != '#') verdicts[c[0]] = std::move(c);
  return verdicts;
}

int WriteIndex(const fs::path& dir) {
  const std::vector<Shot> ja = ReadShots(dir / "ja.tsv"), en = ReadShots(dir / "en.tsv");
  const auto verdicts = ReadVerdicts(dir / "verdicts.tsv");
  std::map<std::string, const Shot*> english;
  for (const Shot& s : en) english[s.file] = &s;
  std::ofstream out(dir / "index.md");
  out << "# Dialog gallery\n\n"
         "Every window the menu handlers open, drawn by the window's own dialog code on a "
         "1280×800 screen, Japanese at the left and English at the right. The title bar is drawn "
         "as a window manager would, so that a title that does not fit shows cut. Made by "
         "`scripts/gallery.sh`; the test `Gallery.*` (ctest) checks the same windows at 96 dpi "
         "and at 1.5× scaling: each fits the screen, no label, button or title is cut, the MSB "
         "and LSB marks stand over the first and last byte of their row, the fields of a row "
         "stand on one level, no label says a word twice, no text is a component's name, every "
         "menu of a menu bar has its own mnemonic, the English window shows no Japanese and the "
         "Japanese window no English text that has a Japanese form. Under each picture pair "
         "stands the reviewer's verdict (`docs/gallery/verdicts.tsv`): good, acceptable (with "
         "what remains) or poor, for the Japanese and the English window.\n\n";
  std::string item;
  for (const Shot& s : ja) {
    if (s.item != item) {
      item = s.item;
      const Shot* e = english.count(s.file) ? english[s.file] : &s;
      out << "## " << e->path << " (`" << s.item << "`)\n\n";
    }
    const Shot* e = english.count(s.file) ? english[s.file] : nullptr;
    out << "`" << s.dialog << "` " << s.caption;
    if (e && e->caption != s.caption) out << " / " << e->caption;
    out << "\n\n<img src=\"ja/" << s.file << "\" alt=\"" << s.file << " (ja)\"> ";
    if (e) out << "<img src=\"en/" << s.file << "\" alt=\"" << s.file << " (en)\">";
    out << "\n\n";
    if (auto v = verdicts.find(s.file); v != verdicts.end())
      out << "Verdict: ja " << v->second[1] << ", en " << v->second[2]
          << (v->second.size() > 3 && !v->second[3].empty() ? ". " + v->second[3] : "") << "\n\n";
  }
  return out ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--lang" && i + 1 < argc) o.lang = argv[++i];
    if (a == "--out" && i + 1 < argc) o.out = argv[++i];
    if (a == "--index" && i + 1 < argc) o.index = argv[++i];
    if (a == "--check") o.check = true;
  }
  if (!o.index.empty()) return WriteIndex(o.index);
  const bool english = o.lang == "en";

  // A private configuration, and a port list of one port: COM3 on a stand-in device.
  char dir[] = "/tmp/qzh-gallery-XXXXXX";
  if (!::mkdtemp(dir)) return 2;
  ::setenv("XDG_CONFIG_HOME", dir, 1);
  fs::create_directories(std::string(dir) + "/sys");
  port_registry::SetScanRoots(std::string(dir) + "/sys", std::string(dir) + "/sys");
  const std::string device = std::string(dir) + "/ttyUSB0";
  std::ofstream(device).put('\n');
  port_registry::Register(3, device);

  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  const std::string exe = std::string(dir) + "/bin/QZH900Tool";
  language::InstallLanguage(app, english, exe);
  language::WriteLocaleOverride(exe,
                                english ? language::kEnglishOverride : language::kJapaneseOverride);
  {
    IniFile::CreateFolders(IniFile::FolderOf(app_paths::SettingsPath()));
    IniFile ini(app_paths::SettingsPath());
    ini.WriteInteger("Option", "LanguageFlag", english ? 0 : 1);
    ini.WriteInteger("ComDebug", "Port", 3);
    ini.Save();
  }
  RegisterHdxDialogRenderers();
  RegisterSeriesProgramDialogRenderer();

  WidgetPrompts* prompts = nullptr;
  MainWindowOptions options;
  options.makePrompts = [&prompts](QWidget* w) {
    auto p = std::make_unique<WidgetPrompts>(w);
    prompts = p.get();
    return p;
  };
  options.exePath = exe;
  TTirisAppForm form(options);
  std::set<std::string> names;
  for (const MenuItemDef& d : MenuTable()) names.insert(d.name);
  for (const std::string& item : form.Registry().Items()) names.insert(item);
  Gallery gallery(o, *prompts, names, EnglishTexts());
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] { gallery.Tick(); });
  watch.start(10);
  QTimer::singleShot(600000, [] {
    std::fprintf(stderr, "dialog_gallery: a window did not close\n");
    std::_Exit(3);
  });

  // The start-up: the open-port dialog (its port does not answer).
  gallery.SetItem("FormShow");
  form.show();
  // Done once the dialog has been taken and cancelled (which, as the first dialog, closes the
  // window and its module: the handlers below make the module again) and the handler returned.
  PumpUntil([&] { return !gallery.shots.empty() && !form.App().Busy(); }, 30000);
  gallery.SetItem("TTirisAppForm");
  gallery.Take(&form, "TTirisAppForm");

  // Every handler, with the menus of the newest module enabled.
  form.App().ReaderLevel = 3;
  ApplyReaderLevel(form.Menus(), 3);
  SetCommandMenusEnabled(form.Menus(), true);
  for (const std::string& item : form.Registry().Items()) {
    if (Skipped(item)) continue;
    std::fprintf(stderr, "%s\n", item.c_str());  // where a window that did not close stands
    gallery.SetItem(item);
    for (uint8_t fill : {uint8_t{0x00}, uint8_t{0xFF}}) {
      if (!form.App().Comm()) form.Shell().CreateCommModule();
      AnswerEverything(*form.App().Comm(), fill);
      form.Registry().Run(form.App(), item);
      PumpUntil([&] { return !form.App().Busy(); }, 30000);
    }
  }
  gallery.SetItem("DebugMenu");
  form.Shell().ShowDebugMenu();
  gallery.SetItem("PortCheck");
  PortSelection(*form.App().Comm(), *prompts).ShowPortCheck();

  watch.stop();
  if (!o.out.empty()) {
    std::ofstream tsv(fs::path(o.out) / (o.lang + ".tsv"));
    for (const Shot& s : gallery.shots)
      tsv << s.file << '\t' << s.item << '\t' << s.path << '\t' << s.dialog << '\t' << s.caption
          << '\n';
  }
  for (const std::string& p : gallery.problems) std::printf("%s\n", p.c_str());
  std::printf("%zu windows, %zu problems\n", gallery.shots.size(), gallery.problems.size());
  form.hide();
  fs::remove_all(dir);
  return o.check && !gallery.problems.empty() ? 1 : 0;
}
