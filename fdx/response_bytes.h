#pragma once
// The data lines of the FDX handlers show "every response byte after the echoed code".
#include <string>

#include "core/hex.h"
#include "link/comm_module.h"

namespace fdx {

// Response bytes out[2] .. out[LEN], each as two hexadecimal digits and a blank.
inline std::string BytesAfterEcho(const Response& out) {
  return hex::Bytes(out.data() + 2, out[0] > 0 ? out[0] - 1u : 0u);
}

}  // namespace fdx
