// The window with a reader on the network: a COMn registered as ser2net's RFC 2217 port (in front
// of the simulated module) opens from the open-port dialog, reads tags in read-loop mode, and
// says when the server goes away exactly as when a local port vanishes.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <filesystem>

#include "link/comm_module.h"
#include "link/port_registry.h"
#include "prompts/widgets/qt_text.h"
#include "shell/main_window.h"
#include "sim/scenario.h"
#include "sim/simulator.h"
#include "tests/shell/gui_rig.h"
#include "tests/support/ser2net.h"
#include "tests/support/temp_config.h"
#include "tests/support/wait.h"

namespace {

TEST(NetworkWindow, ARegisteredNetworkComOpensReadsInReadLoopModeAndItsLossIsSaid) {
  TempConfig config;
  std::filesystem::create_directories(config.Path("sys"));
  port_registry::SetScanRoots(config.Path("sys"), config.Path("sys"));
  QApplication::setQuitOnLastWindowClosed(false);
  sim::SimulatorOptions so;
  so.wireTime = false;
  sim::Simulator sim(so, std::make_shared<sim::Field>(sim::DefaultTags()));
  std::string error;
  ASSERT_TRUE(sim.Start(&error)) << error;
  test_support::Ser2net ser2net;
  ASSERT_TRUE(ser2net.Start(sim.DevicePath(), 9600, &error)) << error;
  ASSERT_TRUE(port_registry::Register(9, ser2net.Rfc2217Url()));

  gui_test::RecordingPrompts prompts;
  prompts.Answer("TOpenCom1Dlg.LBComPort", "COM9");
  prompts.Answer("TOpenCom1Dlg.RGComSpeed", "3");  // 57600: carried to ser2net's port
  MainWindowOptions o;
  o.prompts = &prompts;
  o.settingsPath = config.SettingsPath();
  o.exePath = gui_test::QuietExePath(config.Dir());
  auto form = std::make_unique<TTirisAppForm>(o);
  form->show();
  ASSERT_TRUE(test_support::PumpUntil([&] { return !prompts.shown.empty(); }));
  ASSERT_TRUE(test_support::PumpUntil([&] { return !form->App().Busy(); }));
  std::vector<std::string> lines;
  for (const QString& l : form->LogLines()) lines.push_back(l.toStdString());
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "OK: Open COM9");
  const std::vector<std::string>& listed = prompts.shown.front().Field("LBComPort").items;
  EXPECT_NE(std::find(listed.begin(), listed.end(), "COM9"), listed.end());

  TTirisC1Dlg& comm = *form->App().Comm();
  form->findChild<QAction*>("TB_TEST2")->trigger();
  ASSERT_TRUE(test_support::PumpUntil([&] { return comm.Tally().Count() >= 2; }));
  EXPECT_FALSE(form->Table().Cell(3, 2).isEmpty());

  ser2net.Stop();
  QMessageBox* notice = nullptr;
  ASSERT_TRUE(test_support::PumpUntil([&] {
    notice = form->findChild<QMessageBox*>("PortLostNotice");
    return notice && notice->isVisible();
  }));
  EXPECT_TRUE(notice->text().startsWith("COM9 ")) << notice->text().toStdString();
  EXPECT_FALSE(form->findChild<QAction*>("TB_TEST2")->isChecked());
  notice->close();
  form.reset();
  sim.Stop();
}

}  // namespace
