#include "gui/help_pages.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QMessageBox>
#include <QTextBrowser>
#include <QVBoxLayout>

#ifndef XRAYCALC_VERSION
#error "XRAYCALC_VERSION is set by src/gui/CMakeLists.txt"
#endif

// The resources of a static library are registered by hand.
static void InitHelpResources() { Q_INIT_RESOURCE(help); }

namespace xray::gui {

QString AboutText() {
  return QString(
             "<h3>xraycalc %1</h3>"
             "<p>A calculator for diagnostic X-ray imaging physics: the spectrum of a tungsten-target "
             "tube, its calibration to photons per mm² for an exposure, and a detector's NEQ(u) and "
             "DQE(u).</p>"
             "<p>Licence: GPL-3.0-or-later (the GNU General Public License, version 3 or any later "
             "version). There is no warranty.</p>"
             "<p>Built with:</p><ul>"
             "<li>Qt 6 (Widgets, Charts, SVG), running on Qt %2: the window, its charts and their export</li>"
             "<li>nlohmann-json: sessions and documents</li>"
             "<li>CLI11: the command line, xraycalc-cli</li>"
             "<li>DCMTK, libtiff and FFTW3: measuring a detector from its images</li>"
             "</ul>")
      .arg(XRAYCALC_VERSION, qVersion());
}

void ShowAbout(QWidget* parent) { QMessageBox::about(parent, "About xraycalc", AboutText()); }

QString ModelText() {
  InitHelpResources();
  QFile file(":/help/model.md");
  if (!file.open(QIODevice::ReadOnly)) return "The model page is missing from this build.";
  return QString::fromUtf8(file.readAll());
}

QDialog* MakeModelDialog(QWidget* parent) {
  auto* dialog = new QDialog(parent);
  dialog->setObjectName("ModelDialog");
  dialog->setWindowTitle("The model");
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  auto* browser = new QTextBrowser(dialog);
  browser->setObjectName("ModelPage");
  browser->setOpenExternalLinks(true);
  browser->setMarkdown(ModelText());
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::close);
  auto* layout = new QVBoxLayout(dialog);
  layout->addWidget(browser);
  layout->addWidget(buttons);
  // Wide enough for the tables, as tall as the main window.
  const QFontMetrics metrics(browser->font());
  dialog->resize(110 * metrics.averageCharWidth(), 48 * metrics.lineSpacing());
  return dialog;
}

void ShowModel(QWidget* parent) {
  QDialog* dialog = MakeModelDialog(parent);
  dialog->show();  // not modal: it may stay open beside the window
}

}  // namespace xray::gui
