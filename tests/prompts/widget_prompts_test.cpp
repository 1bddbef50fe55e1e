#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <functional>

#include <unistd.h>

#include "prompts/prompt_dialogs.h"
#include "prompts/widgets/number_edit.h"
#include "prompts/widgets/widget_prompts.h"

namespace {

// Runs `act` on the modal dialog as soon as the event loop of its exec() runs. `act` ends with
// what should close the dialog; a dialog still open then is a failure, and is closed so that the
// test goes on instead of hanging.
void OnModal(std::function<void(QWidget*)> act) {
  QTimer::singleShot(0, [act = std::move(act)] {
    QWidget* modal = QApplication::activeModalWidget();
    ASSERT_NE(modal, nullptr);
    act(modal);
    if (QApplication::activeModalWidget() == modal) {
      ADD_FAILURE() << modal->objectName().toStdString() << " is still open";
      if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->done(QDialog::Rejected);
    }
  });
}

template <typename T>
T* Child(QWidget* dialog, const char* name) {
  T* w = dialog->findChild<T*>(name);
  EXPECT_NE(w, nullptr) << name;
  return w;
}

}  // namespace

TEST(WidgetPrompts, EnterInTheNumberFieldClosesWithOk) {
  WidgetPrompts prompts(nullptr);
  QString caption, label;
  OnModal([&](QWidget* d) {
    EXPECT_EQ(d->objectName(), "TInputIntDlg");
    caption = d->windowTitle();
    label = Child<QLabel>(d, "STTitle")->text();
    auto* edit = Child<TUpdownNumberEdit>(d, "IntEd");
    edit->selectAll();
    QTest::keyClicks(edit, "200");
    QTest::keyClick(edit, Qt::Key_Return);
  });
  auto value = ShowInputIntDlg(
      prompts, "Set  LF transmission Level",
      {.label = "Set the transmission level (MAX: 50)", .value = 20, .min = 1, .max = 50});
  EXPECT_EQ(value, 200);  // limit off: the range is carried, not enforced
  EXPECT_EQ(caption, "Set  LF transmission Level");
  EXPECT_EQ(label, "Set the transmission level (MAX: 50)");
}

TEST(WidgetPrompts, EscapeAndTheCloseBoxCancel) {
  WidgetPrompts prompts(nullptr);
  OnModal([](QWidget* d) { QTest::keyClick(d, Qt::Key_Escape); });
  EXPECT_EQ(ShowInputIntDlg(prompts, "x", {.value = 3}), std::nullopt);
  OnModal([](QWidget* d) { d->close(); });
  EXPECT_EQ(ShowSelInp1Dlg(prompts, "x", "y", {"a"}, 0), std::nullopt);
  OnModal([](QWidget* d) { Child<QPushButton>(d, "CancelBtn")->click(); });
  EXPECT_EQ(ShowInp3Data1Dlg(prompts, "x", {}, {}, {}), std::nullopt);
}

TEST(WidgetPrompts, ComboChangeDrivesTheVisibleFields) {
  WidgetPrompts prompts(nullptr);
  std::vector<bool> before, after;
  OnModal([&](QWidget* d) {
    auto visible = [d] {
      return std::vector<bool>{Child<QLabel>(d, "STTitle")->isVisible(),
                               Child<QLabel>(d, "STTitle2")->isVisible(),
                               Child<QWidget>(d, "IntEd")->isVisible()};
    };
    before = visible();
    auto* combo = Child<QComboBox>(d, "ComboBox1");
    QTest::keyClick(combo, Qt::Key_Down);  // LF_ON
    QTest::keyClick(combo, Qt::Key_Down);  // LF_ON2
    after = visible();
    Child<QPushButton>(d, "OKBtn")->click();
  });
  auto r =
      ShowInputIntDlg2(prompts, "LF ON command", {.label = "t", .value = 3000, .max = 10000}, "t2");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->mode, 2);
  EXPECT_EQ(r->value, 3000);
  EXPECT_EQ(before, (std::vector<bool>{false, false, false}));
  EXPECT_EQ(after, (std::vector<bool>{true, true, true}));
}

TEST(WidgetPrompts, HanyousettingPagesAndTagTypeEnabling) {
  WidgetPrompts prompts(nullptr);
  bool enabledBefore = true, enabledAfter = false;
  OnModal([&](QWidget* d) {
    EXPECT_EQ(d->objectName(), "THanyousettingDlg");
    auto* tabs = Child<QTabWidget>(d, "PageControl1");
    EXPECT_FALSE(tabs->isTabVisible(0));
    EXPECT_TRUE(tabs->isTabVisible(1));
    EXPECT_EQ(tabs->currentWidget()->objectName(), "TabSheet2");
    EXPECT_EQ(tabs->tabText(1), "タグデータ");
    auto* group = Child<QGroupBox>(d, "RG_TagType");
    enabledBefore = group->isEnabled();
    Child<QCheckBox>(d, "CB_KoteiMode")->click();
    enabledAfter = group->isEnabled();
    Child<QRadioButton>(group, "RG_TagType_2")->click();
    Child<QPushButton>(d, "Button1")->click();
  });
  auto r =
      ShowHanyousettingDlg(prompts, HanyouPage::TagData, {.CB_FastMode_DispTagData = true}, true);
  ASSERT_TRUE(r);
  EXPECT_FALSE(enabledBefore);
  EXPECT_TRUE(enabledAfter);
  EXPECT_TRUE(r->CB_KoteiMode);
  EXPECT_TRUE(r->CB_FastMode_DispTagData);
  EXPECT_EQ(r->RG_TagType, 2);
}

TEST(WidgetPrompts, RendersEveryKindAndReadsAnswersBack) {
  PromptForm form;
  form.dialog = "TKindsDlg";
  form.caption = "Kinds";
  form.AddText("EdName", "Name", "abc").row = 0;
  form.AddChoice("LBList", "", {"a", "b", "c"}, 1).choiceStyle = ChoiceStyle::List;
  form.AddRadio("RGFour", "Four", {"1", "2", "3", "4"}, 3, 2).group = "Box";
  PromptField& table = form.AddTable("StringGrid1", 3, 2);
  table.cells = {{"H1", "H2"}, {"a", "b"}, {"c", "d"}};
  table.cellColors[2][1] = 0xFF0000;
  form.AddMemo("Memo1").lines = {"one", "two"};
  PromptField& panel = form.AddPanel("Panel_OKNG", "Read Status");
  panel.color = 0x008000;
  form.AddOkCancel();

  WidgetPrompts prompts(nullptr);
  OnModal([&](QWidget* d) {
    EXPECT_EQ(Child<QLabel>(d, "EdNameLabel")->text(), "Name");
    auto* grid = Child<QTableWidget>(d, "StringGrid1");
    EXPECT_EQ(grid->rowCount(), 2);
    EXPECT_EQ(grid->horizontalHeaderItem(1)->text(), "H2");
    EXPECT_EQ(grid->item(1, 1)->text(), "d");
    EXPECT_EQ(grid->item(1, 1)->foreground().color(), QColor(0xFF, 0, 0));
    EXPECT_EQ(Child<QPlainTextEdit>(d, "Memo1")->toPlainText(), "one\ntwo");
    auto* status = Child<QLabel>(d, "Panel_OKNG");
    EXPECT_EQ(status->text(), "Read Status");
    EXPECT_EQ(status->palette().color(QPalette::Window), QColor(0, 0x80, 0));
    auto* radios = Child<QGroupBox>(d, "RGFour");
    EXPECT_EQ(radios->title(), "Four");
    EXPECT_TRUE(Child<QRadioButton>(radios, "RGFour_3")->isChecked());
    // Two columns filled column by column: item 2 heads the second column.
    EXPECT_EQ(Child<QRadioButton>(radios, "RGFour_2")->x(),
              Child<QRadioButton>(radios, "RGFour_3")->x());
    EXPECT_LT(Child<QRadioButton>(radios, "RGFour_1")->x(),
              Child<QRadioButton>(radios, "RGFour_2")->x());

    auto* edit = Child<QLineEdit>(d, "EdName");
    edit->selectAll();
    QTest::keyClicks(edit, "xyz");
    Child<QListWidget>(d, "LBList")->setCurrentRow(2);
    Child<QRadioButton>(radios, "RGFour_0")->click();
    grid->item(0, 0)->setText("A");
    Child<QPushButton>(d, "OKBtn")->click();
  });
  ASSERT_TRUE(prompts.Show(form));
  EXPECT_EQ(form.Field("EdName").text, "xyz");
  EXPECT_EQ(form.Field("LBList").index, 2);
  EXPECT_EQ(form.Field("RGFour").index, 0);
  EXPECT_EQ(form.Field("StringGrid1").cells[1][0], "A");
}

TEST(WidgetPrompts, InteractKeepsTheDialogOpenBetweenCalls) {
  PromptForm form;
  form.dialog = "TScanDlg";
  form.AddMemo("Memo1").readOnly = true;
  form.AddText("EdFill", "", "");
  form.AddAction("FillBtn", "Fill", ActionKind::Local);
  form.AddAction("ScanSBt", "Scan", ActionKind::Return);
  form.AddOkCancel();
  int fills = 0;
  form.onAction = [&](PromptForm& f, const std::string& action) {
    if (action == "FillBtn") f.Field("EdFill").text = "filled " + std::to_string(++fills);
  };

  WidgetPrompts prompts(nullptr);
  QString filled;
  QTimer::singleShot(0, [&] {
    PromptDialog* d = prompts.OpenDialog(form);
    ASSERT_NE(d, nullptr);
    d->ActionButton("FillBtn")->click();  // runs the behaviour, stays open
    filled = Child<QLineEdit>(d, "EdFill")->text();
    d->ActionButton("ScanSBt")->click();
  });
  EXPECT_EQ(prompts.Interact(form), "ScanSBt");
  EXPECT_EQ(filled, "filled 1");
  PromptDialog* d = prompts.OpenDialog(form);
  ASSERT_NE(d, nullptr);
  EXPECT_TRUE(d->isVisible());

  // The handler works: its log reaches the open dialog.
  form.Field("Memo1").lines = {"TX: 02", "RX: 03"};
  prompts.Refresh(form);
  EXPECT_EQ(Child<QPlainTextEdit>(d, "Memo1")->toPlainText(), "TX: 02\nRX: 03");

  // A press while the handler works is answered by the next call at once.
  d->ActionButton("ScanSBt")->click();
  EXPECT_EQ(prompts.Interact(form), "ScanSBt");
  d->close();  // the close box is the Cancel action
  EXPECT_EQ(prompts.Interact(form), "CancelBtn");
  EXPECT_EQ(prompts.OpenDialog(form), nullptr);
}

namespace {

// A grid drawn by the renderer itself: one view of its own, the other fields generic.
class OwnerDrawnView : public FieldView {
 public:
  QWidget* Create(const PromptField&, QWidget* parent, FieldHost&) override {
    return new QLabel("owner-drawn", parent);
  }
  void Sync(const PromptField&) override {}
};

class LabelGridDialog : public PromptDialog {
 public:
  using PromptDialog::PromptDialog;

 protected:
  std::unique_ptr<FieldView> MakeView(const PromptField& field) override {
    if (field.name != "StringGrid1") return PromptDialog::MakeView(field);
    return std::make_unique<OwnerDrawnView>();
  }
};

}  // namespace

TEST(WidgetPrompts, RegisteredRendererReplacesTheGenericLook) {
  RegisterDialogRenderer("TBespokeDlg", [](PromptForm& form, QWidget* parent) {
    return std::make_unique<LabelGridDialog>(form, parent);
  });
  PromptForm form;
  form.dialog = "TBespokeDlg";
  form.AddTable("StringGrid1", 2, 2);
  form.AddCheck("CBLock", "Lock", false);
  form.AddOkCancel();
  WidgetPrompts prompts(nullptr);
  OnModal([](QWidget* d) {
    EXPECT_NE(dynamic_cast<LabelGridDialog*>(d), nullptr);
    EXPECT_EQ(Child<QLabel>(d, "StringGrid1")->text(), "owner-drawn");
    Child<QCheckBox>(d, "CBLock")->click();  // the other fields stay generic
    Child<QPushButton>(d, "OKBtn")->click();
  });
  ASSERT_TRUE(prompts.Show(form));
  EXPECT_TRUE(form.Field("CBLock").checked);
}

TEST(WidgetPrompts, ProgressDialogContinueFlag) {
  WidgetPrompts prompts(nullptr);
  auto progress = prompts.CreateProgress();
  EXPECT_TRUE(progress->Continue());
  progress->SetLabel("Command Execution...");
  progress->SetBarVisible(false);
  progress->Show();
  TGuage1Dlg* dlg = nullptr;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* g = qobject_cast<TGuage1Dlg*>(w)) dlg = g;
  ASSERT_NE(dlg, nullptr);
  EXPECT_TRUE(dlg->isVisible());
  EXPECT_FALSE(dlg->isModal());
  EXPECT_EQ(dlg->Label1->text(), "Command Execution...");
  EXPECT_FALSE(dlg->Panel2->isVisible());
  EXPECT_EQ(dlg->Button1->text(), "キャンセル(&C)");
  dlg->Button1->click();
  EXPECT_FALSE(progress->Continue());
  progress->Show();
  EXPECT_TRUE(progress->Continue());
  progress->Close();
  EXPECT_FALSE(dlg->isVisible());
}

TEST(WidgetPrompts, MessageAndConfirmBoxes) {
  WidgetPrompts prompts(nullptr);
  QString text, title;
  OnModal([&](QWidget* d) {
    auto* box = qobject_cast<QMessageBox*>(d);
    ASSERT_NE(box, nullptr);
    text = box->text();
    title = box->windowTitle();
    box->button(QMessageBox::Ok)->click();
  });
  prompts.Message("Port open failed", "Error");
  EXPECT_EQ(text, "Port open failed");
  EXPECT_EQ(title, "Error");

  OnModal([](QWidget* d) { qobject_cast<QMessageBox*>(d)->button(QMessageBox::No)->click(); });
  EXPECT_FALSE(prompts.Confirm("Write?", "Confirm", ConfirmButtons::YesNo));
  OnModal([](QWidget* d) { qobject_cast<QMessageBox*>(d)->button(QMessageBox::Ok)->click(); });
  EXPECT_TRUE(prompts.Confirm("Write?", "Confirm", ConfirmButtons::OkCancel));
}

TEST(WidgetPrompts, EnterOnAConfirmationBeforeWhatCannotBeUndoneSaysNo) {
  WidgetPrompts prompts(nullptr);
  const auto enter = [](QWidget* d) { QTest::keyClick(d, Qt::Key_Return); };
  OnModal(enter);
  EXPECT_FALSE(prompts.Confirm("Can not rewrite data but is good?", "Lock", ConfirmButtons::YesNo));
  OnModal(enter);
  EXPECT_FALSE(prompts.Confirm("Lock the page?", "Write", ConfirmButtons::OkCancel));
  // An instruction the user carries out first goes on with Enter.
  OnModal(enter);
  EXPECT_TRUE(prompts.Confirm("Take the tag away", "Check", ConfirmButtons::InstructionOkCancel));
  OnModal([](QWidget* d) { QTest::keyClick(d, Qt::Key_Escape); });
  EXPECT_FALSE(prompts.Confirm("Lock?", "Lock", ConfirmButtons::YesNo));
}

TEST(WidgetPrompts, DigitsTypedAtOnceGoIntoTheFirstFieldAndEnterSendsThem) {
  WidgetPrompts prompts(nullptr);
  // Nothing is clicked first: the keys go where the dialog put the focus.
  auto typeAndEnter = [](const QString& keys, QString* focused) {
    return [keys, focused](QWidget* d) {
      QWidget* f = d->focusWidget();
      ASSERT_NE(f, nullptr);
      *focused = f->objectName();
      QTest::keyClicks(f, keys);
      QTest::keyClick(f, Qt::Key_Return);
    };
  };
  QString focused;
  OnModal(typeAndEnter("5", &focused));
  const auto block =
      ShowInp3Data1Dlg(prompts, "ReadBlock", {.label = "Block", .value = 0, .max = 15},
                       {.visible = false}, {.visible = false});
  ASSERT_TRUE(block.has_value());
  EXPECT_EQ(block->IntEd1, 5);
  EXPECT_EQ(focused, "IntEd1");
  // The initial value is selected, so the digit replaces it.
  OnModal(typeAndEnter("3", &focused));
  EXPECT_EQ(
      ShowInputIntDlg(prompts, "LockPageCmd", {.label = "Page", .value = 1, .min = 1, .max = 16}),
      3);
  EXPECT_EQ(focused, "IntEd");
  // A field the caller hides or disables is passed by.
  OnModal(typeAndEnter("7", &focused));
  const auto second = ShowInp3Data1Dlg(prompts, "x", {.value = 1, .enabled = false},
                                       {.value = 2, .max = 99}, {.visible = false});
  ASSERT_TRUE(second.has_value());
  EXPECT_EQ(second->IntEd2, 7);
  EXPECT_EQ(focused, "IntEd2");
}

TEST(WidgetPrompts, AListDialogOpensWithTheFocusOnItsSelectedEntry) {
  WidgetPrompts prompts(nullptr);
  PromptForm form;
  form.dialog = "TListDlg";
  form.caption = "Ports";
  PromptField& list = form.AddChoice("LBPorts", "", {"COM1", "COM3", "COM9"}, 1);
  list.choiceStyle = ChoiceStyle::List;
  list.itemDetails = {"/dev/ttyS0", "", "/dev/pts/4  qzh"};
  form.AddCheck("CBScan", "Scan", false);
  form.AddOkCancel();
  QStringList shown;
  OnModal([&](QWidget* d) {
    auto* lb = Child<QListWidget>(d, "LBPorts");
    ASSERT_EQ(d->focusWidget(), lb);
    EXPECT_EQ(lb->currentRow(), 1);
    for (int i = 0; i < lb->count(); ++i) shown << lb->item(i)->text();
    QTest::keyClick(lb, Qt::Key_Down);  // arrow keys work at once
    QTest::keyClick(lb, Qt::Key_Return);
  });
  ASSERT_TRUE(prompts.Show(form));
  EXPECT_EQ(form.Field("LBPorts").index, 2);
  EXPECT_EQ(shown, (QStringList{"COM1    /dev/ttyS0", "COM3", "COM9    /dev/pts/4  qzh"}));
}

namespace {

// The rectangle of a widget in global coordinates.
QRect Global(const QWidget* w) {
  return QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
}

bool StandsOver(const QWidget* caption, const QWidget* field) {
  const QRect c = Global(caption), f = Global(field);
  return c.center().x() >= f.left() && c.center().x() <= f.right() && c.bottom() <= f.top();
}

PromptForm ByteRowForm() {
  PromptForm form;
  form.dialog = "TRowDlg";
  form.caption = "Row";
  form.AddLabel("Label2", "Data(HEX)").row = 0;
  for (int i = 3; i >= 0; --i)
    form.AddNumber("EdData" + std::to_string(i), "", HexSpec(0, 255, true, 2), 0).row = 1;
  form.AddLabel("Label3", "MSB").over = "EdData3";
  form.AddLabel("Label4", "LSB").over = "EdData0";
  form.AddOkCancel();
  return form;
}

}  // namespace

TEST(WidgetPrompts, MarksStandOverTheFieldsTheyNameAndFollowTheForm) {
  PromptForm form = ByteRowForm();
  PromptDialog d(form, nullptr);
  d.Build();
  d.show();
  QApplication::processEvents();
  auto* msb = Child<QLabel>(&d, "Label3");
  auto* lsb = Child<QLabel>(&d, "Label4");
  EXPECT_TRUE(StandsOver(msb, d.FieldWidget("EdData3")));
  EXPECT_TRUE(StandsOver(lsb, d.FieldWidget("EdData0")));
  EXPECT_FALSE(StandsOver(lsb, d.FieldWidget("EdData1")));

  // Fewer bytes shown: the form moves its mark, the dialog follows.
  form.Field("EdData3").visible = false;
  form.Field("Label3").over = "EdData2";
  d.SyncFromForm();
  QApplication::processEvents();
  EXPECT_TRUE(StandsOver(msb, d.FieldWidget("EdData2")));
  EXPECT_TRUE(msb->isVisible());
}

TEST(WidgetPrompts, FieldsInColumnsLineUpAcrossRows) {
  PromptForm form;
  form.dialog = "TGridDlg";
  form.caption = "Grid";
  const char* captions[] = {"A", "A much longer caption", "Mid"};
  for (int r = 0; r < 3; ++r) {
    PromptField& f =
        form.AddNumber("Ed" + std::to_string(r), captions[r], DecimalSpec(0, 9, true), 0);
    f.row = r;
    f.column = 0;
    PromptField& unit = form.AddLabel("Unit" + std::to_string(r), "ms");
    unit.row = r;
    unit.column = 2;
  }
  form.AddOkCancel();
  PromptDialog d(form, nullptr);
  d.Build();
  d.show();
  QApplication::processEvents();
  for (int r = 1; r < 3; ++r) {
    EXPECT_EQ(Global(d.FieldWidget("Ed" + std::to_string(r))).left(),
              Global(d.FieldWidget("Ed0")).left());
    EXPECT_EQ(Global(d.FieldWidget("Unit" + std::to_string(r))).left(),
              Global(d.FieldWidget("Unit0")).left());
  }
  EXPECT_GT(Global(d.FieldWidget("Ed0")).left(), Global(Child<QLabel>(&d, "Ed1Label")).right());
}

TEST(WidgetPrompts, ATallDialogOpensOnTheScreenAndScrollsWithItsButtonsInView) {
  PromptForm form;
  form.dialog = "TTallDlg";
  form.caption = "Tall";
  for (int i = 0; i < 60; ++i)
    form.AddNumber("Ed" + std::to_string(i), "Field " + std::to_string(i), DecimalSpec(0, 9, true),
                   0);
  form.AddOkCancel();
  WidgetPrompts prompts(nullptr);
  OnModal([](QWidget* d) {
    const QRect screen = d->screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(d->frameGeometry())) << d->height() << " on " << screen.height();
    auto* area = d->findChild<QScrollArea*>();
    ASSERT_NE(area, nullptr);
    EXPECT_GT(area->verticalScrollBar()->maximum(), 0) << "the fields scroll";
    auto* ok = Child<QPushButton>(d, "OKBtn");
    EXPECT_TRUE(
        QRect(QPoint(0, 0), d->size()).contains(QRect(ok->mapTo(d, QPoint(0, 0)), ok->size())))
        << "the buttons stay below the scrolled fields";
    // It can be made smaller than its content, and no smaller than its title.
    EXPECT_LT(d->minimumHeight(), d->height());
    ok->click();
  });
  EXPECT_TRUE(prompts.Show(form));
}

TEST(WidgetPrompts, ADialogIsAtLeastAsWideAsItsTitle) {
  WidgetPrompts prompts(nullptr);
  int width = 0, needed = 0;
  OnModal([&](QWidget* d) {
    width = d->width();
    needed = TitleBarWidth(d->windowTitle());
    d->close();
  });
  ShowInputIntDlg(prompts, "GeneralReadPageCmd2 with a long caption", {.label = "Page"});
  EXPECT_GE(width, needed);
}

TEST(WidgetPrompts, RowButtonsAndPopUpItemsStandWithTheirFields) {
  PromptForm form;
  form.dialog = "TCountDlg";
  form.AddNumber("EdOK", "OK", DecimalSpec(0, 0, false), 5).row = 0;
  form.AddMemo("Memo1").lines = {"a"};
  form.AddAction("BTClear", "Clear", ActionKind::Local).row = 0;
  form.AddAction("MNClear1", "Clear", ActionKind::Local).menuOf = "Memo1";
  form.AddOkCancel();
  form.onAction = [](PromptForm& f, const std::string& a) {
    if (a == "BTClear") f.Field("EdOK").number.SetValue(0);
    if (a == "MNClear1") f.Field("Memo1").lines.clear();
  };
  PromptDialog d(form, nullptr);
  d.Build();
  d.show();
  QApplication::processEvents();
  QPushButton* clear = d.ActionButton("BTClear");
  ASSERT_NE(clear, nullptr);
  // Beside the counter, not among the dialog's buttons.
  EXPECT_LT(std::abs(Global(clear).center().y() - Global(d.FieldWidget("EdOK")).center().y()), 8);
  EXPECT_EQ(d.ActionButton("MNClear1"), nullptr);
  QAction* item = d.MenuAction("MNClear1");
  ASSERT_NE(item, nullptr);
  EXPECT_TRUE(d.FieldWidget("Memo1")->actions().contains(item));
  item->trigger();
  EXPECT_TRUE(form.Field("Memo1").lines.empty());
  EXPECT_EQ(form.Field("EdOK").Int(), 5);
  clear->click();
  EXPECT_EQ(form.Field("EdOK").Int(), 0);
}

TEST(WidgetPrompts, CloseWhileTheHandlerWorksSaysWhenTheDialogWillClose) {
  PromptForm form;
  form.dialog = "TScanDlg";
  form.AddAction("ScanSBt", "Scan", ActionKind::Return);
  form.AddAction("CancelBtn", "Close", ActionKind::Cancel);
  WidgetPrompts prompts(nullptr);
  QTimer::singleShot(0, [&] { prompts.OpenDialog(form)->ActionButton("ScanSBt")->click(); });
  ASSERT_EQ(prompts.Interact(form), "ScanSBt");
  // The handler works: Close is held back, and the user is told.
  PromptDialog* d = prompts.OpenDialog(form);
  d->close();
  auto* notice = d->findChild<QMessageBox*>("ClosingNotice");
  ASSERT_NE(notice, nullptr);
  EXPECT_TRUE(notice->isVisible());
  EXPECT_FALSE(notice->isModal()) << "the job and its Cancel stay reachable";
  EXPECT_EQ(prompts.Interact(form), "CancelBtn");
  EXPECT_EQ(prompts.OpenDialog(form), nullptr);
}

TEST(WidgetPrompts, AHandlerThatAsksForPressesGetsCloseAtOnceWithoutANotice) {
  PromptForm form;
  form.dialog = "TCoomandDlg1";
  form.AddAction("OKBtn", "Start", ActionKind::Return);
  form.AddAction("CancelBtn", "Close", ActionKind::Cancel);
  WidgetPrompts prompts(nullptr);
  QTimer::singleShot(0, [&] { prompts.OpenDialog(form)->ActionButton("OKBtn")->click(); });
  ASSERT_EQ(prompts.Interact(form), "OKBtn");
  EXPECT_EQ(prompts.TakePress(form), "");
  PromptDialog* d = prompts.OpenDialog(form);
  d->close();
  EXPECT_EQ(d->findChild<QMessageBox*>("ClosingNotice"), nullptr);
  EXPECT_EQ(prompts.TakePress(form), "CancelBtn");
  EXPECT_EQ(prompts.TakePress(form), "");
  prompts.Close(form);
}

TEST(WidgetPrompts, TheProgressDialogStandsClearOfWatchedFieldsAboveItsOwner) {
  PromptForm form;
  form.dialog = "TCoomandDlg1";
  form.caption = "Command Test";
  form.AddNumber("EdData0", "", HexSpec(0, 255, true, 2), 0);
  PromptField& ok = form.AddNumber("EdOK", "OK", DecimalSpec(0, 0, false), 0);
  ok.row = 0;
  ok.watched = true;
  PromptField& panel = form.AddPanel("Panel_OKNG", "Read Status");
  panel.watched = true;
  form.AddMemo("Memo1");
  form.AddAction("OKBtn", "Start", ActionKind::Return);
  form.AddAction("CancelBtn", "Close", ActionKind::Cancel);
  WidgetPrompts prompts(nullptr);
  QTimer::singleShot(0, [&] {
    PromptDialog* d = prompts.OpenDialog(form);
    auto progress = prompts.CreateProgress();
    progress->SetCancelVisible(true);
    progress->Show();
    QApplication::processEvents();
    auto* g = d->findChild<TGuage1Dlg*>();
    ASSERT_NE(g, nullptr) << "the progress dialog belongs to the dialog it reports on";
    EXPECT_TRUE(g->isVisible());
    EXPECT_TRUE(g->Button1->isVisible());
    const QRect shown = g->frameGeometry();
    for (const QRect& watched : d->WatchedAreas()) EXPECT_FALSE(shown.intersects(watched));
    EXPECT_EQ(d->WatchedAreas().size(), 3u);  // OK's field and caption, the panel
    EXPECT_TRUE(d->screen()->availableGeometry().contains(shown));
    progress->Close();
    d->ActionButton("CancelBtn")->click();
  });
  EXPECT_EQ(prompts.Interact(form), "CancelBtn");
}

TEST(WidgetPrompts, WarningsAndErrorsCarryTheirIcons) {
  WidgetPrompts prompts(nullptr);
  std::vector<QMessageBox::Icon> icons;
  auto take = [&](QWidget* d) {
    auto* box = qobject_cast<QMessageBox*>(d);
    ASSERT_NE(box, nullptr);
    icons.push_back(box->icon());
    box->button(QMessageBox::Ok)->click();
  };
  OnModal(take);
  prompts.Warning("Not MPT", "Read");
  OnModal(take);
  prompts.Error("Write error", "Write");
  OnModal(take);
  prompts.Message("OK!", "Write");
  EXPECT_EQ(icons, (std::vector<QMessageBox::Icon>{QMessageBox::Warning, QMessageBox::Critical,
                                                   QMessageBox::Information}));
}

TEST(WidgetPrompts, SavingStartsInTheDocumentsThenInTheLastFolderUsed) {
  const QString home = QDir::temp().filePath("qzh-save-home-" + QString::number(::getpid()));
  QDir(home).mkpath("Documents");
  QDir(home).mkpath("elsewhere");
  const QByteArray oldHome = qgetenv("HOME");
  qputenv("HOME", home.toUtf8());
  qunsetenv("XDG_DOCUMENTS_DIR");
  WidgetPrompts prompts(nullptr);
  QString first, second;
  OnModal([&](QWidget* d) {
    auto* dialog = qobject_cast<QFileDialog*>(d);
    ASSERT_NE(dialog, nullptr);
    first = dialog->directory().absolutePath();
    dialog->selectFile(QDir(home).filePath("elsewhere/tags.csv"));
    static_cast<QDialog*>(dialog)->accept();  // QFileDialog::accept, public in QDialog
  });
  auto chosen = prompts.SaveFileName("DispTagData.csv", "CSVFiles|*.csv");
  OnModal([&](QWidget* d) {
    second = qobject_cast<QFileDialog*>(d)->directory().absolutePath();
    qobject_cast<QDialog*>(d)->reject();
  });
  EXPECT_EQ(prompts.SaveFileName("datalist.csv", "CSVFiles|*.csv"), std::nullopt);
  qputenv("HOME", oldHome);
  EXPECT_EQ(first, QDir(home).filePath("Documents"));
  ASSERT_TRUE(chosen);
  EXPECT_EQ(QString::fromStdString(*chosen), QDir(home).filePath("elsewhere/tags.csv"));
  EXPECT_EQ(second, QDir(home).filePath("elsewhere"));
  QDir(home).removeRecursively();
}
