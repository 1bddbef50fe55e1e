#include "tests/layering/layering.h"

#include <fnmatch.h>

#include <algorithm>
#include <fstream>
#include <regex>
#include <sstream>

namespace layering {

namespace {

constexpr const char* kBegin = "<!-- layers:begin -->";
constexpr const char* kEnd = "<!-- layers:end -->";
constexpr const char* kWidgetsBegin = "<!-- widgets:begin -->";
constexpr const char* kWidgetsEnd = "<!-- widgets:end -->";

std::string TopFolder(const std::string& path) {
  const size_t slash = path.find('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool IsCpp(const std::filesystem::path& p) {
  const std::string ext = p.extension().string();
  return ext == ".h" || ext == ".cpp";
}

std::string ReadText(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The lines between two markers, without the code fence around them; nullopt when a marker is
// missing.
std::optional<std::vector<std::string>> MarkedLines(const std::string& text, const char* begin,
                                                    const char* end) {
  const size_t from = text.find(begin);
  const size_t to = from == std::string::npos ? from : text.find(end, from);
  if (to == std::string::npos) return std::nullopt;
  const size_t start = from + std::string(begin).size();
  std::istringstream block(text.substr(start, to - start));
  std::vector<std::string> lines;
  for (std::string line; std::getline(block, line);) {
    const size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line.compare(first, 3, "```") != 0) lines.push_back(line);
  }
  return lines;
}

// The line numbers and headers of the includes that `form` matches (the header its first group).
std::vector<std::pair<int, std::string>> Includes(const std::string& text, const std::regex& form) {
  std::vector<std::pair<int, std::string>> found;
  std::istringstream lines(text);
  int number = 0;
  for (std::string line; std::getline(lines, line);) {
    ++number;
    std::smatch m;
    if (std::regex_search(line, m, form)) found.emplace_back(number, m[1]);
  }
  return found;
}

}  // namespace

std::optional<Layers> ParseLayers(const std::string& text, std::string* error) {
  const auto lines = MarkedLines(text, kBegin, kEnd);
  if (!lines) {
    *error = std::string("no layer list between ") + kBegin + " and " + kEnd;
    return std::nullopt;
  }
  Layers layers;
  int rank = 0;
  for (const std::string& line : *lines) {
    std::istringstream words(line);
    bool any = false;
    for (std::string folder; words >> folder;) {
      if (!layers.rankOf.emplace(folder, rank).second) {
        *error = "folder " + folder + " is listed twice";
        return std::nullopt;
      }
      any = true;
    }
    if (any) ++rank;
  }
  if (layers.rankOf.empty()) {
    *error = "the layer list is empty";
    return std::nullopt;
  }
  return layers;
}

std::vector<Violation> CheckFile(const std::string& file, const std::string& text,
                                 const Layers& layers) {
  static const std::regex kInclude(R"re(^\s*#\s*include\s*"([^"]+)")re");
  std::vector<Violation> found;
  const std::string own = TopFolder(file);
  const auto ownRank = layers.rankOf.find(own);
  if (ownRank == layers.rankOf.end()) return {{file, 0, "its folder " + own + " is in no layer"}};
  for (const auto& [number, header] : Includes(text, kInclude)) {
    const std::string folder = TopFolder(header);
    if (folder.empty() || folder == own) continue;
    const auto rank = layers.rankOf.find(folder);
    if (rank == layers.rankOf.end()) {
      found.push_back(
          {file, number, "includes " + header + " of " + folder + ", which is in no layer"});
    } else if (rank->second > ownRank->second) {
      found.push_back({file, number,
                       "includes " + header + " of the higher layer " + folder + " (layer " +
                           std::to_string(rank->second) + " above " + own + "'s " +
                           std::to_string(ownRank->second) + ")"});
    } else if (rank->second == ownRank->second) {
      found.push_back({file, number,
                       "includes " + header + " of " + folder + ", another folder of " + own +
                           "'s own layer " + std::to_string(ownRank->second)});
    }
  }
  return found;
}

std::optional<std::vector<std::string>> ParseWidgetPlaces(const std::string& text,
                                                          std::string* error) {
  const auto lines = MarkedLines(text, kWidgetsBegin, kWidgetsEnd);
  std::vector<std::string> places;
  if (lines)
    for (const std::string& line : *lines) {
      std::istringstream words(line);
      for (std::string place; words >> place;) places.push_back(place);
    }
  if (places.empty()) {
    *error = std::string("no places for widgets between ") + kWidgetsBegin + " and " + kWidgetsEnd;
    return std::nullopt;
  }
  return places;
}

void AddWidgetModule(WidgetRule& rule, const std::filesystem::path& moduleDir) {
  rule.modules.insert(moduleDir.filename().string());
  for (const auto& e : std::filesystem::directory_iterator(moduleDir))
    if (e.is_regular_file()) rule.headers.insert(e.path().filename().string());
}

std::vector<Violation> CheckWidgets(const std::string& file, const std::string& text,
                                    const WidgetRule& rule) {
  for (const std::string& place : rule.places)
    if (fnmatch(place.c_str(), file.c_str(), 0) == 0) return {};
  static const std::regex kSystemInclude(R"re(^\s*#\s*include\s*<([^>]+)>)re");
  std::vector<Violation> found;
  for (const auto& [number, header] : Includes(text, kSystemInclude)) {
    const size_t slash = header.find('/');
    const bool widget = slash == std::string::npos
                            ? rule.modules.count(header) || rule.headers.count(header)
                            : rule.modules.count(header.substr(0, slash)) > 0;
    if (widget)
      found.push_back({file, number,
                       "includes <" + header +
                           "> of Qt Widgets outside the places README.md lists for widgets"});
  }
  return found;
}

std::vector<Violation> CheckTree(const std::filesystem::path& root, const Layers& layers,
                                 const WidgetRule* widgets) {
  namespace fs = std::filesystem;
  std::vector<Violation> found;
  std::vector<fs::path> tops;
  for (const fs::directory_entry& e : fs::directory_iterator(root))
    if (e.is_directory() && e.path().filename().string().front() != '.' &&
        !fs::exists(e.path() / "CMakeCache.txt"))
      tops.push_back(e.path());
  std::sort(tops.begin(), tops.end());
  for (const fs::path& top : tops) {
    std::vector<fs::path> files;
    for (auto it = fs::recursive_directory_iterator(top); it != fs::recursive_directory_iterator();
         ++it)
      if (it->is_regular_file() && IsCpp(it->path())) files.push_back(it->path());
    if (files.empty()) continue;
    const std::string folder = top.filename().string();
    if (!layers.rankOf.count(folder)) {
      found.push_back({folder, 0, "holds C++ files but is in no layer"});
      continue;
    }
    std::sort(files.begin(), files.end());
    for (const fs::path& f : files) {
      const std::string relative = fs::relative(f, root).generic_string();
      const std::string text = ReadText(f);
      for (Violation& v : CheckFile(relative, text, layers)) found.push_back(std::move(v));
      if (widgets)
        for (Violation& v : CheckWidgets(relative, text, *widgets)) found.push_back(std::move(v));
    }
  }
  return found;
}

}  // namespace layering
