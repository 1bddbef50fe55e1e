// The gallery's checks find the faults they are there for, and pass a window without them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTabWidget>

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

TEST(DialogChecks, FieldsOfARowOffTheirLevelAreFound) {
  // The marks make the end fields' cells taller; the row still stands on one level.
  PromptForm form = ByteRow("EdData3", "EdData0");
  Shown shown(form);
  EXPECT_FALSE(Mentions(shown.Check(), "different levels")) << All(shown.Check());
  // One field dropped by 8 px, as the marks once pushed the row's ends down.
  QWidget* end = shown.dialog.FieldWidget("EdData0");
  end->move(end->x(), end->y() + 8);
  const auto problems = shown.Check();
  EXPECT_TRUE(Mentions(problems, "the fields of row 1 stand on different levels")) << All(problems);
}

TEST(DialogChecks, AWordSaidTwiceIsFound) {
  PromptForm form;
  form.dialog = "TWrData1_4Dlg";
  form.caption = "SIC7888: WriteBlock";
  form.AddLabel("Label1", "Block").row = 0;
  form.AddLabel("AddrStr", "Block Address(0-43)").row = 0;
  form.AddNumber("EdAddr", "", DecimalSpec(0, 43, true), 3).row = 0;
  form.AddLabel("Label2", "Start page page number").row = 1;
  form.AddLabel("Label3", "Data(HEX)").row = 2;
  form.AddLabel("Label4", "Data (HEX) 0-0").row = 3;
  form.AddOkCancel();
  Shown shown(form);
  const auto problems = shown.Check();
  EXPECT_TRUE(Mentions(problems, "labels \"Block\" and \"Block Address(0-43)\" side by side"))
      << All(problems);
  EXPECT_TRUE(Mentions(problems, "label \"Start page page number\" says a word twice"))
      << All(problems);
  // Words repeated a line apart, and figures, are no fault.
  EXPECT_FALSE(Mentions(problems, "Data")) << All(problems);
}

TEST(DialogChecks, TextsOfTheOtherLanguageAreFound) {
  QWidget window;
  window.setWindowTitle("Tag Data");
  auto* layout = new QVBoxLayout(&window);
  auto* bar = new QMenuBar(&window);
  QMenu* command = bar->addMenu("&Command");
  command->addAction("設定...");
  command->addMenu("LED Test")->addAction("Green ON");
  layout->setMenuBar(bar);
  layout->addWidget(new QLabel("Block Address(0-43)", &window));
  layout->addWidget(new QLabel("ブロック", &window));
  layout->addWidget(new QLabel("Program Data（HEX）", &window));  // full-width brackets: English
  window.resize(300, 200);
  window.move(10, 40);
  window.show();
  QApplication::processEvents();

  const std::set<std::string> english = {"Green ON", "Block Address(0-43)", "Cancel"};
  const auto inEnglish = gallery::CheckLanguage(window, true, english);
  EXPECT_TRUE(Mentions(inEnglish, "Japanese text in the English window: \"設定...\""))
      << All(inEnglish);
  EXPECT_TRUE(Mentions(inEnglish, "\"ブロック\"")) << All(inEnglish);
  EXPECT_EQ(inEnglish.size(), 2u) << All(inEnglish);

  // The same window as the Japanese one: the English forms of known texts, in sub-menus too.
  const auto inJapanese = gallery::CheckLanguage(window, false, english);
  EXPECT_TRUE(Mentions(inJapanese, "English text in the Japanese window: \"Green ON\""))
      << All(inJapanese);
  EXPECT_TRUE(Mentions(inJapanese, "\"Block Address(0-43)\"")) << All(inJapanese);
  EXPECT_FALSE(Mentions(inJapanese, "Tag Data")) << All(inJapanese);
}

TEST(DialogChecks, ATabPageSqueezedIntoAScrollBoxIsFound) {
  // The second page holds far more than the first, as the Industrial tab of the ID write dialogs.
  PromptForm form;
  form.dialog = "TSetID3Dlg";
  form.caption = "SIC7888; Animal ID Write";
  form.AddPage("TabSheet1", "Animal");
  form.AddPage("TabSheet2", "Industrial");
  form.AddNumber("EdCountryCode", "Country Code", DecimalSpec(0, 999, true), 999).page =
      "TabSheet1";
  form.AddRadio("RGHexDecimal2", "ID Code", {"Decimal", "Hexdecimal"}, 0, 2).page = "TabSheet2";
  for (int i = 0; i < 6; ++i)
    form.AddNumber("EdPart" + std::to_string(i), "Part " + std::to_string(i),
                   DecimalSpec(0, 9, true), 0)
        .page = "TabSheet2";
  form.AddOkCancel();
  Shown shown(form);
  auto* tabs = shown.dialog.findChild<QTabWidget*>("PageControl1");
  ASSERT_NE(tabs, nullptr);
  tabs->setCurrentIndex(1);
  QApplication::processEvents();
  // The dialog is sized for its tallest page when it opens.
  EXPECT_FALSE(Mentions(shown.Check(), "scroll box")) << All(shown.Check());

  shown.dialog.resize(shown.dialog.width(), shown.dialog.height() / 2);
  QApplication::processEvents();
  EXPECT_TRUE(Mentions(shown.Check(), "a scroll box squeezes its content")) << All(shown.Check());
}
