// dump: the tag memory viewer's "Read" (identification and the whole memory) and its CSV export,
// through the viewer's own headless reader and export.
#include <cstdio>
#include <ctime>

#include <QJsonArray>
#include <QJsonObject>

#include "cli/output.h"
#include "cli/verbs.h"
#include "core/files.h"
#include "hdx/disp_tag_data_settings.h"
#include "hdx/tag_viewer.h"
#include "hdx/tag_viewer_csv.h"

namespace {

struct DumpArgs {
  std::string csv;
  int fixedTagType = kIdentifyTag;
  std::optional<bool> fast;
};

DumpArgs ParseDumpArgs(const std::vector<std::string>& args) {
  DumpArgs d;
  for (OptionReader arg(args, kDumpOptions); arg.Next();) {
    if (!arg.Option()) {
      throw UsageError("unexpected argument: " + arg.Arg());
    } else if (arg.Is("--csv")) {
      d.csv = arg.Text();
      if (d.csv.empty()) throw UsageError("--csv needs a file name");
    } else if (arg.Is("--type")) {
      const std::string t = arg.Text();
      if (t == "auto")
        d.fixedTagType = kIdentifyTag;
      else if (t == "multipage")
        d.fixedTagType = kFixedMultipage;
      else if (t == "sic279")
        d.fixedTagType = kFixedSic279;
      else if (t == "sic7888")
        d.fixedTagType = kFixedSic7888;
      else if (t == "em4305")
        d.fixedTagType = kFixedEm4305;
      else
        throw UsageError("--type takes auto, multipage, sic279, sic7888 or em4305: \"" + t + "\"");
    } else if (arg.Is("--fast")) {
      d.fast = true;
    } else if (arg.Is("--no-fast")) {
      d.fast = false;
    }
  }
  return d;
}

// The file can be appended to (created when missing, as the export would); nothing is written.
void CheckAppendable(const std::string& path) {
  if (const files::Error e = files::CheckAppendable(path)) throw UsageError(path + ": " + e.Text());
}

// The fields and the table as the export writes them, without its blank and date lines; with
// --json a "field" event per field and a "row" event per table row.
void PrintTable(const TagData& data) {
  Output& out = Output::Get();
  if (!out.Json()) {
    const std::string text = TagDataCsvText(data, "");
    size_t pos = 0;
    for (int line = 0; pos < text.size(); ++line) {
      size_t end = text.find('\n', pos);
      if (end == std::string::npos) end = text.size();
      std::string l = text.substr(pos, end - pos);
      if (!l.empty() && l.back() == '\r') l.pop_back();
      pos = end + 1;
      if (line >= 2) out.LogLine(l);
    }
    return;
  }
  const std::pair<const char*, const std::string*> fields[] = {
      {"ID(Hex)", &data.EdUID},
      {"Tag Type", &data.EdChip},
      {"Chip/Manufacture", &data.EdManufacturer}};
  for (const auto& [name, value] : fields)
    out.Event("field", {{"name", name}, {"value", Q(*value)}});
  bool header = true;
  for (const TagData::Row& row : data.StringGrid1) {
    QJsonArray cells;
    for (const std::string& cell : row) cells.append(Q(cell));
    out.Event("row", {{"cells", cells}, {"header", header}});
    header = false;
  }
}

}  // namespace

int RunDump(const CommonOptions& o, std::vector<std::string>& args) {
  const DumpArgs d = ParseDumpArgs(args);
  const bool csvToStdout = IsStandardOutput(d.csv);
  const std::string csv = d.csv.empty() || csvToStdout ? "" : CsvFileName(d.csv);
  if (!csv.empty()) CheckAppendable(csv);
  Session s(o);
  s.OpenPort();
  s.Identify();
  // The viewer's settings as it loads them when it opens.
  DispTagDataOption options = LoadDispTagDataOption(s.App().SettingsPath());
  if (d.fast) options.FastMode = *d.fast ? 1 : 0;
  s.Outcome().Clear();
  const TagData data =
      ReadTagData(s.App(), {.fixedTagType = d.fixedTagType, .fastMode = options.FastMode == 1});
  s.CheckPort();
  // "--csv -": the export itself, date line included, in place of the table.
  if (csvToStdout && !Output::Get().Json())
    WriteStdout(TagDataCsvText(data, CsvDateLine(std::time(nullptr))));
  else
    PrintTable(data);

  int verdict = s.Outcome().Verdict();
  if (!csv.empty()) {
    files::Error error;
    if (!AppendTagDataCsv(csv, data, std::time(nullptr), &error)) {
      Output::Get().Error(csv + ": " + error.Text());
      s.Finish();
      return Output::Get().Finish(2, 2, false, &s.Outcome());
    }
    options.SaveFileName = csv;
  }
  // What the viewer stores when it closes, into the run's copy (--save writes it back).
  SaveDispTagDataOption(s.App().SettingsPath(), options);
  return EndRun(s, verdict);
}
