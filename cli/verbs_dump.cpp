// dump: the tag memory viewer's "Read" (identification and the whole memory) and its CSV export,
// through the viewer's own headless reader and export.
#include <cstdio>
#include <ctime>

#include "cli/arg_reader.h"
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
  for (ArgReader arg(args); arg.Next();) {
    const std::string& a = arg.Arg();
    const std::string& name = arg.Name();
    auto value = [&] { return arg.Value(); };
    if (name == "--csv") {
      d.csv = value();
      if (d.csv.empty()) throw UsageError("--csv needs a file name");
    } else if (name == "--type") {
      const std::string t = value();
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
    } else if (name == "--fast") {
      d.fast = true;
    } else if (name == "--no-fast") {
      d.fast = false;
    } else if (a.size() > 1 && a[0] == '-') {
      throw UsageError("unknown option " + a);
    } else {
      throw UsageError("unexpected argument: " + a);
    }
  }
  return d;
}

// The file can be appended to (created when missing, as the export would); nothing is written.
void CheckAppendable(const std::string& path) {
  if (const files::Error e = files::CheckAppendable(path)) throw UsageError(path + ": " + e.Text());
}

}  // namespace

int RunDump(const CommonOptions& o, std::vector<std::string>& args) {
  const DumpArgs d = ParseDumpArgs(args);
  const std::string csv = d.csv.empty() ? "" : CsvFileName(d.csv);
  if (!csv.empty()) CheckAppendable(csv);
  Session s(o);
  s.OpenPort();
  s.Identify();
  const DispTagDataOption options = LoadDispTagDataOption(s.App().SettingsPath());
  s.Log().Mark();
  const TagData data = ReadTagData(s.App(), {.fixedTagType = d.fixedTagType,
                                             .fastMode = d.fast.value_or(options.FastMode == 1)});
  if (s.PortLost()) throw UsageError("the port " + s.PortName() + " has vanished");

  // The fields and the table as the export writes them, without its blank and date lines.
  const std::string text = TagDataCsvText(data, "");
  size_t pos = 0;
  int line = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string l = text.substr(pos, end - pos);
    if (!l.empty() && l.back() == '\r') l.pop_back();
    pos = end + 1;
    if (line++ < 2) continue;
    std::printf("%s\n", l.c_str());
  }
  std::fflush(stdout);

  int rc = data.EdUID.empty() && data.EdChip.empty() ? 1 : 0;
  if (!csv.empty()) {
    files::Error error;
    if (!AppendTagDataCsv(csv, data, std::time(nullptr), &error)) {
      std::fprintf(stderr, "qzh900ctl dump: %s: %s\n", csv.c_str(), error.Text().c_str());
      rc = 2;
    }
  }
  if (!s.Finish()) rc = 2;
  return rc;
}
