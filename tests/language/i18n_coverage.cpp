// Checks that every Japanese source text of the program has an English translation in the
// merged catalogue QZH900Tool.ENU, and that no two translation files give the same text
// different English. Runs lupdate over the program's sources (not build*, tests/, sim/), with
// Tr(context, source) known as a translate alias.
//
//   i18n_english_coverage --lupdate PATH --catalogue QZH900Tool.ENU --ts-dir resources/i18n
//                         --source-root REPO
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTranslator>
#include <QXmlStreamReader>
#include <cstdio>

namespace {

struct Message {
  QString context, source, comment, translation, location;
  bool numerus = false;
};

QTextStream& Out() {
  static QTextStream out(stdout);
  return out;
}

bool IsJapanese(const QString& text) {
  for (QChar c : text) {
    const ushort u = c.unicode();
    if ((u >= 0x3000 && u <= 0x30FF) || (u >= 0x4E00 && u <= 0x9FFF) ||
        (u >= 0xFF00 && u <= 0xFFEF))
      return true;
  }
  return false;
}

// Messages of a .ts file; false when it cannot be read or parsed.
bool ReadTs(const QString& path, QList<Message>& messages, QString& error) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) {
    error = path + ": cannot be read";
    return false;
  }
  QXmlStreamReader xml(&f);
  QString context;
  Message m;
  while (!xml.atEnd()) {
    xml.readNext();
    if (!xml.isStartElement()) {
      if (xml.isEndElement() && xml.name() == u"message") messages.append(m);
      continue;
    }
    const auto name = xml.name();
    if (name == u"name") {
      context = xml.readElementText();
    } else if (name == u"message") {
      m = Message{};
      m.context = context;
      m.numerus = xml.attributes().value("numerus") == u"yes";
    } else if (name == u"source") {
      m.source = xml.readElementText();
    } else if (name == u"comment") {
      m.comment = xml.readElementText();
    } else if (name == u"translation") {
      m.translation = xml.readElementText(QXmlStreamReader::IncludeChildElements);
    } else if (name == u"location" && m.location.isEmpty()) {
      const auto a = xml.attributes();
      // lupdate writes file names relative to the .ts file.
      m.location = QFileInfo(path).dir().absoluteFilePath(a.value("filename").toString()) + ":" +
                   a.value("line").toString();
    }
  }
  if (xml.hasError()) {
    error = path + ": " + xml.errorString();
    return false;
  }
  return true;
}

QStringList ProgramSources(const QString& root) {
  QStringList files;
  const QDir rootDir{QDir(root).absolutePath()};
  QDirIterator it(rootDir.path(), {"*.cpp", "*.cc", "*.h", "*.hpp", "*.ui"}, QDir::Files,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    const QString top = rootDir.relativeFilePath(path).section('/', 0, 0);
    if (top.startsWith("build") || top == "tests" || top == "sim" || top.startsWith('.')) continue;
    files.append(path);
  }
  files.sort();
  return files;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QMap<QString, QString> opt;
  const QStringList args = app.arguments();
  for (int i = 1; i + 1 < args.size(); i += 2) opt[args[i]] = args[i + 1];
  for (const char* need : {"--lupdate", "--catalogue", "--ts-dir", "--source-root"}) {
    if (!opt.contains(need)) {
      Out() << "usage: i18n_english_coverage --lupdate PATH --catalogue FILE --ts-dir DIR"
               " --source-root DIR\n";
      return 2;
    }
  }
  int failures = 0;

  // 1. The translation files: one English text per context and source.
  QMap<QString, QPair<QString, QString>> seen;  // key -> (translation, file)
  for (const QString& ts : QDir(opt["--ts-dir"]).entryList({"*.ts"}, QDir::Files, QDir::Name)) {
    QList<Message> messages;
    QString error;
    if (!ReadTs(opt["--ts-dir"] + "/" + ts, messages, error)) {
      Out() << "FAIL " << error << "\n";
      ++failures;
      continue;
    }
    for (const Message& m : messages) {
      if (m.translation.isEmpty()) continue;
      const QString key = m.context + '\x1f' + m.source + '\x1f' + m.comment;
      auto it = seen.find(key);
      if (it != seen.end() && it->first != m.translation && it->second != ts) {
        Out() << "FAIL [" << m.context << "] \"" << m.source << "\" is translated as \""
              << it->first << "\" in " << it->second << " and as \"" << m.translation << "\" in "
              << ts << "; keep one\n";
        ++failures;
      }
      seen.insert(key, {m.translation, ts});
    }
  }

  // 2. The merged catalogue.
  QTranslator catalogue;
  if (!catalogue.load(opt["--catalogue"])) {
    Out() << "FAIL the English module " << opt["--catalogue"]
          << " cannot be loaded (build the target qzh_english_module)\n";
    return 1;
  }

  // 3. The Japanese texts of the sources, as lupdate finds them.
  const QStringList sources = ProgramSources(opt["--source-root"]);
  QTemporaryDir tmp;
  QFile list(tmp.filePath("sources.lst"));
  if (!tmp.isValid() || !list.open(QIODevice::WriteOnly)) {
    Out() << "FAIL no temporary folder\n";
    return 1;
  }
  list.write(sources.join('\n').toUtf8());
  list.close();
  const QString found = tmp.filePath("found.ts");
  QProcess lupdate;
  lupdate.setProcessChannelMode(QProcess::MergedChannels);
  lupdate.setWorkingDirectory(opt["--source-root"]);
  lupdate.start(opt["--lupdate"], {"-silent", "-tr-function-alias", "translate+=Tr", "-locations",
                                   "absolute", "@" + list.fileName(), "-ts", found});
  if (!lupdate.waitForFinished(240000) || lupdate.exitStatus() != QProcess::NormalExit ||
      lupdate.exitCode() != 0) {
    Out() << "FAIL lupdate did not run: " << lupdate.errorString() << "\n"
          << QString::fromUtf8(lupdate.readAll()) << "\n";
    return 1;
  }
  QList<Message> texts;
  QString error;
  if (QFile::exists(found) && !ReadTs(found, texts, error)) {
    Out() << "FAIL " << error << "\n";
    return 1;
  }

  int checked = 0, missing = 0;
  const QDir root{QDir(opt["--source-root"]).absolutePath()};
  for (const Message& m : texts) {
    if (!IsJapanese(m.source)) continue;
    ++checked;
    const QString english = catalogue.translate(
        m.context.toUtf8().constData(), m.source.toUtf8().constData(),
        m.comment.isEmpty() ? nullptr : m.comment.toUtf8().constData(), m.numerus ? 1 : -1);
    if (!english.isEmpty()) continue;
    if (missing++ == 0)
      Out() << "FAIL Japanese source texts without an English translation in "
            << QDir(opt["--catalogue"]).dirName()
            << " (add them to your area's file in resources/i18n, see its README):\n";
    Out() << "  " << root.relativeFilePath(m.location) << "  [" << m.context << "] \"" << m.source
          << "\"" << (m.comment.isEmpty() ? "" : " (" + m.comment + ")") << "\n";
  }
  failures += missing;
  Out() << "i18n: " << sources.size() << " source files, " << checked << " Japanese texts checked, "
        << missing << " without English\n";
  return failures == 0 ? 0 : 1;
}
