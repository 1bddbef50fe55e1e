#pragma once
// The tag memory viewer's CSV export: an empty line, the date line, the three fields and every
// table row (header included), each line ending in CR LF, appended to the file in one write.
#include <ctime>
#include <string>

#include "hdx/tag_viewer.h"

// The export text of `data` under a date line.
std::string TagDataCsvText(const TagData& data, const std::string& dateLine);
// "yyyy/mm/dd/,hh:mm:ss" in local time.
std::string CsvDateLine(std::time_t when);
// The name the user chose with the extension ".csv" (replacing another one, or added).
std::string CsvFileName(const std::string& chosen);

// Appends the export of `data`, dated `when`, to the file at `path` (created when missing; its
// folder is not). The whole text goes out in one write and is flushed to the disk; when any part
// fails (no such folder, no permission, a full disk) the file is cut back to its old length, so
// it never keeps half a record, and false is returned with the reason in `error`.
bool AppendTagDataCsv(const std::string& path, const TagData& data, std::time_t when,
                      std::string* error = nullptr);
