// The tag memory viewer's window on the offscreen platform: its menu bar and the "ID(Hex)" label
// that shows the "Configuration" menu when clicked with Ctrl held.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "hdx/disp_tag_data_dlg.h"
#include "hdx/widgets/hdx_renderers.h"
#include "hdx/widgets/tag_viewer_window.h"
#include "prompts/widgets/widget_prompts.h"
#include "tests/hdx/hdx_rig.h"

using namespace hdx_test;

namespace {

QStringList MenuTexts(const QMenuBar* bar) {
  QStringList texts;
  for (const QAction* a : bar->actions())
    if (a->isVisible()) texts << a->text();
  return texts;
}

TEST(ViewerWindow, MenuBarInsteadOfButtonsAndCtrlClickOnTheIdLabel) {
  HdxRig rig({});
  WidgetPrompts prompts(nullptr);
  RegisterHdxDialogRenderers();
  AppCore app(rig.log, prompts, rig.cfg.SettingsPath());
  app.ReaderLevel = 1;  // below 2: "Configuration" starts hidden
  QStringList before, afterPlainClick, afterCtrlClick, fileItems;
  bool settingShown = false;
  int step = 0;
  QTimer poll;
  poll.setInterval(10);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<TagViewerWindow*>(QApplication::activeModalWidget());
    if (!dialog) return;
    auto* bar = dialog->findChild<QMenuBar*>();
    auto* id = dialog->findChild<QLabel*>("Label3");
    ASSERT_TRUE(bar && id);
    switch (step++) {
      case 0:
        before = MenuTexts(bar);
        for (const QAction* a : dialog->findChild<QMenu*>("File1")->actions())
          fileItems << a->objectName() + ":" + a->text();
        for (const char* gone : {"MnSavelog", "MnSetting", "Label3"})
          EXPECT_EQ(dialog->findChild<QPushButton*>(gone), nullptr) << gone;
        EXPECT_EQ(id->text(), "ID(16進)");
        QTest::mouseClick(id, Qt::LeftButton);
        break;
      case 1:
        afterPlainClick = MenuTexts(bar);
        QTest::mouseClick(id, Qt::LeftButton, Qt::ControlModifier);
        break;
      case 2:
        afterCtrlClick = MenuTexts(bar);
        settingShown = dialog->ConfigurationMenu()->actions().value(0)->objectName() == "MnSetting";
        dialog->findChild<QPushButton*>("CancelBtn")->click();
        break;
      default:
        break;
    }
  });
  poll.start();
  MnTgaDataClick(app);
  EXPECT_EQ(before, (QStringList{"ファイル(&F)"}));
  EXPECT_EQ(fileItems, (QStringList{"MnSavelog:保存"}));
  EXPECT_EQ(afterPlainClick, (QStringList{"ファイル(&F)"}))
      << "a click without Ctrl changes nothing";
  EXPECT_EQ(afterCtrlClick, (QStringList{"ファイル(&F)", "設定(&C)"}));
  EXPECT_TRUE(settingShown);
}

}  // namespace
