#include "shell/widgets/tally_table.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QTableWidget>

#include "core/messages.h"
#include "core/ui_text.h"
#include "shell/decoded_id.h"

namespace {
const QColor kFixedColor(0xF0, 0xF0, 0xF0);
constexpr int kCellPadding = 16;  // the cell's margins and a little air
}  // namespace

TallyTable::TallyTable(QTableWidget* grid) : grid_(grid) {
  grid_->setColumnCount(kColumns);
  grid_->setRowCount(TagTally::kInitialRows);
  grid_->horizontalHeader()->hide();
  grid_->verticalHeader()->hide();
  grid_->verticalHeader()->setDefaultSectionSize(22);
  grid_->horizontalHeader()->setStretchLastSection(true);
  const int widths[kColumns] = {32, 58, 71, 360, 200};
  for (int c = 0; c < kColumns; ++c) grid_->setColumnWidth(c, widths[c]);
  for (int r = 0; r < TagTally::kInitialRows; ++r)
    for (int c = 0; c < kColumns; ++c) Put(c, r, QString());
  Put(kDecodedColumn, 0, QString::fromStdString(Tr("TTirisAppForm", "国番号 個体識別番号")));
  Fit(kDecodedColumn, Cell(kDecodedColumn, 0));
}

void TallyTable::Fit(int col, const QString& text) {
  if (text.isEmpty() || col == kColumns - 1) return;  // the last column stretches
  const int need = QFontMetrics(grid_->font()).horizontalAdvance(text) + kCellPadding;
  if (need > grid_->columnWidth(col)) grid_->setColumnWidth(col, need);
}

void TallyTable::ShowId(int row, const fdx::FrameId& id) {
  if (row <= 0) return;
  SetCell(kDecodedColumn, row, DecodedIdText(id, MessageLanguage() == Language::Japanese));
}

int TallyTable::RowCount() const {
  return grid_->rowCount();
}

void TallyTable::SetRowCount(int rows) {
  if (rows < 1) rows = 1;
  const int old = grid_->rowCount();
  grid_->setRowCount(rows);
  for (int r = old; r < rows; ++r)
    for (int c = 0; c < kColumns; ++c) {
      auto it = below_.find({r, c});
      Put(c, r, it == below_.end() ? QString() : it->second);
    }
  // Cells past the new end go, as the rows that held them do.
  below_.erase(below_.lower_bound({rows, 0}), below_.end());
}

void TallyTable::SetCell(int col, int row, const std::string& text) {
  if (col < 0 || col >= kColumns || row < 0) return;
  const QString t = QString::fromStdString(text);
  if (row >= grid_->rowCount()) {
    if (t.isEmpty())
      below_.erase({row, col});
    else
      below_[{row, col}] = t;
  } else {
    Put(col, row, t);
    Fit(col, t);
  }
  // A row's ID cell written anew: its old decoded ID goes (ShowId brings the new one).
  if (col == 3 && row > 0) SetCell(kDecodedColumn, row, "");
}

void TallyTable::Put(int col, int row, const QString& text) {
  QTableWidgetItem* item = grid_->item(row, col);
  if (!item) {
    item = new QTableWidgetItem(text);
    if (row == 0 || col == 0) {
      item->setFlags(Qt::ItemIsEnabled);
      item->setBackground(kFixedColor);
    }
    grid_->setItem(row, col, item);
    return;
  }
  if (item->text() != text) item->setText(text);
}

void TallyTable::Repaint() {
  grid_->viewport()->update();
}

QString TallyTable::Cell(int col, int row) const {
  if (const QTableWidgetItem* item = grid_->item(row, col)) return item->text();
  auto it = below_.find({row, col});
  return it == below_.end() ? QString() : it->second;
}
