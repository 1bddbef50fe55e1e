#include "production/widgets/series_program_dialog.h"

#include <QApplication>
#include <QBoxLayout>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <algorithm>
#include <cstdlib>

#include "production/series_program_dlg.h"
#include "prompts/widgets/qt_text.h"
#include "prompts/widgets/widget_prompts.h"

namespace {

using D = TSeriesProgramDlg;

void Enlarge(QWidget* w, double factor, bool bold) {
  QFont font = w->font();
  font.setPointSizeF(font.pointSizeF() * factor);
  font.setBold(bold);
  w->setFont(font);
}

// A grid's last column reaches its right edge.
void StretchLastColumn(QWidget* w) {
  if (auto* table = qobject_cast<QTableWidget*>(w))
    table->horizontalHeader()->setStretchLastSection(true);
}

const char* const kSetupFields[] = {
    D::kChip,       D::kKind,   D::kCountry, D::kNational, D::kIndustrial, D::kStep, D::kPlanned,
    D::kOpenSeries, D::kLedger, D::kResults, D::kStation,  D::kOnFail,     D::kSound};

}  // namespace

TSeriesProgramDialog::TSeriesProgramDialog(PromptForm& form, QWidget* parent)
    : PromptDialog(form, parent) {}

QWidget* TSeriesProgramDialog::SetupPage() {
  auto* page = new QWidget;
  page->setObjectName(D::kSetupPage);
  auto* grid = new QGridLayout(page);
  int row = 0;
  for (const char* name : kSetupFields) {
    QLabel* caption = nullptr;
    QWidget* w = CreateFieldWidget(Form().Field(name), page, &caption);
    if (caption) grid->addWidget(caption, row, 0);
    grid->addWidget(w, row, 1, 1, caption ? 1 : 2);
    if (std::string(name) == D::kLedger)
      grid->addWidget(CreateActionButton(Form().Action(D::kTest), page), row, 2);
    ++row;
  }
  QWidget* status = CreateFieldWidget(Form().Field(D::kSetupStatus), page);
  if (auto* label = qobject_cast<QLabel*>(status)) label->setWordWrap(true);
  grid->addWidget(status, row, 0, 1, 3);
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(row + 1, 1);
  return page;
}

QWidget* TSeriesProgramDialog::RunPage() {
  auto* page = new QWidget;
  page->setObjectName(D::kRunPage);
  auto* main = new QVBoxLayout(page);
  auto* top = new QHBoxLayout;
  auto* left = new QVBoxLayout;
  QWidget* state = CreateFieldWidget(Form().Field(D::kState), page);
  Enlarge(state, 2.4, true);
  left->addWidget(state);
  QWidget* code = CreateFieldWidget(Form().Field(D::kCode), page);
  Enlarge(code, 1.8, false);
  left->addWidget(code);
  for (const char* f : {D::kStationCounts, D::kSeriesCounts}) {
    QWidget* w = CreateFieldWidget(Form().Field(f), page);
    Enlarge(w, 1.2, false);
    left->addWidget(w);
  }
  top->addLayout(left, 1);
  QWidget* result = CreateFieldWidget(Form().Field(D::kResult), page);
  Enlarge(result, 5, true);
  if (auto* label = qobject_cast<QLabel*>(result)) {
    label->setAlignment(Qt::AlignCenter);
    label->setAutoFillBackground(true);
  }
  result->setMinimumSize(220, 150);
  top->addWidget(result);
  main->addLayout(top);
  progress_ = new QProgressBar(page);
  progress_->setObjectName("ProgressBar1");
  main->addWidget(progress_);
  QWidget* rows = CreateFieldWidget(Form().Field(D::kRows), page);
  StretchLastColumn(rows);
  main->addWidget(rows, 1);
  QWidget* status = CreateFieldWidget(Form().Field(D::kRunStatus), page);
  if (auto* label = qobject_cast<QLabel*>(status)) label->setWordWrap(true);
  main->addWidget(status);
  return page;
}

QWidget* TSeriesProgramDialog::SummaryPage() {
  auto* page = new QWidget;
  page->setObjectName(D::kSummaryPage);
  auto* main = new QVBoxLayout(page);
  QWidget* summary = CreateFieldWidget(Form().Field(D::kSummary), page);
  if (auto* label = qobject_cast<QLabel*>(summary)) label->setWordWrap(true);
  Enlarge(summary, 1.2, false);
  main->addWidget(summary);
  summary_ = summary;
  summaryLayout_ = main;
  QLabel* caption = nullptr;
  QWidget* orphans = CreateFieldWidget(Form().Field(D::kOrphans), page, &caption);
  if (caption) main->addWidget(caption);
  StretchLastColumn(orphans);
  main->addWidget(orphans, 1);
  QWidget* status = CreateFieldWidget(Form().Field(D::kSummaryStatus), page);
  if (auto* label = qobject_cast<QLabel*>(status)) label->setWordWrap(true);
  main->addWidget(status);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  for (const char* a : {D::kRelease, D::kExport})
    buttons->addWidget(CreateActionButton(Form().Action(a), page));
  main->addLayout(buttons);
  return page;
}

void TSeriesProgramDialog::Build() {
  PromptForm& form = Form();
  setObjectName(ToQString(form.dialog));
  auto* main = new QVBoxLayout(this);
  tabs_ = new QTabWidget(this);
  tabs_->setObjectName("PageControl1");
  const auto caption = [&](const char* page) {
    for (size_t i = 0; i < form.pages.size(); ++i)
      if (form.pages[i] == page && i < form.pageCaptions.size())
        return ToQString(form.pageCaptions[i]);
    return QString(page);
  };
  tabs_->addTab(SetupPage(), caption(D::kSetupPage));
  tabs_->addTab(RunPage(), caption(D::kRunPage));
  tabs_->addTab(SummaryPage(), caption(D::kSummaryPage));
  connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
    if (!Syncing() && index >= 0)
      Form().activePage = tabs_->widget(index)->objectName().toStdString();
  });
  main->addWidget(tabs_, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  for (const char* a : {D::kStart, D::kPause, D::kStop, D::kClose})
    buttons->addWidget(CreateActionButton(form.Action(a), this));
  main->addLayout(buttons);
  qApp->installEventFilter(this);
  SyncFromForm();
}

void TSeriesProgramDialog::SyncFromForm() {
  PromptDialog::SyncFromForm();
  if (!tabs_) return;
  PromptForm& form = Form();
  for (int i = 0; i < tabs_->count(); ++i)
    if (tabs_->widget(i)->objectName().toStdString() == form.activePage &&
        tabs_->currentIndex() != i)
      tabs_->setCurrentIndex(i);
  const std::string& p = form.Field(D::kProgress).text;
  const size_t slash = p.find('/');
  progress_->setVisible(slash != std::string::npos);
  if (slash != std::string::npos) {
    const int total = std::max(1, std::atoi(p.c_str() + slash + 1));
    progress_->setRange(0, total);
    progress_->setValue(std::min(total, std::atoi(p.c_str())));
  }
  // Without orphans to list the summary takes the page.
  if (summaryLayout_)
    summaryLayout_->setStretchFactor(summary_, form.Field(D::kOrphans).visible ? 0 : 1);
  // A status line shows its panel only when it has something to say (it keeps its room, so
  // that the page does not jump).
  for (const char* f :
       {D::kSetupStatus, D::kSummaryStatus, D::kCode, D::kSeriesCounts, D::kResult, D::kRunStatus})
    if (auto* label = findChild<QLabel*>(f)) {
      const bool empty = form.Field(f).text.empty();
      label->setFrameStyle(empty ? QFrame::NoFrame : QFrame::Panel | QFrame::Sunken);
      label->setAutoFillBackground(!empty);
    }
  const std::string& counts = form.Field(D::kStationCounts).text;
  if (counts != lastCounts_) {
    const bool result = !lastCounts_.empty() && !form.Field(D::kResult).text.empty();
    lastCounts_ = counts;
    if (result) Sound();
  }
}

void TSeriesProgramDialog::Sound() {
  ++sounded_;
  if (!Form().Field(D::kSound).checked) return;
  const bool ok = Form().Field(D::kResult).text == "OK";
  QApplication::beep();
  // NG: three beeps, apart, so that it is told from OK without looking.
  if (!ok)
    for (int i = 1; i < 3; ++i) QTimer::singleShot(180 * i, this, [] { QApplication::beep(); });
}

void TSeriesProgramDialog::reject() {
  // Esc while a series runs is Stop; otherwise it closes the window.
  if (Form().Action(D::kStop).enabled) {
    Press(D::kStop);
    return;
  }
  PromptDialog::reject();
}

bool TSeriesProgramDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space &&
      Form().Action(D::kPause).enabled) {
    auto* w = qobject_cast<QWidget*>(watched);
    if (w && (w == this || isAncestorOf(w))) {
      Press(D::kPause);
      return true;
    }
  }
  return PromptDialog::eventFilter(watched, event);
}

void RegisterSeriesProgramDialogRenderer() {
  RegisterDialogRenderer("TSeriesProgramDlg", [](PromptForm& form, QWidget* parent) {
    return std::unique_ptr<PromptDialog>(new TSeriesProgramDialog(form, parent));
  });
}
