#include "link/link_fault.h"

const char* LinkFaultName(LinkFault fault) {
  switch (fault) {
    case LinkFault::Nack:
      return "nack";
    case LinkFault::TimedOut:
      return "timeout";
    case LinkFault::BadSum:
      return "sum";
    case LinkFault::BadFormat:
      return "format";
    case LinkFault::WriteFailed:
      return "write";
    case LinkFault::LineError:
      return "line";
    case LinkFault::Refused:
      return "busy";
  }
  return "line";
}
