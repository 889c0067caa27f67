// The nine charts of the main window, each built from its settings.
//
// Every chart is two-dimensional with its legend hidden and its plotting area
// unfilled, so the chart's own button-face background shows through; its line
// series draw a plain 1-pixel polyline in their colour, without point marks.
// An automatic axis takes its range from the data; an axis with a fixed
// minimum keeps it while its maximum follows the data.
#pragma once

#include <QChartView>
#include <QColor>
#include <QLineSeries>
#include <QString>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "gui/axis_labels.h"
#include "gui/window_look.h"
#include "window/controls.h"
#include "window/window_services.h"

class QAbstractAxis;
class QCategoryAxis;
class QGraphicsTextItem;

namespace xray::gui {

enum class ChartFonts {
  Spectrum,  // Chart1, Chart7: rounded title font, Verdana-like axes
  Table,     // the others: chart text font, default title font
};

struct AxisSettings {
  QString title{};
  bool logarithmic = false;  // logarithmic axes are fixed at both ends
  AxisLimits limits{};
  double label_step = 0;  // 0: automatic
  std::string_view pattern = kDefaultLabelPattern;
};

struct SeriesSettings {
  Series series;
  QColor colour;
};

struct ChartSettings {
  const char* name = "";
  int left = 0, top = 0, width = 0, height = 0;  // pixels at 96 dpi, on its tab page
  QString title{};                               // rich text; empty: no title
  QColor title_colour{};
  ChartFonts fonts = ChartFonts::Table;
  AxisSettings bottom{};
  AxisSettings left_axis{};
  std::vector<SeriesSettings> series{};
};

// The settings of each chart, one function per chart.
ChartSettings Chart1Settings();
ChartSettings Chart2Settings();
ChartSettings Chart3Settings();
ChartSettings Chart4Settings();
ChartSettings Chart5Settings();
ChartSettings Chart6Settings();
ChartSettings Chart7Settings();
ChartSettings Chart8Settings();
ChartSettings Chart9Settings();

// One chart on its page: the view, its axes and its series.
class ChartBox {
 public:
  ChartBox(const ChartSettings& settings, QWidget* page, const WindowLook& look);
  ~ChartBox();
  ChartBox(const ChartBox&) = delete;
  ChartBox& operator=(const ChartBox&) = delete;

  QChartView* view() const { return view_; }
  QChart* chart() const { return view_->chart(); }
  const std::vector<Series>& series() const { return series_ids_; }
  QLineSeries* line(std::size_t k) const { return lines_[k]; }

  // Recomputes the automatic ends of the axes and their labels from the
  // points of the chart's series (indexed by Series).
  void Rescale(std::span<const std::vector<Point>> points_by_series);

 private:
  struct Axis {
    AxisSettings settings;
    QAbstractAxis* axis = nullptr;
    Qt::Orientation orientation = Qt::Horizontal;
  };

  Axis MakeAxis(const AxisSettings& settings, Qt::Orientation o, const QFont& font);
  void Relabel(Axis& a, std::optional<AxisRange> data);
  // Pixels along the plotting area for this axis.
  double PlotLength(Qt::Orientation o) const;
  // The size the chart gives a label's text.
  QSizeF LabelSize(const QString& text) const;

  QChartView* view_ = nullptr;
  std::vector<Series> series_ids_;
  std::vector<QLineSeries*> lines_;
  Axis bottom_;
  Axis left_;
  QFont axis_font_;
  std::unique_ptr<QGraphicsTextItem> measure_;
};

}  // namespace xray::gui
