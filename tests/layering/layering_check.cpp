// layering_check ROOT [QT_MODULE_DIR...]: checks every #include of the tree at ROOT against the
// layers of ROOT's README.md (tests/layering/layering.h) and, given the header folders of Qt
// Widgets and Qt Charts, against the places the README lists for widgets. Prints each include
// that breaks a rule and exits with 1 when there is one.
#include <cstdio>
#include <fstream>
#include <sstream>

#include "tests/layering/layering.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: layering_check REPOSITORY_ROOT [QT_MODULE_DIR...]\n");
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
  layering::WidgetRule widgets;
  if (argc > 2) {
    const auto places = layering::ParseWidgetPlaces(text.str(), &error);
    if (!places) {
      std::fprintf(stderr, "README.md: %s\n", error.c_str());
      return 1;
    }
    widgets.places = *places;
    for (int i = 2; i < argc; ++i) {
      std::error_code ec;
      if (!std::filesystem::is_directory(argv[i], ec)) {
        std::fprintf(stderr, "%s: no folder of Qt headers\n", argv[i]);
        return 1;
      }
      layering::AddWidgetModule(widgets, argv[i]);
    }
  }
  const auto violations = layering::CheckTree(root, *layers, argc > 2 ? &widgets : nullptr);
  for (const layering::Violation& v : violations) {
    if (v.line > 0)
      std::printf("%s:%d: %s\n", v.file.c_str(), v.line, v.what.c_str());
    else
      std::printf("%s: %s\n", v.file.c_str(), v.what.c_str());
  }
  if (!violations.empty()) {
    std::printf("%zu include(s) against the layers or the widgets rule of README.md\n",
                violations.size());
    return 1;
  }
  std::printf("every include goes down the layers of README.md%s\n",
              argc > 2 ? ", and widgets are only where it says" : "");
  return 0;
}
