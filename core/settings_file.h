#pragma once
// The write rule of every section of the settings file (Option, ComDebug, DispTagData,
// HanyouDlgOption): a read-only file is never written, nor one that cannot be read (larger than
// 16 MiB, not a regular file); a missing file gets its folders created and is then written whole
// by the INI file's atomic save. No empty file is created first, so a save that fails (a full
// disk, a folder that cannot be written) leaves no file behind.
#include <functional>
#include <string>

class IniFile;

// Loads the file at path, lets `store` write the section's keys into the document and saves it.
// Returns whether the file was written.
bool UpdateSettingsFile(const std::string& path, const std::function<void(IniFile&)>& store);
