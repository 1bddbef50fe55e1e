#include "link/tag_tally.h"

#include "codec/tag_type.h"

void TagTally::TallyId(const std::string& kindText, const std::string& idText) {
  for (int k = 0; k < count_; ++k) {
    TallyEntry& e = items_[static_cast<size_t>(k)];
    if (e.idText == idText && e.kindText == kindText) {
      ++e.count;
      lastRow_ = k + 1;
      if (grid_) {
        grid_->SetCell(1, k + 1, std::to_string(e.count));
        grid_->Repaint();
      }
      return;
    }
  }
  if (count_ >= capacity_) return;  // full: the ID was logged but is not counted
  TallyEntry& e = items_[static_cast<size_t>(count_)];
  e.kindText = kindText;
  e.idText = idText;
  e.count = 1;
  ++count_;
  lastRow_ = count_;
  if (grid_) {
    grid_->SetCell(3, count_, idText);
    grid_->SetCell(2, count_, TallyTagLabel(kindText));
    grid_->SetCell(1, count_, "1");
    grid_->SetCell(0, count_, std::to_string(count_));
    if (count_ >= kInitialRows) grid_->SetRowCount(count_ + 1);
    grid_->Repaint();
  }
}

void TagTally::TallyId(const fdx::FrameId& id, const std::string& idText) {
  const int before = count_;
  TallyId(id.KindText(), idText);
  if (count_ > before && grid_) grid_->ShowId(count_, id);
}

void TagTally::ClearTally() {
  count_ = 0;
  for (TallyEntry& e : items_) e = TallyEntry{};
  if (grid_) {
    for (int row = 1; row < grid_->RowCount(); ++row)
      for (int col = 0; col < 4; ++col) grid_->SetCell(col, row, "");
    if (lastRow_ >= kInitialRows) grid_->SetRowCount(kInitialRows);
  }
  // lastRow_ keeps its value, as the grid's last written row.
}
