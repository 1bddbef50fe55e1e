// The numeric edit's text to value and value to text on arbitrary text, in both bases, with and
// without a limit: never crashes, and a limited value always lies in its range after leaving the
// field unless it is the exempt zero.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "prompts/number_edit_model.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  NumberSpec spec;
  spec.NumberType = (data[0] & 1) ? TNumberType::ntHex : TNumberType::ntDecimal;
  spec.Limit = data[0] & 2;
  spec.Min = 1;
  spec.Max = (data[0] & 4) ? 43 : 65535;
  spec.Figure = (data[0] >> 4) - 2;
  spec.ValidMinus = data[0] & 8;
  NumberEditModel m(spec, 0);
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  m.SetText(text);
  m.Commit();
  const double v = m.Value();
  if (spec.Limit && v != 0 && (v < spec.Min || v > spec.Max)) std::abort();
  m.Step(1);
  m.Step(-1);
  (void)m.Format(v);
  return 0;
}
