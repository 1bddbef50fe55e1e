#pragma once
// TGroupCheckBox on the screen: a group box holding one check box (TItemCheckBox) per item of its
// TGroupCheckBox model, placed by the model's layout formula. A click goes to the model, which
// decides the new state (read-only items keep theirs); the box then shows the model's state.
#include <QGroupBox>
#include <vector>

#include "hdx/group_check_box.h"

class QCheckBox;

class TGroupCheckBoxWidget : public QGroupBox {
  Q_OBJECT
 public:
  explicit TGroupCheckBoxWidget(QWidget* parent = nullptr);

  TGroupCheckBox& Model() { return model_; }
  // Brings the check boxes in step with the model: count, captions, states, properties.
  void SyncFromModel();
  QCheckBox* ItemBox(int i) const;

 signals:
  // An item's check box was clicked and the model has handled it (the group's OnClick).
  void ItemClicked(int index);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Relayout();
  void Clicked(int index);
  TGroupCheckBox model_;
  std::vector<QCheckBox*> boxes_;
};
