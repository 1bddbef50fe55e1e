#include "hdx/widgets/tag_viewer_window.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>

#include "core/ui_text.h"
#include "prompts/widgets/qt_text.h"

namespace {

// The captions of the top panel's labels, by the field they name.
constexpr std::pair<const char*, const char*> kPanel[] = {
    {"EdUID", "Label3"}, {"EdChip", "Label6"}, {"EdManufacturer", "Label7"}};

}  // namespace

TagViewerWindow::TagViewerWindow(PromptForm& form, QWidget* parent) : PromptDialog(form, parent) {}

QAction* TagViewerWindow::AddMenuItem(QMenu* menu, const std::string& action) {
  QAction* item = menu->addAction(ToQString(Form().Action(action).caption));
  item->setObjectName(ToQString(action));
  connect(item, &QAction::triggered, this, [this, action] { Press(action); });
  items_[action] = item;
  return item;
}

void TagViewerWindow::Build() {
  PromptForm& form = Form();
  setObjectName(ToQString(form.dialog));
  auto* main = new QVBoxLayout(this);

  auto* bar = new QMenuBar(this);
  bar->setObjectName("MainMenu1");
  QMenu* file = bar->addMenu(ToQString(Tr("TDispTagDataDlg", "ファイル(&F)")));
  file->setObjectName("File1");
  AddMenuItem(file, "MnSavelog");
  configuration_ = bar->addMenu(ToQString(Tr("TDispTagDataDlg", "設定(&C)")));
  configuration_->setObjectName("MnConfiguration");
  configuration_->menuAction()->setObjectName("MnConfiguration");
  AddMenuItem(configuration_, "MnSetting");
  main->setMenuBar(bar);

  auto* panel = new QGridLayout;
  int row = 0;
  for (const auto& [field, labelName] : kPanel) {
    QLabel* caption = nullptr;
    QWidget* edit = CreateFieldWidget(form.Field(field), this, &caption);
    caption->setObjectName(labelName);
    panel->addWidget(caption, row, 0);
    panel->addWidget(edit, row, 1);
    ++row;
  }
  // "ID(Hex)" takes a click: with Ctrl held it shows the "Configuration" menu.
  idLabel_ = findChild<QLabel*>("Label3");
  idLabel_->installEventFilter(this);
  panel->setColumnStretch(1, 1);
  main->addLayout(panel);

  main->addWidget(CreateFieldWidget(form.Field("StringGrid1"), this), 1);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(CreateActionButton(form.Action("OKBtn"), this));
  buttons->addWidget(CreateActionButton(form.Action("CancelBtn"), this));
  main->addLayout(buttons);
  SyncFromForm();
}

bool TagViewerWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == idLabel_ && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    const PromptAction* click = Form().FindAction("Label3");
    if (click && click->enabled) Press("Label3");
    return true;
  }
  return PromptDialog::eventFilter(watched, event);
}

void TagViewerWindow::SyncFromForm() {
  PromptDialog::SyncFromForm();
  for (auto& [name, item] : items_) {
    const PromptAction& a = Form().Action(name);
    item->setText(ToQString(a.caption));
    item->setEnabled(a.enabled);
  }
  // The "Configuration" menu is there exactly while its item is.
  configuration_->menuAction()->setVisible(Form().Action("MnSetting").visible);
}
