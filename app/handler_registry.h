#pragma once
// Menu handlers by the component name of their item. Every family registers its handlers here;
// the window connects each menu action to its entry and the command runner runs them by name.
#include <functional>
#include <map>
#include <string>
#include <vector>

class AppCore;
class Prompts;

// sender: the component name of the item that started the handler (one handler serves several
// items, e.g. the five LED test items).
using Handler = std::function<void(AppCore& app, const std::string& sender)>;

class HandlerRegistry {
 public:
  void Add(const std::string& item, Handler handler);
  const Handler* Find(const std::string& item) const;
  std::vector<std::string> Items() const;

  // Runs the handler of item on behalf of sender, with AppCore busy. Refused with a log line
  // while another handler runs; an exception that escapes the handler is shown by
  // RunShowingErrors. Returns false when nothing ran.
  bool Run(AppCore& app, const std::string& item) const;

 private:
  std::map<std::string, Handler> handlers_;
};

// Every family's handlers (defined where the families are linked together).
void RegisterAllHandlers(HandlerRegistry& registry);

// The one place where an exception that escapes a handler becomes a message: runs work, and
// when it throws shows the exception's text (or "Unexpected error in " + what) in a message box
// with the given caption; the program goes on. Returns false when work threw.
bool RunShowingErrors(Prompts& prompts, const std::string& what, const std::function<void()>& work,
                      const std::string& caption = "Error");
