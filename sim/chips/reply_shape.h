#pragma once
// A way for tests to make an HDX-family chip answer with a malformed ACK, as a faulty module or
// a garbled air exchange would: data bytes cut off or added at the end, or a wrong echo.
#include <algorithm>
#include <cstdint>

#include "sim/transponder.h"

namespace sim {

struct ReplyShape {
  int lengthDelta = 0;     // < 0: that many data bytes dropped from the end; > 0: 0xA5s added
  bool wrongEcho = false;  // the echoed code is off by 0x80
  int onlyCode = -1;       // >= 0: only answers to this command code are changed

  void Apply(std::optional<TagReply>& reply) const {
    if (!reply || !reply->ack || reply->data.empty()) return;
    if (onlyCode >= 0 && reply->data[0] != onlyCode) return;
    auto& d = reply->data;
    if (lengthDelta < 0)
      d.resize(d.size() - std::min(d.size(), static_cast<size_t>(-lengthDelta)));
    else
      d.insert(d.end(), static_cast<size_t>(lengthDelta), 0xA5);
    if (wrongEcho && !d.empty()) d[0] = static_cast<uint8_t>(d[0] ^ 0x80);
  }
};

}  // namespace sim
