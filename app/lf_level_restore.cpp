#include "app/lf_level_restore.h"

#include <charconv>

#include "app/app_core.h"
#include "core/app_paths.h"
#include "core/files.h"
#include "core/ini_file.h"
#include "core/ui_text.h"
#include "link/command_codes.h"

namespace lf_level_restore {

namespace {
constexpr const char* kSection = "[LfLevelRestore]";

std::string Value(const std::string& text, const std::string& key) {
  const std::string prefix = "\n" + key + "=";
  const size_t at = ("\n" + text).find(prefix);
  if (at == std::string::npos) return "";
  const size_t from = at + prefix.size() - 1;
  const size_t end = text.find('\n', from);
  return text.substr(from, end == std::string::npos ? std::string::npos : end - from);
}
}  // namespace

std::string StatePath() {
  return app_paths::NorvikDir() + "/" + app_paths::kExeBase + "/LfLevelRestore.ini";
}

bool Remember(const Pending& pending, std::string* error) {
  const std::string path = StatePath();
  IniFile::CreateFolders(IniFile::FolderOf(path));
  const std::string text = std::string(kSection) + "\nPort=" + pending.port +
                           "\nLevel=" + std::to_string(pending.level) + "\n";
  const files::Error e = files::Replace(path, text);
  if (e && error) *error = path + ": " + e.Text();
  return !e;
}

std::optional<Pending> Load() {
  const files::ReadResult r = files::ReadWhole(StatePath(), 4096);
  if (!r.Ok() || r.data.rfind(kSection, 0) != 0) return std::nullopt;
  Pending p;
  p.port = Value(r.data, "Port");
  const std::string level = Value(r.data, "Level");
  const auto [ptr, ec] = std::from_chars(level.data(), level.data() + level.size(), p.level);
  if (ec != std::errc() || ptr != level.data() + level.size() || p.level < 0 || p.level > 0xFFFF)
    return std::nullopt;
  return p;
}

void Forget() {
  files::Remove(StatePath());
}

bool RestoreAfterOpen(AppCore& app) {
  const auto pending = Load();
  TTirisC1Dlg* comm = app.Comm();
  if (!pending || !comm || pending->port != comm->PortName()) return true;
  Response out{};
  const auto v = static_cast<uint16_t>(pending->level);
  const bool ok = comm->Exchange({cmd::SystemParameterWrite, 0x02, static_cast<uint8_t>(v & 0xFF),
                                  static_cast<uint8_t>(v >> 8)},
                                 out);
  if (!ok) return false;
  Forget();
  app.AddLog(Tr("ReaderCheckWindow", "中断したリーダーチェックの前のLF送信出力に戻しました: ") +
             std::to_string(pending->level));
  return true;
}

}  // namespace lf_level_restore
