#include "hdx/group_check_box.h"

#include <algorithm>
#include <stdexcept>

TCheckItem& TCheckItems::Add() {
  return Insert(Count());
}

TCheckItem& TCheckItems::Insert(int i) {
  if (i < 0 || i > Count()) throw std::out_of_range("TCheckItems::Insert");
  TCheckItem item;
  item.caption_ = "CheckBox" + std::to_string(i);
  auto it = items_.insert(items_.begin() + i, std::move(item));
  owner_.LayoutChanged();
  return *it;
}

void TCheckItems::Delete(int i) {
  if (i < 0 || i >= Count()) throw std::out_of_range("TCheckItems::Delete");
  items_.erase(items_.begin() + i);
  owner_.LayoutChanged();
}

void TGroupCheckBox::SetCaption(std::string caption) {
  const bool relayout = caption.empty() != caption_.empty();
  caption_ = std::move(caption);
  if (relayout) LayoutChanged();
}

void TGroupCheckBox::SetColumns(int columns) {
  if (columns < 1) throw std::invalid_argument("Columnsには1以上を入れてください");
  if (columns == columns_) return;
  columns_ = columns;
  LayoutChanged();
}

int TGroupCheckBox::Values() const {
  int n = 0;
  for (int i = 0; i < Items.Count(); ++i) n += Items.GetItem(i).Checked() ? 1 : 0;
  return n;
}

void TGroupCheckBox::ClickItem(int i) {
  if (i < 0 || i >= Items.Count()) return;
  if (!ReadOnly) {
    TCheckItem& item = Items.GetItem(i);
    switch (item.State()) {
      case TCheckBoxState::cbUnchecked:
        item.SetState(TCheckBoxState::cbChecked);
        break;
      case TCheckBoxState::cbChecked:
        item.SetState(AllowGrayed ? TCheckBoxState::cbGrayed : TCheckBoxState::cbUnchecked);
        break;
      case TCheckBoxState::cbGrayed:
        item.SetState(TCheckBoxState::cbUnchecked);
        break;
    }
  }
  if (OnClick) OnClick();
}

std::vector<ItemRect> TGroupCheckBox::Layout(int clientWidth, int clientHeight, int captionHeight,
                                             int checkBoxHeight) const {
  const int h = caption_.empty() ? 0 : captionHeight;
  const int count = Items.Count();
  const int rows = std::max(1, (count + columns_ - 1) / columns_);
  const int rowHeight = (clientHeight - h - 16) / rows;
  const int columnWidth = (clientWidth - 16) / columns_;
  std::vector<ItemRect> out;
  for (int i = 0; i < count; ++i) {
    const int row = i / columns_;
    const int col = i % columns_;
    out.push_back({col * columnWidth + 8,
                   (rowHeight - checkBoxHeight) / 2 + rowHeight * row + h + 8, columnWidth - 8,
                   checkBoxHeight});
  }
  return out;
}
