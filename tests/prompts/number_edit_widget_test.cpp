#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "prompts/prompt_form.h"
#include "prompts/widgets/number_edit.h"

namespace {

void SendFocus(QWidget* w, QEvent::Type type, Qt::FocusReason reason) {
  QFocusEvent event(type, reason);
  QApplication::sendEvent(w, &event);
}

// Closes the next modal box as soon as it opens, keeping its text.
QString* CloseNextModal() {
  auto* text = new QString;
  QTimer::singleShot(0, [text] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      *text = box->text();
      box->close();
    }
  });
  return text;
}

}  // namespace

TEST(NumberEditWidget, TypedValueIsClampedAndTheTextRewrittenOnLeaving) {
  TUpdownNumberEdit edit;
  edit.SetModel(NumberEditModel(DecimalSpec(1, 43, true), 5));
  QSignalSpy changes(&edit, &TNumberEdit::OnChange);
  edit.selectAll();
  QTest::keyClicks(&edit, "99");
  EXPECT_EQ(edit.text(), "99");
  EXPECT_EQ(edit.Value(), 43);
  EXPECT_EQ(changes.count(), 2);  // one per change of the text

  SendFocus(&edit, QEvent::FocusOut, Qt::ActiveWindowFocusReason);  // another window: stays
  EXPECT_EQ(edit.text(), "99");
  SendFocus(&edit, QEvent::FocusOut, Qt::TabFocusReason);
  EXPECT_EQ(edit.text(), "43");
  EXPECT_EQ(edit.Value(), 43);

  SendFocus(&edit, QEvent::FocusIn, Qt::TabFocusReason);
  EXPECT_EQ(edit.selectedText(), "43");  // entering selects the whole text
}

TEST(NumberEditWidget, KeysAreFilteredAndSignsMoveToTheFront) {
  TNumberEdit edit;
  edit.SetMaxIntLength(3);
  edit.clear();
  QTest::keyClicks(&edit, "1a2x34");
  EXPECT_EQ(edit.text(), "123");  // letters dropped, the fourth integer digit too
  edit.setCursorPosition(1);
  QTest::keyClick(&edit, '-');
  EXPECT_EQ(edit.text(), "-123");
  EXPECT_EQ(edit.cursorPosition(), 2);
  EXPECT_EQ(edit.Value(), -123);
  QTest::keyClick(&edit, '-');
  EXPECT_EQ(edit.text(), "123");
  EXPECT_EQ(edit.Value(), 123);

  edit.SetNumberType(TNumberType::ntHex);
  EXPECT_EQ(edit.text(), "7B");
  edit.clear();
  QTest::keyClicks(&edit, "fG-1");
  EXPECT_EQ(edit.text(), "f1");
  EXPECT_EQ(edit.Value(), 0xF1);
}

TEST(NumberEditWidget, ArrowKeysAndButtonsStep) {
  TUpdownNumberEdit edit;
  NumberSpec spec = DecimalSpec(0, 10, true);
  spec.Increment = 5;
  edit.SetModel(NumberEditModel(spec, 5));
  QTest::keyClick(&edit, Qt::Key_Up);
  EXPECT_EQ(edit.Value(), 10);
  QTest::keyClick(&edit, Qt::Key_Up);
  EXPECT_EQ(edit.Value(), 10);  // at Max without Wrap
  EXPECT_EQ(edit.text(), "10");
  edit.SetWrap(true);
  QTest::keyClick(&edit, Qt::Key_Up);
  EXPECT_EQ(edit.Value(), 0);

  auto* down = edit.findChild<QToolButton*>("DownButton");
  auto* up = edit.findChild<QToolButton*>("UpButton");
  ASSERT_TRUE(down && up);
  down->click();
  EXPECT_EQ(edit.Value(), 10);  // wrapped to Max
  up->click();
  EXPECT_EQ(edit.Value(), 0);
}

TEST(NumberEditWidget, ControlPassesEveryKeyAndGarbageKeepsTheValue) {
  TNumberEdit edit;
  edit.SetValue(42);
  QTest::keyClick(&edit, Qt::Key_A, Qt::ControlModifier);  // select all, not a dropped 'a'
  EXPECT_EQ(edit.selectedText(), "42");

  QApplication::clipboard()->setText("abc");
  std::unique_ptr<QString> message(CloseNextModal());
  QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
  if (QApplication::clipboard()->text() != "abc") GTEST_SKIP() << "no clipboard on this platform";
  EXPECT_EQ(edit.text(), "abc");
  EXPECT_TRUE(message->contains("'abc'")) << message->toStdString();
  EXPECT_EQ(edit.Value(), 42);
  edit.Commit();
  EXPECT_EQ(edit.text(), "42");
}

TEST(NumberEditWidget, EnterPressesTheNearestDefaultButton) {
  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  auto* inner = new QWidget(&window);
  auto* innerLayout = new QVBoxLayout(inner);
  auto* edit = new TUpdownNumberEdit(inner);
  innerLayout->addWidget(edit);
  layout->addWidget(inner);
  auto* hidden = new QPushButton("hidden", &window);
  hidden->setDefault(true);
  auto* disabled = new QPushButton("disabled", &window);
  disabled->setDefault(true);
  disabled->setEnabled(false);
  auto* plain = new QPushButton("plain", &window);
  auto* ok = new QPushButton("OK", &window);
  ok->setDefault(true);
  for (auto* b : {disabled, plain, ok}) layout->addWidget(b);
  window.show();
  hidden->hide();

  QSignalSpy okClicks(ok, &QPushButton::clicked), plainClicks(plain, &QPushButton::clicked);
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_EQ(okClicks.count(), 1);
  EXPECT_EQ(plainClicks.count(), 0);
}

TEST(NumberEditWidget, PropertiesByName) {
  TUpdownNumberEdit edit;
  edit.setProperty("Limit", true);
  edit.setProperty("Max", 20.0);
  edit.setProperty("Min", 2.0);
  edit.setProperty("Value", 50.0);
  EXPECT_EQ(edit.property("Value").toDouble(), 20);
  edit.setProperty("NumberType", QVariant::fromValue(TNumberType::ntHex));
  edit.setProperty("Figure", 4);
  EXPECT_EQ(edit.text(), "0014");
  edit.setProperty("LimitOptions",
                   QVariant::fromValue(TNumberEdit::LimitOptionSet(TNumberEdit::loMin)));
  edit.setProperty("Value", 100.0);
  EXPECT_EQ(edit.Value(), 100);
  EXPECT_EQ(edit.property("LimitOptions").value<TNumberEdit::LimitOptionSet>(),
            TNumberEdit::LimitOptionSet(TNumberEdit::loMin));
}
