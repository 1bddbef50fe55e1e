// Saves section Option of the settings file named by the first argument over and over,
// alternating two sets of values, until it is killed. The settings crash test kills it inside
// its saves: given SAVE and PERMILLE, the saver stops in the middle of writing save number SAVE
// (counted from 0), once at least PERMILLE thousandths of the file are written, says "cut" on
// standard output and waits there to be killed.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "core/files.h"
#include "core/settings.h"
#include "tests/robustness/save_values.h"

namespace {

unsigned long cutSave = 0;
unsigned long currentSave = 0;
unsigned long cutPermille = 0;

void StopInsideTheWrite(size_t written, size_t total) {
  if (currentSave != cutSave || written >= total || written * 1000 < total * cutPermille) return;
  std::printf("cut %zu %zu\n", written, total);
  std::fflush(stdout);
  for (;;) ::pause();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 4) {
    std::fprintf(stderr, "usage: qzh_save_loop SETTINGS_FILE [SAVE PERMILLE]\n");
    return 2;
  }
  if (argc == 4) {
    cutSave = std::strtoul(argv[2], nullptr, 10);
    cutPermille = std::strtoul(argv[3], nullptr, 10);
    files::SetWriteHookForTests(StopInsideTheWrite);
  }
  for (;; ++currentSave) {
    if (!SaveOptionSettings(argv[1], robust::SavedValues(currentSave % 2), Language::English))
      return 1;
    if (currentSave == 0) {
      std::puts("saved");
      std::fflush(stdout);
    }
  }
}
