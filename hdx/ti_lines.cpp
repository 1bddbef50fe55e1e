#include "hdx/ti_lines.h"

#include "core/hex.h"
#include "core/messages.h"

std::string TiDataLine(const Response& out, int first) {
  std::string line = LoadMessage(Msg::dataMsg);
  for (int i = 7; i >= 0; --i) hex::AppendBytes(line, &out[static_cast<size_t>(first + i)], 1);
  return line;
}

std::string PageStateText(uint8_t status) {
  switch (status & 0x03) {
    case 0:
      return LoadMessage(Msg::ReadUnlockedPageMsg);
    case 1:
      return LoadMessage(Msg::ProgrammingDoneMsg);
    case 2:
      return LoadMessage(Msg::ReadLockedPageMsg);
    default:
      // The catalogue's English text lacks the brackets the other states have.
      return MessageLanguage() == Language::English ? "[Reserved]" : LoadMessage(Msg::ReservedMsg);
  }
}

std::string PageStatusLine(uint8_t status) {
  return LoadMessage(Msg::Page2Msg) + std::to_string(status >> 2) + PageStateText(status);
}

std::string PageLockMark(uint8_t status) {
  static const char* const kMarks[] = {"0", "P", "1", "?"};
  return kMarks[status & 0x03];
}
