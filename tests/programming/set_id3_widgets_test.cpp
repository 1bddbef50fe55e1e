// The plain animal-ID dialog on the screen: the tab in front and the form's active page follow
// each other, which is what decides between an animal and an industrial write.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include "core/settings.h"
#include "fdx/set_id3_dlg.h"
#include "prompts/widgets/widget_prompts.h"

namespace {

QTabWidget* Tabs(WidgetPrompts& prompts, const PromptForm& form) {
  PromptDialog* d = prompts.OpenDialog(form);
  return d ? d->findChild<QTabWidget*>("PageControl1") : nullptr;
}

void Click(WidgetPrompts& prompts, const PromptForm& form, const char* button) {
  PromptDialog* d = prompts.OpenDialog(form);
  ASSERT_NE(d, nullptr);
  d->findChild<QPushButton*>(button)->click();
}

TEST(SetId3Widgets, TabInFrontAndActivePageFollowEachOther) {
  WidgetPrompts prompts(nullptr);
  PromptForm form = MakeSetID3Dlg(SetId3Mode::Sic279, OptionSettings{}, 999);
  std::vector<std::string> changes;
  form.onChange = [&changes, behaviour = form.onChange](PromptForm& f, const std::string& field) {
    changes.push_back(field);
    behaviour(f, field);
  };
  QString first, caption;
  QTimer::singleShot(0, [&] {
    QTabWidget* tabs = Tabs(prompts, form);
    ASSERT_NE(tabs, nullptr);
    first = tabs->currentWidget()->objectName();
    caption = tabs->tabText(0);
    tabs->setCurrentIndex(0);  // the user picks "Animal"
    Click(prompts, form, "OKBtn");
  });
  EXPECT_EQ(prompts.Interact(form), "OKBtn");
  EXPECT_EQ(first, "TabSheet2") << "opens on \"Industrial\"";
  EXPECT_EQ(caption, "動物用");
  EXPECT_EQ(form.activePage, "TabSheet1");
  EXPECT_EQ(changes, (std::vector<std::string>{"PageControl1"}));

  form.activePage = "TabSheet2";  // the handler's choice reaches the screen
  prompts.Refresh(form);
  EXPECT_EQ(Tabs(prompts, form)->currentWidget()->objectName(), "TabSheet2");
  EXPECT_EQ(changes.size(), 1u) << "a change by the program raises no onChange";

  QTimer::singleShot(0, [&] { Click(prompts, form, "CancelBtn"); });
  EXPECT_EQ(prompts.Interact(form), "CancelBtn");
  EXPECT_EQ(prompts.OpenDialog(form), nullptr);
}

}  // namespace
