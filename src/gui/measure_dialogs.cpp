#include "gui/measure_dialogs.h"

#include <QApplication>
#include <QBoxLayout>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTextCursor>
#include <QValueAxis>
#include <algorithm>
#include <cfenv>
#include <cmath>
#include <limits>
#include <new>

#include "gui/image_view.h"
#include "gui/main_window.h"
#include "gui/text_box.h"
#include "gui/workbench.h"
#include "measure/edge_mtf.h"
#include "measure/measure_error.h"
#include "measure/measure_text.h"
#include "measure/nnps.h"
#include "numeric/number_text.h"

namespace xray::gui {

namespace {

using measure::MeasureError;

// The settings rest this long before the files are measured again.
constexpr int kRestMs = 300;

constexpr std::string_view kBadDarkOffset = "the dark offset must be a number, not %s";

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
QString Number(double v, int significant = 6) { return Q(measure::NumberText(v, significant)); }

// A number as typed into a setting, read as every number of the program is;
// none for a text that is no number. The floating-point flags pending before
// are left as they were.
std::optional<double> ReadNumber(const QString& text) {
  std::fexcept_t saved{};
  std::fegetexceptflag(&saved, FE_ALL_EXCEPT);
  std::feclearexcept(FE_ALL_EXCEPT);
  std::optional<double> value;
  try {
    value = TextToFloat(text.toStdString());
  } catch (const std::exception&) {
  }
  std::fesetexceptflag(&saved, FE_ALL_EXCEPT);
  return value;
}

QString Joined(const std::vector<std::string>& lines) {
  QStringList list;
  for (const std::string& line : lines) list << Q(line);
  return list.join('\n');
}

// The application's busy cursor while a measurement runs.
class BusyCursor {
 public:
  BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyCursor() { QApplication::restoreOverrideCursor(); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

QSpinBox* MakeSpin(QWidget* parent, const char* name, int maximum) {
  auto* spin = new QSpinBox(parent);
  spin->setObjectName(name);
  spin->setRange(0, maximum);
  spin->setAccelerated(true);
  return spin;
}

}  // namespace

void PasteOverWholeBox(TextBox& box, const QString& text) {
  QTextCursor cursor = box.textCursor();
  cursor.beginEditBlock();
  cursor.select(QTextCursor::Document);
  cursor.insertText(text);
  cursor.endEditBlock();
  box.setTextCursor(cursor);
  box.ensureCursorVisible();
}

// ---------------------------------------------------------------- MeasureDialog

MeasureDialog::MeasureDialog(TForm1& form, TextBox& box, bool many_files, const Texts& texts, QAbstractAxis* y_axis)
    : QDialog(&form), y_axis_(y_axis), form_(form), box_(box), many_files_(many_files), choose_caption_(texts.choose) {
  setWindowTitle(texts.title);
  timer_.setSingleShot(true);
  timer_.setInterval(kRestMs);
  connect(&timer_, &QTimer::timeout, this, [this] { MeasureNow(); });

  view_ = new ImageView(this);
  view_->setObjectName("ImageView");

  settings_ = new QFormLayout();
  settings_->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);

  files_label_ = new QLabel(this);
  files_label_->setObjectName("Files");
  files_label_->setMinimumWidth(200);
  files_label_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  choose_ = new QPushButton("Choose…", this);
  choose_->setObjectName("Choose");
  choose_->setAutoDefault(false);
  auto* files_row = new QHBoxLayout();
  files_row->addWidget(files_label_, 1);
  files_row->addWidget(choose_);
  settings_->addRow(texts.files, files_row);

  raw_ = new QCheckBox("raw 16-bit", this);
  raw_->setObjectName("Raw");
  raw_->setToolTip("Little-endian unsigned 16-bit pixels, row by row, after a header of the given size.");
  const char* raw_names[3] = {"RawWidth", "RawHeight", "RawOffset"};
  for (int k = 0; k < 3; ++k) raw_spins_[k] = MakeSpin(this, raw_names[k], std::numeric_limits<int>::max());
  raw_spins_[0]->setPrefix("width ");
  raw_spins_[1]->setPrefix("height ");
  raw_spins_[2]->setPrefix("header ");
  raw_spins_[2]->setSuffix(" bytes");
  auto* raw_row = new QHBoxLayout();
  raw_row->addWidget(raw_);
  for (QSpinBox* spin : raw_spins_) raw_row->addWidget(spin, 1);
  settings_->addRow("Pixels:", raw_row);

  pitch_ = new QLineEdit(this);
  pitch_->setObjectName("Pitch");
  pitch_->setPlaceholderText("required");
  pitch_->setToolTip("The pixel pitch at the detector, in mm.");
  pitch_source_ = new QLabel(this);
  pitch_source_->setObjectName("PitchSource");
  auto* pitch_row = new QHBoxLayout();
  pitch_row->addWidget(pitch_, 1);
  pitch_row->addWidget(pitch_source_, 2);
  settings_->addRow("Pixel pitch (mm):", pitch_row);

  const char* region_names[4] = {"RegionX", "RegionY", "RegionWidth", "RegionHeight"};
  const char* region_prefixes[4] = {"x ", "y ", "w ", "h "};
  auto* region_row = new QHBoxLayout();
  for (int k = 0; k < 4; ++k) {
    region_spins_[k] = MakeSpin(this, region_names[k], 0);
    region_spins_[k]->setPrefix(region_prefixes[k]);
    region_row->addWidget(region_spins_[k], 1);
  }
  whole_ = new QPushButton("All", this);
  whole_->setObjectName("WholeImage");
  whole_->setToolTip("The whole image.");
  whole_->setAutoDefault(false);
  region_row->addWidget(whole_);
  settings_->addRow("Region (pixels):", region_row);

  response_ = new QComboBox(this);
  response_->setObjectName("Response");
  response_->addItem(QString::fromUtf8("linear: value = dark offset + k·q"));
  response_->addItem(QString::fromUtf8("logarithmic: value = c + γ·log₁₀ q"));
  response_->setToolTip("How the pixel values follow the exposure q at the detector.");
  settings_->addRow("Response:", response_);
  dark_offset_ = new QLineEdit("0", this);
  dark_offset_->setObjectName("DarkOffset");
  dark_offset_->setToolTip("The pixel value of a linear detector at zero exposure.");
  settings_->addRow("Dark offset:", dark_offset_);
  gamma_ = new QLineEdit(form.EditG->text(), this);
  gamma_->setObjectName("Gamma");
  gamma_->setToolTip(QString::fromUtf8("The DQE page's γ, as its field holds it."));
  settings_->addRow(QString::fromUtf8("γ:"), gamma_);
  for (QLineEdit* edit : {pitch_, dark_offset_, gamma_}) edit->setMaximumWidth(140);

  chart_ = new QChart();
  chart_->setMargins(QMargins(2, 2, 2, 2));
  chart_->setBackgroundRoundness(0);
  curve_ = new QLineSeries(chart_);
  curve_->setName(texts.curve);
  curve_->setPen(QPen(QColor(0, 0, 255), 1.5));
  nyquist_ = new QLineSeries(chart_);
  nyquist_->setName("Nyquist frequency");
  nyquist_->setPen(QPen(QColor(110, 110, 110), 1, Qt::DashLine));
  chart_->addSeries(curve_);
  chart_->addSeries(nyquist_);
  x_axis_ = new QValueAxis(chart_);
  x_axis_->setTitleText("cycles/mm");
  x_axis_->setLabelFormat("%g");
  chart_->addAxis(x_axis_, Qt::AlignBottom);
  chart_->addAxis(y_axis_, Qt::AlignLeft);
  for (QLineSeries* s : {curve_, nyquist_}) {
    s->attachAxis(x_axis_);
    s->attachAxis(y_axis_);
  }
  chart_->legend()->setAlignment(Qt::AlignTop);
  chart_->legend()->hide();
  chart_view_ = new QChartView(chart_, this);
  chart_view_->setObjectName("Curve");
  chart_view_->setRenderHint(QPainter::Antialiasing);
  chart_view_->setMinimumSize(380, 240);

  summary_ = new QLabel(texts.hint, this);
  summary_->setObjectName("Summary");
  summary_->setWordWrap(true);
  error_ = new QLabel(this);
  error_->setObjectName("Error");
  error_->setWordWrap(true);
  QPalette red = error_->palette();
  red.setColor(QPalette::WindowText, QColor(200, 0, 0));
  error_->setPalette(red);

  buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  okButton()->setEnabled(false);
  okButton()->setToolTip(QString("Replaces the text of %1 (Ctrl+Z in the box takes it back).").arg(box.objectName()));
  connect(buttons_, &QDialogButtonBox::accepted, this, &MeasureDialog::accept);
  connect(buttons_, &QDialogButtonBox::rejected, this, &MeasureDialog::reject);

  auto* right = new QVBoxLayout();
  right->addLayout(settings_);
  right->addWidget(chart_view_, 1);
  auto* top = new QHBoxLayout();
  top->addWidget(view_, 1);
  top->addLayout(right, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top, 1);
  layout->addWidget(summary_);
  layout->addWidget(error_);
  layout->addWidget(buttons_);

  connect(choose_, &QPushButton::clicked, this, &MeasureDialog::Choose);
  connect(raw_, &QCheckBox::toggled, this, &MeasureDialog::OnRawToggled);
  for (QSpinBox* spin : raw_spins_) {
    connect(spin, &QSpinBox::valueChanged, this, [this] {
      if (!raw_->isChecked()) return;
      read_again_ = true;
      Schedule();
    });
  }
  for (QSpinBox* spin : region_spins_) {
    connect(spin, &QSpinBox::valueChanged, this, [this] {
      ShowRegion();
      Schedule();
    });
  }
  connect(whole_, &QPushButton::clicked, this, [this] {
    if (first_) SetRegionSpins({0, 0, first_->width, first_->height});
  });
  connect(view_, &ImageView::RegionDrawn, this, &MeasureDialog::SetRegionSpins);
  // The file's pitch is set with the signals blocked: any other change is a person's.
  connect(pitch_, &QLineEdit::textChanged, this, [this] {
    pitch_from_file_ = false;
    pitch_source_->clear();
  });
  for (QLineEdit* edit : {pitch_, dark_offset_, gamma_}) {
    connect(edit, &QLineEdit::textChanged, this, &MeasureDialog::Schedule);
  }
  connect(response_, &QComboBox::currentIndexChanged, this, [this] {
    UpdateResponseFields();
    Schedule();
  });
  UpdateResponseFields();
  OnRawToggled();
  resize(1000, 600);
}

QPushButton* MeasureDialog::okButton() const { return buttons_->button(QDialogButtonBox::Ok); }

QString MeasureDialog::errorText() const { return error_->text(); }

QString MeasureDialog::summaryText() const { return summary_->text(); }

void MeasureDialog::Choose() {
  static QString last_folder;
  const QString folder = !files_.isEmpty() ? QFileInfo(files_.front()).absolutePath() : last_folder;
  const QString filter =
      "Detector images (*.dcm *.dicom *.DCM *.tif *.tiff *.TIF *.TIFF *.pgm *.raw *.bin);;All files (*)";
  QStringList chosen;
  if (many_files_) {
    chosen = QFileDialog::getOpenFileNames(this, choose_caption_, folder, filter);
  } else {
    const QString one = QFileDialog::getOpenFileName(this, choose_caption_, folder, filter);
    if (!one.isEmpty()) chosen << one;
  }
  if (chosen.isEmpty()) return;
  last_folder = QFileInfo(chosen.front()).absolutePath();
  SetFiles(chosen);
}

void MeasureDialog::SetFiles(const QStringList& paths) {
  files_ = paths;
  QStringList names;
  for (const QString& path : paths) names << QFileInfo(path).fileName();
  files_label_->setText(paths.size() > 1 ? QString("%1 (%2 files)").arg(names.join(", ")).arg(paths.size())
                                         : names.join(""));
  files_label_->setToolTip(QDir::toNativeSeparators(paths.join('\n')));
  // Raw files are known by their name alone; their layout is asked for.
  const QString suffix = paths.isEmpty() ? QString() : QFileInfo(paths.front()).suffix().toLower();
  if (suffix == "raw" || suffix == "bin") {
    const QSignalBlocker block(raw_);
    raw_->setChecked(true);
    OnRawToggled();
  }
  read_again_ = true;
  MeasureNow();
}

std::optional<measure::RawLayout> MeasureDialog::RawSetting() const {
  if (!raw_->isChecked()) return std::nullopt;
  return measure::RawLayout{raw_spins_[0]->value(), raw_spins_[1]->value(),
                            static_cast<std::uint64_t>(raw_spins_[2]->value())};
}

void MeasureDialog::OnRawToggled() {
  for (QSpinBox* spin : raw_spins_) spin->setEnabled(raw_->isChecked());
  // A square image is the likeliest layout of a headerless raw file.
  if (raw_->isChecked() && raw_spins_[0]->value() == 0 && !files_.isEmpty()) {
    const auto pixels = static_cast<double>(QFileInfo(files_.front()).size() / 2);
    const auto side = static_cast<int>(std::lround(std::sqrt(pixels)));
    if (static_cast<double>(side) * side == pixels) {
      const QSignalBlocker b0(raw_spins_[0]);
      const QSignalBlocker b1(raw_spins_[1]);
      raw_spins_[0]->setValue(side);
      raw_spins_[1]->setValue(side);
    }
  }
  if (!files_.isEmpty()) {
    read_again_ = true;
    Schedule();
  }
}

void MeasureDialog::ReadFirst() {
  first_.reset();
  view_->Clear();
  auto image = std::make_shared<measure::Image>(measure::ReadImage(files_.front().toStdString(), RawSetting()));
  const bool same_size =
      region_spins_[kWidth]->maximum() == image->width && region_spins_[kHeight]->maximum() == image->height;
  // The pitch the file states; without one, a pitch a person typed stays.
  if (image->pitch_x_mm && image->pitch_x_mm == image->pitch_y_mm.value_or(*image->pitch_x_mm)) {
    const QSignalBlocker block(pitch_);
    pitch_->setText(Number(*image->pitch_x_mm));
    pitch_source_->setText("from " + Q(image->pitch_source));
    pitch_from_file_ = true;
  } else if (pitch_from_file_ || pitch_->text().isEmpty()) {
    const QSignalBlocker block(pitch_);
    pitch_->clear();
    pitch_source_->setText(image->pitch_x_mm ? "the file's pixels are not square" : "the file gives none");
    pitch_from_file_ = false;
  }
  first_ = std::move(image);
  {
    const QSignalBlocker bx(region_spins_[kX]), by(region_spins_[kY]);
    const QSignalBlocker bw(region_spins_[kWidth]), bh(region_spins_[kHeight]);
    region_spins_[kX]->setMaximum(first_->width - 1);
    region_spins_[kY]->setMaximum(first_->height - 1);
    region_spins_[kWidth]->setRange(1, first_->width);
    region_spins_[kHeight]->setRange(1, first_->height);
  }
  // A new size starts from the whole image, the region the command line takes without --roi.
  if (!same_size) {
    const QSignalBlocker bx(region_spins_[kX]), by(region_spins_[kY]);
    const QSignalBlocker bw(region_spins_[kWidth]), bh(region_spins_[kHeight]);
    region_spins_[kX]->setValue(0);
    region_spins_[kY]->setValue(0);
    region_spins_[kWidth]->setValue(first_->width);
    region_spins_[kHeight]->setValue(first_->height);
  }
  view_->SetImage(first_, RegionSetting().value_or(measure::Region{}));
}

void MeasureDialog::SetRegionSpins(const measure::Region& region) {
  {
    const QSignalBlocker bx(region_spins_[kX]), by(region_spins_[kY]);
    const QSignalBlocker bw(region_spins_[kWidth]), bh(region_spins_[kHeight]);
    region_spins_[kX]->setValue(region.x);
    region_spins_[kY]->setValue(region.y);
    region_spins_[kWidth]->setValue(region.width);
    region_spins_[kHeight]->setValue(region.height);
  }
  ShowRegion();
  Schedule();
}

void MeasureDialog::ShowRegion() {
  if (first_) view_->SetRegion(*RegionSetting());
}

std::optional<measure::Region> MeasureDialog::RegionSetting() const {
  if (!first_) return std::nullopt;
  return measure::Region{region_spins_[kX]->value(), region_spins_[kY]->value(), region_spins_[kWidth]->value(),
                         region_spins_[kHeight]->value()};
}

void MeasureDialog::UpdateResponseFields() {
  const bool linear = response_->currentIndex() == 0;
  dark_offset_->setEnabled(linear);
  gamma_->setEnabled(!linear || linear_uses_gamma_);
}

measure::Response MeasureDialog::ResponseSetting() const {
  measure::Response r;
  r.kind = response_->currentIndex() == 0 ? measure::Response::Kind::kLinear : measure::Response::Kind::kLogarithmic;
  if (r.kind == measure::Response::Kind::kLinear) {
    const QString text = dark_offset_->text().trimmed();
    if (!text.isEmpty()) {
      const std::optional<double> v = ReadNumber(text);
      if (!v) measure::Fail(kBadDarkOffset, {text.toStdString()});
      r.dark_offset = *v;
    }
  }
  const std::optional<double> gamma = ReadNumber(gamma_->text());
  if (!gamma) measure::Fail(measure::msg::kBadGamma, {gamma_->text().toStdString()});
  r.gamma = *gamma;
  return r;
}

std::optional<double> MeasureDialog::PitchSetting() const {
  // The file's own pitch, not its rounded text, as on the command line without --pitch.
  if (pitch_from_file_) return std::nullopt;
  const QString text = pitch_->text().trimmed();
  if (text.isEmpty()) return std::nullopt;  // the library asks for one
  const std::optional<double> v = ReadNumber(text);
  if (!v) measure::Fail(measure::msg::kBadPitch, {text.toStdString()});
  return v;
}

void MeasureDialog::Schedule() {
  table_.clear();
  okButton()->setEnabled(false);
  if (!files_.isEmpty()) timer_.start();
}

void MeasureDialog::ShowError(const QString& text) {
  table_.clear();
  ClearResult();
  error_->setText(text);
  okButton()->setEnabled(false);
}

bool MeasureDialog::MeasureNow() {
  timer_.stop();
  table_.clear();
  okButton()->setEnabled(false);
  if (files_.isEmpty()) return false;
  try {
    const BusyCursor busy;
    if (read_again_) {
      read_again_ = false;
      ReadFirst();
    }
    if (!first_) return false;  // its error shows
    const std::vector<std::string> lines = Measure();
    table_ = Joined(lines);
  } catch (const MeasureError& e) {
    ShowError(Q(e.what()));
    return false;
  } catch (const std::bad_alloc&) {
    ShowError("There is not enough memory for the image.");
    return false;
  } catch (const std::exception& e) {
    ShowError(Q(e.what()));
    return false;
  }
  error_->clear();
  okButton()->setEnabled(true);
  return true;
}

void MeasureDialog::accept() {
  if (timer_.isActive() || read_again_) MeasureNow();
  if (table_.isEmpty()) return;
  PasteOverWholeBox(box_, table_);
  form_.PageControl1->setCurrentWidget(form_.TabSheet7);
  QDialog::accept();
}

void MeasureDialog::ShowCurve(const std::vector<double>& x, const std::vector<double>& y, double nyquist, double y_low,
                              double y_high) {
  QList<QPointF> points;
  for (std::size_t k = 0; k < x.size() && k < y.size(); ++k) {
    if (std::isfinite(y[k]) && y[k] >= y_low) points.append(QPointF(x[k], y[k]));
  }
  curve_->replace(points);
  nyquist_->replace(QList<QPointF>{{nyquist, y_low}, {nyquist, y_high}});
  // Ticks at a round step (1, 2 or 5 times a power of ten), about six of them.
  // A little room beyond the Nyquist line, so that it does not hide in the frame.
  const double top = std::max(x.empty() ? 0.0 : x.back(), 1.05 * nyquist);
  const double rough = top / 6;
  const double decade = std::pow(10.0, std::floor(std::log10(rough)));
  const double step = rough <= decade       ? decade
                      : rough <= 2 * decade ? 2 * decade
                      : rough <= 5 * decade ? 5 * decade
                                            : 10 * decade;
  x_axis_->setRange(0, top);
  x_axis_->setTickType(QValueAxis::TicksDynamic);
  x_axis_->setTickAnchor(0);
  x_axis_->setTickInterval(step);
  chart_->legend()->show();
}

void MeasureDialog::ClearResult() {
  curve_->clear();
  nyquist_->clear();
  chart_->legend()->hide();
  view_->SetEdge(std::nullopt);
  summary_->clear();
}

// ---------------------------------------------------------------- MtfDialog

namespace {

QValueAxis* MtfAxis() {
  auto* y = new QValueAxis();
  y->setTitleText("MTF");
  y->setRange(0, 1.05);
  y->setTickCount(8);
  y->setLabelFormat("%.2f");
  return y;
}

QString MtfSummary(const measure::MtfResult& r) {
  const measure::EdgeLine& e = r.edge;
  return QString::fromUtf8(
             "Edge along the %1, tilted %2° from them, located on %3 lines (rms scatter %4 px); "
             "pitch %5 mm, Nyquist frequency %6 cycles/mm.")
      .arg(e.along_columns ? "columns" : "rows", Number(e.tilt_deg, 3))
      .arg(e.lines)
      .arg(Number(e.scatter_px, 2), Number(r.pitch_mm), Number(r.nyquist));
}

}  // namespace

MtfDialog::MtfDialog(TForm1& form)
    : MeasureDialog(form, *form.MemoMTF, false,
                    {"MTF from an edge image", "Image:", "Edge image", "presampled MTF",
                     "Choose the image of an edge tilted 1 to 10 degrees from the columns or rows: DICOM, 16-bit "
                     "TIFF or PGM, or raw 16-bit pixels."},
                    MtfAxis()) {
  setObjectName("MtfDialog");
}

std::vector<std::string> MtfDialog::Measure() {
  measure::MtfOptions o;
  o.region = RegionSetting();
  o.response = ResponseSetting();
  o.pitch_mm = PitchSetting();
  const measure::MtfResult r = measure::MeasureMtf(firstImage(), o);
  std::vector<std::string> lines = measure::MtfTableLines(r);
  const double top = *std::max_element(r.mtf.begin(), r.mtf.end());
  static_cast<QValueAxis*>(y_axis_)->setRange(0, std::max(1.05, top * 1.05));
  ShowCurve(r.frequency, r.mtf, r.nyquist, 0, std::max(1.05, top * 1.05));
  view_->SetEdge(r.edge);
  summary_->setText(MtfSummary(r));
  return lines;
}

// ---------------------------------------------------------------- WienerDialog

namespace {

// Shown in full up to this many images; beyond, the first few and "…".
constexpr std::size_t kMeansShown = 4;

QString WienerSummary(const measure::NnpsResult& r) {
  QStringList means;
  for (std::size_t k = 0; k < r.means.size() && k < kMeansShown; ++k) means << Number(r.means[k], 5);
  if (r.means.size() > kMeansShown) means << QString::fromUtf8("…");
  const bool linear = r.response.kind == measure::Response::Kind::kLinear;
  return QString::fromUtf8("%1 image%2, %3 square%4 of %5 × %5 pixels; region mean%2 %6%7; pitch %8 mm.")
      .arg(r.images)
      .arg(r.images == 1 ? "" : "s")
      .arg(r.squares)
      .arg(r.squares == 1 ? "" : "s")
      .arg(measure::kNnpsSquare)
      .arg(means.join(", "), linear ? " above the dark offset" : "", Number(r.pitch_mm));
}

}  // namespace

WienerDialog::WienerDialog(TForm1& form)
    : MeasureDialog(
          form, *form.MemoWS, true,
          {"Wiener spectrum from flat fields", "Flat fields:", "Flat-field images", "W(u), the DQE page's scale",
           QString("Choose flat fields of one size, at least %1 × %1 pixels: DICOM, 16-bit TIFF or PGM, "
                   "or raw 16-bit pixels.")
               .arg(measure::kNnpsSquare)},
          new QLogValueAxis()) {
  setObjectName("WienerDialog");
  // W(u) of a linear detector is (gamma log10 e)^2 NNPS(u).
  linear_uses_gamma_ = true;
  UpdateResponseFields();
  gammaEdit()->setToolTip(
      QString::fromUtf8("The DQE page's γ, as its field holds it; it also scales the Wiener "
                        "spectrum of a linear detector, W = (γ log₁₀ e)² NNPS."));
  auto* y = static_cast<QLogValueAxis*>(y_axis_);
  y->setTitleText("W(u)");
  y->setLabelFormat("%g");
  y->setMinorTickCount(-1);
  axis_ = new QComboBox(this);
  axis_->setObjectName("Axis");
  axis_->addItem("both axes");
  axis_->addItem("horizontal (u, along the rows): for an edge along the columns");
  axis_->addItem("vertical (v, along the columns): for an edge along the rows");
  axis_->setToolTip(
      QString("The %1 lines on either side of the frequency axis that are averaged.").arg(measure::kNnpsLinesEachSide));
  settingsLayout()->addRow("Frequency axis:", axis_);
  connect(axis_, &QComboBox::currentIndexChanged, this, &WienerDialog::Schedule);
}

std::vector<std::string> WienerDialog::Measure() {
  measure::NnpsOptions o;
  o.region = RegionSetting();
  o.response = ResponseSetting();
  o.pitch_mm = PitchSetting();
  o.axis = axis_->currentIndex() == 1   ? measure::NnpsAxis::kHorizontal
           : axis_->currentIndex() == 2 ? measure::NnpsAxis::kVertical
                                        : measure::NnpsAxis::kBoth;
  // One image in memory besides the first, which the view shows.
  measure::NnpsAccumulator accumulator(o);
  accumulator.Add(firstImage());
  for (qsizetype k = 1; k < files().size(); ++k) {
    accumulator.Add(measure::ReadImage(files()[k].toStdString(), RawSetting()));
  }
  const measure::NnpsResult r = accumulator.Result();
  std::vector<std::string> lines = measure::WienerTableLines(r);
  // Whole decades around the values.
  double low = std::numeric_limits<double>::infinity();
  double high = 0;
  for (double w : r.wiener) {
    if (w > 0 && std::isfinite(w)) {
      low = std::min(low, w);
      high = std::max(high, w);
    }
  }
  if (high > 0) {
    low = std::pow(10.0, std::floor(std::log10(low)));
    high = std::pow(10.0, std::ceil(std::log10(high)));
    if (!(high > low)) high = low * 10;
    static_cast<QLogValueAxis*>(y_axis_)->setRange(low, high);
  }
  ShowCurve(r.frequency, r.wiener, 1 / (2 * r.pitch_mm), high > 0 ? low : 1, high > 0 ? high : 10);
  summary_->setText(WienerSummary(r));
  return lines;
}

// ---------------------------------------------------------------- the menu

QMenu* BuildDetectorMenu(QMenuBar& bar, Workbench& w) {
  auto* menu = new QMenu("&Detector", &bar);
  menu->setObjectName("DetectorMenu");
  QAction* mtf = menu->addAction(QString::fromUtf8("MTF from edge image…"), &w.form(), [&w] {
    MtfDialog dialog(w.form());
    dialog.exec();
  });
  mtf->setObjectName("MeasureMtf");
  QAction* ws = menu->addAction(QString::fromUtf8("Wiener spectrum from flat fields…"), &w.form(), [&w] {
    WienerDialog dialog(w.form());
    dialog.exec();
  });
  ws->setObjectName("MeasureWienerSpectrum");
  return menu;
}

}  // namespace xray::gui
