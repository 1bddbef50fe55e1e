// Dialogs open wholly on the screen of the window they belong to, however small that screen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>
#include <QTimer>

#include "prompts/prompt_dialogs.h"
#include "prompts/widgets/widget_prompts.h"

namespace {

QScreen* ScreenNamed(const QString& name) {
  for (QScreen* s : QGuiApplication::screens())
    if (s->name() == name) return s;
  return nullptr;
}

// The geometry of the modal dialog that `show` opens, with its frame as a window manager adds it.
QRect Opened(const std::function<void()>& show) {
  QRect seen;
  QTimer::singleShot(0, [&] {
    QWidget* d = QApplication::activeModalWidget();
    ASSERT_NE(d, nullptr);
    seen = d->geometry().adjusted(-kWindowFrameSide, -kWindowFrameTop, kWindowFrameSide,
                                  kWindowFrameSide);
    d->close();
  });
  show();
  return seen;
}

PromptForm Tall() {
  PromptForm form;
  form.dialog = "TTallDlg";
  form.caption = "A dialog taller than the small screen";
  for (int i = 0; i < 40; ++i)
    form.AddNumber("Ed" + std::to_string(i), "Field " + std::to_string(i), DecimalSpec(0, 99, true),
                   0);
  form.AddOkCancel();
  return form;
}

}  // namespace

TEST(DialogScreens, ADialogOpensOnTheScreenOfItsWindow) {
  QScreen* right = ScreenNamed("Right");
  ASSERT_NE(right, nullptr) << "the test needs its two-screen configuration";
  QWidget window;
  window.setGeometry(right->geometry().adjusted(40, 40, -40, -40));
  window.show();
  ASSERT_EQ(window.screen(), right);
  WidgetPrompts prompts(&window);
  const QRect small = Opened([&] { ShowInputIntDlg(prompts, "GeneralReadPage", {.label = "p"}); });
  EXPECT_TRUE(right->availableGeometry().contains(small)) << "opened elsewhere";

  PromptForm form = Tall();
  const QRect tall = Opened([&] { prompts.Show(form); });
  EXPECT_TRUE(right->availableGeometry().contains(tall))
      << tall.height() << " px on a screen of " << right->availableGeometry().height();
}

TEST(DialogScreens, WithoutAWindowTheFirstScreenIsUsed) {
  WidgetPrompts prompts(nullptr);
  PromptForm form = Tall();
  const QRect tall = Opened([&] { prompts.Show(form); });
  EXPECT_TRUE(QGuiApplication::primaryScreen()->availableGeometry().contains(tall));
}
