#pragma once
// The About box "Version Infomation": the program icon and the version texts. Double-clicking
// the icon while Ctrl is held opens the Debug Menu (onDebugMenu).
#include <QDialog>
#include <functional>
#include <string>

class QLabel;

// The four labels' texts, from the version constants the build generates.
struct AboutTexts {
  std::string version;  // "     Version " + file version
  std::string productName;
  std::string copyright;  // "Copyright " + copyright text
  std::string comments;   // file description (the label is hidden)
};
AboutTexts MakeAboutTexts();

class TAboutBox : public QDialog {
  Q_OBJECT
 public:
  explicit TAboutBox(QWidget* parent = nullptr);

  std::function<void()> onDebugMenu;

  QLabel* ProgramIcon;
  QLabel* ProductName;
  QLabel* Version;
  QLabel* Copyright;
  QLabel* Comments;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};
