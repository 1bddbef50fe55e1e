#pragma once
// Menu handlers by the component name of their item. Every family registers its handlers here;
// the window connects each menu action to its entry and the command runner runs them by name.
#include <functional>
#include <map>
#include <string>
#include <vector>

class AppCore;

// sender: the component name of the item that started the handler (one handler serves several
// items, e.g. the five LED test items).
using Handler = std::function<void(AppCore& app, const std::string& sender)>;

class HandlerRegistry {
 public:
  void Add(const std::string& item, Handler handler);
  const Handler* Find(const std::string& item) const;
  std::vector<std::string> Items() const;

  // Runs the handler of item on behalf of sender. Refused with a log line while another
  // handler runs; an exception that escapes the handler is shown in a message box and the
  // program goes on. Returns false when nothing ran.
  bool Run(AppCore& app, const std::string& item) const;

 private:
  std::map<std::string, Handler> handlers_;
};

// Every family's handlers (defined where the families are linked together).
void RegisterAllHandlers(HandlerRegistry& registry);
