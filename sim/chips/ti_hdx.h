#pragma once
// TI HDX read/write and multipage transponders. A read/write transponder holds one 64-bit page
// (the ID) that the charge-only read returns and WriteAndProgram (0x11) rewrites. A multipage
// transponder has 17 pages (1-17), each with its lock state; page 1 is its ID page. It answers
// the charge-only read (0x10), WriteAndProgram (0x11, page 1), GeneralReadPage (0x12),
// ProgramPage (0x13), LockPage (0x14) and the multi-page commands 0x8B and 0x8C.
//
// Page answers: code, tag type, p0 .. p7, page status (bits 7-2 the page, bits 1-0 the state:
// 0 read unlocked, 1 programming done, 2 read locked). A page that does not exist gets no answer
// from the tag (the module then reports "No response from tag").
#include <array>
#include <cstdint>
#include <map>

#include "sim/chips/reply_shape.h"
#include "sim/transponder.h"

namespace sim {

class TiHdxTag : public Transponder {
 public:
  static constexpr int kMultiPages = 17;

  // kind: tag_type::kReadWrite (one page) or tag_type::kMultiPage (17 pages).
  TiHdxTag(uint8_t kind, uint64_t id);

  bool Multipage() const { return Kind() == tag_type::kMultiPage; }
  // Pages are numbered from 1.
  std::array<uint8_t, 8> Page(int page) const;
  void SetPage(int page, const std::array<uint8_t, 8>& bytes);  // ignores the lock
  bool PageLocked(int page) const;
  void LockPageNow(int page);

  std::vector<uint8_t> IdBytes() const override;
  std::string Describe() const override;
  std::optional<TagReply> Handle(const TagCommand& cmd, const AirContext& ctx) override;

  ReplyShape Shape;  // malformed answers for tests

 private:
  std::optional<TagReply> Answer(const TagCommand& cmd);
  bool ValidPage(int page) const {
    return page >= 1 && page <= static_cast<int>(Memory().BlockCount());
  }
  uint8_t Status(int page, uint8_t state) const {
    return static_cast<uint8_t>((page & 0x3F) << 2 | state);
  }
  void AppendPage(std::vector<uint8_t>& out, int page, uint8_t state) const;
};

// Air time of the TI commands as a module spends it: charging the transponder plus its answer,
// and the programming time of each page written. The multi-page commands take the time of
// `pages` pages. For ModuleConfig::airTimeByCode.
std::map<uint8_t, Duration> TiHdxAirTimes(int pages = TiHdxTag::kMultiPages);

}  // namespace sim
