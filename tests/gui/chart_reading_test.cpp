// Reading the charts with the mouse: hovering shows the nearest point of the
// line, the wheel and a dragged rectangle zoom, a double-click or the context
// menu's "Reset zoom" shows the whole chart again, and none of it leaves a
// trace on the chart once the mouse has gone. Runs without a screen.
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QMenu>
#include <QTest>
#include <QToolTip>
#include <QValueAxis>
#include <QWheelEvent>
#include <cmath>
#include <limits>
#include <memory>

#include "gui/main_window.h"
#include "numeric/number_text.h"

using xray::gui::ChartBox;

namespace {

// A shown window after "Spectl" and "DQE(u)" with the default fields.
struct Fixture {
  std::unique_ptr<TForm1> form;
  Fixture() {
    form = std::make_unique<TForm1>([](QWidget*, const QString& text) { QFAIL(qPrintable(text)); });
    form->ButtonSpectl->click();
    form->ButtonCalDQE->click();
    form->show();
    QApplication::setActiveWindow(form.get());
    if (!QTest::qWaitForWindowExposed(form.get())) qWarning("the window was not exposed");
  }
  // The chart of a view, on its page in front.
  ChartBox& Chart(const QString& name) {
    for (const auto& box : form->charts()) {
      if (box->view()->objectName() != name) continue;
      form->PageControl1->setCurrentWidget(box->view()->parentWidget());
      QApplication::processEvents();
      return *box;
    }
    qFatal("no chart %s", qPrintable(name));
  }
};

std::pair<double, double> Range(const ChartBox& box, Qt::Orientation o) {
  QAbstractAxis* axis = box.chart()->axes(o).front();
  if (auto* log = qobject_cast<QLogValueAxis*>(axis)) return {log->min(), log->max()};
  auto* value = qobject_cast<QValueAxis*>(axis);
  return {value->min(), value->max()};
}

QPointF ValueAt(const ChartBox& box, QPoint pos) {
  return box.chart()->mapToValue(box.chart()->mapFromScene(box.view()->mapToScene(pos)), box.line(0));
}

// The point of the chart's lines nearest to pos on the screen, by looking at
// every point the plotting area shows.
std::optional<QPointF> NearestByEveryPoint(const ChartBox& box, QPoint pos) {
  const QRectF plot = box.chart()->plotArea().adjusted(-0.5, -0.5, 0.5, 0.5);
  const QPointF at = box.chart()->mapFromScene(box.view()->mapToScene(pos));
  double best = std::numeric_limits<double>::infinity();
  std::optional<QPointF> nearest;
  for (std::size_t k = 0; k < box.series().size(); ++k) {
    for (const QPointF& p : box.line(k)->points()) {
      const QPointF shown = box.chart()->mapToPosition(p, box.line(k));
      const double d = std::hypot(shown.x() - at.x(), shown.y() - at.y());
      if (plot.contains(shown) && d < best) {
        best = d;
        nearest = p;
      }
    }
  }
  return nearest;
}

void Wheel(QWidget* viewport, QPoint pos, int notches) {
  QWheelEvent e(pos, viewport->mapToGlobal(pos), QPoint(), QPoint(0, 120 * notches), Qt::NoButton, Qt::NoModifier,
                Qt::NoScrollPhase, false);
  QApplication::sendEvent(viewport, &e);
}

}  // namespace

class TestChartReading : public QObject {
  Q_OBJECT

 private slots:
  void hoverShowsTheNearestPoint_data();
  void hoverShowsTheNearestPoint();
  void hoverOutsideThePlotShowsNothing();
  void noTraceOnceTheMouseHasGone();
  void wheelZoomsAboutTheMouse_data();
  void wheelZoomsAboutTheMouse();
  void draggedRectangleZooms_data();
  void draggedRectangleZooms();
  void doubleClickAndMenuResetTheZoom();
  void newDataShowsTheWholeChart();
  void contextMenuTakesMoreEntries();
};

void TestChartReading::hoverShowsTheNearestPoint_data() {
  QTest::addColumn<QString>("chart");
  QTest::newRow("inherent spectrum, three lines") << "Chart1";
  QTest::newRow("NEQ") << "Chart8";
  QTest::newRow("DQE") << "Chart9";
  QTest::newRow("aluminium, log-log") << "Chart3";
  QTest::newRow("Thomson-Whiddington") << "Chart4";
}

void TestChartReading::hoverShowsTheNearestPoint() {
  // Over a grid of mouse positions across the plotting area the tooltip names
  // the point nearest on the screen, as a look at every point finds it.
  QFETCH(QString, chart);
  Fixture f;
  ChartBox& box = f.Chart(chart);
  const QRect plot = box.PlotRect();
  int checked = 0;
  for (int i = 1; i < 8; ++i) {
    for (int j = 1; j < 6; ++j) {
      const QPoint pos(plot.left() + plot.width() * i / 8, plot.top() + plot.height() * j / 6);
      QTest::mouseMove(box.view()->viewport(), pos);
      const std::optional<QPointF> nearest = NearestByEveryPoint(box, pos);
      QVERIFY(nearest);
      const QString expected =
          QString::fromStdString(xray::FloatToText(nearest->x()) + ", " + xray::FloatToText(nearest->y()));
      QCOMPARE(box.Hover(pos), expected);
      QTRY_COMPARE(QToolTip::text(), expected);
      ++checked;
    }
  }
  QCOMPARE(checked, 35);
}

void TestChartReading::hoverOutsideThePlotShowsNothing() {
  Fixture f;
  ChartBox& box = f.Chart("Chart9");
  const QRect plot = box.PlotRect();
  QTest::mouseMove(box.view()->viewport(), plot.center());
  QTRY_VERIFY(!QToolTip::text().isEmpty());
  // Beside the axis labels, left of the plotting area.
  const QPoint beside(plot.left() - 10, plot.center().y());
  QTest::mouseMove(box.view()->viewport(), beside);
  QVERIFY(box.Hover(beside).isEmpty());
  QTRY_VERIFY(QToolTip::text().isEmpty());
}

void TestChartReading::noTraceOnceTheMouseHasGone() {
  // Hovering rings a point and zooming relabels the axes; once the mouse has
  // left and the zoom is reset, the chart looks exactly as before.
  Fixture f;
  ChartBox& box = f.Chart("Chart1");
  const QImage before = box.view()->grab().toImage();
  const QRect plot = box.PlotRect();
  QTest::mouseMove(box.view()->viewport(), plot.center());
  QVERIFY(!box.Hover(plot.center()).isEmpty());
  QVERIFY(box.view()->grab().toImage() != before);  // the ring shows
  Wheel(box.view()->viewport(), plot.center(), 2);
  QVERIFY(box.zoomed());
  QTest::mouseDClick(box.view()->viewport(), Qt::LeftButton, Qt::NoModifier, plot.center());
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(box.view(), &leave);
  QApplication::processEvents();
  QCOMPARE(box.view()->grab().toImage(), before);
}

void TestChartReading::wheelZoomsAboutTheMouse_data() {
  QTest::addColumn<QString>("chart");
  QTest::addColumn<int>("notches");
  QTest::newRow("in, linear axes") << "Chart1" << 1;
  QTest::newRow("in three notches") << "Chart9" << 3;
  QTest::newRow("out, linear axes") << "Chart8" << -2;
  QTest::newRow("in, log-log") << "Chart6" << 2;
}

void TestChartReading::wheelZoomsAboutTheMouse() {
  // Each notch narrows both axes by 1.25 (a logarithmic axis in decades), and
  // the value under the mouse keeps its place along each axis.
  QFETCH(QString, chart);
  QFETCH(int, notches);
  Fixture f;
  ChartBox& box = f.Chart(chart);
  const QRect plot = box.PlotRect();
  const QPoint pos(plot.left() + plot.width() / 3, plot.top() + plot.height() * 2 / 3);
  const QPointF under = ValueAt(box, pos);
  const bool log = qobject_cast<QLogValueAxis*>(box.chart()->axes(Qt::Vertical).front()) != nullptr;
  const auto scale = [log](double v) { return log ? std::log10(v) : v; };
  const auto span = [&](std::pair<double, double> r) { return scale(r.second) - scale(r.first); };
  const auto place = [&](std::pair<double, double> r, double v) { return (scale(v) - scale(r.first)) / span(r); };
  const auto x = Range(box, Qt::Horizontal), y = Range(box, Qt::Vertical);
  Wheel(box.view()->viewport(), pos, notches);
  QVERIFY(box.zoomed());
  const double factor = std::pow(1.25, notches);
  const auto zx = Range(box, Qt::Horizontal), zy = Range(box, Qt::Vertical);
  QVERIFY(std::fabs(span(zx) * factor / span(x) - 1) < 1e-9);
  QVERIFY(std::fabs(span(zy) * factor / span(y) - 1) < 1e-9);
  QVERIFY(std::fabs(place(zx, under.x()) - place(x, under.x())) < 1e-9);
  QVERIFY(std::fabs(place(zy, under.y()) - place(y, under.y())) < 1e-9);
}

void TestChartReading::draggedRectangleZooms_data() {
  QTest::addColumn<QString>("chart");
  QTest::addColumn<QRect>("band");  // in fractions of the plot, times 100
  QTest::addColumn<bool>("xChanges");
  QTest::addColumn<bool>("yChanges");
  QTest::newRow("a rectangle") << "Chart7" << QRect(QPoint(20, 10), QPoint(60, 70)) << true << true;
  QTest::newRow("drawn up and left") << "Chart4" << QRect(QPoint(70, 80), QPoint(30, 20)) << true << true;
  QTest::newRow("flat: the x axis only") << "Chart9" << QRect(QPoint(10, 50), QPoint(50, 50)) << true << false;
  QTest::newRow("upright: the y axis only") << "Chart8" << QRect(QPoint(40, 20), QPoint(40, 90)) << false << true;
  QTest::newRow("a click: nothing") << "Chart1" << QRect(QPoint(40, 40), QPoint(40, 40)) << false << false;
}

void TestChartReading::draggedRectangleZooms() {
  // The axes then show the values under the rectangle's corners.
  QFETCH(QString, chart);
  QFETCH(QRect, band);
  QFETCH(bool, xChanges);
  QFETCH(bool, yChanges);
  Fixture f;
  ChartBox& box = f.Chart(chart);
  const QRect plot = box.PlotRect();
  const auto at = [&](QPoint percent) {
    return QPoint(plot.left() + plot.width() * percent.x() / 100, plot.top() + plot.height() * percent.y() / 100);
  };
  const QPoint from = at(band.topLeft()), to = at(QPoint(band.left() + band.width() - 1, band.top() + band.height() - 1));
  const QPointF a = ValueAt(box, from), b = ValueAt(box, to);
  const auto x = Range(box, Qt::Horizontal), y = Range(box, Qt::Vertical);
  QWidget* viewport = box.view()->viewport();
  QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, from);
  QTest::mouseMove(viewport, (from + to) / 2);
  QTest::mouseMove(viewport, to);
  QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, to);
  QCOMPARE(box.zoomed(), xChanges || yChanges);
  const auto expect = [](std::pair<double, double> now, std::pair<double, double> was, double p, double q, bool changes) {
    const std::pair<double, double> wanted = changes ? std::pair{std::min(p, q), std::max(p, q)} : was;
    return std::fabs(now.first - wanted.first) <= 1e-9 * std::fabs(was.second - was.first) &&
           std::fabs(now.second - wanted.second) <= 1e-9 * std::fabs(was.second - was.first);
  };
  QVERIFY(expect(Range(box, Qt::Horizontal), x, a.x(), b.x(), xChanges));
  QVERIFY(expect(Range(box, Qt::Vertical), y, a.y(), b.y(), yChanges));
}

void TestChartReading::doubleClickAndMenuResetTheZoom() {
  Fixture f;
  ChartBox& box = f.Chart("Chart1");
  const auto x = Range(box, Qt::Horizontal), y = Range(box, Qt::Vertical);
  const QPoint centre = box.PlotRect().center();

  std::unique_ptr<QMenu> menu(box.BuildContextMenu(nullptr));
  QAction* reset = menu->findChild<QAction*>("reset-zoom");
  QVERIFY(reset);
  QCOMPARE(reset->text(), QString("Reset zoom"));
  QVERIFY(!reset->isEnabled());  // nothing to reset yet

  Wheel(box.view()->viewport(), centre, 3);
  QVERIFY(Range(box, Qt::Horizontal) != x);
  QTest::mouseDClick(box.view()->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
  QVERIFY(!box.zoomed());
  QCOMPARE(Range(box, Qt::Horizontal), x);
  QCOMPARE(Range(box, Qt::Vertical), y);

  Wheel(box.view()->viewport(), centre, -3);
  menu.reset(box.BuildContextMenu(nullptr));
  reset = menu->findChild<QAction*>("reset-zoom");
  QVERIFY(reset->isEnabled());
  reset->trigger();
  QVERIFY(!box.zoomed());
  QCOMPARE(Range(box, Qt::Horizontal), x);
  QCOMPARE(Range(box, Qt::Vertical), y);
}

void TestChartReading::newDataShowsTheWholeChart() {
  Fixture f;
  ChartBox& box = f.Chart("Chart9");
  Wheel(box.view()->viewport(), box.PlotRect().center(), 4);
  QVERIFY(box.zoomed());
  f.form->EditG->setText("900");
  f.form->ButtonCalDQE->click();
  QVERIFY(!box.zoomed());
  QCOMPARE(Range(box, Qt::Vertical), std::make_pair(0.0, 70.0));  // the DQE axis's fixed ends
  QCOMPARE(Range(box, Qt::Horizontal).first, 0.0);
}

void TestChartReading::contextMenuTakesMoreEntries() {
  // Other parts of the window add their entries after the chart's own.
  Fixture f;
  ChartBox& box = f.Chart("Chart8");
  QString seen;
  box.AddMenuEntries([&seen](QMenu& menu, ChartBox& chart) {
    menu.addSeparator();
    QObject::connect(menu.addAction("Export…"), &QAction::triggered, &menu,
                     [&seen, &chart] { seen = chart.view()->objectName(); });
  });
  std::unique_ptr<QMenu> menu(box.BuildContextMenu(nullptr));
  const QList<QAction*> actions = menu->actions();
  QCOMPARE(actions.size(), 3);
  QCOMPARE(actions.front()->text(), QString("Reset zoom"));
  QVERIFY(actions[1]->isSeparator());
  actions.back()->trigger();
  QCOMPARE(seen, QString("Chart8"));
}

QTEST_MAIN(TestChartReading)
#include "chart_reading_test.moc"
