#include "prompts/widgets/number_edit.h"

#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QToolButton>
#include <algorithm>

#include "core/ui_text.h"

namespace {

// The model counts in bytes of UTF-8, the line edit in UTF-16 units.
int ToBytes(const QString& text, int pos) {
  return static_cast<int>(text.left(pos).toUtf8().size());
}

int FromBytes(const std::string& text, int pos) {
  return static_cast<int>(QString::fromUtf8(text.data(), pos).size());
}

}  // namespace

TNumberEdit::TNumberEdit(QWidget* parent) : QLineEdit(parent) {
  connect(this, &QLineEdit::textChanged, this, &TNumberEdit::TextChanged);
  ShowText();
}

void TNumberEdit::ShowText() {
  const QString text = QString::fromStdString(model_.Text());
  if (text == this->text()) return;
  programText_ = true;
  setText(text);
  programText_ = false;
}

void TNumberEdit::SetModel(const NumberEditModel& model) {
  model_ = model;
  ShowText();
}

void TNumberEdit::SetValue(double v) {
  model_.SetValue(v);
  ShowText();
}

void TNumberEdit::SetNumberType(TNumberType t) {
  model_.SetNumberType(t);
  ShowText();
}

void TNumberEdit::SetMin(double v) {
  model_.SetMin(v);
  ShowText();
}

void TNumberEdit::SetMax(double v) {
  model_.SetMax(v);
  ShowText();
}

void TNumberEdit::SetLimit(bool on) {
  model_.SetLimit(on);
  ShowText();
}

TNumberEdit::LimitOptionSet TNumberEdit::LimitOptions() const {
  LimitOptionSet set;
  if (model_.Spec().LoMin) set |= loMin;
  if (model_.Spec().LoMax) set |= loMax;
  return set;
}

void TNumberEdit::SetLimitOptions(LimitOptionSet options) {
  model_.SetLimitOptions(options.testFlag(loMin), options.testFlag(loMax));
  ShowText();
}

void TNumberEdit::SetFigure(int figure) {
  model_.SetFigure(figure);
  ShowText();
}

void TNumberEdit::SetRoundMode(TRoundMode mode) {
  model_.SetRoundMode(mode);
  ShowText();
}

void TNumberEdit::Step(int direction) {
  if (isReadOnly() || !isEnabled()) return;
  model_.Step(direction);
  ShowText();
}

void TNumberEdit::Commit() {
  model_.Commit();
  ShowText();
}

void TNumberEdit::TextChanged(const QString& text) {
  // A text the program wrote is the model's own; reading it back would clamp an exempt zero.
  if (!programText_ && !model_.SetText(text.toStdString())) {
    const bool real = model_.Spec().NumberType == TNumberType::ntDecimal &&
                      text.contains(QChar(NumberEditModel::DecimalSeparator()));
    const QString message =
        QString::fromStdString(real ? Tr("TNumberEdit", "'%1' は有効な浮動小数点値ではありません。")
                                    : Tr("TNumberEdit", "'%1' は有効な整数値ではありません。"))
            .arg(text);
    QMessageBox::warning(this, QString::fromStdString(Tr("TNumberEdit", "エラー")), message);
  }
  emit OnChange();
}

void TNumberEdit::keyPressEvent(QKeyEvent* event) {
  if (event->modifiers() & Qt::ControlModifier) {  // clipboard and editing shortcuts
    QLineEdit::keyPressEvent(event);
    return;
  }
  switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
      Step(event->key() == Qt::Key_Up ? 1 : -1);
      event->accept();
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      EnterPressed(event);
      return;
    default:
      break;
  }
  const QString typed = event->text();
  const QList<uint> ucs = typed.toUcs4();
  // Keys without a printable character (arrows, Home, Delete, Backspace) edit as usual.
  if (ucs.isEmpty() || ucs[0] < 0x20 || ucs[0] == 0x7f || isReadOnly()) {
    QLineEdit::keyPressEvent(event);
    return;
  }
  const QString current = text();
  const int start = hasSelectedText() ? selectionStart() : cursorPosition();
  const int length = static_cast<int>(selectedText().size());
  const std::string bytes = current.toStdString();
  const KeyOutcome out =
      model_.FilterKey(static_cast<char32_t>(ucs[0]), bytes, ToBytes(current, start),
                       ToBytes(current.mid(start), length));
  switch (out.kind) {
    case KeyOutcome::Drop:
      event->accept();
      return;
    case KeyOutcome::Insert:
      QLineEdit::keyPressEvent(event);
      return;
    case KeyOutcome::Rewrite: {
      setText(QString::fromStdString(out.text));  // a user's change: read like typing
      const int s = FromBytes(out.text, out.selStart);
      const int e = FromBytes(out.text, out.selStart + out.selLength);
      if (e > s)
        setSelection(s, e - s);
      else
        setCursorPosition(s);
      event->accept();
      return;
    }
  }
}

void TNumberEdit::EnterPressed(QKeyEvent* event) {
  QLineEdit::keyPressEvent(event);
}

void TNumberEdit::focusInEvent(QFocusEvent* event) {
  QLineEdit::focusInEvent(event);
  selectAll();
}

void TNumberEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  // Switching to another window or opening a menu does not leave the field.
  if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
    Commit();
}

QSize TNumberEdit::sizeHint() const {
  QSize size = QLineEdit::sizeHint();
  const QFontMetrics fm(font());
  // Unlimited counters have no meaningful maximum: room for six digits.
  const NumberSpec& spec = model_.Spec();
  qsizetype chars = spec.Min == 0 && spec.Max == 0 ? 6 : 2;
  for (double bound : {spec.Min, spec.Max})
    chars = std::max<qsizetype>(chars, QString::fromStdString(model_.Format(bound)).size());
  chars = std::max(chars, text().size()) + 1;
  // QLineEdit asks for 17 'x'; the digits of the range replace them.
  size.setWidth(size.width() - 17 * fm.horizontalAdvance(QLatin1Char('x')) +
                fm.horizontalAdvance(QString(chars, QLatin1Char('0'))));
  return size;
}

TUpdownNumberEdit::TUpdownNumberEdit(QWidget* parent)
    : TNumberEdit(parent), up_(new QToolButton(this)), down_(new QToolButton(this)) {
  const std::pair<QToolButton*, int> buttons[] = {{up_, 1}, {down_, -1}};
  for (auto [button, direction] : buttons) {
    button->setObjectName(direction > 0 ? "UpButton" : "DownButton");
    button->setArrowType(direction > 0 ? Qt::UpArrow : Qt::DownArrow);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setCursor(Qt::ArrowCursor);
    connect(button, &QToolButton::clicked, this,
            [this, direction = direction] { Step(direction); });
  }
}

QSize TUpdownNumberEdit::sizeHint() const {
  QSize size = TNumberEdit::sizeHint();
  // The text margin is the buttons' room once the field has been laid out; counted once.
  size.setWidth(size.width() - textMargins().right() + std::max(12, size.height() * 2 / 3));
  return size;
}

void TUpdownNumberEdit::resizeEvent(QResizeEvent* event) {
  TNumberEdit::resizeEvent(event);
  const int w = std::max(12, height() * 2 / 3);
  const int half = height() / 2;
  up_->setGeometry(width() - w, 0, w, half);
  down_->setGeometry(width() - w, half, w, height() - half);
  setTextMargins(0, 0, w, 0);
}

void TUpdownNumberEdit::EnterPressed(QKeyEvent* event) {
  for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
    for (QObject* child : w->children()) {
      auto* button = qobject_cast<QPushButton*>(child);
      if (button && button->isDefault() && button->isEnabled() && button->isVisible()) {
        event->accept();
        button->click();
        return;
      }
    }
    if (w->isWindow()) break;  // never another window's button
  }
  TNumberEdit::EnterPressed(event);
}
