#pragma once
// The numeric edit control of every window: a line edit whose rules (key filter, range, text to
// value and back, stepping) are all NumberEditModel's. TUpdownNumberEdit adds the up/down button
// pair and presses the dialog's default button on Enter.
#include <QLineEdit>

#include "prompts/number_edit_model.h"

class QToolButton;

class TNumberEdit : public QLineEdit {
  Q_OBJECT
  Q_PROPERTY(double Value READ Value WRITE SetValue)
  Q_PROPERTY(TNumberType NumberType READ NumberType WRITE SetNumberType)
  Q_PROPERTY(double Min READ Min WRITE SetMin)
  Q_PROPERTY(double Max READ Max WRITE SetMax)
  Q_PROPERTY(bool Limit READ Limit WRITE SetLimit)
  Q_PROPERTY(LimitOptionSet LimitOptions READ LimitOptions WRITE SetLimitOptions)
  Q_PROPERTY(double Increment READ Increment WRITE SetIncrement)
  Q_PROPERTY(int Figure READ Figure WRITE SetFigure)
  Q_PROPERTY(TRoundMode RoundMode READ RoundMode WRITE SetRoundMode)
  Q_PROPERTY(int MaxIntLength READ MaxIntLength WRITE SetMaxIntLength)
  Q_PROPERTY(bool ValidMinus READ ValidMinus WRITE SetValidMinus)
  Q_PROPERTY(bool ZeroEnabled READ ZeroEnabled WRITE SetZeroEnabled)
  Q_PROPERTY(bool Wrap READ Wrap WRITE SetWrap)

 public:
  enum LimitOption { loMin = 1, loMax = 2 };
  Q_DECLARE_FLAGS(LimitOptionSet, LimitOption)
  Q_FLAG(LimitOptionSet)

  explicit TNumberEdit(QWidget* parent = nullptr);

  // The whole state at once (the prompt dialogs keep their fields' models in the form). The text
  // is replaced only when it differs, so the caret survives a sync that changes nothing.
  const NumberEditModel& Model() const { return model_; }
  void SetModel(const NumberEditModel& model);

  double Value() const { return model_.Value(); }
  void SetValue(double v);
  TNumberType NumberType() const { return model_.Spec().NumberType; }
  void SetNumberType(TNumberType t);
  double Min() const { return model_.Spec().Min; }
  void SetMin(double v);
  double Max() const { return model_.Spec().Max; }
  void SetMax(double v);
  bool Limit() const { return model_.Spec().Limit; }
  void SetLimit(bool on);
  LimitOptionSet LimitOptions() const;
  void SetLimitOptions(LimitOptionSet options);
  double Increment() const { return model_.Spec().Increment; }
  void SetIncrement(double v) { model_.SetIncrement(v); }
  int Figure() const { return model_.Spec().Figure; }
  void SetFigure(int figure);
  TRoundMode RoundMode() const { return model_.Spec().RoundMode; }
  void SetRoundMode(TRoundMode mode);
  int MaxIntLength() const { return model_.Spec().MaxIntLength; }
  void SetMaxIntLength(int n) { model_.SetMaxIntLength(n); }
  bool ValidMinus() const { return model_.Spec().ValidMinus; }
  void SetValidMinus(bool on) { model_.SetValidMinus(on); }
  bool ZeroEnabled() const { return model_.Spec().ZeroEnabled; }
  void SetZeroEnabled(bool on) { model_.SetZeroEnabled(on); }
  bool Wrap() const { return model_.Spec().Wrap; }
  void SetWrap(bool on) { model_.SetWrap(on); }

  // Room for the longest text of the range (or of the current value), not a fixed 17 characters.
  QSize sizeHint() const override;

  // One Increment up (direction > 0) or down.
  void Step(int direction);
  // What leaving the field does: the text is read again and rewritten from the value.
  void Commit();

 signals:
  // After every change of the text, typed or set from the program.
  void OnChange();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  // Enter: a plain field leaves it to the line edit (and so to the dialog).
  virtual void EnterPressed(QKeyEvent* event);

 private:
  void TextChanged(const QString& text);
  void ShowText();  // the model's text into the line edit, as the program's change
  NumberEditModel model_;
  bool programText_ = false;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TNumberEdit::LimitOptionSet)

class TUpdownNumberEdit : public TNumberEdit {
  Q_OBJECT
 public:
  explicit TUpdownNumberEdit(QWidget* parent = nullptr);
  QSize sizeHint() const override;
  // A layout never squeezes the field below its digits.
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  // Enter presses the first enabled, visible default button among the controls of the field's
  // parent, then of the parent's parent, and so on: Enter in a prompt field means OK.
  void EnterPressed(QKeyEvent* event) override;

 private:
  QToolButton* up_;
  QToolButton* down_;
};
