#include "hdx/widgets/group_check_box_widget.h"

#include <QCheckBox>
#include <QEvent>
#include <QPainter>

namespace {
Qt::CheckState QtState(TCheckBoxState s) {
  switch (s) {
    case TCheckBoxState::cbChecked:
      return Qt::Checked;
    case TCheckBoxState::cbGrayed:
      return Qt::PartiallyChecked;
    default:
      return Qt::Unchecked;
  }
}
}  // namespace

TGroupCheckBoxWidget::TGroupCheckBoxWidget(QWidget* parent) : QGroupBox(parent) {
  model_.OnLayoutChanged = [this] { Relayout(); };
}

QCheckBox* TGroupCheckBoxWidget::ItemBox(int i) const {
  return i >= 0 && static_cast<size_t>(i) < boxes_.size() ? boxes_[static_cast<size_t>(i)]
                                                          : nullptr;
}

void TGroupCheckBoxWidget::SyncFromModel() {
  const auto count = static_cast<size_t>(model_.Items.Count());
  while (boxes_.size() > count) {
    delete boxes_.back();
    boxes_.pop_back();
  }
  while (boxes_.size() < count) {
    const int index = static_cast<int>(boxes_.size());
    auto* box = new QCheckBox(this);
    box->setObjectName(objectName() + "_" + QString::number(index));
    box->installEventFilter(this);
    connect(box, &QCheckBox::clicked, this, [this, index] { Clicked(index); });
    box->show();
    boxes_.push_back(box);
  }
  setTitle(QString::fromStdString(model_.Caption()));
  setEnabled(model_.Enabled);
  for (size_t i = 0; i < count; ++i) {
    const TCheckItem& item = model_.Items.GetItem(static_cast<int>(i));
    QCheckBox* box = boxes_[i];
    box->setText(QString::fromStdString(item.Caption()));
    box->setTristate(model_.AllowGrayed);
    box->setCheckState(QtState(item.State()));
    box->setLayoutDirection(model_.Alignment == TLeftRight::taLeftJustify ? Qt::RightToLeft
                                                                          : Qt::LeftToRight);
  }
  const int boxHeight = boxes_.empty() ? 0 : boxes_[0]->sizeHint().height();
  const int rows = std::max(1, (static_cast<int>(count) + model_.Columns() - 1) / model_.Columns());
  setMinimumSize(64 * model_.Columns(), rows * (boxHeight + 2) + fontMetrics().height() + 16);
  Relayout();
  update();
}

void TGroupCheckBoxWidget::Relayout() {
  if (boxes_.size() != static_cast<size_t>(model_.Items.Count())) return;  // synced later
  const int boxHeight = boxes_.empty() ? 0 : boxes_[0]->sizeHint().height();
  const auto rects = model_.Layout(width(), height(), fontMetrics().height(), boxHeight);
  for (size_t i = 0; i < rects.size(); ++i)
    boxes_[i]->setGeometry(rects[i].left, rects[i].top, rects[i].width, rects[i].height);
}

void TGroupCheckBoxWidget::Clicked(int index) {
  model_.ClickItem(index);  // the model decides: a read-only item keeps its state
  if (QCheckBox* box = ItemBox(index))
    box->setCheckState(QtState(model_.Items.GetItem(index).State()));
  emit ItemClicked(index);
}

void TGroupCheckBoxWidget::resizeEvent(QResizeEvent* event) {
  QGroupBox::resizeEvent(event);
  Relayout();
}

void TGroupCheckBoxWidget::paintEvent(QPaintEvent* event) {
  if (model_.Border) {
    QGroupBox::paintEvent(event);
    return;
  }
  // No frame: only the caption, 8 pixels in from the leading edge.
  QPainter p(this);
  const QString caption = title();
  const int w = fontMetrics().horizontalAdvance(caption);
  const int x = layoutDirection() == Qt::RightToLeft ? width() - 8 - w : 8;
  p.drawText(x, fontMetrics().ascent(), caption);
}

bool TGroupCheckBoxWidget::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
    int focused = -1;
    for (size_t i = 0; i < boxes_.size(); ++i)
      if (boxes_[i] == watched && event->type() == QEvent::FocusIn) focused = static_cast<int>(i);
    model_.SetItemIndex(focused);
  }
  return QGroupBox::eventFilter(watched, event);
}
