#include "hdx/tag_viewer_csv.h"

#include <filesystem>

namespace {

constexpr const char* kLineEnd = "\r\n";

}  // namespace

std::string TagDataCsvText(const TagData& data, const std::string& dateLine) {
  std::string text = kLineEnd;
  text += dateLine + kLineEnd;
  text += "ID(Hex)," + data.EdUID + kLineEnd;
  text += "Tag Type," + data.EdChip + kLineEnd;
  text += "Chip/Manufacture," + data.EdManufacturer + kLineEnd;
  for (const TagData::Row& row : data.StringGrid1) {
    for (size_t c = 0; c < row.size(); ++c) {
      if (c > 0) text += ",";
      text += row[c];
    }
    text += kLineEnd;
  }
  return text;
}

std::string CsvDateLine(std::time_t when) {
  std::tm local{};
  localtime_r(&when, &local);
  char text[40];
  std::strftime(text, sizeof text, "%Y/%m/%d/,%H:%M:%S", &local);
  return text;
}

std::string CsvFileName(const std::string& chosen) {
  std::filesystem::path path(chosen);
  path.replace_extension(".csv");
  return path.string();
}

bool AppendTagDataCsv(const std::string& path, const TagData& data, std::time_t when,
                      files::Error* error) {
  const files::Error e = files::Append(path, TagDataCsvText(data, CsvDateLine(when)));
  if (error) *error = e;
  return !e;
}
