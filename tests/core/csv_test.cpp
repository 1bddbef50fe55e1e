// CSV both ways: the fields the tool writes read back as they were, the reader's records and
// their lines, malformed records, and cells a spreadsheet would run as formulas.
#include "core/csv.h"

#include <gtest/gtest.h>

namespace {

std::vector<csv::Record> ReadAll(const std::string& text, std::string* error = nullptr) {
  csv::Reader reader(text);
  std::vector<csv::Record> out;
  csv::Record r;
  while (reader.Next(r)) out.push_back(r);
  if (error)
    *error =
        reader.Error().empty() ? "" : std::to_string(reader.ErrorLine()) + ": " + reader.Error();
  return out;
}

TEST(Csv, FieldsWithCommasQuotesAndLineBreaksReadBackWhole) {
  const std::vector<std::string> fields = {
      "plain", "a,b", "say \"hi\"", "two\nlines", "cr\r\nlf",
      "",      "\"",  ",",          " blank ",    "/dev/tty\"q\nx"};
  std::string line;
  for (size_t i = 0; i < fields.size(); ++i) line += (i ? "," : "") + csv::Field(fields[i]);
  EXPECT_EQ(csv::Field("plain"), "plain");
  EXPECT_EQ(csv::Field("say \"hi\""), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(csv::Field(""), "");
  const std::string text = "h1,h2\r\n" + line + "\r\nlast,row";
  std::string error;
  const auto records = ReadAll(text, &error);
  EXPECT_EQ(error, "");
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].fields, (std::vector<std::string>{"h1", "h2"}));
  EXPECT_EQ(records[1].fields, fields);
  EXPECT_EQ(records[1].line, 2u);
  EXPECT_TRUE(records[1].ended);
  // The fields of record 2 hold three line breaks: the next record starts on line 6.
  EXPECT_EQ(records[2].line, 6u);
  EXPECT_EQ(records[2].fields, (std::vector<std::string>{"last", "row"}));
  EXPECT_FALSE(records[2].ended) << "no line end after the last record";
}

TEST(Csv, MalformedRecordsNameTheirLineAndARecordCutInsideQuotesIsUnended) {
  std::string error;
  ReadAll("a,b\nc,d\"e\n", &error);
  EXPECT_EQ(error, "2: a quote inside a field that does not start with one");
  ReadAll("a\n\"x\ny\"z,w\n", &error);
  EXPECT_EQ(error, "2: text after the closing quote of a field");
  ReadAll("\"a\"\rb\n", &error);
  EXPECT_EQ(error, "1: text after the closing quote of a field");

  const auto cut = ReadAll("a,b\nc,\"half a\nfield", &error);
  EXPECT_EQ(error, "");
  ASSERT_EQ(cut.size(), 2u);
  EXPECT_FALSE(cut[1].ended);
  EXPECT_EQ(cut[1].fields, (std::vector<std::string>{"c", "half a\nfield"}));

  // Empty lines are records of one empty field.
  const auto blank = ReadAll("\n\r\nx\n");
  ASSERT_EQ(blank.size(), 3u);
  EXPECT_EQ(blank[1].fields, std::vector<std::string>{""});
  EXPECT_EQ(blank[2].line, 3u);
}

TEST(Csv, CellsThatASpreadsheetWouldRunAsFormulasBecomeText) {
  EXPECT_EQ(csv::TextField("="), "'=");
  EXPECT_EQ(csv::TextField("=1+2"), "'=1+2");
  EXPECT_EQ(csv::TextField("+"), "'+");
  EXPECT_EQ(csv::TextField("-2+3+cmd|' /C calc'!A0"), "'-2+3+cmd|' /C calc'!A0");
  EXPECT_EQ(csv::TextField("@SUM(A1)"), "'@SUM(A1)");
  EXPECT_EQ(csv::TextField("=a,b"), "\"'=a,b\"");
  // Everything else is written as Field writes it.
  for (const char* same : {"A", "'", "0x3D", "a=b", "", " =x"})
    EXPECT_EQ(csv::TextField(same), csv::Field(same)) << same;
  EXPECT_EQ(csv::TextField("\""), "\"\"\"\"");
  EXPECT_EQ(csv::TextField(","), "\",\"");
}

}  // namespace
