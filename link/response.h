#pragma once
// The caller-owned response array: [0] = LEN, [1 .. LEN] = the response data ([1] is the echoed
// command code for most commands). Bytes past LEN are zero after every successful wait.
//
// Builds with sanitizers or fuzzing define QZH_CHECK_RESPONSE_READS: then indexing a response
// that a wait filled beyond its LEN aborts, so a handler that would read past the response is
// caught by the tests and the fuzzers instead of silently using zeros.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

class Response {
 public:
  static constexpr size_t kSize = 256;

  uint8_t& operator[](size_t i) {
    Check(i);
    return b_[i];
  }
  const uint8_t& operator[](size_t i) const {
    Check(i);
    return b_[i];
  }
  uint8_t* data() { return b_.data(); }
  const uint8_t* data() const { return b_.data(); }
  uint8_t* begin() { return b_.data(); }
  uint8_t* end() { return b_.data() + kSize; }
  const uint8_t* begin() const { return b_.data(); }
  const uint8_t* end() const { return b_.data() + kSize; }
  static constexpr size_t size() { return kSize; }
  void fill(uint8_t v) {
    b_.fill(v);
    filled_ = false;
  }
  uint8_t Len() const { return b_[0]; }

  // The exchange's copy: LEN and the data bytes, the rest cleared.
  void Assign(const uint8_t* data, uint8_t len) {
    b_.fill(0);
    b_[0] = len;
    for (size_t i = 0; i < len; ++i) b_[i + 1] = data[i];
    filled_ = true;
  }

 private:
  void Check([[maybe_unused]] size_t i) const {
    if (i >= kSize) Fail(i);
#ifdef QZH_CHECK_RESPONSE_READS
    if (filled_ && i > b_[0]) Fail(i);
#endif
  }
  [[noreturn]] void Fail(size_t i) const {
    std::fprintf(stderr, "response index %zu past LEN %u\n", i, static_cast<unsigned>(b_[0]));
    std::abort();
  }

  std::array<uint8_t, kSize> b_{};
  bool filled_ = false;
};
