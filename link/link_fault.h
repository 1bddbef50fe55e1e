#pragma once
// Why a command failed, as the receiver and the exchange report it besides their log line: the
// outcome of a handler (app/outcome.h) counts these, so nobody has to read the line's text.
#include <string>

enum class LinkFault {
  Nack,         // the module refused the command (the NACK reason, when it names one)
  TimedOut,     // "Response Timed out"
  BadSum,       // a frame whose SUM was wrong
  BadFormat,    // a frame of an unknown type
  WriteFailed,  // the command did not reach the port whole
  LineError,    // the port reported a line error (a vanished device among them)
  Refused,      // a second command while one was waiting for its answer
};

// "nack", "timeout", "sum", "format", "write", "line", "busy": the names of the JSON output.
const char* LinkFaultName(LinkFault fault);
