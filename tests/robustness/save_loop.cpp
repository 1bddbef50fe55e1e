// Saves section Option of the settings file named by the first argument over and over,
// alternating two sets of values, until it is killed. The settings crash test kills it at random
// moments of its saves.
#include <cstdio>

#include "core/settings.h"
#include "tests/robustness/save_values.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: qzh_save_loop SETTINGS_FILE\n");
    return 2;
  }
  for (unsigned long i = 0;; ++i) {
    if (!SaveOptionSettings(argv[1], robust::SavedValues(i % 2), Language::English)) return 1;
    if (i == 0) {
      std::puts("saved");
      std::fflush(stdout);
    }
  }
}
