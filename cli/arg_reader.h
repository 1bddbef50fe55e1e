#pragma once
// Walks a verb's arguments: options as "--name value" or "--name=value", flags and positionals.
#include <string>
#include <vector>

#include "cli/session.h"

class ArgReader {
 public:
  explicit ArgReader(const std::vector<std::string>& args) : args_(args) {}

  // Moves to the next argument; false after the last.
  bool Next() {
    if (++i_ >= args_.size()) return false;
    const std::string& a = args_[i_];
    const size_t eq = a.find('=');
    inlineValue_ = a.rfind("--", 0) == 0 && eq != std::string::npos;
    name_ = inlineValue_ ? a.substr(0, eq) : a;
    return true;
  }
  // The whole argument, and its option name (without "=value").
  const std::string& Arg() const { return args_[i_]; }
  const std::string& Name() const { return name_; }
  bool Is(const char* name) const { return name_ == name; }
  // The option's value: after '=', else the next argument (consumed); throws UsageError.
  std::string Value() {
    const std::string& a = args_[i_];
    if (inlineValue_) return a.substr(a.find('=') + 1);
    if (i_ + 1 >= args_.size()) throw UsageError(a + " needs a value");
    return args_[++i_];
  }

 private:
  const std::vector<std::string>& args_;
  size_t i_ = static_cast<size_t>(-1);
  std::string name_;
  bool inlineValue_ = false;
};
