// The nine charts of the main window, each built from its settings.
//
// Every chart is two-dimensional with its legend hidden and its plotting area
// unfilled, so the chart's own button-face background shows through; its line
// series draw a plain 1-pixel polyline in their colour, without point marks.
// An automatic axis takes its range from the data; an axis with a fixed
// minimum keeps it while its maximum follows the data.
//
// Reading a chart: hovering its plotting area shows the x and y of the point
// of its line nearest to the mouse (in pixels on the screen), with a small
// ring around that point; the mouse wheel zooms about the mouse, a rectangle
// dragged with the left button zooms to that rectangle (a flat one zooms one
// axis only), and a double-click, or "Reset zoom" in the chart's context menu,
// shows the whole chart again. None of this changes how a chart looks until it
// is used; new data shows the whole chart again.
#pragma once

#include <QChartView>
#include <QColor>
#include <QLineSeries>
#include <QPoint>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "gui/axis_labels.h"
#include "gui/window_look.h"
#include "window/controls.h"
#include "window/window_services.h"

class QAbstractAxis;
class QCategoryAxis;
class QGraphicsEllipseItem;
class QGraphicsTextItem;
class QMenu;
class QRubberBand;

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

class ChartBox;

// The view of one chart; it passes the mouse to its ChartBox for reading.
class ChartView final : public QChartView {
 public:
  ChartView(QChart* chart, QWidget* parent, ChartBox& box);

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void leaveEvent(QEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;

 private:
  ChartBox& box_;
  QRubberBand* band_ = nullptr;
  std::optional<QPoint> band_origin_;  // where the left button went down in the plot
};

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

  // Shows new points on some of the chart's series and recomputes the
  // automatic ends of the axes and their labels from all its points; the
  // whole chart shows again.
  void ShowPoints(const std::vector<std::pair<Series, QList<QPointF>>>& changed);

  // ---- reading the chart (positions in the view's coordinates)

  // The text shown for the point of the line nearest to pos, "x, y" in the
  // program's number text; empty outside the plotting area or without points.
  // Marks that point while the mouse stays.
  QString Hover(QPoint pos);
  void EndHover();
  // Zooms to the values under a rectangle (corners included) of the plotting
  // area; an axis over which it is flatter than a few pixels keeps its range.
  void ZoomTo(const QRect& rect);
  // Zooms by factor (> 1: in) about the point under pos, which keeps its
  // place along each axis.
  void ZoomAbout(QPoint pos, double factor);
  // The whole chart again, its axes as the data set them.
  void ResetZoom();
  bool zoomed() const { return zoomed_; }
  // The plotting area in the view's coordinates.
  QRect PlotRect() const;

  // ---- the context menu
  //
  // The chart's own entries ("Reset zoom") come first; then every function
  // given to AddMenuEntries, in the order given, may append entries of its own
  // (exporting the chart, for one). The caller owns the menu.
  using MenuEntries = std::function<void(QMenu& menu, ChartBox& chart)>;
  void AddMenuEntries(MenuEntries entries) { menu_entries_.push_back(std::move(entries)); }
  QMenu* BuildContextMenu(QWidget* parent);

 private:
  struct Axis {
    AxisSettings settings;
    QAbstractAxis* axis = nullptr;
    Qt::Orientation orientation = Qt::Horizontal;
    // The minimum decade of a logarithmic axis, where Qt leaves it out (see
    // PlaceLogMinimumLabel).
    QGraphicsTextItem* minimum_label = nullptr;
  };

  Axis MakeAxis(const AxisSettings& settings, Qt::Orientation o, const QFont& font);
  // Shows the ranges on the axes, labelled at the settings' steps, thinned
  // where the labels would overlap; zoomed axes choose their own steps.
  void SetRanges(AxisRange x, AxisRange y, bool zoomed);
  void Relabel(Axis& a, AxisRange range, bool zoomed);
  // Shows the minimum decade's label of a logarithmic axis where Qt leaves it
  // out; gives the label's left edge in the chart, if it shows.
  std::optional<int> PlaceLogMinimumLabel(Axis& a);
  void UpdateLogMinimumLabels();
  // Sets both axes to the ranges the data give them.
  void ShowData();
  // Shows the values under rect (view coordinates) along the axes named.
  void ZoomToValuesUnder(const QRect& rect, bool along_x, bool along_y);
  static AxisRange CurrentRange(const Axis& a);
  static bool UsableRange(const Axis& a, AxisRange r);
  // Pixels along the plotting area for this axis.
  double PlotLength(Qt::Orientation o) const;
  // The size the chart gives a label's text.
  QSizeF LabelSize(const QString& text) const;
  QPointF ToChart(QPoint view_pos) const;

  ChartView* view_ = nullptr;
  std::vector<Series> series_ids_;
  std::vector<QLineSeries*> lines_;
  Axis bottom_;
  Axis left_;
  QFont axis_font_;
  QMargins margins_;  // the chart's margins as designed
  std::unique_ptr<QGraphicsTextItem> measure_;
  std::optional<AxisRange> data_x_, data_y_;  // the ranges of the points shown
  bool zoomed_ = false;
  QGraphicsEllipseItem* marker_ = nullptr;  // rings the hovered point
  std::vector<MenuEntries> menu_entries_;
};

}  // namespace xray::gui
