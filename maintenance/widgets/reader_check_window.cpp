#include "maintenance/widgets/reader_check_window.h"

#include <QBoxLayout>
#include <QChart>
#include <QChartView>
#include <QLabel>
#include <QLineSeries>
#include <QProgressBar>
#include <QPushButton>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "core/ui_text.h"
#include "maintenance/reader_check_model.h"
#include "prompts/widgets/qt_text.h"
#include "prompts/widgets/widget_prompts.h"

namespace {

constexpr int kMaxLevel = 50;
using D = ReaderCheckModel;

// The number in a table cell ("85 %" gives 85); nullopt for anything else.
std::optional<double> CellNumber(const std::string& text) {
  try {
    size_t used = 0;
    const double v = std::stod(text, &used);
    return used > 0 ? std::optional<double>(v) : std::nullopt;
  } catch (...) {
    return std::nullopt;
  }
}

}  // namespace

ReaderCheckWindow::ReaderCheckWindow(PromptForm& form, QWidget* parent)
    : PromptDialog(form, parent) {}

void ReaderCheckWindow::Build() {
  PromptForm& form = Form();
  setObjectName(ToQString(form.dialog));
  auto* main = new QVBoxLayout(this);

  auto* settings = new QHBoxLayout;
  QLabel* readsCaption = nullptr;
  QWidget* reads = CreateFieldWidget(form.Field(D::kReads), this, &readsCaption);
  settings->addWidget(readsCaption);
  settings->addWidget(reads);
  settings->addWidget(CreateFieldWidget(form.Field(D::kLink), this));
  settings->addWidget(CreateFieldWidget(form.Field(D::kNoTag), this));
  settings->addStretch();
  main->addLayout(settings);

  chart_ = new QChart;
  chart_->setTitle(ToQString(Tr("ReaderCheckWindow", "読み取り率とp95応答時間")));
  rate_ = new QLineSeries;
  rate_->setName(ToQString(Tr("ReaderCheckWindow", "読み取り率")));
  rate_->setPointsVisible(true);
  latency_ = new QLineSeries;
  latency_->setName(ToQString(Tr("ReaderCheckWindow", "p95応答時間")));
  latency_->setPointsVisible(true);
  threshold_ = new QLineSeries;
  threshold_->setName(ToQString(Tr("ReaderCheckWindow", "しきい値")));
  QPen dashed(QColor(0xD6, 0x27, 0x28), 2, Qt::DashLine);
  threshold_->setPen(dashed);
  for (QLineSeries* s : {rate_, latency_, threshold_}) chart_->addSeries(s);
  auto* levelAxis = new QValueAxis;
  levelAxis->setRange(0, kMaxLevel);
  levelAxis->setLabelFormat("%d");
  levelAxis->setTickCount(6);
  levelAxis->setTitleText(ToQString(Tr("ReaderCheckWindow", "LF送信出力")));
  auto* rateAxis = new QValueAxis;
  rateAxis->setRange(0, 100);
  rateAxis->setLabelFormat("%d %%");
  rateAxis->setTickCount(6);
  latencyAxis_ = new QValueAxis;
  latencyAxis_->setRange(0, 1);
  latencyAxis_->setLabelFormat("%.2f ms");
  latencyAxis_->setTickCount(6);
  chart_->addAxis(levelAxis, Qt::AlignBottom);
  chart_->addAxis(rateAxis, Qt::AlignLeft);
  chart_->addAxis(latencyAxis_, Qt::AlignRight);
  for (QLineSeries* s : {rate_, threshold_}) {
    s->attachAxis(levelAxis);
    s->attachAxis(rateAxis);
  }
  latency_->attachAxis(levelAxis);
  latency_->attachAxis(latencyAxis_);
  auto* view = new QChartView(chart_, this);
  view->setObjectName("ChartView");
  view->setRenderHint(QPainter::Antialiasing);
  view->setMinimumSize(560, 300);
  main->addWidget(view, 2);

  main->addWidget(CreateFieldWidget(form.Field(D::kGrid), this), 1);
  auto* status = new QHBoxLayout;
  QLabel* thresholdCaption = nullptr;
  QWidget* threshold = CreateFieldWidget(form.Field(D::kThreshold), this, &thresholdCaption);
  status->addWidget(thresholdCaption);
  status->addWidget(threshold);
  progress_ = new QProgressBar(this);
  progress_->setObjectName("ProgressBar1");
  status->addWidget(progress_, 1);
  main->addLayout(status);
  // The progress text is the bar's data and gets no widget of its own.
  main->addWidget(CreateFieldWidget(form.Field(D::kStatus), this));

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  for (const char* a : {D::kStart, D::kCancel, D::kSave, D::kClose})
    buttons->addWidget(CreateActionButton(form.Action(a), this));
  main->addLayout(buttons);
  SyncFromForm();
}

void ReaderCheckWindow::SyncFromForm() {
  PromptDialog::SyncFromForm();
  if (!chart_) return;
  UpdatePlot();
  const std::string& p = Form().Field(D::kProgress).text;
  const size_t slash = p.find('/');
  const auto done = CellNumber(p.substr(0, slash));
  const auto total = slash == std::string::npos ? std::nullopt : CellNumber(p.substr(slash + 1));
  progress_->setRange(0, total && *total > 0 ? static_cast<int>(*total) : 1);
  progress_->setValue(done ? static_cast<int>(*done) : 0);
}

void ReaderCheckWindow::UpdatePlot() {
  QList<QPointF> rate, latency;
  double maxMs = 0;
  const auto& cells = Form().Field(D::kGrid).cells;
  for (size_t r = 1; r < cells.size(); ++r) {
    if (cells[r].size() < 6) continue;
    const auto level = CellNumber(cells[r][0]);
    const auto percent = CellNumber(cells[r][3]);
    const auto p95 = CellNumber(cells[r][5]);
    if (!level || !percent || !p95) continue;
    rate.append({*level, *percent});
    latency.append({*level, *p95});
    maxMs = std::max(maxMs, *p95);
  }
  auto byLevel = [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); };
  std::sort(rate.begin(), rate.end(), byLevel);
  std::sort(latency.begin(), latency.end(), byLevel);
  rate_->replace(rate);
  latency_->replace(latency);
  latencyAxis_->setRange(0, maxMs > 0 ? std::ceil(maxMs * 12) / 10 : 1);
  const auto threshold = CellNumber(Form().Field(D::kThreshold).text);
  if (threshold)
    threshold_->replace(QList<QPointF>{{*threshold, 0}, {*threshold, 100}});
  else
    threshold_->clear();
}

void RegisterReaderCheckWindow() {
  RegisterDialogRenderer("ReaderCheckWindow", [](PromptForm& form, QWidget* parent) {
    return std::unique_ptr<PromptDialog>(new ReaderCheckWindow(form, parent));
  });
}
