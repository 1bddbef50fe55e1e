#include "shell/about_dlg.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "core/messages.h"
#include "core/ui_text.h"
#include "prompts/widgets/prompt_dialog.h"
#include "version.h"

AboutTexts MakeAboutTexts() {
  AboutTexts t;
  t.version = LoadMessage(Msg::VersionMsg) + version::kFileVersion;
  t.productName = version::kProductName;
  t.copyright = LoadMessage(Msg::CopyrightCMsg) + version::kCopyright;
  t.comments = version::kDescription;
  return t;
}

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
  setObjectName("TAboutBox");
  setWindowTitle(QString::fromStdString(Tr("TAboutBox", "バージョン情報")));
  const AboutTexts texts = MakeAboutTexts();

  ProgramIcon = new QLabel(this);
  ProgramIcon->setObjectName("ProgramIcon");
  const QString iconPath = ":/icons/qzh900.png";
  QPixmap icon = QFile::exists(iconPath) ? QPixmap(iconPath) : QPixmap();
  if (icon.isNull()) icon = style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(64, 64);
  ProgramIcon->setPixmap(icon.scaled(64, 64, Qt::KeepAspectRatio, Qt::SmoothTransformation));
  ProgramIcon->installEventFilter(this);

  auto label = [this](const char* name, const std::string& text) {
    auto* l = new QLabel(QString::fromStdString(text), this);
    l->setObjectName(name);
    return l;
  };
  ProductName = label("ProductName", texts.productName);
  Version = label("Version", texts.version);
  Copyright = label("Copyright", texts.copyright);
  Comments = label("Comments", texts.comments);
  Comments->hide();
  QFont bold = ProductName->font();
  bold.setBold(true);
  ProductName->setFont(bold);

  auto* textColumn = new QVBoxLayout;
  textColumn->addWidget(ProductName);
  textColumn->addWidget(Version);
  textColumn->addWidget(Copyright);
  textColumn->addWidget(Comments);
  auto* top = new QHBoxLayout;
  top->addWidget(ProgramIcon, 0, Qt::AlignTop);
  top->addSpacing(12);
  top->addLayout(textColumn, 1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName("OKButton");
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(buttons);
  setMinimumWidth(TitleBarWidth(windowTitle()));  // the title is never cut
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ProgramIcon && event->type() == QEvent::MouseButtonDblClick) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if ((mouse->modifiers() & Qt::ControlModifier) && onDebugMenu) {
      onDebugMenu();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}
