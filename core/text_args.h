#pragma once
// Values put into a window text at its marks %1 ... %9, as translated texts carry them.
#include <string>
#include <vector>

// `text` with each %N (1-9) replaced by values[N-1], in one pass: a value that holds a mark
// ("tray%1.csv") stays as it is. A mark without a value, or one a translation left out, is
// simply not there: nothing throws.
std::string WithArgs(const std::string& text, const std::vector<std::string>& values);
