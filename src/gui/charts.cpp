#include "gui/charts.h"

#include <QApplication>
#include <QCategoryAxis>
#include <QGraphicsLayout>
#include <QGraphicsTextItem>
#include <QLogValueAxis>
#include <QPalette>
#include <QPen>
#include <QSet>
#include <QTextDocument>
#include <algorithm>
#include <cmath>

namespace xray::gui {

namespace {

// The chart library's spacing around axis labels (pixels): the gap between a
// label and its axis line, and the document margin of a label's text item.
constexpr double kLabelPadding = 4;
constexpr double kLabelTextMargin = 0.5;

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
  chart->setMargins(QMargins(look.Px(4), look.Px(2), look.Px(14), look.Px(2)));

  const bool spectrum = settings.fonts == ChartFonts::Spectrum;
  if (!settings.title.isEmpty()) {
    chart->setTitle(settings.title);
    chart->setTitleFont(spectrum ? look.SpectrumTitleFont() : look.ChartTextFont());
    chart->setTitleBrush(settings.title_colour);
  }
  axis_font_ = spectrum ? look.SpectrumAxisFont() : look.ChartTextFont();

  view_ = new QChartView(chart, page);
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
  Relabel(left_, std::nullopt);
  Relabel(bottom_, std::nullopt);
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

void ChartBox::Relabel(Axis& a, std::optional<AxisRange> data) {
  if (a.settings.logarithmic) return;  // fixed at both ends
  auto* axis = static_cast<QCategoryAxis*>(a.axis);
  const AxisRange range = ResolveRange(a.settings.limits, data, a.settings.label_step);
  const double length = PlotLength(a.orientation);
  const double span = range.max - range.min;
  const bool vertical = a.orientation == Qt::Vertical;

  // Labels fit when two neighbours leave a tenth of a label free between them
  // (its height on a vertical axis, the widest text on a horizontal one), and
  // when each label has its share of the axis: the chart library cuts a label
  // longer than (axis length / (labels + 1) - two label paddings) to "...".
  // Every label is one line high; only the widths need measuring, and only
  // once a step passes with the first label alone.
  const double line_height = LabelSize("0").height();
  const auto fits = [&](double step) {
    const std::vector<double> values = LabelValues(range, step);
    const double room = std::min(step / span * length / 1.1,
                                 length / static_cast<double>(values.size() + 1) - 2 * kLabelPadding);
    if (vertical || values.empty()) return room >= line_height;
    const auto width = [&](double v) {
      return LabelSize(QString::fromStdString(FormatWithPattern(v, a.settings.pattern))).width();
    };
    if (room < width(values.front())) return false;
    return std::all_of(values.begin(), values.end(), [&](double v) { return room >= width(v); });
  };
  const double step = ChooseLabelStep(range, a.settings.label_step, PatternResolution(a.settings.pattern), fits);
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

void ChartBox::Rescale(std::span<const std::vector<Point>> points_by_series) {
  std::optional<AxisRange> xs;
  std::optional<AxisRange> ys;
  const auto extend = [](std::optional<AxisRange>& r, double v) {
    if (!std::isfinite(v)) return;
    if (!r) r = AxisRange{v, v};
    r->min = std::min(r->min, v);
    r->max = std::max(r->max, v);
  };
  for (Series s : series_ids_) {
    for (const Point& p : points_by_series[Index(s)]) {
      extend(xs, p.x);
      extend(ys, p.y);
    }
  }
  // The left labels first: their width decides how long the bottom axis is.
  Relabel(left_, ys);
  Relabel(bottom_, xs);
}

}  // namespace xray::gui
