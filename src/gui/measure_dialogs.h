// The Detector menu: the DQE page's MTF and Wiener spectrum tables measured
// from images of the detector.
//
//   "MTF from edge image…"               one image of an edge tilted 1 to 10
//                                        degrees from the columns or rows
//   "Wiener spectrum from flat fields…"  one or more flat fields of one size
//
// Each dialog reads the files, shows the first image with the region and (for
// the MTF) the edge found, the curve and a one-line summary, and measures again
// shortly after any setting changes. The measurement is the library's
// (src/measure); the table OK writes is its text (measure_text.h), the very
// rows `xraycalc-cli mtf` and `xraycalc-cli nnps` print. OK replaces the whole
// text of MemoMTF (MemoWS) as a paste over the whole box would: one step for
// Ctrl+Z in that box, and the next "DQE(u)" reads the new table. An image or a
// setting that cannot be used shows its message in the dialog, keeps OK
// disabled, and leaves the window as it was.
#pragma once

#include <QDialog>
#include <QStringList>
#include <QTimer>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "measure/image.h"
#include "measure/image_io.h"

class QAbstractAxis;
class QCheckBox;
class QChart;
class QChartView;
class QComboBox;
class QDialogButtonBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QLineSeries;
class QMenu;
class QMenuBar;
class QPushButton;
class QSpinBox;
class QValueAxis;
class TForm1;

namespace xray::gui {

class ImageView;
class TextBox;
class Workbench;

// Replaces the box's whole text as a paste over a selection of all of it does:
// one edit, undone in one step, counted as a change of the table.
void PasteOverWholeBox(TextBox& box, const QString& text);

// What the two dialogs share: the files, the raw layout, the pitch, the
// region, the response, the image view, the chart, the summary, the error.
class MeasureDialog : public QDialog {
  Q_OBJECT

 public:
  // The region's spin boxes, in this order.
  enum RegionPart { kX, kY, kWidth, kHeight };

  // The files to measure, as if chosen in the file dialog: the first is read
  // and shown at once, and measured with the present settings.
  void SetFiles(const QStringList& paths);
  const QStringList& files() const { return files_; }

  // Reads the files again if their layout changed and measures now, instead of
  // when the settings have rested; true when a table is ready for OK.
  bool MeasureNow();

  // The message of the last failure; empty when the table is ready.
  QString errorText() const;
  QString summaryText() const;
  // The table OK writes into the box: the library's lines joined by "\n".
  const QString& tableText() const { return table_; }

  QPushButton* okButton() const;
  QPushButton* chooseButton() const { return choose_; }
  QCheckBox* rawCheck() const { return raw_; }
  QSpinBox* rawSpin(int k) const { return raw_spins_[k]; }  // width, height, header bytes
  QLineEdit* pitchEdit() const { return pitch_; }
  QSpinBox* regionSpin(RegionPart part) const { return region_spins_[part]; }
  QComboBox* responseBox() const { return response_; }
  QLineEdit* darkOffsetEdit() const { return dark_offset_; }
  QLineEdit* gammaEdit() const { return gamma_; }
  ImageView* imageView() const { return view_; }
  QChart* chart() const { return chart_; }

  // Pastes the table into its box, then closes; stays open without a table.
  void accept() override;

 protected:
  struct Texts {
    QString title;   // of the dialog
    QString files;   // the label of the files: "Image:", "Flat fields:"
    QString choose;  // the file dialog's caption
    QString curve;   // the curve's name in the chart's legend
    QString hint;    // the summary line until something is measured
  };
  // box: the text box OK writes; many_files: whether several files are taken;
  // the chart shows the curve against cycles/mm on y_axis, which it takes.
  MeasureDialog(TForm1& form, TextBox& box, bool many_files, const Texts& texts, QAbstractAxis* y_axis);

  // The settings below the response (the Wiener spectrum's axis).
  QFormLayout* settingsLayout() const { return settings_; }
  // Runs the measurement on the files; throws a MeasureError, or returns the
  // table's lines. Shows the result in the view, the chart and the summary.
  virtual std::vector<std::string> Measure() = 0;

  // What the settings give, for Measure(); throws a MeasureError for a number
  // that cannot be read.
  std::optional<measure::Region> RegionSetting() const;
  measure::Response ResponseSetting() const;
  std::optional<double> PitchSetting() const;
  std::optional<measure::RawLayout> RawSetting() const;
  // The first file's image, read by SetFiles.
  const measure::Image& firstImage() const { return *first_; }

  // Measures again once the settings have rested.
  void Schedule();
  // Enables the fields the response uses: the dark offset for linear data,
  // gamma for logarithmic data, and for linear data too when linear_uses_gamma_.
  void UpdateResponseFields();
  // The curve from y_low (points below it left out) with the Nyquist
  // frequency as a dashed line up to y_high; the y axis is the caller's.
  void ShowCurve(const std::vector<double>& x, const std::vector<double>& y, double nyquist, double y_low,
                 double y_high);

  ImageView* view_ = nullptr;
  QLabel* summary_ = nullptr;
  QAbstractAxis* y_axis_ = nullptr;
  bool linear_uses_gamma_ = false;

 private:
  void Choose();
  void ReadFirst();
  void ClearResult();
  void ShowError(const QString& text);
  void ShowRegion();
  void SetRegionSpins(const measure::Region& region);
  void OnRawToggled();

  TForm1& form_;
  TextBox& box_;
  bool many_files_;
  QString choose_caption_;
  QStringList files_;
  std::shared_ptr<measure::Image> first_;
  bool read_again_ = false;  // the raw layout changed since the files were read
  bool pitch_from_file_ = false;
  QString table_;
  QTimer timer_;

  QLabel* files_label_ = nullptr;
  QPushButton* choose_ = nullptr;
  QCheckBox* raw_ = nullptr;
  QSpinBox* raw_spins_[3] = {};
  QLineEdit* pitch_ = nullptr;
  QLabel* pitch_source_ = nullptr;
  QSpinBox* region_spins_[4] = {};
  QPushButton* whole_ = nullptr;
  QComboBox* response_ = nullptr;
  QLineEdit* dark_offset_ = nullptr;
  QLineEdit* gamma_ = nullptr;
  QFormLayout* settings_ = nullptr;
  QChartView* chart_view_ = nullptr;
  QChart* chart_ = nullptr;
  QLineSeries* curve_ = nullptr;
  QLineSeries* nyquist_ = nullptr;
  QValueAxis* x_axis_ = nullptr;
  QLabel* error_ = nullptr;
  QDialogButtonBox* buttons_ = nullptr;
};

// Detector ▸ "MTF from edge image…": MemoMTF from an edge image.
class MtfDialog final : public MeasureDialog {
  Q_OBJECT

 public:
  explicit MtfDialog(TForm1& form);

 protected:
  std::vector<std::string> Measure() override;
};

// Detector ▸ "Wiener spectrum from flat fields…": MemoWS from flat fields.
class WienerDialog final : public MeasureDialog {
  Q_OBJECT

 public:
  explicit WienerDialog(TForm1& form);
  QComboBox* axisBox() const { return axis_; }

 protected:
  std::vector<std::string> Measure() override;

 private:
  QComboBox* axis_ = nullptr;
};

// The Detector menu with its two entries, each opening its dialog over the window.
QMenu* BuildDetectorMenu(QMenuBar& bar, Workbench& w);

}  // namespace xray::gui
