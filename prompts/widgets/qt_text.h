#pragma once
// The tool keeps its texts as UTF-8 std::string; widgets take QString.
#include <QString>
#include <string>

inline QString ToQString(const std::string& text) {
  return QString::fromStdString(text);
}
