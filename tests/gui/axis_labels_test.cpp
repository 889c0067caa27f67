// Axis labels of the charts: numeric patterns, ranges with fixed ends, label
// values and the choice of the label step.
#include <QTest>
#include <cmath>

#include "gui/axis_labels.h"

using xray::gui::AxisLimits;
using xray::gui::AxisRange;

namespace {

QList<double> ToList(const std::vector<double>& v) { return QList<double>(v.begin(), v.end()); }

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

QTEST_APPLESS_MAIN(TestAxisLabels)
#include "axis_labels_test.moc"
