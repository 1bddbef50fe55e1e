#pragma once
// The tag memory viewer's CSV export: an empty line, the date line, the three fields and every
// table row (header included), each line ending in CR LF, appended to the file in one write.
#include <ctime>
#include <string>

#include "core/files.h"
#include "hdx/tag_viewer.h"

// The export text of `data` under a date line.
std::string TagDataCsvText(const TagData& data, const std::string& dateLine);
// "yyyy/mm/dd/,hh:mm:ss" in local time.
std::string CsvDateLine(std::time_t when);
// The name the user chose with the extension ".csv" (replacing another one, or added).
std::string CsvFileName(const std::string& chosen);

// Appends the export of `data`, dated `when`, to the file at `path` (created when missing; its
// folder is not) through the file unit: the whole record or, when any part fails (no such
// folder, no permission, a full disk, not a regular file), nothing, and false with the reason in
// `error`. Tag memory shows as hexadecimal digits here, so no cell can start like a formula.
bool AppendTagDataCsv(const std::string& path, const TagData& data, std::time_t when,
                      files::Error* error = nullptr);
