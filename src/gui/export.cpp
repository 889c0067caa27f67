#include "gui/export.h"

#include <QBuffer>
#include <QChart>
#include <QChartView>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSpinBox>
#include <QSvgGenerator>
#include <QTabWidget>
#include <algorithm>

#include "form/export_tables.h"
#include "gui/document.h"
#include "gui/main_window.h"

namespace xray::gui {

namespace {

// File names and menu captions of the charts (several have no title of their own).
struct ChartNames {
  const char* object;
  const char* stem;
  const char* caption;
};
constexpr ChartNames kChartNames[] = {
    {"Chart1", "spectrum-inherent", "Spectrum behind the inherent filtration"},
    {"Chart7", "spectrum-added", "Spectrum behind inherent and added filtration"},
    {"Chart2", "attenuation-tungsten", "Mass attenuation of tungsten"},
    {"Chart3", "attenuation-aluminium", "Mass attenuation of aluminium"},
    {"Chart6", "absorption-air", "Mass energy absorption of air"},
    {"Chart4", "thomson-whiddington", "Thomson-Whiddington constant"},
    {"Chart5", "k-photons", "K characteristic photons"},
    {"Chart8", "neq", "NEQ(u)"},
    {"Chart9", "dqe", "DQE(u)"},
};

const ChartNames* NamesOf(const QChartView* view) {
  for (const ChartNames& n : kChartNames) {
    if (view->objectName() == QLatin1String(n.object)) return &n;
  }
  return nullptr;
}

QByteArray Bytes(const std::string& text) { return QByteArray(text.data(), static_cast<qsizetype>(text.size())); }

std::vector<Point> PointsOf(const TForm1& form, Series s) {
  std::vector<Point> points;
  for (const QPointF& p : form.LineSeries(s)->points()) points.push_back(Point{p.x(), p.y()});
  return points;
}

// Draws the chart laid out at `size` (its own layout redone for it, as if its
// view had that size) into the painter's rectangle `target`, then puts the
// chart back as it was. Nothing is shown in between: no events run.
void RenderChart(QChartView* view, QPainter& painter, const QSizeF& size, const QRectF& target) {
  QChart* chart = view->chart();
  const QRectF was = chart->geometry();
  chart->setGeometry(QRectF(QPointF(0, 0), size));
  if (chart->layout()) chart->layout()->activate();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  chart->scene()->render(&painter, target, chart->geometry(), Qt::KeepAspectRatio);
  chart->setGeometry(was);
  if (chart->layout()) chart->layout()->activate();
}

QString PngFilter() { return "PNG images (*.png)"; }
QString SvgFilter() { return "SVG drawings (*.svg)"; }
QString PdfFilter() { return "PDF documents (*.pdf)"; }
QString CsvFilter() { return "CSV tables (*.csv)"; }

// The PNG size dialog: width and height of the layout, and the pixel ratio.
std::optional<PngOptions> AskPngOptions(QWidget* parent, const PngOptions& start) {
  QDialog dialog(parent);
  dialog.setWindowTitle("Export as PNG");
  auto* width = new QSpinBox(&dialog);
  auto* height = new QSpinBox(&dialog);
  for (QSpinBox* box : {width, height}) {
    box->setRange(16, 16000);
    box->setSuffix(" px");
  }
  width->setValue(start.size.width());
  height->setValue(start.size.height());
  auto* ratio = new QDoubleSpinBox(&dialog);
  ratio->setRange(1, 8);
  ratio->setSingleStep(0.5);
  ratio->setDecimals(1);
  ratio->setValue(start.device_pixel_ratio);
  auto* pixels = new QLabel(&dialog);
  const auto show_pixels = [&] {
    pixels->setText(QString("%1 × %2 pixels")
                        .arg(std::lround(width->value() * ratio->value()))
                        .arg(std::lround(height->value() * ratio->value())));
  };
  show_pixels();
  QObject::connect(width, &QSpinBox::valueChanged, &dialog, show_pixels);
  QObject::connect(height, &QSpinBox::valueChanged, &dialog, show_pixels);
  QObject::connect(ratio, &QDoubleSpinBox::valueChanged, &dialog, show_pixels);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  auto* form = new QFormLayout(&dialog);
  form->addRow("Width:", width);
  form->addRow("Height:", height);
  form->addRow("Pixel ratio (2 for high-dpi):", ratio);
  form->addRow("Image:", pixels);
  form->addRow(buttons);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return PngOptions{QSize(width->value(), height->value()), ratio->value()};
}

}  // namespace

bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* error) {
  QSaveFile file(path);
  if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit()) return true;
  if (error) *error = file.errorString();
  return false;
}

std::string SpectrumCsvOf(const TForm1& form) {
  return SpectrumCsv(PointsOf(form, Series::Series1), PointsOf(form, Series::FastLineSeries6));
}

std::string NeqDqeCsvOf(const TForm1& form) {
  return NeqDqeCsv(LinesOf(*form.Box(Memo::MemoNEQ)), LinesOf(*form.Box(Memo::MemoDQE)));
}

bool SaveChartPng(QChartView* view, const QString& path, const PngOptions& options, QString* error) {
  const QSize pixels(static_cast<int>(std::lround(options.size.width() * options.device_pixel_ratio)),
                     static_cast<int>(std::lround(options.size.height() * options.device_pixel_ratio)));
  QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(options.device_pixel_ratio);
  image.fill(view->backgroundBrush().color());
  {
    QPainter painter(&image);
    RenderChart(view, painter, options.size, QRectF(QPointF(0, 0), QSizeF(options.size)));
  }
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) {
    if (error) *error = "the image could not be encoded";
    return false;
  }
  return WriteFileAtomically(path, bytes, error);
}

bool SaveChartSvg(QChartView* view, const QString& path, QString* error) {
  const QSize size = view->size();
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QSvgGenerator svg;
  svg.setOutputDevice(&buffer);
  svg.setSize(size);
  svg.setViewBox(QRect(QPoint(0, 0), size));
  svg.setTitle(ChartCaption(view));
  svg.setDescription("Drawn by xraycalc");
  {
    QPainter painter(&svg);
    RenderChart(view, painter, size, QRectF(QPointF(0, 0), QSizeF(size)));
  }
  return WriteFileAtomically(path, bytes, error);
}

bool SaveChartsPdf(const QList<QChartView*>& views, const QString& path, QString* error) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter pdf(&buffer);
    pdf.setCreator("xraycalc");
    pdf.setTitle(views.isEmpty() ? QString() : ChartCaption(views.front()));
    pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(15, 15, 15, 15),
                                  QPageLayout::Millimeter));
    QPainter painter(&pdf);
    const QRectF page = pdf.pageLayout().paintRectPixels(pdf.resolution()).translated(
        -pdf.pageLayout().paintRectPixels(pdf.resolution()).topLeft());
    bool first = true;
    for (QChartView* view : views) {
      if (!first) pdf.newPage();
      first = false;
      // Each chart keeps its own layout and is scaled, as vectors, to the page.
      RenderChart(view, painter, QSizeF(view->size()), page);
    }
  }
  return WriteFileAtomically(path, bytes, error);
}

QList<QChartView*> ChartsOn(QWidget* page) {
  QList<QChartView*> views = page ? page->findChildren<QChartView*>() : QList<QChartView*>();
  // Reading order: top to bottom, then left to right.
  std::stable_sort(views.begin(), views.end(), [](const QChartView* a, const QChartView* b) {
    const QPoint pa = a->geometry().topLeft(), pb = b->geometry().topLeft();
    return pa.y() != pb.y() ? pa.y() < pb.y() : pa.x() < pb.x();
  });
  return views;
}

QString ChartFileStem(const QChartView* view) {
  const ChartNames* n = NamesOf(view);
  return n ? QString(n->stem) : view->objectName().toLower();
}

QString ChartCaption(const QChartView* view) {
  const ChartNames* n = NamesOf(view);
  return n ? QString(n->caption) : view->objectName();
}

ExportPrompts ExportDialogs() {
  ExportPrompts p;
  p.save_path = [](QWidget* parent, const QString& title, const QString& suggested, const QString& filter) {
    return QFileDialog::getSaveFileName(parent, title, suggested, filter);
  };
  p.png_options = AskPngOptions;
  return p;
}

Exporter::Exporter(TForm1& form, std::function<void(const QString&)> show_error, QObject* parent)
    : QObject(parent), form_(form), show_error_(std::move(show_error)), prompts_(ExportDialogs()) {}

QString Exporter::AskPath(const QString& title, const QString& name, const QString& filter) {
  const QString suggested = QDir(last_folder_.isEmpty() ? QDir::currentPath() : last_folder_).filePath(name);
  const QString path = prompts_.save_path(&form_, title, suggested, filter);
  if (!path.isEmpty()) last_folder_ = QFileInfo(path).absolutePath();
  return path;
}

bool Exporter::Written(const QString& path, bool ok, const QString& error) {
  if (!ok) show_error_(QString("Cannot write '%1': %2.").arg(QDir::toNativeSeparators(path), error));
  return ok;
}

bool Exporter::ExportSpectrumCsv() {
  if (form_.LineSeries(Series::Series1)->count() == 0 && form_.LineSeries(Series::FastLineSeries6)->count() == 0) {
    show_error_("There is no spectrum to export: press \"Spectl\" first.");
    return false;
  }
  const QString path = AskPath("Export the Spectrum as CSV", "spectrum.csv", CsvFilter());
  QString error;
  return !path.isEmpty() && Written(path, WriteFileAtomically(path, Bytes(SpectrumCsvOf(form_)), &error), error);
}

bool Exporter::ExportNeqDqeCsv() {
  if (LinesOf(*form_.Box(Memo::MemoNEQ)).size() < 2 && LinesOf(*form_.Box(Memo::MemoDQE)).size() < 2) {
    show_error_("There are no NEQ and DQE rows to export: press \"DQE(u)\" first.");
    return false;
  }
  const QString path = AskPath("Export NEQ and DQE as CSV", "neq_dqe.csv", CsvFilter());
  QString error;
  return !path.isEmpty() && Written(path, WriteFileAtomically(path, Bytes(NeqDqeCsvOf(form_)), &error), error);
}

bool Exporter::ExportChartPng(QChartView* view) {
  const std::optional<PngOptions> options = prompts_.png_options(&form_, PngOptions{view->size(), 2});
  if (!options) return false;
  const QString path = AskPath("Export the Chart as PNG", ChartFileStem(view) + ".png", PngFilter());
  QString error;
  return !path.isEmpty() && Written(path, SaveChartPng(view, path, *options, &error), error);
}

bool Exporter::ExportChartSvg(QChartView* view) {
  const QString path = AskPath("Export the Chart as SVG", ChartFileStem(view) + ".svg", SvgFilter());
  QString error;
  return !path.isEmpty() && Written(path, SaveChartSvg(view, path, &error), error);
}

bool Exporter::ExportPagePdf() {
  const QList<QChartView*> views = ChartsOn(form_.PageControl1->currentWidget());
  if (views.isEmpty()) {
    show_error_("This page has no charts to export.");
    return false;
  }
  const QString stem = views.size() == 1 ? ChartFileStem(views.front())
                                         : QString("charts-page-%1").arg(form_.PageControl1->currentIndex() + 1);
  const QString path = AskPath("Export the Charts of This Page as PDF", stem + ".pdf", PdfFilter());
  QString error;
  return !path.isEmpty() && Written(path, SaveChartsPdf(views, path, &error), error);
}

void Exporter::AddChartExportActions(QMenu& menu, QChartView* view) {
  menu.addAction("Export Chart as PNG…", this, [this, view] { ExportChartPng(view); });
  menu.addAction("Export Chart as SVG…", this, [this, view] { ExportChartSvg(view); });
  menu.addAction("Export Charts of This Page as PDF…", this, [this] { ExportPagePdf(); });
}

}  // namespace xray::gui
