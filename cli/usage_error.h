#pragma once
// Usage or port error: the runner prints the one-line reason on standard error and exits 2.
#include <stdexcept>

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
