#include "gui/menus.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>

#include "gui/help_pages.h"
#include "gui/measure_dialogs.h"
#include "gui/workbench.h"

namespace xray::gui {

namespace {

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// The edit command on the field or text box that has the focus; nothing elsewhere.
void OnFocusedEditor(const char* slot) {
  QWidget* w = QApplication::focusWidget();
  if (qobject_cast<QLineEdit*>(w) || qobject_cast<QPlainTextEdit*>(w)) QMetaObject::invokeMethod(w, slot);
}

void FillRecentMenu(QMenu& menu, Workbench& w) {
  menu.clear();
  const QStringList files = w.documents().RecentFiles();
  for (int k = 0; k < files.size(); ++k) {
    const QString path = files[k];
    QAction* a = menu.addAction(QString("&%1 %2").arg(k + 1).arg(QFileInfo(path).fileName()), &w,
                                [&w, path] { w.documents().OpenFile(path); });
    a->setToolTip(QDir::toNativeSeparators(path));
  }
  if (files.isEmpty()) {
    menu.addAction("No recent files")->setEnabled(false);
    return;
  }
  menu.addSeparator();
  menu.addAction("&Clear the List", &w, [&w] { w.documents().ClearRecentFiles(); });
}

void FillExportMenu(QMenu& menu, Workbench& w) {
  menu.clear();
  Exporter& e = w.exporter();
  menu.addAction("&Spectrum as CSV…", &e, [&e] { e.ExportSpectrumCsv(); });
  menu.addAction("&NEQ and DQE as CSV…", &e, [&e] { e.ExportNeqDqeCsv(); });
  const QList<QChartView*> charts = ChartsOn(w.form().PageControl1->currentWidget());
  if (charts.isEmpty()) return;
  menu.addSeparator();
  for (QChartView* view : charts) {
    const QString caption = ChartCaption(view);
    menu.addAction(QString("%1 as PNG…").arg(caption), &e, [&e, view] { e.ExportChartPng(view); });
    menu.addAction(QString("%1 as SVG…").arg(caption), &e, [&e, view] { e.ExportChartSvg(view); });
  }
  menu.addAction("All Charts of This Page as &PDF…", &e, [&e] { e.ExportPagePdf(); });
}

}  // namespace

void BuildMenuBar(QMenuBar& bar, Workbench& w) {
  bar.addMenu(BuildFileMenu(bar, w));
  bar.addMenu(BuildEditMenu(bar, w));
  bar.addMenu(BuildBeamMenu(bar, w));
  bar.addMenu(BuildDetectorMenu(bar, w));
  bar.addMenu(BuildHelpMenu(bar, w));
}

// The document keys are spelled out: without a desktop's key scheme Qt leaves
// some standard ones (Save As) unbound.
QMenu* BuildFileMenu(QMenuBar& bar, Workbench& w) {
  auto* menu = new QMenu("&File", &bar);
  menu->setObjectName("FileMenu");
  DocumentKeeper& d = w.documents();
  menu->addAction("&New", QKeySequence(Qt::CTRL | Qt::Key_N), &d, [&d] { d.New(); });
  menu->addAction("&Open…", QKeySequence(Qt::CTRL | Qt::Key_O), &d, [&d] { d.Open(); });
  QMenu* recent = menu->addMenu("Open &Recent");
  recent->setObjectName("RecentMenu");
  recent->setToolTipsVisible(true);
  QObject::connect(recent, &QMenu::aboutToShow, recent, [recent, &w] { FillRecentMenu(*recent, w); });
  FillRecentMenu(*recent, w);
  menu->addSeparator();
  menu->addAction("&Save", QKeySequence(Qt::CTRL | Qt::Key_S), &d, [&d] { d.Save(); });
  menu->addAction("Save &As…", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), &d, [&d] { d.SaveAs(); });
  menu->addSeparator();
  QMenu* exports = menu->addMenu("&Export");
  exports->setObjectName("ExportMenu");
  QObject::connect(exports, &QMenu::aboutToShow, exports, [exports, &w] { FillExportMenu(*exports, w); });
  FillExportMenu(*exports, w);
  menu->addSeparator();
  menu->addAction("&Quit", QKeySequence(Qt::CTRL | Qt::Key_Q), &w.form(), [&w] { w.form().close(); });
  return menu;
}

QMenu* BuildEditMenu(QMenuBar& bar, Workbench& w) {
  auto* menu = new QMenu("&Edit", &bar);
  menu->setObjectName("EditMenu");
  // The fields and text boxes take these keys themselves; the menu shows them
  // and reaches the one with the focus.
  menu->addAction("&Undo", QKeySequence::Undo, menu, [] { OnFocusedEditor("undo"); });
  menu->addAction("&Redo", QKeySequence::Redo, menu, [] { OnFocusedEditor("redo"); });
  menu->addSeparator();
  menu->addAction("Cu&t", QKeySequence::Cut, menu, [] { OnFocusedEditor("cut"); });
  menu->addAction("&Copy", QKeySequence::Copy, menu, [] { OnFocusedEditor("copy"); });
  menu->addAction("&Paste", QKeySequence::Paste, menu, [] { OnFocusedEditor("paste"); });
  menu->addSeparator();
  menu->addAction("Select &All", QKeySequence::SelectAll, menu, [] { OnFocusedEditor("selectAll"); });
  menu->addSeparator();
  QAction* copy_beam = menu->addAction("Copy the &Beam Quality", menu, [&w] {
    QGuiApplication::clipboard()->setText(w.statusBar()->BeamText());
  });
  QObject::connect(menu, &QMenu::aboutToShow, copy_beam,
                   [copy_beam, &w] { copy_beam->setEnabled(!w.statusBar()->BeamText().isEmpty()); });
  return menu;
}

QMenu* BuildBeamMenu(QMenuBar& bar, Workbench& w) {
  auto* menu = new QMenu("&Beam", &bar);
  menu->setObjectName("BeamMenu");
  menu->setToolTipsVisible(true);
  menu->addSection("IEC 61267 radiation qualities");
  for (const StandardBeam& beam : kStandardBeams) {
    const QString text = QString("%1: %2 kV, %3 mm Al").arg(Q(beam.name), Q(beam.kv_text), Q(beam.added_text));
    QAction* a = menu->addAction(text, &w, [&w, &beam] { w.TypeStandardBeam(beam); });
    a->setObjectName(Q(beam.name));
    if (!beam.unavailable.empty()) {
      const QString reason = Q(beam.unavailable);
      a->setText(text + " (beyond this model)");
      a->setToolTip(reason);
      a->setStatusTip(reason);
      a->setEnabled(false);
    } else {
      a->setToolTip("Types the tube voltage and the added filtration; then press \"Spectl\".");
    }
  }
  return menu;
}

QMenu* BuildHelpMenu(QMenuBar& bar, Workbench& w) {
  auto* menu = new QMenu("&Help", &bar);
  menu->setObjectName("HelpMenu");
  menu->addAction("The &Model…", QKeySequence(Qt::Key_F1), &w.form(), [&w] { ShowModel(&w.form()); });
  menu->addAction("&About xraycalc…", &w.form(), [&w] { ShowAbout(&w.form()); });
  return menu;
}

}  // namespace xray::gui
