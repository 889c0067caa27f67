// Axis labels of the charts: numeric patterns, ranges with fixed ends, label
// values and the choice of the label step; and the labels the window's charts
// show: the label steps of the window's definition wherever the labels fit
// without overlapping, the lowest decade of the logarithmic axes included.
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QTest>
#include <cmath>
#include <memory>

#include "gui/axis_labels.h"
#include "gui/main_window.h"

using xray::gui::AxisLimits;
using xray::gui::AxisRange;

namespace {

QList<double> ToList(const std::vector<double>& v) { return QList<double>(v.begin(), v.end()); }

// The window in one of the states its charts are looked at in: as it opens,
// after "Spectl" at a tube voltage, or after "Spectl" and "DQE(u)".
std::unique_ptr<TForm1> WindowAfter(const QString& presses, const QString& kv) {
  auto form = std::make_unique<TForm1>([](QWidget*, const QString& text) { QFAIL(qPrintable(text)); });
  form->EditkV->setText(kv);
  if (presses.contains("Spectl")) form->ButtonSpectl->click();
  if (presses.contains("DQE")) form->ButtonCalDQE->click();
  QApplication::processEvents();  // the charts lay out their labels
  return form;
}

struct ShownLabel {
  QString text;
  QRectF place;  // in the chart
};

// The label texts a chart shows along one axis, in the order they stand
// (left to right, bottom to top): visible text items beside the plotting
// area, titles left out.
std::vector<ShownLabel> ShownLabels(const QChartView* view, Qt::Orientation o) {
  const QChart* chart = view->chart();
  const QRectF plot = chart->plotArea();
  QStringList titles{chart->title()};
  for (const QAbstractAxis* axis : chart->axes()) titles << axis->titleText();
  std::vector<ShownLabel> shown;
  for (QGraphicsItem* item : view->scene()->items()) {
    auto* text = dynamic_cast<QGraphicsTextItem*>(item);
    if (text == nullptr || !text->isVisible()) continue;
    QString label = text->toPlainText();
    label.remove(QChar(0x200B));  // keeps equal category texts apart, unseen
    if (label.isEmpty() || titles.contains(label)) continue;
    const QRectF place = chart->mapRectFromScene(text->sceneBoundingRect());
    const bool left = place.right() <= plot.left() + 1;
    const bool below = place.top() >= plot.bottom() - 1;
    if ((o == Qt::Vertical && left && !below) || (o == Qt::Horizontal && below && !left)) {
      shown.push_back({label, place});
    }
  }
  std::sort(shown.begin(), shown.end(), [o](const ShownLabel& a, const ShownLabel& b) {
    return o == Qt::Horizontal ? a.place.center().x() < b.place.center().x()
                               : a.place.center().y() > b.place.center().y();
  });
  return shown;
}

QStringList Texts(const std::vector<ShownLabel>& labels) {
  QStringList texts;
  for (const ShownLabel& l : labels) texts << l.text;
  return texts;
}

QStringList Steps(int from, int to, int step) {
  QStringList texts;
  for (int v = from; v <= to; v += step) texts << QString::number(v);
  return texts;
}

}  // namespace

class TestAxisLabels : public QObject {
  Q_OBJECT

 private slots:
  void formatWithPattern_data();
  void formatWithPattern();
  void patternResolution_data();
  void patternResolution();
  void resolveRange_data();
  void resolveRange();
  void labelValues_data();
  void labelValues();
  void chooseLabelStep_data();
  void chooseLabelStep();

  // ---- the window's charts
  void chartsShowTheirLabelSteps_data();
  void chartsShowTheirLabelSteps();
  void chartLabelsNeverOverlap_data();
  void chartLabelsNeverOverlap();
};

void TestAxisLabels::formatWithPattern_data() {
  QTest::addColumn<QString>("pattern");
  QTest::addColumn<double>("value");
  QTest::addColumn<QString>("text");
  // "###." and "#.": whole numbers, no separator, and no required digit at all.
  QTest::newRow("###. ten") << "###." << 10.0 << "10";
  QTest::newRow("###. rounds") << "###." << 99.7 << "100";
  QTest::newRow("###. zero is empty") << "###." << 0.0 << "";
  QTest::newRow("###. wider than the pattern") << "###." << 12345.0 << "12345";
  QTest::newRow("#. thousands, no grouping") << "#." << 4000.0 << "4000";
  QTest::newRow("#. negative") << "#." << -3.0 << "-3";
  // "#0.#": one required integer digit, one optional decimal.
  QTest::newRow("#0.# zero") << "#0.#" << 0.0 << "0";
  QTest::newRow("#0.# whole") << "#0.#" << 20000.0 << "20000";
  QTest::newRow("#0.# one decimal") << "#0.#" << 1.5 << "1.5";
  QTest::newRow("#0.# rounds to whole") << "#0.#" << 2.96 << "3";
  QTest::newRow("#0.# fraction below one") << "#0.#" << 0.5 << "0.5";
  QTest::newRow("#0.# negative") << "#0.#" << -2.5 << "-2.5";
  QTest::newRow("#0.# tiny negative is zero") << "#0.#" << -0.01 << "0";
  // The default "#,##0.###": grouped thousands, up to three decimals.
  QTest::newRow("default grouping") << "#,##0.###" << 1234567.5 << "1,234,567.5";
  QTest::newRow("default thousand") << "#,##0.###" << 1000.0 << "1,000";
  QTest::newRow("default below thousand") << "#,##0.###" << 999.0 << "999";
  QTest::newRow("default three decimals") << "#,##0.###" << 0.001 << "0.001";
  QTest::newRow("default rounds up to a group") << "#,##0.###" << 999.9996 << "1,000";
  QTest::newRow("default below resolution") << "#,##0.###" << 0.0004 << "0";
  QTest::newRow("default no minus zero") << "#,##0.###" << -0.0004 << "0";
  QTest::newRow("default negative grouped") << "#,##0.###" << -25000.25 << "-25,000.25";
  // Required decimals stay.
  QTest::newRow("0.00") << "0.00" << 3.0 << "3.00";
  QTest::newRow("00.0#") << "00.0#" << 5.0 << "05.0";
}

void TestAxisLabels::formatWithPattern() {
  QFETCH(QString, pattern);
  QFETCH(double, value);
  QFETCH(QString, text);
  const std::string p = pattern.toStdString();
  QCOMPARE(QString::fromStdString(xray::gui::FormatWithPattern(value, p)), text);
}

void TestAxisLabels::patternResolution_data() {
  QTest::addColumn<QString>("pattern");
  QTest::addColumn<double>("resolution");
  QTest::newRow("###.") << "###." << 1.0;
  QTest::newRow("#.") << "#." << 1.0;
  QTest::newRow("#0.#") << "#0.#" << 0.1;
  QTest::newRow("default") << "#,##0.###" << 0.001;
  QTest::newRow("no separator") << "#0" << 1.0;
}

void TestAxisLabels::patternResolution() {
  QFETCH(QString, pattern);
  QFETCH(double, resolution);
  const std::string p = pattern.toStdString();
  QCOMPARE(xray::gui::PatternResolution(p), resolution);
}

void TestAxisLabels::resolveRange_data() {
  QTest::addColumn<double>("fixedMin");  // NaN: automatic
  QTest::addColumn<double>("fixedMax");
  QTest::addColumn<bool>("hasData");
  QTest::addColumn<double>("dataMin");
  QTest::addColumn<double>("dataMax");
  QTest::addColumn<double>("widen");
  QTest::addColumn<double>("min");
  QTest::addColumn<double>("max");
  const double a = std::nan("");
  QTest::newRow("automatic follows the data") << a << a << true << 15.0 << 160.0 << 0.0 << 15.0 << 160.0;
  QTest::newRow("fixed minimum, maximum follows") << 10.0 << a << true << 15.0 << 80.0 << 10.0 << 10.0 << 80.0;
  QTest::newRow("fixed minimum below the data") << 0.0 << a << true << 3.5 << 99249.4 << 0.0 << 0.0 << 99249.4;
  QTest::newRow("both fixed clip the data") << 0.0 << 70.0 << true << 8.0 << 992.0 << 0.0 << 0.0 << 70.0;
  QTest::newRow("no points, fixed minimum") << 10.0 << a << false << 0.0 << 0.0 << 10.0 << 10.0 << 20.0;
  QTest::newRow("no points, automatic") << a << a << false << 0.0 << 0.0 << 0.0 << 0.0 << 1.0;
  QTest::newRow("one point") << a << a << true << 5.0 << 5.0 << 1.0 << 5.0 << 6.0;
  QTest::newRow("data below fixed minimum") << 10.0 << a << true << 1.0 << 5.0 << 10.0 << 10.0 << 20.0;
  QTest::newRow("fixed maximum only") << a << 0.0 << true << 0.0 << 0.0 << 2.0 << -2.0 << 0.0;
}

void TestAxisLabels::resolveRange() {
  QFETCH(double, fixedMin);
  QFETCH(double, fixedMax);
  QFETCH(bool, hasData);
  QFETCH(double, dataMin);
  QFETCH(double, dataMax);
  QFETCH(double, widen);
  QFETCH(double, min);
  QFETCH(double, max);
  AxisLimits limits;
  if (!std::isnan(fixedMin)) limits.min = fixedMin;
  if (!std::isnan(fixedMax)) limits.max = fixedMax;
  std::optional<AxisRange> data;
  if (hasData) data = AxisRange{dataMin, dataMax};
  const AxisRange r = xray::gui::ResolveRange(limits, data, widen);
  QCOMPARE(r.min, min);
  QCOMPARE(r.max, max);
}

void TestAxisLabels::labelValues_data() {
  QTest::addColumn<double>("min");
  QTest::addColumn<double>("max");
  QTest::addColumn<double>("step");
  QTest::addColumn<QList<double>>("values");
  QTest::newRow("photon energy") << 10.0 << 80.0 << 10.0 << QList<double>{10, 20, 30, 40, 50, 60, 70, 80};
  QTest::newRow("first multiple above the minimum") << 15.0 << 62.0 << 20.0 << QList<double>{20, 40, 60};
  QTest::newRow("fluence") << 0.0 << 99249.38 << 20000.0 << QList<double>{0, 20000, 40000, 60000, 80000};
  QTest::newRow("frequency") << 0.2083 << 3.3333 << 0.5 << QList<double>{0.5, 1, 1.5, 2, 2.5, 3};
  // 3 x 0.1 is a hair above 0.3: the label still stands on the end.
  QTest::newRow("no drift at the end") << 0.0 << 0.3 << 0.1 << QList<double>{0, 0.1, 0.2, 0.3};
  QTest::newRow("negative range") << -25.0 << -5.0 << 10.0 << QList<double>{-20, -10};
  QTest::newRow("step wider than the range") << 1.0 << 2.0 << 10.0 << QList<double>{};
  QTest::newRow("no step") << 0.0 << 1.0 << 0.0 << QList<double>{};
}

void TestAxisLabels::labelValues() {
  QFETCH(double, min);
  QFETCH(double, max);
  QFETCH(double, step);
  QFETCH(QList<double>, values);
  const QList<double> got = ToList(xray::gui::LabelValues({min, max}, step));
  QCOMPARE(got.size(), values.size());
  for (qsizetype k = 0; k < got.size(); ++k) {
    QVERIFY2(std::fabs(got[k] - values[k]) <= 1e-12 * std::max(1.0, std::fabs(values[k])),
             qPrintable(QString("label %1: %2 instead of %3").arg(k).arg(got[k], 0, 'g', 17).arg(values[k])));
  }
  for (double v : got) QVERIFY(v >= min && v <= max);
}

void TestAxisLabels::chooseLabelStep_data() {
  QTest::addColumn<double>("min");
  QTest::addColumn<double>("max");
  QTest::addColumn<double>("given");
  QTest::addColumn<double>("resolution");
  QTest::addColumn<double>("fitsFrom");  // the labels fit at this step and above
  QTest::addColumn<double>("step");
  QTest::newRow("fixed step that fits is kept") << 10.0 << 80.0 << 10.0 << 1.0 << 0.0 << 10.0;
  QTest::newRow("fixed step thinned x2") << 0.0 << 8000.0 << 1000.0 << 1.0 << 1500.0 << 2000.0;
  QTest::newRow("fixed step thinned x5") << 0.0 << 30000.0 << 1000.0 << 1.0 << 4000.0 << 5000.0;
  QTest::newRow("fixed step thinned x10") << 0.0 << 30000.0 << 1000.0 << 1.0 << 8000.0 << 10000.0;
  QTest::newRow("automatic, smallest nice step that fits") << 0.0 << 3.3 << 0.0 << 0.001 << 0.3 << 0.5;
  QTest::newRow("automatic, decade") << 15.0 << 160.0 << 0.0 << 0.001 << 12.0 << 20.0;
  QTest::newRow("automatic, never finer than the pattern") << 0.0 << 2.0 << 0.0 << 1.0 << 0.0 << 1.0;
  // Even when everything fits, at most kMaxLabels labels.
  QTest::newRow("automatic, label count capped") << 0.0 << 1e9 << 0.0 << 0.001 << 0.0 << 1e7;
  QTest::newRow("fixed, label count capped") << 0.0 << 1e6 << 1.0 << 1.0 << 0.0 << 10000.0;
}

void TestAxisLabels::chooseLabelStep() {
  QFETCH(double, min);
  QFETCH(double, max);
  QFETCH(double, given);
  QFETCH(double, resolution);
  QFETCH(double, fitsFrom);
  QFETCH(double, step);
  const double got = xray::gui::ChooseLabelStep({min, max}, given, resolution,
                                                [&](double s) { return s >= fitsFrom * (1 - 1e-12); });
  QVERIFY2(std::fabs(got - step) <= 1e-9 * step, qPrintable(QString("%1 instead of %2").arg(got).arg(step)));
}

// ------------------------------------------------------------------ the window's charts

void TestAxisLabels::chartsShowTheirLabelSteps_data() {
  QTest::addColumn<QString>("presses");
  QTest::addColumn<QString>("kv");
  QTest::addColumn<QString>("chart");
  QTest::addColumn<bool>("vertical");
  QTest::addColumn<QStringList>("labels");
  // Percent every 10 (the zero is written empty by "###.").
  QTest::newRow("inherent %") << "Spectl" << "80" << "Chart1" << true << Steps(10, 100, 10);
  // Photon energy every 10 keV from the fixed minimum up, at the top voltage too.
  QTest::newRow("inherent keV, 80 kV") << "Spectl" << "80" << "Chart1" << false << Steps(10, 80, 10);
  QTest::newRow("inherent keV, 149.9 kV") << "Spectl" << "149.9" << "Chart1" << false << Steps(10, 140, 10);
  QTest::newRow("added keV, 149.9 kV") << "Spectl" << "149.9" << "Chart7" << false << Steps(10, 140, 10);
  // K photons: every 1 % of the table's 0 to 10.9, every 10 kV of its 70 to 150.
  QTest::newRow("K-photon %") << "" << "80" << "Chart5" << true << Steps(0, 10, 1);
  QTest::newRow("K-photon kV") << "" << "80" << "Chart5" << false << Steps(70, 150, 10);
  // The logarithmic axes: every decade of their fixed ranges, the lowest included.
  QTest::newRow("tungsten, 1 to 500") << "" << "80" << "Chart2" << true << QStringList{"1", "10", "100"};
  QTest::newRow("aluminium, 0.1 to 50") << "" << "80" << "Chart3" << true << QStringList{"0.1", "1", "10"};
  QTest::newRow("air, 0.01 to 10") << "" << "80" << "Chart6" << true << QStringList{"0.01", "0.1", "1", "10"};
  QTest::newRow("photon energy, 10 to 200") << "" << "80" << "Chart6" << false << QStringList{"10", "100"};
  // DQE from 0 to 70 %, every 10.
  QTest::newRow("DQE %") << "Spectl DQE" << "80" << "Chart9" << true << Steps(0, 70, 10);
}

void TestAxisLabels::chartsShowTheirLabelSteps() {
  QFETCH(QString, presses);
  QFETCH(QString, kv);
  QFETCH(QString, chart);
  QFETCH(bool, vertical);
  QFETCH(QStringList, labels);
  const std::unique_ptr<TForm1> form = WindowAfter(presses, kv);
  const auto* view = form->findChild<QChartView*>(chart);
  QVERIFY(view);
  QCOMPARE(Texts(ShownLabels(view, vertical ? Qt::Vertical : Qt::Horizontal)), labels);
}

void TestAxisLabels::chartLabelsNeverOverlap_data() {
  QTest::addColumn<QString>("presses");
  QTest::addColumn<QString>("kv");
  QTest::newRow("as the window opens") << "" << "80";
  QTest::newRow("80 kV, DQE") << "Spectl DQE" << "80";
  QTest::newRow("149.9 kV, DQE") << "Spectl DQE" << "149.9";
  QTest::newRow("30 kV, DQE") << "Spectl DQE" << "30";
}

void TestAxisLabels::chartLabelsNeverOverlap() {
  // Every label of every chart stands clear of its neighbours and inside the chart.
  QFETCH(QString, presses);
  QFETCH(QString, kv);
  const std::unique_ptr<TForm1> form = WindowAfter(presses, kv);
  for (const QChartView* view : form->findChildren<QChartView*>()) {
    const QRectF inside = view->chart()->rect();
    for (Qt::Orientation o : {Qt::Horizontal, Qt::Vertical}) {
      const std::vector<ShownLabel> labels = ShownLabels(view, o);
      QVERIFY2(!labels.empty(), qPrintable(view->objectName()));
      for (std::size_t k = 0; k < labels.size(); ++k) {
        const QString where = QString("%1: label %2").arg(view->objectName(), labels[k].text);
        QVERIFY2(inside.contains(labels[k].place), qPrintable(where + " outside the chart"));
        if (k > 0) QVERIFY2(!labels[k].place.intersects(labels[k - 1].place), qPrintable(where + " overlaps"));
      }
    }
  }
}

QTEST_MAIN(TestAxisLabels)
#include "axis_labels_test.moc"
