// The multipage editor's window and the group check box widget on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "core/csv.h"
#include "hdx/mpt_editor.h"
#include "hdx/widgets/group_check_box_widget.h"
#include "hdx/widgets/hdx_renderers.h"
#include "hdx/widgets/mpt_editor_window.h"
#include "prompts/widgets/widget_prompts.h"
#include "sim/chips/ti_hdx.h"
#include "tests/hdx/hdx_rig.h"

using namespace hdx_test;

namespace {

const std::array<uint8_t, 8> kExample{0x41, 0x42, 0x00, 0x30, 0xFF, 0x7A, 0x20, 0x31};

class MptWindow : public ::testing::Test {
 protected:
  MptWindow() : rig({MakeChip("ti-mpt")}) { rig.Tag<sim::TiHdxTag>()->SetPage(1, kExample); }
  HdxRig rig;
};

TEST_F(MptWindow, GridShowsTheFormWithBlueCharactersAndFiltersTyping) {
  TMPTDataWriteDlg editor(*rig.app);
  editor.ScanSBtClick();
  MptEditorWindow dialog(editor.Form(), nullptr);
  dialog.Build();
  QTableWidget* grid = dialog.Grid();
  EXPECT_EQ(grid->objectName(), "StringGrid_Hanyou");
  EXPECT_EQ(grid->item(0, 0)->text(), "1");
  EXPECT_EQ(grid->item(0, 0)->foreground().color(), QColor(Qt::blue));
  EXPECT_EQ(grid->item(0, 1)->foreground().color(), QColor(Qt::black));
  EXPECT_EQ(grid->horizontalHeaderItem(8)->text(), "ロック");
  EXPECT_EQ(grid->verticalHeaderItem(16)->text(), "ページ17");
  for (const char* name : {"ScanSBt", "EditSBt", "ApplySBt", "ClearSBt", "SavelogSBt", "ExitBBt",
                           "AllLockBBt", "ASCIISBt", "HEXSBt"})
    EXPECT_TRUE(dialog.findChild<QPushButton*>(name)) << name;
  EXPECT_FALSE(dialog.Button("ApplySBt")->isEnabled());

  // HEX display, then editing: the Lock column hides and typing keeps two hex digits.
  dialog.findChild<QPushButton*>("HEXSBt")->click();
  EXPECT_EQ(grid->item(0, 0)->text(), "31");
  dialog.Button("EditSBt")->click();  // a Return action: the editor carries it out
  editor.Dispatch("EditSBt");
  dialog.SyncFromForm();
  EXPECT_TRUE(grid->isColumnHidden(8));
  std::unique_ptr<QWidget> cellEditor(grid->itemDelegate()->createEditor(
      grid->viewport(), QStyleOptionViewItem(), grid->model()->index(0, 2)));
  auto* edit = qobject_cast<QLineEdit*>(cellEditor.get());
  ASSERT_TRUE(edit);
  QTest::keyClicks(edit, "5G7");
  EXPECT_EQ(edit->text(), "57") << "G is not a hex digit";
  QTest::keyClicks(edit, "9");
  EXPECT_EQ(edit->text(), "57") << "two digits at most";
  grid->item(0, 2)->setText("5X");  // a committed cell goes through the editor's rules too
  EXPECT_EQ(editor.Grid().Cell(2, 0), "5");
  EXPECT_EQ(grid->item(0, 2)->text(), "5");
  EXPECT_TRUE(dialog.LockGroup()->isEnabled());
  dialog.LockGroup()->ItemBox(3)->click();
  EXPECT_TRUE(editor.GroupCheckBox1.Items.GetItem(3).Checked());
}

TEST_F(MptWindow, TheWindowStaysOpenWhileItScans) {
  WidgetPrompts prompts(nullptr);
  RegisterHdxDialogRenderers();
  AppCore app(rig.log, prompts, rig.cfg.SettingsPath());
  app.SetComm(std::make_unique<TTirisC1Dlg>(rig.cfg.SettingsPath(), &rig.log));
  app.Link().SetBaudRate(TBaudRate::br57600);
  rig.app->CloseComm();
  app.Link().OpenNamedPort(rig.sim->DevicePath());
  bool scanned = false;
  QTimer poll;
  poll.setInterval(10);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<MptEditorWindow*>(QApplication::activeModalWidget());
    if (!dialog) return;
    if (!scanned) {
      scanned = true;
      dialog->Button("ScanSBt")->click();
    } else if (dialog->Grid()->item(16, 8)->text() == "0" &&
               dialog->Button("ExitBBt")->isEnabled()) {
      dialog->Button("ExitBBt")->click();
    }
  });
  poll.start();
  RunMptEditor(app);
  EXPECT_TRUE(scanned);
  EXPECT_EQ(rig.SentCount(0x12), 17);
  app.CloseComm();
}

// SAVE LOG from the window: a tag whose memory shows a quote, a comma and formula characters in
// ASCII display. The cells with a quote or a comma are quoted, those a spreadsheet would run as
// formulas get an apostrophe, and a CSV reader reads back the 20 records the file holds.
TEST(MptWindowSaveLog, QuotesCommasAndFormulaCellsBecomeCsvText) {
  HdxRig rig({MakeChip("ti-mpt")});
  rig.Tag<sim::TiHdxTag>()->SetPage(1, {0x22, 0x2C, 0x3D, 0x2B, 0x2D, 0x40, 0x41, 0x27});
  TMPTDataWriteDlg editor(*rig.app);
  editor.ScanSBtClick();
  MptEditorWindow dialog(editor.Form(), nullptr);
  dialog.Build();
  // Through HEX back to ASCII: every byte 0x21-0x7E shows as its character.
  dialog.findChild<QPushButton*>("HEXSBt")->click();
  dialog.findChild<QPushButton*>("ASCIISBt")->click();
  QTableWidget* grid = dialog.Grid();
  const std::vector<std::string> shown = {"'", "A", "@", "-", "+", "=", ",", "\""};
  for (int c = 0; c < 8; ++c) EXPECT_EQ(grid->item(0, c)->text().toStdString(), shown[c]) << c;
  const std::string lock = grid->item(0, 8)->text().toStdString();

  const std::string path = rig.cfg.Path("datalist.csv");
  rig.prompts.SetSaveFileName(path);
  dialog.Button("SavelogSBt")->click();  // a Return action: the editor carries it out
  editor.Dispatch("SavelogSBt");
  // The user is told where the record went.
  EXPECT_EQ(rig.prompts.messages, (std::vector<std::string>{"ファイルに追記しました: " + path}));
  const std::string text = TempConfig::ReadFile(path);
  EXPECT_NE(text.find("\r\nPage : 1,',A,'@,'-,'+,'=,\",\",\"\"\"\"," + lock + "\r\nPage : 2,"),
            std::string::npos)
      << text;
  std::vector<csv::Record> records;
  csv::Reader reader(text);
  for (csv::Record r; reader.Next(r);) records.push_back(r);
  EXPECT_EQ(reader.Error(), "");
  ASSERT_EQ(records.size(), 20u) << "an empty line, the date, the header and 17 pages";
  EXPECT_EQ(records[3].fields, (std::vector<std::string>{"Page : 1", "'", "A", "'@", "'-", "'+",
                                                         "'=", ",", "\"", lock}));
  EXPECT_EQ(records[19].fields.front(), "Page : 17");
}

TEST(GroupCheckBoxWidget, ItemsFollowTheLayoutFormulaAndReadOnly) {
  TGroupCheckBoxWidget w;
  w.setObjectName("GroupCheckBox1");
  for (int i = 0; i < 4; ++i) w.Model().Items.Add();
  w.Model().SetColumns(2);
  w.Model().SetCaption("Lock page");
  w.SyncFromModel();
  w.resize(200, 120);
  w.show();
  const auto rects =
      w.Model().Layout(200, 120, w.fontMetrics().height(), w.ItemBox(0)->sizeHint().height());
  EXPECT_EQ(w.ItemBox(3)->geometry(),
            QRect(rects[3].left, rects[3].top, rects[3].width, rects[3].height));
  EXPECT_EQ(w.ItemBox(2)->objectName(), "GroupCheckBox1_2");
  int clicks = 0;
  QObject::connect(&w, &TGroupCheckBoxWidget::ItemClicked, [&](int) { ++clicks; });
  w.Model().ReadOnly = true;
  w.ItemBox(1)->click();
  EXPECT_FALSE(w.ItemBox(1)->isChecked()) << "read-only: the click does not toggle";
  w.Model().ReadOnly = false;
  w.ItemBox(1)->click();
  EXPECT_TRUE(w.Model().Items.GetItem(1).Checked());
  EXPECT_EQ(clicks, 2);
  w.Model().Enabled = false;
  w.SyncFromModel();
  EXPECT_FALSE(w.ItemBox(0)->isEnabled());
  w.Model().Border = false;
  EXPECT_FALSE(w.grab().isNull());
}

}  // namespace
