#include "gui/charts.h"

#include <QApplication>
#include <QCategoryAxis>
#include <QContextMenuEvent>
#include <QGraphicsEllipseItem>
#include <QGraphicsLayout>
#include <QGraphicsTextItem>
#include <QLogValueAxis>
#include <QMenu>
#include <QMouseEvent>
#include <QPalette>
#include <QPen>
#include <QRubberBand>
#include <QSet>
#include <QTextDocument>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <limits>

#include "numeric/number_text.h"

namespace xray::gui {

namespace {

// The chart library's spacing around axis labels (pixels): the gap between a
// label and its axis line, and the document margin of a label's text item.
constexpr double kLabelPadding = 4;
constexpr double kLabelTextMargin = 0.5;

// A dragged rectangle narrower than this (pixels) along an axis leaves that axis as it is.
constexpr int kMinZoomPixels = 4;
// Zoom factor of one notch of the mouse wheel.
constexpr double kWheelZoom = 1.25;
// Radius of the ring around the hovered point (pixels).
constexpr double kMarkerRadius = 3.5;
// The rectangle with corners a and b, both inside it.
QRect RectBetween(QPoint a, QPoint b) {
  return QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())), QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y())));
}

// Pixels kept free between a label and the chart's left border.
constexpr int kLabelClearance = 2;
// A line with this many points is set aside while the axes are labelled.
constexpr qsizetype kManyPoints = 2000;

// The two spectrum charts share their axes: photon energy from 10 keV up, labelled
// every 10 keV, against a photon count from 0 up.
AxisSettings PhotonEnergyAxis() {
  return {.title = "X-Ray Photon Energy (keV)", .limits = {.min = 10.0}, .label_step = 10};
}

// The attenuation charts: photon energy on a fixed logarithmic scale.
AxisSettings LogEnergyAxis() { return {.logarithmic = true, .limits = {10.0, 200.0}}; }

}  // namespace

ChartSettings Chart1Settings() {
  return {.name = "Chart1", .left = 24, .top = 37, .width = 561, .height = 388,
          // Two title lines, the second empty: more room above the plot.
          .title = "Spectra Simulated for Inherent Filtration<br>&nbsp;",
          .title_colour = kRed, .fonts = ChartFonts::Spectrum,
          .bottom = PhotonEnergyAxis(),
          .left_axis = {.title = "% Number of Photons", .limits = {.min = 0.0}, .label_step = 10, .pattern = "###."},
          .series = {{Series::Series1, kRed}, {Series::Series2, kGreen}, {Series::Series3, kBlue}}};
}

ChartSettings Chart7Settings() {
  return {.name = "Chart7", .left = 24, .top = 37, .width = 561, .height = 388,
          .title = "Spectra Simulated for Inherent and Added Filtration",
          .title_colour = kBlue, .fonts = ChartFonts::Spectrum,
          .bottom = PhotonEnergyAxis(),
          .left_axis = {.title = "Number of Photons (mm^-2)", .limits = {.min = 0.0}, .label_step = 1000, .pattern = "#."},
          .series = {{Series::FastLineSeries6, kBlue}}};
}

ChartSettings Chart2Settings() {  // tungsten mass attenuation, cm^2/g
  return {.name = "Chart2", .left = 354, .top = 9, .width = 241, .height = 153,
          .title_colour = kBlue, .fonts = ChartFonts::Table,
          .bottom = LogEnergyAxis(),
          .left_axis = {.logarithmic = true, .limits = {1.0, 500.0}, .pattern = "#0.#"},
          .series = {{Series::FastLineSeries1, kRed}}};
}

ChartSettings Chart3Settings() {  // aluminium mass attenuation, cm^2/g
  return {.name = "Chart3", .left = 354, .top = 163, .width = 241, .height = 153,
          .title_colour = kBlue, .fonts = ChartFonts::Table,
          .bottom = LogEnergyAxis(),
          .left_axis = {.logarithmic = true, .limits = {0.1, 50.0}},
          .series = {{Series::FastLineSeries2, kRed}}};
}

ChartSettings Chart6Settings() {  // air mass energy absorption, cm^2/g
  return {.name = "Chart6", .left = 354, .top = 331, .width = 241, .height = 153,
          .title_colour = kBlue, .fonts = ChartFonts::Table,
          .bottom = LogEnergyAxis(),
          .left_axis = {.logarithmic = true, .limits = {0.01, 10.0}},
          .series = {{Series::FastLineSeries5, kRed}}};
}

ChartSettings Chart4Settings() {  // Thomson-Whiddington constant against electron energy (keV)
  return {.name = "Chart4", .left = 184, .top = 45, .width = 409, .height = 348,
          .title = "Thomson-Whiddingston Constant", .title_colour = kBlue, .fonts = ChartFonts::Table,
          .bottom = {},
          .left_axis = {.pattern = "#."},
          .series = {{Series::FastLineSeries3, kRed}}};
}

ChartSettings Chart5Settings() {  // K characteristic photons (%) against tube voltage (kV)
  return {.name = "Chart5", .left = 192, .top = 29, .width = 393, .height = 324,
          // The chart was never given a title of its own and shows the component's default.
          .title = "TChart", .title_colour = kBlue, .fonts = ChartFonts::Table,
          .bottom = {.label_step = 10},
          .left_axis = {.label_step = 1, .pattern = "#0.#"},
          .series = {{Series::FastLineSeries4, kRed}}};
}

ChartSettings Chart8Settings() {
  return {.name = "Chart8", .left = 10, .top = 145, .width = 303, .height = 232,
          .title = "NEQ(u)", .title_colour = kBlue, .fonts = ChartFonts::Table,
          .bottom = {.title = "SpatialFrequency (cycles/mm)"},
          .left_axis = {.title = "NEQ(mm^-2)", .limits = {.min = 0.0}, .pattern = "#0.#"},
          .series = {{Series::FastLineSeries7, kRed}}};
}

ChartSettings Chart9Settings() {
  // DQE is shown from 0 to 70 % only; a line above 70 is cut at the plot's top edge.
  return {.name = "Chart9", .left = 330, .top = 145, .width = 303, .height = 232,
          .title = "DQE(u)", .title_colour = kBlue, .fonts = ChartFonts::Table,
          .bottom = {.title = "Spatial Frequency (cycles/mm)", .limits = {.min = 0.0}},
          .left_axis = {.title = "% DQE", .limits = {0.0, 70.0}, .pattern = "#0.#"},
          .series = {{Series::FastLineSeries8, kRed}}};
}

ChartBox::ChartBox(const ChartSettings& settings, QWidget* page, const WindowLook& look) {
  auto* chart = new QChart();
  chart->legend()->hide();
  // The chart's panel in the button-face colour, seen through the unfilled plotting area.
  const QColor face = QApplication::palette().color(QPalette::Button);
  chart->setBackgroundBrush(face);
  chart->setBackgroundPen(QPen(face.darker(140), 1));
  chart->setBackgroundRoundness(0);
  chart->setDropShadowEnabled(false);
  chart->setPlotAreaBackgroundVisible(false);
  chart->layout()->setContentsMargins(0, 0, 0, 0);
  // Room on the right for half of the last bottom label, which stands on the plot's edge.
  margins_ = QMargins(look.Px(4), look.Px(2), look.Px(14), look.Px(2));
  chart->setMargins(margins_);

  const bool spectrum = settings.fonts == ChartFonts::Spectrum;
  if (!settings.title.isEmpty()) {
    chart->setTitle(settings.title);
    chart->setTitleFont(spectrum ? look.SpectrumTitleFont() : look.ChartTextFont());
    chart->setTitleBrush(settings.title_colour);
  }
  axis_font_ = spectrum ? look.SpectrumAxisFont() : look.ChartTextFont();

  view_ = new ChartView(chart, page, *this);
  view_->setObjectName(settings.name);
  view_->setGeometry(look.Rect(settings.left, settings.top, settings.width, settings.height));
  view_->setFocusPolicy(Qt::NoFocus);  // charts take no focus
  view_->setFrameShape(QFrame::NoFrame);
  view_->setBackgroundBrush(face);
  view_->setRenderHint(QPainter::Antialiasing, false);  // crisp 1-pixel lines
  chart->resize(QSizeF(view_->size()));
  measure_ = std::make_unique<QGraphicsTextItem>();
  measure_->document()->setDocumentMargin(kLabelTextMargin);

  bottom_ = MakeAxis(settings.bottom, Qt::Horizontal, axis_font_);
  left_ = MakeAxis(settings.left_axis, Qt::Vertical, axis_font_);
  chart->addAxis(bottom_.axis, Qt::AlignBottom);
  chart->addAxis(left_.axis, Qt::AlignLeft);

  for (const SeriesSettings& s : settings.series) {
    auto* line = new QLineSeries(chart);
    const QString name = QString::fromUtf8(Name(s.series).data(), static_cast<qsizetype>(Name(s.series).size()));
    line->setObjectName(name);
    line->setName(name);
    QPen pen(s.colour);
    pen.setWidth(1);
    line->setPen(pen);
    chart->addSeries(line);
    line->attachAxis(bottom_.axis);
    line->attachAxis(left_.axis);
    series_ids_.push_back(s.series);
    lines_.push_back(line);
  }

  // The labels Qt leaves out at the low end of a logarithmic axis.
  for (Axis* a : {&bottom_, &left_}) {
    if (!a->settings.logarithmic) continue;
    a->minimum_label = new QGraphicsTextItem(chart);
    a->minimum_label->document()->setDocumentMargin(kLabelTextMargin);
    a->minimum_label->setFont(axis_font_);
    a->minimum_label->setDefaultTextColor(kBlack);
    a->minimum_label->hide();
  }
  QObject::connect(chart, &QChart::plotAreaChanged, view_, [this] { UpdateLogMinimumLabels(); });

  marker_ = new QGraphicsEllipseItem(chart);
  marker_->setPen(QPen(kBlack, 1));
  marker_->setBrush(Qt::NoBrush);
  marker_->setZValue(1000);  // above the lines
  marker_->hide();

  ShowData();
}

ChartBox::~ChartBox() = default;

ChartBox::Axis ChartBox::MakeAxis(const AxisSettings& settings, Qt::Orientation o, const QFont& font) {
  Axis a{settings, nullptr, o};
  if (settings.logarithmic) {
    auto* axis = new QLogValueAxis();
    axis->setBase(10);
    axis->setRange(settings.limits.min.value_or(1), settings.limits.max.value_or(10));
    // Labels stand on the decades (0.01, 0.1, 1, 10, 100), which every pattern
    // of these axes ("#0.#", "#,##0.###") writes exactly as %g does.
    axis->setLabelFormat("%g");
    axis->setMinorTickCount(0);
    a.axis = axis;
  } else {
    // A category axis with its labels on the values shows texts we format
    // ourselves at values we choose: the numeric pattern and the label step.
    auto* axis = new QCategoryAxis();
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    a.axis = axis;
  }
  // Labels are never cut to "...": the label step is chosen so that they fit.
  a.axis->setTruncateLabels(false);
  a.axis->setLabelsFont(font);
  a.axis->setLabelsBrush(kBlack);
  a.axis->setTitleFont(font);
  a.axis->setTitleBrush(kBlack);
  a.axis->setTitleText(settings.title);
  a.axis->setTitleVisible(!settings.title.isEmpty());
  a.axis->setLinePenColor(kBlack);
  a.axis->setGridLinePen(QPen(QColor(128, 128, 128), 1, Qt::DotLine));
  a.axis->setShadesVisible(false);
  return a;
}

double ChartBox::PlotLength(Qt::Orientation o) const {
  // The chart is sized with its view from the start and laid out here, so the
  // plot area is known even on a page that has never been shown.
  chart()->layout()->activate();
  const QRectF plot = chart()->plotArea();
  return std::max(1.0, o == Qt::Horizontal ? plot.width() : plot.height());
}

QSizeF ChartBox::LabelSize(const QString& text) const {
  // Measured as the chart library measures its labels: a text item with a
  // half-pixel document margin.
  measure_->setFont(axis_font_);
  measure_->setHtml(text);
  return measure_->boundingRect().size();
}

void ChartBox::Relabel(Axis& a, AxisRange range, bool zoomed) {
  if (a.settings.logarithmic) {
    a.axis->setRange(range.min, range.max);
    UpdateLogMinimumLabels();
    return;
  }
  auto* axis = static_cast<QCategoryAxis*>(a.axis);
  const double length = PlotLength(a.orientation);
  const double span = range.max - range.min;
  const bool vertical = a.orientation == Qt::Vertical;

  // Labels fit when two neighbours leave a tenth of a label free between them:
  // its height on a vertical axis, the widest text on a horizontal one. Every
  // label is one line high; only the widths need measuring, and only once a
  // step passes with the first label alone.
  const double line_height = LabelSize("0").height();
  const auto fits = [&](double step) {
    const std::vector<double> values = LabelValues(range, step);
    const double room = step / span * length / 1.1;
    if (vertical || values.empty()) return room >= line_height;
    const auto width = [&](double v) {
      return LabelSize(QString::fromStdString(FormatWithPattern(v, a.settings.pattern))).width();
    };
    if (room < width(values.front())) return false;
    return std::all_of(values.begin(), values.end(), [&](double v) { return room >= width(v); });
  };
  // A zoomed axis shows a part the fixed step was not chosen for.
  const double given = zoomed ? 0 : a.settings.label_step;
  const double step = ChooseLabelStep(range, given, PatternResolution(a.settings.pattern), fits);
  const std::vector<double> values = LabelValues(range, step);

  for (const QString& label : axis->categoriesLabels()) axis->remove(label);
  axis->setRange(range.min, range.max);
  // The first category starts one step below the first label, outside the range.
  axis->setStartValue(values.empty() ? range.min : values.front() - step);
  QSet<QString> used;
  for (double v : values) {
    // A category's label is its key and must be unique and not empty; a
    // zero-width space keeps equal texts (an empty "#." zero) apart unseen.
    QString text = QString::fromStdString(FormatWithPattern(v, a.settings.pattern));
    while (text.isEmpty() || used.contains(text)) text += QChar(0x200B);
    used.insert(text);
    axis->append(text, v);
  }
}

std::optional<int> ChartBox::PlaceLogMinimumLabel(Axis& a) {
  if (a.minimum_label == nullptr) return std::nullopt;
  auto* axis = static_cast<QLogValueAxis*>(a.axis);
  const double min = axis->min();
  const double decade = std::round(std::log10(min));
  const double value = std::pow(10.0, decade);
  // Qt labels the decades from ceil(ln(min) / ln(base)) up; for a minimum of
  // 0.1 or 0.01 that quotient comes out a hair above -1 or -2, and the decade
  // at the minimum goes unlabelled. This label stands where Qt's would.
  const bool on_decade = std::fabs(min - value) <= 1e-12 * value;
  const bool left_out = std::ceil(std::log(min) / std::log(axis->base())) > decade;
  if (!on_decade || !left_out || !(min < axis->max())) {
    a.minimum_label->hide();
    return std::nullopt;
  }
  a.minimum_label->setPlainText(QString::asprintf("%g", value));
  const QRectF plot = chart()->plotArea();
  const QSizeF size = a.minimum_label->boundingRect().size();
  const QPointF at = a.orientation == Qt::Vertical
                         ? QPointF(plot.left() - kLabelPadding - size.width(), plot.bottom() - size.height() / 2)
                         : QPointF(plot.left() - size.width() / 2, plot.bottom() + kLabelPadding);
  a.minimum_label->setPos(at.toPoint());
  a.minimum_label->show();
  return at.toPoint().x();
}

void ChartBox::UpdateLogMinimumLabels() {
  // Qt sized the axes for its own labels; a wider label here gets the room it
  // lacks from the chart's left margin, so that it stays clear of the border,
  // and gives it back when it is gone.
  std::optional<int> leftmost;
  for (Axis* a : {&bottom_, &left_}) {
    if (const std::optional<int> x = PlaceLogMinimumLabel(*a)) leftmost = std::min(leftmost.value_or(*x), *x);
  }
  const int extra = chart()->margins().left() - margins_.left();
  const int wanted = leftmost ? std::max(0, extra + kLabelClearance - *leftmost) : 0;
  if (wanted != extra) chart()->setMargins(margins_ + QMargins(wanted, 0, 0, 0));  // lays out again
}

void ChartBox::SetRanges(AxisRange x, AxisRange y, bool zoomed) {
  // Choosing the labels lays the chart out again for every step it tries, and
  // every layout recomputes each line's outline; lines of many points wait
  // aside meanwhile and come back once.
  std::vector<std::pair<QLineSeries*, QList<QPointF>>> aside;
  for (QLineSeries* line : lines_) {
    if (line->count() < kManyPoints) continue;
    aside.emplace_back(line, line->points());
    line->clear();
  }
  zoomed_ = zoomed;
  // The left labels first: their width decides how long the bottom axis is.
  Relabel(left_, y, zoomed);
  Relabel(bottom_, x, zoomed);
  chart()->layout()->activate();  // the axes as labelled, before anything is drawn
  for (const auto& [line, points] : aside) line->replace(points);
}

void ChartBox::ShowData() {
  const auto range = [](const Axis& a, std::optional<AxisRange> data) {
    if (a.settings.logarithmic) return AxisRange{a.settings.limits.min.value_or(1), a.settings.limits.max.value_or(10)};
    return ResolveRange(a.settings.limits, data, a.settings.label_step);
  };
  SetRanges(range(bottom_, data_x_), range(left_, data_y_), false);
}

void ChartBox::ShowPoints(const std::vector<std::pair<Series, QList<QPointF>>>& changed) {
  std::vector<const QList<QPointF>*> shown(lines_.size(), nullptr);
  for (const auto& [s, points] : changed) {
    const auto k = static_cast<std::size_t>(std::find(series_ids_.begin(), series_ids_.end(), s) - series_ids_.begin());
    if (k == lines_.size()) continue;
    lines_[k]->clear();  // filled once the axes are set
    shown[k] = &points;
  }
  data_x_.reset();
  data_y_.reset();
  const auto extend = [](std::optional<AxisRange>& r, double v) {
    if (!std::isfinite(v)) return;
    if (!r) r = AxisRange{v, v};
    r->min = std::min(r->min, v);
    r->max = std::max(r->max, v);
  };
  for (std::size_t k = 0; k < lines_.size(); ++k) {
    for (const QPointF& p : shown[k] ? *shown[k] : lines_[k]->points()) {
      extend(data_x_, p.x());
      extend(data_y_, p.y());
    }
  }
  EndHover();
  ShowData();
  for (std::size_t k = 0; k < lines_.size(); ++k) {
    if (shown[k]) lines_[k]->replace(*shown[k]);
  }
}

// ---------------------------------------------------------------- reading the chart

QPointF ChartBox::ToChart(QPoint view_pos) const { return chart()->mapFromScene(view_->mapToScene(view_pos)); }

QRect ChartBox::PlotRect() const {
  return view_->mapFromScene(chart()->mapToScene(chart()->plotArea())).boundingRect();
}

QString ChartBox::Hover(QPoint pos) {
  const QRectF plot = chart()->plotArea();
  const QPointF at = ToChart(pos);
  if (!plot.contains(at)) {
    EndHover();
    return {};
  }
  // Points on the plot's edge count; those outside it are not seen.
  const QRectF seen = plot.adjusted(-0.5, -0.5, 0.5, 0.5);
  double best = std::numeric_limits<double>::infinity();
  QPointF best_value, best_position;
  QColor best_colour;
  for (QLineSeries* line : lines_) {
    const QList<QPointF> points = line->points();
    if (points.isEmpty()) continue;
    // The points stand in ascending x, so their x on the screen ascends too:
    // start at the mouse's x and walk out both ways until the horizontal
    // distance alone exceeds the nearest distance found.
    const double x = chart()->mapToValue(at, line).x();
    const auto first = std::partition_point(points.begin(), points.end(), [x](const QPointF& p) { return p.x() < x; });
    const qsizetype start = first - points.begin();
    const auto consider = [&](qsizetype k) {
      const QPointF p = chart()->mapToPosition(points[k], line);
      const double dx = std::fabs(p.x() - at.x());
      if (dx >= best) return false;
      const double d = std::hypot(dx, p.y() - at.y());
      if (seen.contains(p) && d < best) {
        best = d;
        best_value = points[k];
        best_position = p;
        best_colour = line->color();
      }
      return true;
    };
    for (qsizetype k = start; k < points.size() && consider(k); ++k) {
    }
    for (qsizetype k = start - 1; k >= 0 && consider(k); --k) {
    }
  }
  if (!std::isfinite(best)) {
    EndHover();
    return {};
  }
  marker_->setPen(QPen(best_colour, 1));
  marker_->setRect(QRectF(best_position - QPointF(kMarkerRadius, kMarkerRadius),
                          QSizeF(2 * kMarkerRadius, 2 * kMarkerRadius)));
  marker_->show();
  return QString::fromStdString(FloatToText(best_value.x()) + ", " + FloatToText(best_value.y()));
}

void ChartBox::EndHover() { marker_->hide(); }

void ChartBox::ZoomTo(const QRect& rect) {
  const QRect r = rect & PlotRect();
  ZoomToValuesUnder(r, r.width() >= kMinZoomPixels, r.height() >= kMinZoomPixels);
}

void ChartBox::ZoomAbout(QPoint pos, double factor) {
  if (!PlotRect().contains(pos) || !(factor > 0) || !std::isfinite(factor)) return;
  // Each axis narrows by the factor about the value under pos, which keeps its
  // place along the axis; on a logarithmic axis, in decades.
  const QPointF anchor = chart()->mapToValue(ToChart(pos), lines_.front());
  const auto zoom = [factor](const Axis& a, AxisRange r, double at) -> std::optional<AxisRange> {
    const bool log = a.settings.logarithmic;
    const auto to = [log](double v) { return log ? std::log10(v) : v; };
    const auto from = [log](double v) { return log ? std::pow(10.0, v) : v; };
    const double c = to(at);
    const AxisRange z{from(c - (c - to(r.min)) / factor), from(c + (to(r.max) - c) / factor)};
    if (!UsableRange(a, z)) return std::nullopt;
    return z;
  };
  const std::optional<AxisRange> x = zoom(bottom_, CurrentRange(bottom_), anchor.x());
  const std::optional<AxisRange> y = zoom(left_, CurrentRange(left_), anchor.y());
  if (!x || !y) return;
  EndHover();
  SetRanges(*x, *y, true);
}

AxisRange ChartBox::CurrentRange(const Axis& a) {
  if (a.settings.logarithmic) {
    auto* log = static_cast<QLogValueAxis*>(a.axis);
    return AxisRange{log->min(), log->max()};
  }
  auto* value = static_cast<QCategoryAxis*>(a.axis);
  return AxisRange{value->min(), value->max()};
}

bool ChartBox::UsableRange(const Axis& a, AxisRange r) {
  // Wider than the doubles can resolve, and positive on a logarithmic axis.
  return std::isfinite(r.min) && std::isfinite(r.max) &&
         r.max - r.min > 1e-12 * std::max(std::fabs(r.min), std::fabs(r.max)) &&
         (!a.settings.logarithmic || r.min > 0);
}

void ChartBox::ZoomToValuesUnder(const QRect& rect, bool along_x, bool along_y) {
  if (!along_x && !along_y) return;
  QLineSeries* ref = lines_.front();
  const QPointF low = chart()->mapToValue(ToChart(rect.bottomLeft()), ref);
  const QPointF high = chart()->mapToValue(ToChart(rect.topRight()), ref);
  AxisRange x = CurrentRange(bottom_);
  AxisRange y = CurrentRange(left_);
  const AxisRange wanted_x{low.x(), high.x()}, wanted_y{low.y(), high.y()};
  if (along_x && UsableRange(bottom_, wanted_x)) x = wanted_x;
  if (along_y && UsableRange(left_, wanted_y)) y = wanted_y;
  if (x == CurrentRange(bottom_) && y == CurrentRange(left_)) return;
  EndHover();
  SetRanges(x, y, true);
}

void ChartBox::ResetZoom() {
  EndHover();
  ShowData();
}

QMenu* ChartBox::BuildContextMenu(QWidget* parent) {
  auto* menu = new QMenu(parent);
  QAction* reset = menu->addAction("Reset zoom");
  reset->setObjectName("reset-zoom");
  reset->setEnabled(zoomed_);
  QObject::connect(reset, &QAction::triggered, view_, [this] { ResetZoom(); });
  for (const MenuEntries& add : menu_entries_) add(*menu, *this);
  return menu;
}

// ---------------------------------------------------------------- ChartView

ChartView::ChartView(QChart* chart, QWidget* parent, ChartBox& box) : QChartView(chart, parent), box_(box) {
  viewport()->setMouseTracking(true);
}

void ChartView::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton && box_.PlotRect().contains(e->position().toPoint())) {
    band_origin_ = e->position().toPoint();
    e->accept();
    return;
  }
  QChartView::mousePressEvent(e);
}

void ChartView::mouseMoveEvent(QMouseEvent* e) {
  const QPoint pos = e->position().toPoint();
  if (band_origin_ && (e->buttons() & Qt::LeftButton)) {
    if (band_ == nullptr) band_ = new QRubberBand(QRubberBand::Rectangle, viewport());
    band_->setGeometry(RectBetween(*band_origin_, pos) & box_.PlotRect());
    band_->show();
    box_.EndHover();
    QToolTip::hideText();
    e->accept();
    return;
  }
  const QString text = box_.Hover(pos);
  if (text.isEmpty()) {
    QToolTip::hideText();
  } else {
    QToolTip::showText(e->globalPosition().toPoint(), text, this);
  }
  QChartView::mouseMoveEvent(e);
}

void ChartView::mouseReleaseEvent(QMouseEvent* e) {
  if (band_origin_ && e->button() == Qt::LeftButton) {
    const QRect rect = RectBetween(*band_origin_, e->position().toPoint());
    band_origin_.reset();
    if (band_ != nullptr) band_->hide();
    box_.ZoomTo(rect);
    e->accept();
    return;
  }
  QChartView::mouseReleaseEvent(e);
}

void ChartView::mouseDoubleClickEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) {
    band_origin_.reset();
    box_.ResetZoom();
    e->accept();
    return;
  }
  QChartView::mouseDoubleClickEvent(e);
}

void ChartView::wheelEvent(QWheelEvent* e) {
  const QPoint pos = e->position().toPoint();
  const double notches = e->angleDelta().y() / 120.0;
  if (notches != 0 && box_.PlotRect().contains(pos)) {
    box_.ZoomAbout(pos, std::pow(kWheelZoom, notches));
    e->accept();
    return;
  }
  QChartView::wheelEvent(e);
}

void ChartView::leaveEvent(QEvent* e) {
  box_.EndHover();
  QToolTip::hideText();
  QChartView::leaveEvent(e);
}

void ChartView::contextMenuEvent(QContextMenuEvent* e) {
  QMenu* menu = box_.BuildContextMenu(this);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(e->globalPos());
  e->accept();
}

}  // namespace xray::gui
