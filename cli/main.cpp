// qzh900ctl: the tool's functions from the command line, with the same code paths as the window.
#include <QCoreApplication>

#include "cli/verbs.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  return CliMain(std::vector<std::string>(argv + 1, argv + argc));
}
