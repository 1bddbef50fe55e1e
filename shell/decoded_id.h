#pragma once
// The readable form of an ID the tag table shows beside its hexadecimal bytes: an ISO 11784 code
// as country and national ID with the country's name ("392 123456789012 (Japan)").
#include <string>

#include "codec/frame_id.h"

// For an FDX-B ID of six to eight bytes, or a read-only HDX ID of eight bytes that carries the
// animal flag: "CCC NNNNNNNNNNNN" and, where the country is known, its name in brackets, in
// Japanese or English. "" for anything else.
std::string DecodedIdText(const fdx::FrameId& id, bool japanese);
