#include "tests/layering/layering.h"

#include <algorithm>
#include <fstream>
#include <regex>
#include <sstream>

namespace layering {

namespace {

constexpr const char* kBegin = "<!-- layers:begin -->";
constexpr const char* kEnd = "<!-- layers:end -->";

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

}  // namespace

std::optional<Layers> ParseLayers(const std::string& text, std::string* error) {
  const size_t begin = text.find(kBegin);
  const size_t end = begin == std::string::npos ? begin : text.find(kEnd, begin);
  if (end == std::string::npos) {
    *error = std::string("no layer list between ") + kBegin + " and " + kEnd;
    return std::nullopt;
  }
  Layers layers;
  std::istringstream lines(
      text.substr(begin + std::string(kBegin).size(), end - begin - std::string(kBegin).size()));
  int rank = 0;
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("```", 0) == 0) continue;  // the code fence around the list
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
  std::istringstream lines(text);
  int number = 0;
  for (std::string line; std::getline(lines, line);) {
    ++number;
    std::smatch m;
    if (!std::regex_search(line, m, kInclude)) continue;
    const std::string header = m[1];
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

std::vector<Violation> CheckTree(const std::filesystem::path& root, const Layers& layers) {
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
      for (Violation& v : CheckFile(relative, ReadText(f), layers)) found.push_back(std::move(v));
    }
  }
  return found;
}

}  // namespace layering
