#pragma once
// The layering check: every #include "folder/file.h" of the tree must name a header of the
// including file's own folder, of a lower layer, or of nothing the layers know (a generated
// header without a folder). The layers are written once, in the README's architecture section,
// between the markers <!-- layers:begin --> and <!-- layers:end -->: one line per layer, lowest
// first, the folders of a layer separated by blanks. Folders of one layer do not include each
// other.
#include <filesystem>
#include <map>
#include <optional>
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

// Every C++ file (.h, .cpp) under root's top-level folders, and every such folder that holds C++
// files but is in no layer. Hidden folders and build trees (a CMakeCache.txt at their top) are
// passed over.
std::vector<Violation> CheckTree(const std::filesystem::path& root, const Layers& layers);

}  // namespace layering
