#include "ledger/target.h"

#include <QUrl>
#include <QUrlQuery>

#include "core/app_paths.h"

namespace ledger {

namespace {

std::optional<Target> Fail(std::string* error, const std::string& why) {
  if (error) *error = why;
  return std::nullopt;
}

// libpq takes a parameter value as a word of its connection string.
bool PlainValue(const std::string& v) {
  for (char c : v)
    if (c == ' ' || c == '\'' || c == '\\' || c == ';' || static_cast<unsigned char>(c) < 0x20)
      return false;
  return !v.empty();
}

std::optional<Target> ParsePostgres(const std::string& text, std::string* error) {
  const QUrl url(QString::fromStdString(text), QUrl::StrictMode);
  if (!url.isValid())
    return Fail(error,
                "\"" + text + "\" is no PostgreSQL URI (" + url.errorString().toStdString() + ")");
  Target t;
  t.backend = Target::Backend::Postgres;
  t.user = url.userName(QUrl::FullyDecoded).toStdString();
  t.password = url.password(QUrl::FullyDecoded).toStdString();
  t.host = url.host(QUrl::FullyDecoded).toStdString();
  t.port = url.port(0);
  std::string path = url.path(QUrl::FullyDecoded).toStdString();
  if (path.rfind('/', 0) == 0) path.erase(0, 1);
  t.database = path;
  for (const auto& [key, value] : QUrlQuery(url).queryItems(QUrl::FullyDecoded)) {
    const std::string k = key.toStdString();
    const std::string v = value.toStdString();
    if (k == "host") {
      t.host = v;
    } else if (k == "port") {
      bool ok = false;
      t.port = value.toInt(&ok);
      if (!ok || t.port <= 0 || t.port > 65535)
        return Fail(error, "port \"" + v + "\" is no port number");
    } else if (k == "user") {
      t.user = v;
    } else if (k == "password") {
      t.password = v;
    } else if (k == "dbname") {
      t.database = v;
    } else if (!PlainValue(k) || !PlainValue(v)) {
      return Fail(error, "the parameter \"" + k +
                             "\" needs a value without blanks, quotes, "
                             "backslashes or semicolons");
    } else {
      t.parameters.emplace_back(k, v);
    }
  }
  if (t.database.empty())
    return Fail(error, "\"" + text + "\" names no database (postgresql://user@host/DATABASE)");
  return t;
}

}  // namespace

std::string Target::Display() const {
  if (backend == Backend::Sqlite) return "sqlite:" + path;
  QUrl url;
  url.setScheme("postgresql");
  if (!user.empty()) url.setUserName(QString::fromStdString(user));
  const bool socket = !host.empty() && host[0] == '/';
  if (!socket) url.setHost(QString::fromStdString(host));
  if (port) url.setPort(port);
  url.setPath("/" + QString::fromStdString(database));
  QUrlQuery query;
  if (socket) query.addQueryItem("host", QString::fromStdString(host));
  for (const auto& [k, v] : parameters)
    query.addQueryItem(QString::fromStdString(k), QString::fromStdString(v));
  url.setQuery(query);
  std::string text = url.toString(QUrl::PrettyDecoded).toStdString();
  // An empty authority keeps its slashes: postgresql:///db?host=/run/postgresql.
  if (url.authority().isEmpty() && text.rfind("postgresql:/", 0) == 0 &&
      text.rfind("postgresql://", 0) != 0)
    text.insert(std::string("postgresql:").size(), "//");
  return text;
}

std::optional<Target> ParseTarget(const std::string& text, std::string* error) {
  if (text.rfind("sqlite:", 0) == 0) {
    Target t;
    t.path = text.substr(7);
    if (t.path.empty()) return Fail(error, "sqlite: needs the path of the ledger file");
    // A ledger that lives only as long as the run hands out the same codes again in the next
    // run: in memory, or SQLite's temporary database (a file name that is a URI is taken as one).
    if (t.path == ":memory:" || t.path.rfind("file:", 0) == 0)
      return Fail(error, "\"" + text +
                             "\" is a ledger that ends with the run: every run would hand out "
                             "the same codes again; give the path of a ledger file");
    return t;
  }
  if (text.rfind("postgresql://", 0) == 0 || text.rfind("postgres://", 0) == 0)
    return ParsePostgres(text, error);
  return Fail(error, "\"" + text +
                         "\" is no ledger: sqlite:PATH or postgresql://user@host[:port]/database");
}

Target DefaultTarget() {
  Target t;
  t.path = app_paths::DefaultLedgerPath();
  return t;
}

}  // namespace ledger
