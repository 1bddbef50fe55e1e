#include "core/messages.h"

#include <array>
#include <atomic>

#include "core/message_table.h"

namespace {

struct Tables {
  std::array<std::string, static_cast<size_t>(Msg::Count_)> english, japanese;
  Tables() {
    for (size_t i = 0; i < english.size(); ++i) {
      english[i] = kMessageTable[i].english;
      japanese[i] = kMessageTable[i].japanese;
    }
  }
};

const Tables& GetTables() {
  static const Tables tables;
  return tables;
}

std::atomic<Language> g_language{Language::English};
std::atomic<bool> g_fixed{false};

}  // namespace

void SetMessageLanguage(Language lang) {
  if (!g_fixed.load()) g_language = lang;
}

Language MessageLanguage() {
  return g_language.load();
}

const std::string& MessageText(Msg id, Language lang) {
  const auto i = static_cast<size_t>(id);
  const Tables& t = GetTables();
  return lang == Language::Japanese ? t.japanese[i] : t.english[i];
}

const std::string& LoadMessage(Msg id) {
  g_fixed = true;
  return MessageText(id, g_language.load());
}

const char* MessageName(Msg id) {
  return kMessageTable[static_cast<size_t>(id)].id;
}
