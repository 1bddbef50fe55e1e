#pragma once
// The two language tables of the message catalogue, in the order of enum Msg.
struct MessageEntry {
  const char* id;
  const char* english;
  const char* japanese;
};
extern const MessageEntry kMessageTable[];
extern const int kMessageTableSize;
