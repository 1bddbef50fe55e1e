#pragma once
// TGroupCheckBox without a widget: a captioned group of check items (TCheckItem) laid out in
// columns. It keeps the items and their states, the group's properties, what a click does and
// where each item's check box goes; a view (hdx/widgets/group_check_box_widget.h) draws it.
#include <functional>
#include <string>
#include <vector>

enum class TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
enum class TLeftRight { taLeftJustify, taRightJustify };  // caption left or right of the box

class TGroupCheckBox;

class TCheckItem {
 public:
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption) { caption_ = std::move(caption); }
  bool Checked() const { return state_ == TCheckBoxState::cbChecked; }
  void SetChecked(bool on) {
    state_ = on ? TCheckBoxState::cbChecked : TCheckBoxState::cbUnchecked;
  }
  TCheckBoxState State() const { return state_; }
  void SetState(TCheckBoxState s) { state_ = s; }

 private:
  friend class TCheckItems;
  std::string caption_;
  TCheckBoxState state_ = TCheckBoxState::cbUnchecked;
};

// The Items collection; adding, inserting and deleting relayout the group.
class TCheckItems {
 public:
  explicit TCheckItems(TGroupCheckBox& owner) : owner_(owner) {}
  int Count() const { return static_cast<int>(items_.size()); }
  TCheckItem& GetItem(int i) { return items_.at(static_cast<size_t>(i)); }
  const TCheckItem& GetItem(int i) const { return items_.at(static_cast<size_t>(i)); }
  // A new item is captioned "CheckBox" + its index and unchecked.
  TCheckItem& Add();
  TCheckItem& Insert(int i);
  void Delete(int i);

 private:
  TGroupCheckBox& owner_;
  std::vector<TCheckItem> items_;
};

struct ItemRect {
  int left = 0, top = 0, width = 0, height = 0;
  bool operator==(const ItemRect&) const = default;
};

class TGroupCheckBox {
 public:
  TGroupCheckBox() : Items(*this) {}
  TGroupCheckBox(const TGroupCheckBox&) = delete;
  TGroupCheckBox& operator=(const TGroupCheckBox&) = delete;

  TCheckItems Items;

  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);
  int Columns() const { return columns_; }
  // Below 1: throws std::invalid_argument("Columnsには1以上を入れてください").
  void SetColumns(int columns);
  TLeftRight Alignment = TLeftRight::taRightJustify;
  bool AllowGrayed = false;
  bool Border = true;     // off: only the caption, 8 pixels in from the edge, no frame
  bool ReadOnly = false;  // on: a click does not toggle
  bool Enabled = true;    // every item's check box follows

  // The item whose check box has the focus (-1: none); the view keeps it.
  int ItemIndex() const { return itemIndex_; }
  void SetItemIndex(int i) { itemIndex_ = i; }
  // Number of checked items.
  int Values() const;

  // A click on item i's check box: toggles it unless ReadOnly (checked and unchecked, through
  // grayed when AllowGrayed), then raises OnClick.
  void ClickItem(int i);
  std::function<void()> OnClick;
  // Raised when the layout must be recomputed (items added, inserted or deleted, Columns
  // changed, caption changed between empty and non-empty); the view also relayouts on resize.
  std::function<void()> OnLayoutChanged;

  // Where each item's check box goes in a client area of that size. captionHeight is the
  // caption's text height in the control's font (used only when there is a caption).
  std::vector<ItemRect> Layout(int clientWidth, int clientHeight, int captionHeight,
                               int checkBoxHeight) const;

 private:
  friend class TCheckItems;
  void LayoutChanged() {
    if (OnLayoutChanged) OnLayoutChanged();
  }
  std::string caption_;
  int columns_ = 1;
  int itemIndex_ = -1;
};
