#pragma once
// StringGrid1: the tag table as a QTableWidget. Row 0 is the header row and column 0 the row
// numbers (both fixed, grey, read-only); the other cells are editable. Like a string grid, a cell
// may be written below the last row: it appears once the grid has grown that far.
#include <map>
#include <utility>

#include <QString>

#include "link/tag_tally.h"

class QTableWidget;

class TallyTable : public TallyGrid {
 public:
  static constexpr int kColumns = 4;
  explicit TallyTable(QTableWidget* grid);

  int RowCount() const override;
  void SetRowCount(int rows) override;
  void SetCell(int col, int row, const std::string& text) override;
  void Repaint() override;

  QString Cell(int col, int row) const;

 private:
  void Put(int col, int row, const QString& text);
  QTableWidget* grid_;
  std::map<std::pair<int, int>, QString> below_;  // (row, col) past the last row
};
