#include "app/handler_registry.h"

#include <exception>

#include "app/app_core.h"
#include "core/ui_text.h"
#include "prompts/prompts.h"

void HandlerRegistry::Add(const std::string& item, Handler handler) {
  handlers_[item] = std::move(handler);
}

const Handler* HandlerRegistry::Find(const std::string& item) const {
  auto it = handlers_.find(item);
  return it == handlers_.end() ? nullptr : &it->second;
}

std::vector<std::string> HandlerRegistry::Items() const {
  std::vector<std::string> items;
  for (const auto& [name, h] : handlers_) items.push_back(name);
  return items;
}

bool HandlerRegistry::Run(AppCore& app, const std::string& item) const {
  const Handler* h = Find(item);
  if (!h) return false;
  if (app.Busy()) {
    app.AddLog(Tr("HandlerRegistry", "別のコマンドの実行中のため、開始しませんでした"));
    return false;
  }
  const AppCore::BusyScope busy(app);
  RunShowingErrors(app.Prompt(), item, [&] { (*h)(app, item); });
  return true;
}

bool RunShowingErrors(Prompts& prompts, const std::string& what, const std::function<void()>& work,
                      const std::string& caption) {
  std::string text;
  try {
    work();
    return true;
  } catch (const std::exception& e) {
    text = e.what();
  } catch (...) {
    // `what` names the program's part, which means nothing to the user.
    static_cast<void>(what);
    text = Tr("HandlerRegistry", "予期しないエラーが発生しました");
  }
  prompts.Message(text, caption);
  return false;
}
