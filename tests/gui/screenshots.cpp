// Renders the main window and each of its tab pages to PNG files, so that the
// layout, fonts and charts can be looked at without a screen:
//
//   QT_QPA_PLATFORM=offscreen build-gui/tests/gui/xraycalc_screenshots [folder]
//
// writes start-<n>-<page>.png (as the window opens), then presses "Spectl" and
// "DQE(u)" with the default fields and writes spectl-<n>-<page>.png, and
// window-spectl.png: the window on its first page after a "Spectl" run.
// The folder defaults to "screenshots" and is created if missing.
#include <QApplication>
#include <QDir>
#include <QTest>
#include <cstdio>

#include "gui/main_window.h"

namespace {

QString Slug(const QString& caption) {
  QString slug;
  for (QChar c : caption.toLower()) slug += c.isLetterOrNumber() ? c : QChar('-');
  return slug;
}

bool Save(QWidget& w, const QDir& dir, const QString& name) {
  QApplication::processEvents();
  const QString path = dir.filePath(name);
  if (!w.grab().save(path)) {
    std::fprintf(stderr, "xraycalc_screenshots: cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("%s\n", qPrintable(path));
  return true;
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
  form.show();
  if (!QTest::qWaitForWindowExposed(&form)) std::fprintf(stderr, "xraycalc_screenshots: the window was not exposed\n");

  bool ok = SavePages(form, dir, "start");
  QTest::mouseClick(form.ButtonSpectl, Qt::LeftButton);
  ok &= Save(form, dir, "window-spectl.png");
  form.PageControl1->setCurrentWidget(form.TabSheet7);
  QTest::mouseClick(form.ButtonCalDQE, Qt::LeftButton);
  ok &= SavePages(form, dir, "spectl");
  return ok && errors == 0 ? 0 : 1;
}
