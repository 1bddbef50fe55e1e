#pragma once
// Lines and marks that the TI HDX handlers and the multipage editor share: the page status byte
// (bits 7-2 page number, bits 1-0 state) and the 8-byte data line.
#include <cstdint>
#include <string>

#include "link/comm_module.h"

// "Data: " and the 8 bytes from out[first + 7] down to out[first], each "XX ".
std::string TiDataLine(const Response& out, int first);
// "Page: " + page number + state text, e.g. "Page: 3[Read locked page]".
std::string PageStatusLine(uint8_t status);
// The state text of bits 1-0: "[Read unlocked page]", "[Programming done]", ...
std::string PageStateText(uint8_t status);
// The multipage editor's Lock column: "0" unlocked, "P" programming done, "1" locked,
// "?" reserved.
std::string PageLockMark(uint8_t status);
