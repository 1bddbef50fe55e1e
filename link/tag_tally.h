#pragma once
// The tag tally of read-loop mode: distinct IDs in order of first appearance with their counts.
// The grid that shows it (StringGrid1) is bound through TallyGrid; without a grid the tally
// still counts.
#include <string>
#include <vector>

#include "codec/frame_id.h"

class TallyGrid {
 public:
  virtual ~TallyGrid() = default;
  virtual int RowCount() const = 0;
  virtual void SetRowCount(int rows) = 0;
  virtual void SetCell(int col, int row, const std::string& text) = 0;
  virtual void Repaint() = 0;
  // A new row's ID, decoded (a grid may show it readably beside the tally's columns).
  virtual void ShowId(int /*row*/, const fdx::FrameId& /*id*/) {}
};

struct TallyEntry {
  std::string kindText;
  std::string idText;
  int count = 0;
};

class TagTally {
 public:
  static constexpr int kInitialRows = 20;

  explicit TagTally(int capacity) : capacity_(capacity < 0 ? 0 : capacity) {
    items_.resize(static_cast<size_t>(capacity_));
  }

  void SetGrid(TallyGrid* grid) { grid_ = grid; }

  void TallyId(const std::string& kindText, const std::string& idText);
  // The same for a decoded ID frame (kindText is id.KindText()); a new row gets the ID too.
  void TallyId(const fdx::FrameId& id, const std::string& idText);
  void ClearTally();

  int Capacity() const { return capacity_; }
  int Count() const { return count_; }
  int LastRow() const { return lastRow_; }
  const TallyEntry& Entry(int k) const { return items_[static_cast<size_t>(k)]; }

 private:
  int capacity_;
  std::vector<TallyEntry> items_;
  int count_ = 0;
  int lastRow_ = 0;
  TallyGrid* grid_ = nullptr;
};
