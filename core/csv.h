#pragma once
// CSV as RFC 4180 has it, both ways: fields separated by commas, records ended by a line end
// (CR LF, or LF alone), a field that holds a comma, a double quote or a line break written in
// double quotes with its quotes doubled.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace csv {

// One field: quoted when it holds a comma, a quote or a line break, else as it is.
std::string Field(std::string_view text);

// One field of text that came from a tag. A spreadsheet runs a cell that starts with '=', '+',
// '-' or '@' as a formula; such a text gets a leading apostrophe, which spreadsheets take as the
// mark of a text cell and do not show. Then as Field.
std::string TextField(std::string_view text);

struct Record {
  size_t line = 0;  // the line the record starts on, from 1
  std::vector<std::string> fields;
  bool ended = true;  // false: the text stops inside the record, before its line end
};

// Reads the records of a text one by one.
class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}
  // The next record; false at the end of the text, or when the record is malformed (a quote
  // inside a field that does not start with one, anything but a comma or a line end after a
  // closing quote): Error() says why, ErrorLine() the line the record starts on.
  bool Next(Record& record);
  // The offset of the next record in the text.
  size_t Offset() const { return pos_; }
  const std::string& Error() const { return error_; }
  size_t ErrorLine() const { return errorLine_; }

 private:
  bool Fail(const char* why);
  std::string_view text_;
  size_t pos_ = 0;
  size_t line_ = 1;
  size_t recordLine_ = 1;
  std::string error_;
  size_t errorLine_ = 0;
};

}  // namespace csv
