// The main window on the offscreen platform: components built from the menu table and mirroring
// its state, start-up against the simulator, the log pane's 5000-line rule, shortcuts of hidden
// items, the tag table, the tool-bar buttons, the About box and failures inside handlers.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <filesystem>

#include "codec/animal_id.h"
#include "link/comm_module.h"
#include "link/frame.h"
#include "link/port_registry.h"
#include "prompts/widgets/qt_text.h"
#include "prompts/widgets/widget_prompts.h"
#include "shell/about_dlg.h"
#include "shell/main_window.h"
#include "sim/scenario.h"
#include "sim/simulator.h"
#include "tests/shell/gui_rig.h"
#include "tests/support/handler_rig.h"
#include "tests/support/temp_config.h"
#include "tests/support/wait.h"

using namespace gui_test;
using namespace std::chrono_literals;

namespace {

struct WindowSetup {
  // Handlers counting their runs replace the families' for these items.
  std::vector<std::string> counted;
  std::function<void(HandlerRegistry&)> more;
  // A simulated module on COM9 (registered before the window lists the ports).
  bool module = false;
  std::string rom = "1100LFS00";
  std::vector<sim::TagPtr> tags;

  WindowSetup& Count(std::vector<std::string> items) {
    counted = std::move(items);
    return *this;
  }
  WindowSetup& More(std::function<void(HandlerRegistry&)> f) {
    more = std::move(f);
    return *this;
  }
  WindowSetup& Module(std::string version = "1100LFS00", std::vector<sim::TagPtr> inField = {}) {
    module = true;
    rom = std::move(version);
    tags = std::move(inField);
    return *this;
  }
  // The window's own dialogs instead of scripted answers.
  bool realDialogs = false;
  WindowSetup& RealDialogs() {
    realDialogs = true;
    return *this;
  }
};

struct Window {
  TempConfig config;
  RecordingPrompts prompts;
  std::map<std::string, int> calls;
  std::unique_ptr<sim::Simulator> sim;
  std::unique_ptr<TTirisAppForm> form;

  explicit Window(WindowSetup setup = {}) {
    std::filesystem::create_directories(config.Path("sys"));
    port_registry::SetScanRoots(config.Path("sys"), config.Path("sys"));
    QApplication::setQuitOnLastWindowClosed(false);
    if (setup.module) {
      sim::SimulatorOptions o;
      o.wireTime = false;
      o.comNumber = 9;
      o.module.romVersion = setup.rom;
      sim = std::make_unique<sim::Simulator>(o, std::make_shared<sim::Field>(setup.tags));
      if (!sim->Start()) throw std::runtime_error("simulator did not start");
      prompts.Answer("TOpenCom1Dlg.LBComPort", "COM9");
      prompts.Answer("TOpenCom1Dlg.RGComSpeed", "3");
    }
    MainWindowOptions o;
    if (setup.realDialogs)
      o.makePrompts = [](QWidget* window) { return std::make_unique<WidgetPrompts>(window); };
    else
      o.prompts = &prompts;
    o.settingsPath = config.SettingsPath();
    o.exePath = QuietExePath(config.Dir());
    o.extraHandlers = [this, setup](HandlerRegistry& r) {
      for (const std::string& item : setup.counted)
        r.Add(item, [this](AppCore&, const std::string& sender) { ++calls[sender]; });
      if (setup.more) setup.more(r);
    };
    form = std::make_unique<TTirisAppForm>(o);
  }
  ~Window() { form.reset(); }

  // Shows the window and lets the first showing (dialog and identification) run.
  void Show() {
    form->show();
    test_support::PumpUntil([&] { return !prompts.shown.empty() || !form->isVisible(); });
    test_support::PumpUntil([&] { return !form->App().Busy(); });
  }
  void Activate() {
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  }
  QAction* Action(const std::string& name) const {
    return form->findChild<QAction*>(ToQString(name));
  }
  std::vector<std::string> Lines() const {
    std::vector<std::string> out;
    for (const QString& l : form->LogLines()) out.push_back(l.toStdString());
    return out;
  }
  TTirisC1Dlg& Comm() { return *form->App().Comm(); }
  void Feed(const std::vector<uint8_t>& idData) {
    const auto f = frame::BuildResponseFrame(frame::TypeId, idData);
    Comm().Receiver().Feed(f.data(), f.size());
  }
};

std::vector<uint8_t> IdData(uint8_t kind, uint32_t id) {
  return {kind, static_cast<uint8_t>(id), static_cast<uint8_t>(id >> 8),
          static_cast<uint8_t>(id >> 16), static_cast<uint8_t>(id >> 24)};
}

}  // namespace

TEST(MainWindow, ComponentsAreBuiltFromTheTableAndMirrorIt) {
  Window w;
  TTirisAppForm& f = *w.form;
  for (const MenuModel::State& s : f.Menus().All()) {
    const std::string name = s.def->name;
    switch (s.def->kind) {
      case MenuKind::Root:
        break;
      case MenuKind::Check: {
        auto* box = f.findChild<QCheckBox*>(ToQString(name));
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->isChecked(), s.checked);
        EXPECT_EQ(box->isEnabled(), f.Menus().Enabled(name));
        break;
      }
      default: {
        QAction* a = w.Action(name);
        ASSERT_NE(a, nullptr) << name;
        EXPECT_EQ(a->isVisible(), s.visible) << name;
        if (s.def->kind == MenuKind::Separator) break;
        // Qt keeps a hidden action disabled; its enabled state shows once it is visible again.
        if (s.visible) {
          EXPECT_EQ(a->isEnabled(), f.Menus().Enabled(name)) << name;
        }
        EXPECT_EQ(a->text(), ToQString(MenuText(*s.def, s.caption))) << name;
        if (s.def->kind == MenuKind::Menu) {
          EXPECT_NE(f.findChild<QMenu*>(ToQString(name)), nullptr);
        }
      }
    }
  }
  EXPECT_EQ(f.windowTitle(), "QZH-900Tool");
  EXPECT_EQ(f.PageControl1->currentWidget(), f.TabSheet1);
  EXPECT_TRUE(f.Memo1->isReadOnly());
  EXPECT_EQ(f.StringGrid1->columnCount(), 5);  // the tally's four and the decoded ID
  EXPECT_EQ(f.StringGrid1->rowCount(), 20);
  // At least the widths of old; wider where the header texts need it.
  EXPECT_GE(f.StringGrid1->columnWidth(0), 32);
  EXPECT_GE(f.StringGrid1->columnWidth(1), 58);
  EXPECT_GE(f.StringGrid1->columnWidth(2), 71);
  EXPECT_GE(f.StringGrid1->columnWidth(3), 360);
  EXPECT_EQ(f.Table().Cell(0, 0), "No.");
  EXPECT_EQ(f.Table().Cell(3, 0), "ID Data");
  EXPECT_FALSE(f.StringGrid1->item(0, 1)->flags() & Qt::ItemIsEditable);
  EXPECT_TRUE(f.StringGrid1->item(1, 3)->flags() & Qt::ItemIsEditable);
  EXPECT_TRUE(f.Timer1->isSingleShot());
  EXPECT_EQ(f.Timer1->interval(), 200);
  EXPECT_TRUE(f.Timer2->isSingleShot());
  EXPECT_FALSE(w.Action("CBAnimalIDPlace")->isVisible());
  EXPECT_EQ(w.Action("TB_TEST2")->toolTip(), "Read Loop Mode");
  EXPECT_EQ(w.Action("TB_TEST3")->toolTip(), "Command Mode");
  EXPECT_EQ(w.Action("MnGridClear")->shortcut(), QKeySequence("F9"));
  EXPECT_EQ(w.Action("MnGetROMVer")->shortcut(), QKeySequence("Ctrl+Shift+F9"));
  // The status bar shows the hint of the item under the pointer.
  w.Action("MnSetCOM")->showStatusText(&f);
  EXPECT_EQ(f.StatusBar->currentMessage(), "COMポート...");
}

TEST(MainWindow, StartUpIdentifiesTheModuleAndShowsTheLevelsItems) {
  Window w(WindowSetup().Module("1020LFS00"));
  w.Show();
  EXPECT_EQ(w.Lines(), (std::vector<std::string>{"ROM Version: 1020LFS00", "Model Name : QZH-900",
                                                 "OK: Open COM9"}));
  EXPECT_TRUE(w.Action("MnCmd3")->isEnabled());
  EXPECT_TRUE(w.Action("MnHDXTag")->isEnabled());
  EXPECT_TRUE(w.Action("SIC7888READBLOCK21")->isVisible());
  EXPECT_TRUE(w.Action("FecavaIDread1")->isVisible());
  EXPECT_FALSE(w.Action("EM43051")->isVisible());
  EXPECT_TRUE(w.form->CBAnimalID->isEnabled());
  EXPECT_TRUE(w.form->isVisible());
}

TEST(MainWindow, CancelInTheFirstDialogEndsTheProgram) {
  Window w;
  w.prompts.CancelFirst();
  w.Show();
  test_support::PumpUntil([&] { return !w.form->isVisible(); });
  EXPECT_FALSE(w.form->isVisible());
  EXPECT_EQ(w.form->App().Comm(), nullptr);  // shut down: settings saved, module freed
  EXPECT_TRUE(std::filesystem::exists(w.config.SettingsPath()));
}

TEST(MainWindow, LogPaneKeepsTheFiveThousandLineRule) {
  Window w;
  AppCore& app = w.form->App();
  for (int i = 1; i <= 5000; ++i) app.AddLog("line " + std::to_string(i));
  w.form->FlushLog();
  EXPECT_EQ(w.form->Memo1->document()->blockCount(), 5000);
  EXPECT_EQ(w.Lines().front(), "line 1");
  EXPECT_EQ(w.Lines().back(), "line 5000");
  app.AddLog("line 5001");
  EXPECT_EQ(w.Lines(), std::vector<std::string>{"line 5001"});
  EXPECT_EQ(w.form->Memo1->toPlainText(), "line 5001");
  // The module's lines and the window's interleave in the order written.
  w.Comm().CommLog("from the module");
  app.AddLog("from the window");
  EXPECT_EQ(w.Lines(),
            (std::vector<std::string>{"line 5001", "from the module", "from the window"}));
  // Lines waiting for the view are shown without a flush after a moment.
  app.AddLog("later");
  test_support::PumpUntil([&] { return w.form->Memo1->toPlainText().endsWith("later"); });
  EXPECT_TRUE(w.form->Memo1->toPlainText().endsWith("\nlater"));
}

namespace {

// Whether the last line of the log stands wholly inside the visible part of the pane.
bool LastLineInView(QPlainTextEdit* memo) {
  const QRect r = memo->cursorRect(QTextCursor(memo->document()->lastBlock()));
  return memo->isVisible() && r.height() > 0 && r.top() >= 0 &&
         r.bottom() <= memo->viewport()->height();
}

}  // namespace

TEST(MainWindow, ACommandsResultIsInViewAfterTheLogFilledBehindTheTagTab) {
  Window w(WindowSetup().Module());
  w.Show();
  TTirisAppForm& f = *w.form;
  AppCore& app = f.App();
  // The caret stands at the top, as a click into the pane leaves it.
  f.Memo1->moveCursor(QTextCursor::Start);
  auto behindTheTagTab = [&](int lines) {
    f.PageControl1->setCurrentWidget(f.TabSheet2);
    for (int i = 0; i < lines; ++i)
      app.AddLog("ID: 80 00 62 00 00 00 00 0" + std::to_string(i % 4));
    f.FlushLog();
    f.PageControl1->setCurrentWidget(f.TabSheet1);
    f.RunItem("MnGetROMVer");
    f.FlushLog();
    return test_support::PumpUntil([&] { return LastLineInView(f.Memo1); });
  };
  EXPECT_TRUE(behindTheTagTab(3000));
  EXPECT_EQ(w.Lines().back(), "ROM Version: 1100LFS00");
  // Past the line limit: the pane is emptied behind the tab, the newest lines are shown.
  EXPECT_TRUE(behindTheTagTab(kLogLineLimit + 100));
  EXPECT_EQ(w.Lines().back(), "ROM Version: 1100LFS00");
  EXPECT_LT(w.Lines().size(), static_cast<size_t>(kLogLineLimit));
}

TEST(MainWindow, HiddenItemShortcutsRunOnlyWhileTheirMenusAreEnabled) {
  Window w(WindowSetup().Count(
      {"MnGetROMVer", "MnGetModelName", "MnParaSet1", "MnLastCommand", "MnChargeOnlyReadCmd1"}));
  w.Show();  // no module: the menus stay disabled
  w.Activate();
  auto press = [&](Qt::Key key, Qt::KeyboardModifiers mods) {
    QTest::keyClick(w.form.get(), key, mods);
  };
  const auto ctrlShift = Qt::ControlModifier | Qt::ShiftModifier;
  press(Qt::Key_F9, ctrlShift);
  press(Qt::Key_F1, Qt::ControlModifier);
  EXPECT_EQ(w.calls["MnGetROMVer"], 0);
  EXPECT_EQ(w.calls["MnChargeOnlyReadCmd1"], 0);
  press(Qt::Key_F5, Qt::NoModifier);  // the pop-up menu is always enabled
  EXPECT_EQ(w.calls["MnLastCommand"], 1);

  SetCommandMenusEnabled(w.form->Menus(), true);
  EXPECT_FALSE(w.Action("MnGetROMVer")->isVisible());
  press(Qt::Key_F9, ctrlShift);
  press(Qt::Key_F10, ctrlShift);
  press(Qt::Key_F3, ctrlShift);
  press(Qt::Key_F1, Qt::ControlModifier);
  EXPECT_EQ(w.calls["MnGetROMVer"], 1);
  EXPECT_EQ(w.calls["MnGetModelName"], 1);
  EXPECT_EQ(w.calls["MnParaSet1"], 1);
  EXPECT_EQ(w.calls["MnChargeOnlyReadCmd1"], 1);

  w.form->Menus().SetEnabled("MnCmd3", false);
  w.form->Menus().SetEnabled("MnTIRIS1", false);
  press(Qt::Key_F9, ctrlShift);
  press(Qt::Key_F1, Qt::ControlModifier);
  EXPECT_EQ(w.calls["MnGetROMVer"], 1);
  EXPECT_EQ(w.calls["MnChargeOnlyReadCmd1"], 1);

  // F9: "Clear" empties the log and the tag table.
  w.Feed(IdData(6, 0x01020304));
  ASSERT_FALSE(w.Lines().empty());
  press(Qt::Key_F9, Qt::NoModifier);
  EXPECT_TRUE(w.Lines().empty());
  EXPECT_EQ(w.form->Table().Cell(3, 1), "");
}

TEST(MainWindow, TagTableCountsKindsGrowsAndClears) {
  Window w;
  for (int i = 0; i < 5; ++i) w.Feed(IdData(6, 0x11223344));
  w.Feed(IdData(5, 0x11223344));  // the same bytes, another kind
  TallyTable& t = w.form->Table();
  EXPECT_EQ(t.Cell(0, 1), "1");
  EXPECT_EQ(t.Cell(1, 1), "5");
  EXPECT_EQ(t.Cell(2, 1), "FDX-B");
  EXPECT_EQ(t.Cell(3, 1), "11 22 33 44 ");
  EXPECT_EQ(t.Cell(0, 2), "2");
  EXPECT_EQ(t.Cell(1, 2), "1");
  EXPECT_EQ(t.Cell(2, 2), "EM");
  EXPECT_EQ(t.Cell(3, 2), "11 22 33 44 ");
  EXPECT_EQ(w.Lines()[1], "ID: 11 22 33 44 ");

  for (uint32_t id = 3; id <= 19; ++id) w.Feed(IdData(0, id));
  EXPECT_EQ(w.form->StringGrid1->rowCount(), 20);
  w.Feed(IdData(0, 20));  // the twentieth entry
  EXPECT_EQ(w.form->StringGrid1->rowCount(), 21);
  EXPECT_EQ(t.Cell(0, 20), "20");
  EXPECT_EQ(t.Cell(2, 20), "RW");
  EXPECT_EQ(t.Cell(3, 20), "00 00 00 14 ");

  w.form->RunItem("MnGridClear");
  EXPECT_EQ(w.form->StringGrid1->rowCount(), 20);
  for (int row = 1; row < 20; ++row)
    for (int col = 0; col < 4; ++col) EXPECT_EQ(t.Cell(col, row), "") << row << "," << col;
  EXPECT_EQ(t.Cell(1, 0), "Numbers");
  EXPECT_TRUE(w.Lines().empty());

  // Capacity 100: the 101st distinct ID is logged but not counted; known IDs still count.
  for (uint32_t id = 1; id <= 101; ++id) w.Feed(IdData(1, id));
  w.Feed(IdData(1, 1));
  EXPECT_EQ(w.Comm().Tally().Count(), 100);
  EXPECT_EQ(w.form->StringGrid1->rowCount(), 101);
  EXPECT_EQ(t.Cell(3, 100), "00 00 00 64 ");
  EXPECT_EQ(t.Cell(1, 1), "2");
  const auto idLines = LinesStarting(w.Lines(), "ID: ");
  ASSERT_EQ(idLines.size(), 102u);
  EXPECT_EQ(idLines[100], "ID: 00 00 00 65 ");
}

TEST(MainWindow, TagTableShowsAnimalCodesReadablyInColumnsThatFitTheirTexts) {
  Window w;
  auto feedCode = [&](uint64_t code) {
    std::vector<uint8_t> data{6};
    for (int i = 0; i < 8; ++i) data.push_back(static_cast<uint8_t>(code >> (8 * i)));
    w.Feed(data);
  };
  feedCode(fdx::AnimalIdCode::Animal(392, 123456789012).Encode());
  feedCode(fdx::AnimalIdCode::Animal(999, 141500000001).Encode());  // a test code: no country
  w.Feed(IdData(5, 0x11223344));                                    // EM: nothing to decode
  TallyTable& t = w.form->Table();
  EXPECT_EQ(t.Cell(3, 1), "80 00 62 1C BE 99 1A 14 ");
  EXPECT_EQ(t.Cell(4, 1), "392 123456789012 (Japan)");  // the messages' language
  EXPECT_EQ(t.Cell(4, 2), "999 141500000001");
  EXPECT_EQ(t.Cell(4, 3), "");
  EXPECT_EQ(t.Cell(4, 0), "国番号 個体識別番号");
  // "Clear" empties the decoded column with the rest.
  w.form->RunItem("MnGridClear");
  EXPECT_EQ(t.Cell(4, 1), "");
  // No header is cut, and the last column takes the rest of the width.
  QTableWidget* grid = w.form->StringGrid1;
  const QFontMetrics fm(grid->font());
  for (int c = 0; c + 1 < TallyTable::kColumns; ++c)
    EXPECT_GE(grid->columnWidth(c), fm.horizontalAdvance(t.Cell(c, 0))) << c;
  EXPECT_TRUE(grid->horizontalHeader()->stretchLastSection());
}

TEST(MainWindow, TheOpenPortDialogGuessesNoPortTakesKeysAtOnceAndItsCancelChangesNothing) {
  Window w(WindowSetup().Module().RealDialogs());
  // Each step acts on the open-port dialog once it is the modal window.
  std::vector<std::function<void(QDialog&)>> steps;
  size_t next = 0;
  QTimer poll;
  poll.setInterval(5);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!d || d->objectName() != "TOpenCom1Dlg" || next >= steps.size()) return;
    steps[next++](*d);
  });
  poll.start();
  // First start: nothing preselected, the list has the keys, each port shows its device.
  steps.push_back([&](QDialog& d) {
    auto* list = d.findChild<QListWidget*>("LBComPort");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(d.focusWidget(), list);
    EXPECT_EQ(list->currentRow(), -1);
    ASSERT_EQ(list->count(), 1);
    EXPECT_TRUE(list->item(0)->text().startsWith("COM9 "));
    EXPECT_TRUE(list->item(0)->text().contains(QString::fromStdString(w.sim->DevicePath())));
    EXPECT_FALSE(d.findChild<QPushButton*>("OKBtn")->isEnabled());
    QTest::keyClick(list, Qt::Key_Return);  // opens nothing: the dialog stays
  });
  steps.push_back([&](QDialog& d) {
    auto* list = d.findChild<QListWidget*>("LBComPort");
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(list->currentRow(), 0);
    QTest::keyClick(list, Qt::Key_Return);
  });
  w.form->show();
  ASSERT_TRUE(test_support::PumpUntil([&] {
    return !w.form->App().Busy() && !w.Lines().empty() && w.Lines().back() == "OK: Open COM9";
  }));
  EXPECT_EQ(next, 2u);
  // "COM Port..." offers the port that worked; Escape leaves the connection as it was.
  const TTirisC1Dlg* before = w.form->App().Comm();
  const size_t lines = w.Lines().size();
  steps.push_back([&](QDialog& d) {
    auto* list = d.findChild<QListWidget*>("LBComPort");
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_TRUE(d.findChild<QPushButton*>("OKBtn")->isEnabled());
    QTest::keyClick(list, Qt::Key_Escape);
  });
  w.Action("MnSetCOM")->trigger();
  EXPECT_EQ(next, 3u);
  EXPECT_EQ(w.form->App().Comm(), before);
  EXPECT_TRUE(w.Comm().Connected());
  EXPECT_EQ(w.Lines().size(), lines);
  EXPECT_TRUE(w.Action("MnCmd3")->isEnabled());
}

TEST(MainWindow, StatusBarShowsTheConnectionAndALostPortIsSaidAtOnce) {
  Window w(WindowSetup().Module("1100LFS00", sim::DefaultTags()));
  auto* field = w.form->findChild<QLabel*>("STConnection");
  ASSERT_NE(field, nullptr);
  EXPECT_EQ(field->text(), "未接続");
  EXPECT_TRUE(w.Action("MnSetCOM")->isEnabled());
  w.Show();
  EXPECT_EQ(field->text(), "COM9 \u00B7 57600 bps \u00B7 QZH-900 1100LFS00 \u00B7 コマンドモード");
  QAction* loop = w.Action("TB_TEST2");
  loop->trigger();
  ASSERT_TRUE(test_support::PumpUntil([&] { return w.Comm().Tally().Count() >= 2; }));
  EXPECT_TRUE(field->text().endsWith("読取ループモード"));
  EXPECT_TRUE(w.Action("MnSetCOM")->isEnabled());
  w.sim->HangUp();
  QMessageBox* notice = nullptr;
  ASSERT_TRUE(test_support::PumpUntil([&] {
    notice = w.form->findChild<QMessageBox*>("PortLostNotice");
    return notice && notice->isVisible();
  }));
  EXPECT_TRUE(notice->text().startsWith("COM9 "));
  EXPECT_FALSE(loop->isChecked());
  EXPECT_EQ(field->text(), "COM9 \u00B7 切断されました");
  EXPECT_GE(w.Comm().Tally().Count(), 2);
  EXPECT_FALSE(w.form->Table().Cell(3, 2).isEmpty());
  EXPECT_TRUE(w.Action("MnSetCOM")->isEnabled());
  notice->close();
}

TEST(MainWindow, ReadLoopAndCommandModeButtons) {
  Window w(WindowSetup().Module("1100LFS00", sim::DefaultTags()));
  w.Show();
  QAction* loop = w.Action("TB_TEST2");
  QAction* command = w.Action("TB_TEST3");
  loop->trigger();
  EXPECT_TRUE(loop->isChecked());
  EXPECT_FALSE(command->isChecked());
  EXPECT_FALSE(w.Action("MnCmd3")->isEnabled());
  EXPECT_FALSE(w.form->CBAnimalID->isEnabled());
  EXPECT_EQ(w.Lines()[9], "OK: Read Loop Mode");
  test_support::PumpUntil([&] { return w.Comm().Tally().Count() == 3; });
  EXPECT_FALSE(w.form->Table().Cell(3, 3).isEmpty());

  loop->trigger();  // pressed again: stays down
  EXPECT_TRUE(loop->isChecked());
  ASSERT_TRUE(
      test_rig::EmptyTheField(*w.sim, [&] { return LinesStarting(w.Lines(), "ID: ").size(); }));
  command->trigger();
  EXPECT_FALSE(loop->isChecked());
  EXPECT_TRUE(command->isChecked());
  EXPECT_TRUE(w.Action("MnCmd3")->isEnabled());
  EXPECT_EQ(w.Lines().back(), "OK: Command Mode");
}

TEST(MainWindow, CheckBoxSwitchesTitleAndMenus) {
  Window w;
  w.form->Menus().SetVisible("CBAnimalID", true);
  w.form->Menus().SetEnabled("CBAnimalID", true);
  w.form->show();
  QTest::mouseClick(w.form->CBAnimalID, Qt::LeftButton);
  EXPECT_EQ(w.form->windowTitle(), "QZH-900AnimalID Tool");
  EXPECT_TRUE(w.form->App().AnimalIdDisplay());
  EXPECT_TRUE(w.Action("MnAnimalID")->isVisible());
  EXPECT_FALSE(w.Action("MnHDXTag")->isVisible());
  QTest::mouseClick(w.form->CBAnimalID, Qt::LeftButton);
  EXPECT_EQ(w.form->windowTitle(), "QZH-900Tool");
  EXPECT_FALSE(w.Action("MnAnimalID")->isVisible());
}

TEST(MainWindow, AboutBoxAndItsDebugMenu) {
  Window w;
  auto* about = w.form->findChild<TAboutBox*>("TAboutBox");
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(about->windowTitle(), "バージョン情報");
  EXPECT_TRUE(about->Version->text().startsWith("     Version "));
  EXPECT_TRUE(about->Copyright->text().startsWith("Copyright "));
  EXPECT_FALSE(about->ProductName->text().isEmpty());
  EXPECT_TRUE(about->Comments->isHidden());
  about->show();
  QTest::mouseDClick(about->ProgramIcon, Qt::LeftButton);
  EXPECT_TRUE(w.prompts.shown.empty());
  w.prompts.Answer("TSetConfig2Dlg.RGFReadID", "2");
  QTest::mouseDClick(about->ProgramIcon, Qt::LeftButton, Qt::ControlModifier);
  ASSERT_EQ(w.prompts.shown.size(), 1u);
  EXPECT_EQ(w.prompts.shown[0].dialog, "TSetConfig2Dlg");
  EXPECT_EQ(w.form->App().Settings.fReadAnimalID, 2);
  about->hide();
}

TEST(MainWindow, FailuresInHandlersAreShownAndTheWindowGoesOn) {
  Window w(WindowSetup().Count({"MnGetModelName"}).More([](HandlerRegistry& r) {
    r.Add("MnGetROMVer", [](AppCore&, const std::string&) { throw std::runtime_error("boom"); });
    r.Add("MnParaSet1", [](AppCore&, const std::string&) { throw 42; });
  }));
  SetCommandMenusEnabled(w.form->Menus(), true);
  w.form->RunItem("MnGetROMVer");
  w.form->RunItem("MnParaSet1");
  ASSERT_EQ(w.prompts.messages.size(), 2u);
  EXPECT_EQ(w.prompts.messages[0], "boom");
  // The user is told what happened, not which part of the program failed.
  EXPECT_EQ(w.prompts.messages[1], "予期しないエラーが発生しました");
  EXPECT_FALSE(w.form->App().Busy());
  w.form->RunItem("MnGetModelName");
  EXPECT_EQ(w.calls["MnGetModelName"], 1);
}

TEST(MainWindow, ClosingWhileAHandlerWaitsWaitsForItAndSaysSo) {
  bool commDuringWait = false;
  QString notice;
  Window* self = nullptr;
  Window w(WindowSetup().More([&](HandlerRegistry& r) {
    r.Add("MnGetROMVer", [&](AppCore& app, const std::string&) {
      QTimer::singleShot(0, self->form.get(), [&] { self->form->close(); });
      TTirisC1Dlg::PumpFor(50);
      commDuringWait = app.Comm() != nullptr;
      notice = self->form->StatusBar->currentMessage();
    });
  }));
  self = &w;
  w.form->show();
  SetCommandMenusEnabled(w.form->Menus(), true);
  w.form->RunItem("MnGetROMVer");
  EXPECT_TRUE(commDuringWait);
  EXPECT_EQ(notice, "コマンドの実行中です。終了するとウィンドウを閉じます。");
  EXPECT_FALSE(w.form->isVisible());
  EXPECT_EQ(w.form->App().Comm(), nullptr);
}

TEST(MainWindow, EveryTopMenuOpensWithAltAndItsUnderlinedKey) {
  Window w;
  w.form->show();
  SetCommandMenusEnabled(w.form->Menus(), true);
  w.Activate();
  QStringList keys;
  for (const QAction* a : w.form->menuBar()->actions()) {
    if (!a->isVisible()) continue;
    const QString key = QKeySequence::mnemonic(a->text()).toString();
    EXPECT_FALSE(key.isEmpty()) << a->text().toStdString();
    EXPECT_FALSE(keys.contains(key)) << key.toStdString();
    keys << key;
  }
  // Each key is a letter of its menu's word: File Alt+F, Help Alt+H, the tag menus their own.
  EXPECT_EQ(w.Action("File1")->text(), "ファイル(&F)");
  EXPECT_EQ(w.Action("MnHDXTag")->text(), "H&DXタグ");
  EXPECT_EQ(w.Action("FDX1")->text(), "FD&Xタグ");
  EXPECT_EQ(w.Action("MnCmd3")->text(), "コマンド(&C)");
  EXPECT_EQ(w.Action("Help1")->text(), "ヘルプ(&H)");
  EXPECT_TRUE(QApplication::style()->styleHint(QStyle::SH_UnderlineShortcut));
  // The model's captions stay without the mark (hints, the command runner's item names).
  EXPECT_EQ(w.form->Menus().Get("MnHDXTag").caption, "HDXタグ");
  for (auto [key, menu] : {std::pair{Qt::Key_D, "MnHDXTag"}, std::pair{Qt::Key_X, "FDX1"},
                           std::pair{Qt::Key_F, "File1"}}) {
    QTest::keyClick(w.form.get(), key, Qt::AltModifier);
    auto* opened = w.form->findChild<QMenu*>(menu);
    ASSERT_NE(opened, nullptr);
    EXPECT_TRUE(test_support::PumpUntil([&] { return opened->isVisible(); })) << menu;
    opened->close();
  }
}
