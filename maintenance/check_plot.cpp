#include "maintenance/check_plot.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "core/ui_text.h"

namespace {

constexpr int kMaxLevel = 50;
const QColor kRateColor(0x1F, 0x77, 0xB4);
const QColor kLatencyColor(0xFF, 0x7F, 0x0E);
const QColor kThresholdColor(0xD6, 0x27, 0x28);

// A round upper bound for the latency axis: 1, 2 or 5 times a power of ten.
double NiceCeiling(double v) {
  if (v <= 0) return 1;
  const double p = std::pow(10.0, std::floor(std::log10(v)));
  for (double m : {1.0, 2.0, 5.0, 10.0})
    if (m * p >= v) return m * p;
  return 10 * p;
}

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

}  // namespace

QImage RenderCheckPlot(const CheckResult& result, QSize size) {
  QImage image(size, QImage::Format_ARGB32);
  image.fill(kCheckPlotBackground);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  // Texts need the fonts of a GUI application; a plain core application (qzh900ctl run) gets the
  // plot without them rather than a crash.
  const bool fonts = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
  auto text = [&](const QRectF& r, int flags, const QString& t) {
    if (fonts) p.drawText(r, flags, t);
  };
  const QRectF area(70, 50, size.width() - 150, size.height() - 110);

  std::vector<LevelResult> levels = result.levels;
  std::sort(levels.begin(), levels.end(),
            [](const LevelResult& a, const LevelResult& b) { return a.level < b.level; });
  double maxMs = 0;
  for (const auto& m : levels) maxMs = std::max(maxMs, m.p95Ms);
  const double msTop = NiceCeiling(maxMs);

  auto x = [&](int level) {
    return area.left() + area.width() * std::clamp(level, 0, kMaxLevel) / kMaxLevel;
  };
  auto yRate = [&](double rate) { return area.bottom() - area.height() * rate; };
  auto yMs = [&](double ms) { return area.bottom() - area.height() * ms / msTop; };

  // Frame, grid and axis texts.
  p.setPen(QPen(QColor(0xDD, 0xDD, 0xDD), 1));
  for (int i = 1; i < 5; ++i)
    p.drawLine(QPointF(area.left(), area.top() + area.height() * i / 5),
               QPointF(area.right(), area.top() + area.height() * i / 5));
  for (int level = 10; level < kMaxLevel; level += 10)
    p.drawLine(QPointF(x(level), area.top()), QPointF(x(level), area.bottom()));
  p.setPen(QPen(Qt::black, 1));
  p.drawRect(area);
  if (fonts) {
    QFont font = p.font();
    font.setPixelSize(13);
    p.setFont(font);
  }
  for (int level = 0; level <= kMaxLevel; level += 10)
    text(QRectF(x(level) - 20, area.bottom() + 4, 40, 18), Qt::AlignCenter, QString::number(level));
  for (int i = 0; i <= 5; ++i) {
    const double y = area.bottom() - area.height() * i / 5;
    p.setPen(kRateColor);
    text(QRectF(area.left() - 60, y - 9, 54, 18), Qt::AlignRight | Qt::AlignVCenter,
         QString::number(i * 20) + " %");
    p.setPen(kLatencyColor);
    text(QRectF(area.right() + 6, y - 9, 70, 18), Qt::AlignLeft | Qt::AlignVCenter,
         QString::number(msTop * i / 5, 'g', 3) + " ms");
  }
  p.setPen(Qt::black);
  text(QRectF(area.left(), area.bottom() + 24, area.width(), 20), Qt::AlignCenter,
       Q(Tr("ReaderCheckWindow", "LF送信出力")));
  QString title = Q(Tr("ReaderCheckWindow", "読み取り率とp95応答時間"));
  if (result.family) title += QString(" (") + CheckFamilyName(*result.family) + ")";
  text(QRectF(area.left(), 10, area.width(), 24), Qt::AlignCenter, title);

  // The threshold.
  if (result.threshold) {
    QPen pen(kThresholdColor, 2, Qt::DashLine);
    p.setPen(pen);
    const double tx = x(*result.threshold);
    p.drawLine(QPointF(tx, area.top()), QPointF(tx, area.bottom()));
    text(QRectF(tx + 4, area.top() + 4, 160, 18), Qt::AlignLeft | Qt::AlignVCenter,
         Q(Tr("ReaderCheckWindow", "しきい値: ")) + QString::number(*result.threshold));
  }

  // The two series, each a line through its points.
  auto series = [&](const QColor& color, auto y) {
    if (levels.empty()) return;
    QPainterPath path;
    path.moveTo(x(levels.front().level), y(levels.front()));
    for (const auto& m : levels) path.lineTo(x(m.level), y(m));
    p.setPen(QPen(color, 2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    p.setBrush(color);
    for (const auto& m : levels) p.drawEllipse(QPointF(x(m.level), y(m)), 3.5, 3.5);
  };
  series(kLatencyColor, [&](const LevelResult& m) { return yMs(m.p95Ms); });
  series(kRateColor, [&](const LevelResult& m) { return yRate(m.Rate()); });

  // Legend.
  p.setBrush(Qt::NoBrush);
  const QPointF legend(area.left() + 10, area.bottom() - 44);
  p.setPen(QPen(kRateColor, 3));
  p.drawLine(legend, legend + QPointF(24, 0));
  p.setPen(Qt::black);
  text(QRectF(legend.x() + 30, legend.y() - 9, 200, 18), Qt::AlignLeft | Qt::AlignVCenter,
       Q(Tr("ReaderCheckWindow", "読み取り率")));
  p.setPen(QPen(kLatencyColor, 3));
  p.drawLine(legend + QPointF(0, 20), legend + QPointF(24, 20));
  p.setPen(Qt::black);
  text(QRectF(legend.x() + 30, legend.y() + 11, 200, 18), Qt::AlignLeft | Qt::AlignVCenter,
       Q(Tr("ReaderCheckWindow", "p95応答時間")));
  p.end();
  return image;
}
