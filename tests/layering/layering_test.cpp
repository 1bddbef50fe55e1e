// The layering check itself: that it finds includes that go up or sideways, wherever they are,
// and nothing else.
#include "tests/layering/layering.h"

#include <gtest/gtest.h>

#include <fstream>

#include "tests/support/temp_config.h"

namespace {

using layering::Layers;
using layering::Violation;

constexpr const char* kReadme = R"(# A tool

## Architecture

<!-- layers:begin -->
```text
core
link prompts
app
```
<!-- layers:end -->
)";

Layers Parse(const std::string& text) {
  std::string error;
  auto layers = layering::ParseLayers(text, &error);
  EXPECT_TRUE(layers) << error;
  return layers.value_or(Layers{});
}

std::string Lines(const std::vector<Violation>& v) {
  std::string s;
  for (const Violation& x : v) s += x.file + ":" + std::to_string(x.line) + " " + x.what + "\n";
  return s;
}

void WriteFile(const std::filesystem::path& p, const std::string& text) {
  std::filesystem::create_directories(p.parent_path());
  std::ofstream(p) << text;
}

TEST(Layering, ReadsTheLayersFromTheMarkedList) {
  const Layers l = Parse(kReadme);
  EXPECT_EQ(l.rankOf,
            (std::map<std::string, int>{{"core", 0}, {"link", 1}, {"prompts", 1}, {"app", 2}}));
  std::string error;
  EXPECT_FALSE(layering::ParseLayers("# no list here\n", &error));
  EXPECT_NE(error.find("layers:begin"), std::string::npos);
  EXPECT_FALSE(layering::ParseLayers(
      "<!-- layers:begin -->\ncore\nlink core\n<!-- layers:end -->\n", &error));
  EXPECT_EQ(error, "folder core is listed twice");
  EXPECT_FALSE(
      layering::ParseLayers("<!-- layers:begin -->\n```\n```\n<!-- layers:end -->", &error));
}

TEST(Layering, AnIncludeMayGoDownOrStayInItsFolderOnly) {
  const Layers l = Parse(kReadme);
  const std::string file =
      "#include \"link/frame.h\"\n"        // own folder
      "#include \"core/ini_file.h\"\n"     // lower layer
      "#include \"version.h\"\n"           // generated, no folder
      "#include <QObject>\n"               // not ours
      "  #  include \"app/app_core.h\"\n"  // higher layer, however it is spaced
      "#include \"prompts/prompts.h\"\n"   // the same layer, another folder
      "#include \"gui/window.h\"\n";       // a folder no layer lists
  const auto v = layering::CheckFile("link/comm_module.cpp", file, l);
  ASSERT_EQ(v.size(), 3u) << Lines(v);
  EXPECT_EQ(v[0].line, 5);
  EXPECT_EQ(v[0].what, "includes app/app_core.h of the higher layer app (layer 2 above link's 1)");
  EXPECT_EQ(v[1].line, 6);
  EXPECT_EQ(v[1].what,
            "includes prompts/prompts.h of prompts, another folder of link's own layer 1");
  EXPECT_EQ(v[2].line, 7);
  EXPECT_TRUE(layering::CheckFile("app/app_core.h", file, l).size() == 1u)  // only gui/
      << Lines(layering::CheckFile("app/app_core.h", file, l));
}

TEST(Layering, TheTreeIsCheckedFileByFileWithoutBuildTrees) {
  TempConfig tmp;
  const std::filesystem::path root = tmp.Dir();
  WriteFile(root / "core/ini.h", "#pragma once\n");
  WriteFile(root / "app/app.cpp", "#include \"core/ini.h\"\n#include \"link/x.h\"\n");
  WriteFile(root / "link/deep/x.h", "\n\n#include \"app/app.h\"\n");
  // A build tree's generated sources, and files that are no C++, do not count.
  WriteFile(root / "build/CMakeCache.txt", "");
  WriteFile(root / "build/link/moc.cpp", "#include \"app/app.h\"\n");
  WriteFile(root / "link/notes.md", "#include \"app/app.h\"\n");
  WriteFile(root / "scripts/tool.cpp", "int main() {}\n");
  const auto v = layering::CheckTree(root, Parse(kReadme));
  ASSERT_EQ(v.size(), 2u) << Lines(v);
  EXPECT_EQ(v[0].file, "link/deep/x.h");
  EXPECT_EQ(v[0].line, 3);
  EXPECT_EQ(v[1].file, "scripts");
  EXPECT_EQ(v[1].what, "holds C++ files but is in no layer");
}

TEST(Layering, OnlyTheListedPlacesIncludeQtWidgets) {
  std::string error;
  const auto places = layering::ParseWidgetPlaces(
      "text\n  <!-- widgets:begin -->\n  ```text\n  */widgets/*\n  shell/main_window.* tests/*\n"
      "  ```\n  <!-- widgets:end -->\n",
      &error);
  ASSERT_TRUE(places) << error;
  EXPECT_EQ(*places, (std::vector<std::string>{"*/widgets/*", "shell/main_window.*", "tests/*"}));
  EXPECT_FALSE(layering::ParseWidgetPlaces(kReadme, &error));

  TempConfig tmp;
  const std::filesystem::path qt = std::filesystem::path(tmp.Dir()) / "QtWidgets";
  WriteFile(qt / "QDialog", "");
  WriteFile(qt / "qdialog.h", "");
  layering::WidgetRule rule;
  rule.places = *places;
  layering::AddWidgetModule(rule, qt);
  const std::string file =
      "#include <QString>\n"               // Qt Core
      "#include <QDialog>\n"               // a widget class
      "# include <QtWidgets/QLabel>\n"     // any header of the module's folder
      "#include <QtWidgets>\n"             // the whole module
      "#include \"prompts/prompts.h\"\n";  // no Qt header at all
  const auto v = layering::CheckWidgets("link/port_selection.cpp", file, rule);
  ASSERT_EQ(v.size(), 3u) << Lines(v);
  EXPECT_EQ(v[0].line, 2);
  EXPECT_EQ(v[0].what,
            "includes <QDialog> of Qt Widgets outside the places README.md lists for widgets");
  EXPECT_EQ(v[1].line, 3);
  EXPECT_EQ(v[2].line, 4);
  for (const char* allowed : {"prompts/widgets/x.cpp", "maintenance/widgets/plot.h",
                              "shell/main_window.cpp", "tests/shell/main_window_test.cpp"})
    EXPECT_TRUE(layering::CheckWidgets(allowed, file, rule).empty()) << allowed;
  EXPECT_EQ(layering::CheckWidgets("shell/main_window_logic.h", file, rule).size(), 3u);
}

}  // namespace
