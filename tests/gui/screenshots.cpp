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
// The folder defaults to "screenshots" and is created if missing.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QTest>
#include <cstdio>

#include "gui/main_window.h"
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

  return ok && errors == 0 ? 0 : 1;
}
