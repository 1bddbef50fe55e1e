#pragma once
// The reader check's plot: read rate (left axis, %) and p95 round-trip time (right axis, ms)
// against the LF transmission level, the threshold marked by a vertical line. The one renderer
// of the plot: the report of the command runner and the dialog's "Save" both draw it here.
#include <QImage>
#include <QSize>

#include "maintenance/reader_check.h"

inline constexpr QSize kCheckPlotSize{800, 480};
// The plot's background; everything else drawn on it differs from it.
inline constexpr QRgb kCheckPlotBackground = 0xFFFFFFFF;

// Needs a QGuiApplication (the axis texts use the system's fonts).
QImage RenderCheckPlot(const CheckResult& result, QSize size = kCheckPlotSize);
