// layering_check ROOT: checks every #include of the tree at ROOT against the layers of ROOT's
// README.md (tests/layering/layering.h). Prints each include that goes up or sideways and exits
// with 1 when there is one.
#include <cstdio>
#include <fstream>
#include <sstream>

#include "tests/layering/layering.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: layering_check REPOSITORY_ROOT\n");
    return 2;
  }
  const std::filesystem::path root = argv[1];
  std::ifstream readme(root / "README.md");
  std::ostringstream text;
  text << readme.rdbuf();
  std::string error;
  const auto layers = layering::ParseLayers(text.str(), &error);
  if (!layers) {
    std::fprintf(stderr, "README.md: %s\n", error.c_str());
    return 1;
  }
  const auto violations = layering::CheckTree(root, *layers);
  for (const layering::Violation& v : violations) {
    if (v.line > 0)
      std::printf("%s:%d: %s\n", v.file.c_str(), v.line, v.what.c_str());
    else
      std::printf("%s: %s\n", v.file.c_str(), v.what.c_str());
  }
  if (!violations.empty()) {
    std::printf("%zu include(s) against the layers of README.md\n", violations.size());
    return 1;
  }
  std::printf("every include goes down the layers of README.md\n");
  return 0;
}
