#pragma once
// The layering check: every #include "folder/file.h" of the tree must name a header of the
// including file's own folder, of a lower layer, or of nothing the layers know (a generated
// header without a folder). The layers are written once, in the README's architecture section,
// between the markers <!-- layers:begin --> and <!-- layers:end -->: one line per layer, lowest
// first, the folders of a layer separated by blanks. Folders of one layer do not include each
// other.
//
// The widgets rule: only the places the README lists between <!-- widgets:begin --> and
// <!-- widgets:end --> include a header of Qt Widgets (or of Qt Charts, which draws with widgets).
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace layering {

struct Layers {
  std::map<std::string, int> rankOf;  // top-level folder -> layer, 0 the lowest
};

// The layers listed between the markers of text; nullopt (and *error) when the markers are
// missing, a folder is listed twice or no folder is listed.
std::optional<Layers> ParseLayers(const std::string& text, std::string* error);

struct Violation {
  std::string file;  // relative to the root
  int line = 0;      // 0: the whole file or folder
  std::string what;
};

// The includes of one file (relative path `file`, its text) that break the layering.
std::vector<Violation> CheckFile(const std::string& file, const std::string& text,
                                 const Layers& layers);

struct WidgetRule {
  // Where widgets may be included: shell patterns on the path from the root, "*" crossing
  // folders ("*/widgets/*", "shell/main_window.*").
  std::vector<std::string> places;
  // What names a widget header: the modules' folder names ("QtWidgets") and every header file in
  // them ("QDialog", "qdialog.h").
  std::set<std::string> modules;
  std::set<std::string> headers;
};

// The places listed between the widgets markers of text; nullopt (and *error) when the markers
// are missing or list nothing.
std::optional<std::vector<std::string>> ParseWidgetPlaces(const std::string& text,
                                                          std::string* error);
// Adds the folder of a Qt module's headers (…/qt6/QtWidgets) to the rule.
void AddWidgetModule(WidgetRule& rule, const std::filesystem::path& moduleDir);

// The includes of widget headers in one file that is in none of the rule's places.
std::vector<Violation> CheckWidgets(const std::string& file, const std::string& text,
                                    const WidgetRule& rule);

// Every C++ file (.h, .cpp) under root's top-level folders, and every such folder that holds C++
// files but is in no layer; with a widgets rule, every file against it too. Hidden folders and
// build trees (a CMakeCache.txt at their top) are passed over.
std::vector<Violation> CheckTree(const std::filesystem::path& root, const Layers& layers,
                                 const WidgetRule* widgets = nullptr);

}  // namespace layering
