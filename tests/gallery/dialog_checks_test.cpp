// The gallery's checks find the faults they are there for, and pass a window without them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>

#include "prompts/widgets/prompt_dialog.h"
#include "tests/gallery/dialog_checks.h"

namespace {

const QRect kScreen(0, 0, 1280, 800);

bool Mentions(const std::vector<std::string>& problems, const std::string& part) {
  for (const std::string& p : problems)
    if (p.find(part) != std::string::npos) return true;
  return false;
}

std::string All(const std::vector<std::string>& problems) {
  std::string s;
  for (const std::string& p : problems) s += p + "\n";
  return s;
}

// Four byte fields EdData3 .. EdData0 in one row, the marks over the fields named.
PromptForm ByteRow(const std::string& msbOver, const std::string& lsbOver) {
  PromptForm form;
  form.dialog = "TByteRowDlg";
  form.caption = "ProtectedWrite";
  form.AddLabel("Label2", "Data(HEX)").row = 0;
  for (int i = 3; i >= 0; --i)
    form.AddNumber("EdData" + std::to_string(i), "", HexSpec(0, 255, true, 2), 0).row = 1;
  form.AddLabel("Label3", "MSB").over = msbOver;
  form.AddLabel("Label4", "LSB").over = lsbOver;
  form.AddOkCancel();
  return form;
}

struct Shown {
  explicit Shown(PromptForm& form) : dialog(form, nullptr) {
    dialog.Build();
    dialog.FitTo(QGuiApplication::primaryScreen());
    dialog.move(100, 100);
    dialog.show();
    QApplication::processEvents();
  }
  std::vector<std::string> Check() {
    return gallery::CheckWindow(dialog, &dialog.Form(), kScreen, {});
  }
  PromptDialog dialog;
};

}  // namespace

TEST(DialogChecks, AByteRowWithItsMarksOverItsEndsPasses) {
  PromptForm form = ByteRow("EdData3", "EdData0");
  Shown shown(form);
  EXPECT_TRUE(shown.Check().empty()) << All(shown.Check());
}

TEST(DialogChecks, MarksOverTheWrongBytesAreFound) {
  // "LSB" over the third of four fields, as the write dialogs once had it.
  PromptForm form = ByteRow("EdData3", "EdData1");
  Shown shown(form);
  const auto problems = shown.Check();
  EXPECT_TRUE(Mentions(problems, "not over the rightmost field EdData0")) << All(problems);
  EXPECT_FALSE(Mentions(problems, "leftmost")) << All(problems);

  // A mark over a hidden field shows over nothing.
  PromptForm hidden = ByteRow("EdData3", "EdData0");
  hidden.Field("EdData3").visible = false;
  Shown shownHidden(hidden);
  EXPECT_TRUE(Mentions(shownHidden.Check(), "which is not shown")) << All(shownHidden.Check());

  // With the whole row hidden the marks only stand where it would be.
  PromptForm noRow = ByteRow("EdData3", "EdData0");
  for (int i = 0; i < 4; ++i) noRow.Field("EdData" + std::to_string(i)).visible = false;
  Shown shownNoRow(noRow);
  EXPECT_TRUE(shownNoRow.Check().empty()) << All(shownNoRow.Check());
}

TEST(DialogChecks, CutTextsAndTitlesAreFound) {
  QWidget window;
  window.setWindowTitle("SIC7888: WriteBlock with a title far longer than the window");
  auto* layout = new QVBoxLayout(&window);
  auto* label = new QLabel("Block Address(0-43)", &window);
  label->setObjectName("AddrStr");
  label->setFixedWidth(30);
  layout->addWidget(label);
  window.setFixedSize(200, 80);
  window.move(10, 40);
  window.show();
  QApplication::processEvents();
  const auto problems = gallery::CheckWindow(window, nullptr, kScreen, {});
  EXPECT_TRUE(Mentions(problems, "label AddrStr \"Block Address(0-43)\" is cut")) << All(problems);
  EXPECT_TRUE(Mentions(problems, "title \"SIC7888: WriteBlock")) << All(problems);
}

TEST(DialogChecks, AWindowBeyondTheScreenIsFound) {
  QWidget window;
  window.setWindowTitle("EEPROM");
  window.setGeometry(100, 100, 853, 1075);
  window.show();
  QApplication::processEvents();
  EXPECT_TRUE(Mentions(gallery::CheckWindow(window, nullptr, kScreen, {}), "does not fit"));
  // Under the title bar of a window manager the top edge is off the screen too.
  window.setGeometry(100, 0, 300, 200);
  QApplication::processEvents();
  EXPECT_TRUE(Mentions(gallery::CheckWindow(window, nullptr, kScreen, {}), "does not fit"));
}

TEST(DialogChecks, ComponentNamesShownAsTextAreFound) {
  PromptForm form;
  form.dialog = "TWrData1_4Dlg";
  form.caption = "SIC7888: WriteBlock";
  form.AddLabel("Label1", "Block").group = "Panel1";
  form.AddLabel("Busy", "MnChargeOnlyReadCmd1").row = 1;
  form.AddOkCancel();
  Shown shown(form);
  const auto problems = shown.Check();
  EXPECT_TRUE(Mentions(problems, "component name \"Panel1\"")) << All(problems);
  EXPECT_TRUE(Mentions(problems, "component name \"MnChargeOnlyReadCmd1\"")) << All(problems);
  EXPECT_FALSE(Mentions(problems, "\"Block\"")) << All(problems);
}

TEST(DialogChecks, MenusWithoutOrWithTheSameMnemonicAreFound) {
  QWidget window;
  window.setWindowTitle("Tag Data");
  auto* layout = new QVBoxLayout(&window);
  auto* bar = new QMenuBar(&window);
  bar->addMenu("&File");
  bar->addMenu("Configuration");
  bar->addMenu("&FDX Tag");
  layout->setMenuBar(bar);
  window.resize(400, 200);
  window.move(10, 40);
  window.show();
  QApplication::processEvents();
  const auto problems = gallery::CheckWindow(window, nullptr, kScreen, {});
  EXPECT_TRUE(Mentions(problems, "menu \"Configuration\" has no mnemonic")) << All(problems);
  EXPECT_TRUE(Mentions(problems, "menus \"&File\" and \"&FDX Tag\" share")) << All(problems);
}
