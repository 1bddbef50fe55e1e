#pragma once
// StringGrid1: the tag table as a QTableWidget. Row 0 is the header row and column 0 the row
// numbers (both fixed, grey, read-only); the other cells are editable. Like a string grid, a cell
// may be written below the last row: it appears once the grid has grown that far. Beside the
// tally's four columns the table shows the ID decoded (country, national ID and the country's
// name); columns widen to what they hold and the last one takes the rest of the width.
#include <map>
#include <utility>

#include <QString>

#include "link/tag_tally.h"

class QTableWidget;

class TallyTable : public TallyGrid {
 public:
  static constexpr int kColumns = 5;
  static constexpr int kDecodedColumn = 4;
  explicit TallyTable(QTableWidget* grid);

  int RowCount() const override;
  void SetRowCount(int rows) override;
  void SetCell(int col, int row, const std::string& text) override;
  void Repaint() override;
  void ShowId(int row, const fdx::FrameId& id) override;

  QString Cell(int col, int row) const;

 private:
  void Put(int col, int row, const QString& text);
  // Widens a column to show the text whole (columns never narrow while the program runs).
  void Fit(int col, const QString& text);
  QTableWidget* grid_;
  std::map<std::pair<int, int>, QString> below_;  // (row, col) past the last row
};
