#include "prompts/widgets/widget_prompts.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCloseEvent>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <algorithm>
#include <optional>

#include "core/ui_text.h"
#include "prompts/widgets/qt_text.h"

namespace {

std::map<std::string, DialogRenderer>& Renderers() {
  static std::map<std::string, DialogRenderer> renderers;
  return renderers;
}

// "CSVFiles|*.csv|All|*.*" (description and pattern pairs) as Qt's "CSVFiles (*.csv);;All (*.*)".
QString QtFilter(const std::string& filter) {
  const QStringList parts = ToQString(filter).split('|');
  if (parts.size() < 2) return ToQString(filter);
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) out << parts[i] + " (" + parts[i + 1] + ")";
  return out.join(";;");
}

class GuageProgress : public ProgressDialog {
 public:
  explicit GuageProgress(QWidget* parent) : dialog_(new TGuage1Dlg(parent)) {}
  ~GuageProgress() override { delete dialog_.data(); }
  void SetCaption(const std::string& caption) override {
    if (dialog_) dialog_->setWindowTitle(ToQString(caption));
  }
  void SetLabel(const std::string& text) override {
    if (dialog_) dialog_->Label1->setText(ToQString(text));
  }
  void SetCancelVisible(bool visible) override {
    if (dialog_) dialog_->Button1->setVisible(visible);
  }
  void SetBarVisible(bool visible) override {
    if (dialog_) dialog_->Panel2->setVisible(visible);
  }
  void SetProgress(int position, int max) override {
    if (!dialog_) return;
    dialog_->ProgressBar1->setMaximum(max);
    dialog_->ProgressBar1->setValue(position);
  }
  void Show() override {
    if (dialog_) dialog_->ShowNonModal();
  }
  void Close() override {
    if (dialog_) dialog_->hide();
  }
  // A dialog gone with its parent can no longer be cancelled.
  bool Continue() const override { return !dialog_ || dialog_->Continue(); }

 private:
  QPointer<TGuage1Dlg> dialog_;
};

}  // namespace

void RegisterDialogRenderer(const std::string& dialogClass, DialogRenderer factory) {
  Renderers()[dialogClass] = std::move(factory);
}

QPoint ClearSpot(const QSize& size, const QRect& owner, const std::vector<QRect>& avoid,
                 const QRect& screen) {
  const QPoint centre = owner.center() - QPoint(size.width() / 2, size.height() / 2);
  auto clear = [&](const QRect& r) {
    if (!screen.contains(r)) return false;
    for (const QRect& a : avoid)
      if (r.intersects(a)) return false;
    return true;
  };
  if (clear(QRect(centre, size))) return centre;
  // The nearest clear place on a coarse grid over the screen.
  constexpr int kStep = 8;
  std::optional<QPoint> best;
  int bestDistance = 0;
  for (int y = screen.top(); y + size.height() <= screen.bottom() + 1; y += kStep)
    for (int x = screen.left(); x + size.width() <= screen.right() + 1; x += kStep) {
      const QPoint p(x, y);
      const int d = (p - centre).manhattanLength();
      if ((!best || d < bestDistance) && clear(QRect(p, size))) {
        best = p;
        bestDistance = d;
      }
    }
  return best.value_or(centre);
}

TGuage1Dlg::TGuage1Dlg(QWidget* parent) : QDialog(parent) {
  setObjectName("TGuage1Dlg");
  setWindowTitle(ToQString(Tr("TGuage1Dlg", "しばらくお待ちください")));
  setModal(false);
  auto* layout = new QVBoxLayout(this);
  Label1 = new QLabel(this);
  Label1->setObjectName("Label1");
  Label1->setAlignment(Qt::AlignCenter);
  layout->addWidget(Label1);
  Panel2 = new QFrame(this);
  Panel2->setObjectName("Panel2");
  Panel2->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  auto* panel = new QVBoxLayout(Panel2);
  ProgressBar1 = new QProgressBar(Panel2);
  ProgressBar1->setObjectName("ProgressBar1");
  panel->addWidget(ProgressBar1);
  layout->addWidget(Panel2);
  auto* row = new QHBoxLayout;
  row->addStretch();
  Button1 = new QPushButton(ToQString(Tr("TGuage1Dlg", "キャンセル(&C)")), this);
  Button1->setObjectName("Button1");
  connect(Button1, &QPushButton::clicked, this, [this] { continue_ = false; });
  row->addWidget(Button1);
  row->addStretch();
  layout->addLayout(row);
  setMinimumWidth(320);
}

void TGuage1Dlg::ShowNonModal() {
  continue_ = true;
  adjustSize();
  if (auto* owner = qobject_cast<PromptDialog*>(parentWidget())) {
    const QScreen* screen = owner->screen();
    const QRect area = screen ? screen->availableGeometry() : owner->frameGeometry();
    move(ClearSpot(frameGeometry().size(), owner->frameGeometry(), owner->WatchedAreas(), area));
  }
  show();
  raise();
  activateWindow();
  // A click into the dialog below must not bury Cancel.
  if (parentWidget()) qApp->installEventFilter(this);
}

bool TGuage1Dlg::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease || event->type() == QEvent::WindowActivate) {
    auto* w = qobject_cast<QWidget*>(watched);
    if (w && w->window() == parentWidget() && isVisible())
      QTimer::singleShot(0, this, [this] { raise(); });
  }
  return QDialog::eventFilter(watched, event);
}

void TGuage1Dlg::hideEvent(QHideEvent* event) {
  qApp->removeEventFilter(this);
  QDialog::hideEvent(event);
}

void TGuage1Dlg::reject() {
  continue_ = false;
}

void TGuage1Dlg::closeEvent(QCloseEvent* event) {
  event->ignore();  // the job closes the dialog when it has seen the flag
  continue_ = false;
}

WidgetPrompts::WidgetPrompts(QWidget* mainWindow) : main_(mainWindow) {}

WidgetPrompts::~WidgetPrompts() = default;

QWidget* WidgetPrompts::Parent() const {
  // Above an open modal dialog, so that its own prompts and the progress dialog take input.
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  return main_.data();
}

void WidgetPrompts::Place(PromptDialog* dialog, bool onMainWindow) const {
  // On the screen of the window it belongs to.
  const QWidget* owner = dialog->parentWidget() ? dialog->parentWidget() : main_.data();
  const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
  if (!screen) screen = QGuiApplication::primaryScreen();
  dialog->FitTo(screen);
  if (!screen) return;
  const QRect avail = screen->availableGeometry();
  const QRect around = onMainWindow && main_ && main_->isVisible() ? main_->frameGeometry() : avail;
  QPoint at = around.center() - QPoint(dialog->width() / 2, dialog->height() / 2);
  // Wholly on the screen, the frame of a window manager included.
  at.setX(std::clamp(at.x(), avail.left() + kWindowFrameSide,
                     std::max(avail.left() + kWindowFrameSide,
                              avail.x() + avail.width() - dialog->width() - kWindowFrameSide)));
  at.setY(std::clamp(at.y(), avail.top() + kWindowFrameTop,
                     std::max(avail.top() + kWindowFrameTop,
                              avail.y() + avail.height() - dialog->height() - kWindowFrameSide)));
  // The client area, where the frame goes is the window manager's (move() would place the frame).
  dialog->setGeometry(QRect(at, dialog->size()));
}

std::unique_ptr<PromptDialog> WidgetPrompts::Create(PromptForm& form) {
  std::unique_ptr<PromptDialog> dialog;
  auto it = Renderers().find(form.dialog);
  if (it != Renderers().end()) dialog = it->second(form, Parent());
  if (!dialog) dialog = std::make_unique<PromptDialog>(form, Parent());
  dialog->Build();
  Place(dialog.get(), form.centerOnMainWindow);
  return dialog;
}

bool WidgetPrompts::Show(PromptForm& form) {
  std::unique_ptr<PromptDialog> dialog = Create(form);
  PromptDialog* d = dialog.get();
  QObject::connect(d, &PromptDialog::ActionPressed, d, [d, &form](const QString& name) {
    const PromptAction* a = form.FindAction(name.toStdString());
    const bool ok = a && (a->kind == ActionKind::Accept || a->kind == ActionKind::Return);
    d->done(ok ? QDialog::Accepted : QDialog::Rejected);
  });
  return d->exec() == QDialog::Accepted;
}

std::string WidgetPrompts::Interact(PromptForm& form) {
  auto it = open_.find(&form);
  if (it == open_.end()) {
    it = open_.emplace(&form, Open{}).first;
    Open* open = &it->second;
    open->dialog = Create(form);
    QObject::connect(
        open->dialog.get(), &PromptDialog::ActionPressed, open->dialog.get(),
        [open, &form](const QString& name) {
          open->presses.push_back(name.toStdString());
          if (open->loop) {
            open->loop->quit();
            return;
          }
          // The handler works and will only see the press when it is done.
          const PromptAction* a = form.FindAction(name.toStdString());
          if (a && a->kind == ActionKind::Cancel && !open->polled && !open->noticeShown) {
            open->noticeShown = true;
            ShowClosingNotice(open->dialog.get());
          }
        });
    open->dialog->setWindowModality(form.modeless ? Qt::NonModal : Qt::ApplicationModal);
    open->dialog->show();
  }
  Open& open = it->second;
  open.dialog->SyncFromForm();  // the handler may have changed the form since the last call
  if (open.presses.empty()) {
    QEventLoop loop;
    open.loop = &loop;
    loop.exec();
    open.loop = nullptr;
  }
  const std::string name = open.presses.front();
  open.presses.pop_front();
  open.polled = false;  // a new stretch of the handler's work begins
  open.noticeShown = false;
  const PromptAction* a = form.FindAction(name);
  if (!a || a->kind == ActionKind::Accept || a->kind == ActionKind::Cancel) open_.erase(it);
  return name;
}

std::string WidgetPrompts::TakePress(PromptForm& form) {
  auto it = open_.find(&form);
  if (it == open_.end()) return "";
  Open& open = it->second;
  open.polled = true;
  if (open.presses.empty()) return "";
  const std::string name = open.presses.front();
  open.presses.pop_front();
  return name;
}

void WidgetPrompts::ShowClosingNotice(QWidget* dialog) {
  auto* box = new QMessageBox(
      QMessageBox::Information, dialog->windowTitle(),
      ToQString(Tr("WidgetPrompts", "コマンドの実行中です。終了するとウィンドウを閉じます。")),
      QMessageBox::Ok, dialog);
  box->setObjectName("ClosingNotice");
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setModal(false);  // the job goes on, its Cancel stays reachable
  box->show();
}

void WidgetPrompts::Refresh(PromptForm& form) {
  if (PromptDialog* d = OpenDialog(form)) d->SyncFromForm();
}

void WidgetPrompts::Close(PromptForm& form) {
  open_.erase(&form);
}

PromptDialog* WidgetPrompts::OpenDialog(const PromptForm& form) const {
  auto it = open_.find(&form);
  return it == open_.end() ? nullptr : it->second.dialog.get();
}

bool WidgetPrompts::Confirm(const std::string& text, const std::string& caption,
                            ConfirmButtons buttons) {
  const bool yesNo = buttons == ConfirmButtons::YesNo;
  QMessageBox box(
      QMessageBox::Question, ToQString(caption), ToQString(text),
      yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok | QMessageBox::Cancel, Parent());
  const bool instruction = buttons == ConfirmButtons::InstructionOkCancel;
  box.setDefaultButton(yesNo         ? QMessageBox::No
                       : instruction ? QMessageBox::Ok
                                     : QMessageBox::Cancel);
  box.setEscapeButton(yesNo ? QMessageBox::No : QMessageBox::Cancel);
  const int answer = box.exec();
  return answer == QMessageBox::Yes || answer == QMessageBox::Ok;
}

void WidgetPrompts::Box(QMessageBox::Icon icon, const std::string& text,
                        const std::string& caption) {
  QMessageBox box(icon, ToQString(caption), ToQString(text), QMessageBox::Ok, Parent());
  box.exec();
}

void WidgetPrompts::Message(const std::string& text, const std::string& caption) {
  Box(QMessageBox::Information, text, caption);
}

void WidgetPrompts::Warning(const std::string& text, const std::string& caption) {
  Box(QMessageBox::Warning, text, caption);
}

void WidgetPrompts::Error(const std::string& text, const std::string& caption) {
  Box(QMessageBox::Critical, text, caption);
}

std::optional<std::string> WidgetPrompts::SaveFileName(const std::string& initial,
                                                       const std::string& filter) {
  // A name with a folder that exists is the last file used; a bare name starts in the folder
  // of the last save, or in the user's documents.
  const QFileInfo given(ToQString(initial));
  QString start = ToQString(initial);
  if (!given.isAbsolute() || !given.absoluteDir().exists()) {
    QString folder = lastSaveFolder_;
    if (folder.isEmpty())
      folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::homePath();
    start = QDir(folder).filePath(given.fileName());
  }
  const QString name = QFileDialog::getSaveFileName(Parent(), QString(), start, QtFilter(filter));
  if (name.isEmpty()) return std::nullopt;
  lastSaveFolder_ = QFileInfo(name).absolutePath();
  return name.toStdString();
}

std::unique_ptr<ProgressDialog> WidgetPrompts::CreateProgress() {
  auto progress = std::make_unique<GuageProgress>(Parent());
  return progress;
}

bool WidgetPrompts::ControlHeld() const {
  return QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier;
}
