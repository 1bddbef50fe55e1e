#pragma once
// MemoryLink: a byte link in memory, standing in for the serial port where a test, a fuzzer or a
// benchmark plays the module itself. What the module writes goes to OnWrite at once; what the
// player answers with Deliver is raised as receive events at once, on the caller's thread, so a
// command's answer is already posted when its wait begins. Writes can be made to fail or to stop
// short, as a broken line or a full output queue would.
//
//   MemoryLink& link = comm.UseLink(std::make_unique<MemoryLink>());
//   link.OnWrite = [&](std::span<const uint8_t> bytes) {  // an ACK echoing the command code
//     link.Deliver(frame::BuildResponseFrame(frame::TypeAck, std::vector<uint8_t>{bytes[4]}));
//   };
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "link/byte_link.h"

class MemoryLink : public ByteLink {
 public:
  // Open from the start, as a port the tool has already opened.
  MemoryLink() = default;

  void Open() override { open_ = true; }
  void Close() override;
  bool Connected() const override { return open_; }

  // Hands the bytes the write takes to OnWrite, then returns what a failing line would.
  WriteResult Write(const uint8_t* bytes, size_t count) override;
  size_t Read(uint8_t* buffer, size_t count) override;
  size_t InputCount() const override { return input_.size(); }
  // Takes any settings: the module in memory has no line. The latest are kept for tests.
  std::string ApplyLineSettings(const LineSettings& settings) override {
    lineSettings_ = settings;
    return {};
  }
  const LineSettings& AppliedLineSettings() const { return lineSettings_; }

  // The module's side: every write, with the bytes the link took.
  std::function<void(std::span<const uint8_t> bytes)> OnWrite;

  // Queues bytes from the module and raises receive events until they are read or the reader
  // leaves them (it is busy): those stay queued for the next event.
  void Deliver(std::span<const uint8_t> bytes);
  void Deliver(const std::vector<uint8_t>& bytes) { Deliver(std::span<const uint8_t>(bytes)); }
  // Raises an error event.
  void RaiseErrors(TComErrors errors);

  // Faults of the next writes: each takes at most `bytes` bytes and then fails with `error` (0:
  // its time-out ran out). Cleared with std::nullopt.
  struct WriteFault {
    size_t bytes = 0;
    int error = 0;
  };
  void SetWriteFault(std::optional<WriteFault> fault) { fault_ = fault; }

 private:
  bool open_ = true;
  std::deque<uint8_t> input_;
  std::optional<WriteFault> fault_;
  LineSettings lineSettings_;
};
