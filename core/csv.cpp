#include "core/csv.h"

namespace csv {

std::string Field(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string q = "\"";
  for (char c : text) {
    if (c == '"') q.push_back('"');
    q.push_back(c);
  }
  q.push_back('"');
  return q;
}

std::string TextField(std::string_view text) {
  const bool formula =
      !text.empty() && (text[0] == '=' || text[0] == '+' || text[0] == '-' || text[0] == '@');
  return formula ? Field("'" + std::string(text)) : Field(text);
}

bool Reader::Fail(const char* why) {
  error_ = why;
  errorLine_ = recordLine_;
  pos_ = text_.size();
  return false;
}

bool Reader::Next(Record& record) {
  if (pos_ >= text_.size()) return false;
  record.line = recordLine_ = line_;
  record.fields.clear();
  record.ended = false;
  const size_t n = text_.size();
  for (;;) {
    std::string field;
    if (pos_ < n && text_[pos_] == '"') {
      ++pos_;
      for (;;) {
        const size_t quote = text_.find('"', pos_);
        const size_t end = quote == std::string_view::npos ? n : quote;
        for (size_t i = pos_; i < end; ++i) line_ += text_[i] == '\n';
        field.append(text_.substr(pos_, end - pos_));
        pos_ = end;
        if (quote == std::string_view::npos) {
          // The text stops inside the quotes: a record cut short.
          record.fields.push_back(std::move(field));
          return true;
        }
        if (quote + 1 < n && text_[quote + 1] == '"') {
          field.push_back('"');
          pos_ = quote + 2;
          continue;
        }
        pos_ = quote + 1;
        break;
      }
      if (pos_ < n && text_[pos_] != ',' && text_[pos_] != '\n' &&
          !(text_[pos_] == '\r' && pos_ + 1 < n && text_[pos_ + 1] == '\n'))
        return Fail("text after the closing quote of a field");
    } else {
      size_t end = pos_;
      while (end < n && text_[end] != ',' && text_[end] != '\n') ++end;
      std::string_view raw = text_.substr(pos_, end - pos_);
      if (end < n && text_[end] == '\n' && !raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
      if (raw.find('"') != std::string_view::npos)
        return Fail("a quote inside a field that does not start with one");
      field.assign(raw);
      pos_ += raw.size();
      if (pos_ < n && text_[pos_] == '\r') ++pos_;
    }
    record.fields.push_back(std::move(field));
    if (pos_ >= n) return true;  // the last record, without its line end
    if (text_[pos_] == ',') {
      ++pos_;
      continue;
    }
    if (text_[pos_] == '\r') ++pos_;
    ++pos_;  // '\n'
    ++line_;
    record.ended = true;
    return true;
  }
}

}  // namespace csv
