#pragma once
// The reader check's report: a Markdown file with the figures and the PNG plot beside it, written
// through the tool's file unit (core/files.h). The command runner's --report and the dialog's
// "Save" write the same two files.
#include <string>

#include "maintenance/reader_check.h"

struct CheckReportInfo {
  std::string port;  // the port the module was opened by
  std::string when;  // when the check ran, as shown
};

struct CheckReportFiles {
  std::string markdown;  // paths written
  std::string plot;
  std::string error;  // why they were not written; empty when they were
};

inline constexpr const char* kCheckReportName = "reader-check.md";
inline constexpr const char* kCheckPlotName = "reader-check.png";

// The report's text; `plotFile` is the plot's name as the report links it.
std::string CheckReportMarkdown(const CheckResult& result, const CheckReportInfo& info,
                                const std::string& plotFile);
// The plot as a PNG file at path; false with the reason in *error.
bool SaveCheckPlot(const std::string& path, const CheckResult& result, std::string* error);
// The report at markdownPath and the plot beside it, under the same name ending in ".png".
CheckReportFiles WriteCheckReportAs(const std::string& markdownPath, const CheckResult& result,
                                    const CheckReportInfo& info);
// reader-check.md and reader-check.png in dir (made when missing).
CheckReportFiles WriteCheckReport(const std::string& dir, const CheckResult& result,
                                  const CheckReportInfo& info);
