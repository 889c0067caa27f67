// Renders the main window and each of its tab pages to PNG files, so that the
// layout, fonts and charts can be looked at without a screen:
//
//   QT_QPA_PLATFORM=offscreen build-gui/tests/gui/xraycalc_screenshots [folder]
//
// writes start-<n>-<page>.png (as the window opens), then presses "Spectl" and
// "DQE(u)" with the default fields and writes spectl-<n>-<page>.png, and
// window-spectl.png: the window on its first page after a "Spectl" run.
// Last, window-status.png: the standard beam RQA5 chosen from the Beam menu,
// "Spectl" pressed, the Beam menu open and the beam quality in the status bar.
// Then measure-mtf-dialog.png and measure-wiener-dialog.png: the Detector
// menu's two dialogs on the shipped test images, measured.
// The folder defaults to "screenshots" and is created if missing.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QSpinBox>
#include <QTest>
#include <cstdio>

#include "gui/main_window.h"
#include "gui/measure_dialogs.h"
#include "gui/workbench.h"

namespace {

QString Slug(const QString& caption) {
  QString slug;
  for (QChar c : caption.toLower()) slug += c.isLetterOrNumber() ? c : QChar('-');
  return slug;
}

bool SaveImage(const QImage& image, const QDir& dir, const QString& name) {
  const QString path = dir.filePath(name);
  if (!image.save(path)) {
    std::fprintf(stderr, "xraycalc_screenshots: cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("%s\n", qPrintable(path));
  return true;
}

bool Save(QWidget& w, const QDir& dir, const QString& name) {
  QApplication::processEvents();
  return SaveImage(w.grab().toImage(), dir, name);
}

// The window with a menu of its menu bar open: the menu is a window of its
// own, so it is drawn onto the window's picture where it shows.
bool SaveWithMenu(TForm1& form, QMenu* menu, const QDir& dir, const QString& name) {
  QMenuBar* bar = menu->parentWidget() ? qobject_cast<QMenuBar*>(menu->parentWidget()) : nullptr;
  const QPoint at = bar ? bar->actionGeometry(menu->menuAction()).bottomLeft() : QPoint();
  menu->popup(bar ? bar->mapToGlobal(at) : form.mapToGlobal(QPoint()));
  QApplication::processEvents();
  QImage image = form.grab().toImage();
  {
    QPainter painter(&image);
    painter.drawPixmap(form.mapFromGlobal(menu->mapToGlobal(QPoint())), menu->grab());
  }
  menu->hide();
  return SaveImage(image, dir, name);
}

bool SavePages(TForm1& form, const QDir& dir, const QString& prefix) {
  bool ok = true;
  for (int k = 0; k < form.PageControl1->count(); ++k) {
    form.PageControl1->setCurrentIndex(k);
    ok &= Save(form, dir, QString("%1-%2-%3.png").arg(prefix).arg(k + 1).arg(Slug(form.PageControl1->tabText(k))));
  }
  form.PageControl1->setCurrentIndex(0);
  return ok;
}

// A measurement dialog with its files chosen, measured, at its opening size.
bool SaveMeasureDialog(xray::gui::MeasureDialog& dialog, const QDir& dir, const QString& name) {
  dialog.show();
  if (!QTest::qWaitForWindowExposed(&dialog)) {
    std::fprintf(stderr, "xraycalc_screenshots: %s was not exposed\n", qPrintable(name));
  }
  if (!dialog.MeasureNow()) {
    std::fprintf(stderr, "xraycalc_screenshots: %s: %s\n", qPrintable(name), qPrintable(dialog.errorText()));
    return false;
  }
  const bool ok = Save(dialog, dir, name);
  dialog.reject();
  return ok;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString("screenshots");
  QDir dir;
  if (!dir.mkpath(folder)) {
    std::fprintf(stderr, "xraycalc_screenshots: cannot create %s\n", qPrintable(folder));
    return 1;
  }
  dir.setPath(folder);

  int errors = 0;
  TForm1 form([&errors](QWidget*, const QString& text) {
    std::fprintf(stderr, "error box: %s\n", qPrintable(text));
    ++errors;
  });
  xray::gui::Workbench workbench(form, [&errors](QWidget*, const QString& text) {
    std::fprintf(stderr, "error box: %s\n", qPrintable(text));
    ++errors;
  });
  form.show();
  if (!QTest::qWaitForWindowExposed(&form)) std::fprintf(stderr, "xraycalc_screenshots: the window was not exposed\n");

  bool ok = SavePages(form, dir, "start");
  QTest::mouseClick(form.ButtonSpectl, Qt::LeftButton);
  ok &= Save(form, dir, "window-spectl.png");
  form.PageControl1->setCurrentWidget(form.TabSheet7);
  QTest::mouseClick(form.ButtonCalDQE, Qt::LeftButton);
  ok &= SavePages(form, dir, "spectl");

  auto* beam_menu = workbench.menuBar()->findChild<QMenu*>("BeamMenu");
  beam_menu->findChild<QAction*>("RQA5")->trigger();
  QTest::mouseClick(form.ButtonSpectl, Qt::LeftButton);
  ok &= SaveWithMenu(form, beam_menu, dir, "window-status.png");

  const QString data = XRAYCALC_MEASURE_DATA;
  xray::gui::MtfDialog mtf(form);
  mtf.SetFiles({data + "/edge.dcm"});
  const int region[4] = {8, 4, 112, 120};
  for (int k = 0; k < 4; ++k) mtf.regionSpin(static_cast<xray::gui::MeasureDialog::RegionPart>(k))->setValue(region[k]);
  ok &= SaveMeasureDialog(mtf, dir, "measure-mtf-dialog.png");
  xray::gui::WienerDialog wiener(form);
  wiener.darkOffsetEdit()->setText("100");
  wiener.SetFiles({data + "/flat1.dcm", data + "/flat2.dcm"});
  ok &= SaveMeasureDialog(wiener, dir, "measure-wiener-dialog.png");
  return ok && errors == 0 ? 0 : 1;
}
