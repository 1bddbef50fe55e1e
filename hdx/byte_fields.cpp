#include "hdx/byte_fields.h"

void AddByteFields(PromptForm& form, const ByteFieldRow& row, std::span<const uint8_t> values) {
  for (int i = row.count - 1; i >= 0; --i) {
    const auto index = static_cast<size_t>(i);
    const double v = index < values.size() ? values[index] : 0;
    form.AddNumber(row.Name(i), "", HexSpec(0, 255, row.limit, 2), v).row = row.row;
  }
}

std::vector<uint8_t> ReadByteFields(const PromptForm& form, const ByteFieldRow& row) {
  std::vector<uint8_t> out;
  for (int i = 0; i < row.count; ++i)
    out.push_back(static_cast<uint8_t>(form.Field(row.Name(i)).Int() & 0xFF));
  return out;
}

void WriteByteFields(PromptForm& form, const ByteFieldRow& row, std::span<const uint8_t> values) {
  for (int i = 0; i < row.count && static_cast<size_t>(i) < values.size(); ++i)
    form.Field(row.Name(i)).number.SetValue(values[static_cast<size_t>(i)]);
}

void MarkByteRowEnds(PromptForm& form, const ByteFieldRow& row, const std::string& msb,
                     const std::string& lsb) {
  form.Field(msb).over = row.Name(row.count - 1);
  form.Field(lsb).over = row.Name(0);
}
