// File ▸ Export and the charts' context menus: the spectrum and the NEQ/DQE
// tables as CSV, a chart as PNG (a chosen size, sharp on high-dpi screens) or
// SVG, and every chart of the current page as one PDF, a chart per page.
//
// The CSV text comes from form/export_tables.h (the numbers as the window
// holds them); every file is written through a temporary file that replaces
// the target only when it is whole.
#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QSize>
#include <QString>
#include <functional>
#include <optional>
#include <string>

class QChartView;
class QMenu;
class QWidget;
class TForm1;

namespace xray::gui {

// A PNG's layout size in pixels and how many image pixels each of them takes
// (2 for a high-dpi screen: an image twice as wide and tall, marked so).
struct PngOptions {
  QSize size;
  double device_pixel_ratio = 2;
};

// Writes the bytes through a temporary file renamed over the target; false
// with the system's reason in *error when it cannot.
bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* error);

// The CSV texts of the window as it stands.
std::string SpectrumCsvOf(const TForm1& form);
std::string NeqDqeCsvOf(const TForm1& form);

// The chart drawn at the options' size (its layout redone for that size) into
// a PNG, and at its own size into an SVG; the charts into a PDF, one page each.
bool SaveChartPng(QChartView* view, const QString& path, const PngOptions& options, QString* error);
bool SaveChartSvg(QChartView* view, const QString& path, QString* error);
bool SaveChartsPdf(const QList<QChartView*>& views, const QString& path, QString* error);

// The charts on a tab page, in the order they were made; a file name for one.
QList<QChartView*> ChartsOn(QWidget* page);
QString ChartFileStem(const QChartView* view);
// What a menu calls the chart: its title, or its name when it has none.
QString ChartCaption(const QChartView* view);

// The questions export asks; tests put their own answers here.
struct ExportPrompts {
  // The file to write (empty: cancelled), offered the suggested path.
  std::function<QString(QWidget* parent, const QString& title, const QString& suggested, const QString& filter)>
      save_path;
  // The PNG size and pixel ratio, starting from the chart's own size.
  std::function<std::optional<PngOptions>(QWidget* parent, const PngOptions& start)> png_options;
};
ExportPrompts ExportDialogs();

// The export commands of the window: each asks for a file, writes it and
// shows a failure in the window's error box.
class Exporter final : public QObject {
  Q_OBJECT

 public:
  Exporter(TForm1& form, std::function<void(const QString&)> show_error, QObject* parent);

  ExportPrompts& prompts() { return prompts_; }

  bool ExportSpectrumCsv();
  bool ExportNeqDqeCsv();
  bool ExportChartPng(QChartView* view);
  bool ExportChartSvg(QChartView* view);
  // Every chart of the page that shows; false without one.
  bool ExportPagePdf();

  // The hook for a chart's context menu: adds "Export as PNG…", "Export as
  // SVG…" and "Export this page as PDF…" for that chart to the menu.
  void AddChartExportActions(QMenu& menu, QChartView* view);

 private:
  // The file to write, the suggested name in the last folder used; empty when cancelled.
  QString AskPath(const QString& title, const QString& name, const QString& filter);
  // Shows a failed write in the error box; returns ok.
  bool Written(const QString& path, bool ok, const QString& error);

  TForm1& form_;
  std::function<void(const QString&)> show_error_;
  ExportPrompts prompts_;
  QString last_folder_;
};

}  // namespace xray::gui
