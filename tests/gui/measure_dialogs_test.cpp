// The Detector menu's dialogs, driven through their controls without a modal
// loop: OK writes exactly the measurement library's table into MemoMTF or
// MemoWS as one paste that Ctrl+Z takes back, and "DQE(u)" then runs on it;
// every unusable input shows the library's message, keeps OK disabled and
// leaves both boxes as they were. The images are the shipped test images and
// images rendered here from analytic models. Runs under QT_QPA_PLATFORM=offscreen.
#include <QApplication>
#include <QChart>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QLineSeries>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <functional>
#include <memory>

#include "gui/image_view.h"
#include "gui/main_window.h"
#include "gui/measure_dialogs.h"
#include "gui/workbench.h"
#include "image_files.h"
#include "image_generator.h"
#include "measure/edge_mtf.h"
#include "measure/image_io.h"
#include "measure/measure_error.h"
#include "measure/measure_text.h"
#include "measure/nnps.h"
#include "numeric/number_text.h"
#include "shipped_images.h"

using xray::Button;
using xray::Memo;
using xray::gui::MeasureDialog;
using xray::gui::MtfDialog;
using xray::gui::WienerDialog;
namespace measure = xray::measure;
namespace mt = xray::measure::test;
namespace msg = xray::measure::msg;

namespace {

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

QString Data(const char* name) { return QString(XRAYCALC_MEASURE_DATA "/") + name; }

QStringList BoxLines(const QPlainTextEdit* box) {
  QStringList lines;
  for (QTextBlock b = box->document()->begin(); b.isValid(); b = b.next()) lines << b.text();
  return lines;
}

QStringList Lines(const std::vector<std::string>& lines) {
  QStringList list;
  for (const std::string& line : lines) list << Q(line);
  return list;
}

// The library's message for what f does; empty when it throws none.
QString MessageOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const measure::MeasureError& e) {
    return Q(e.what());
  }
  return {};
}

// True when message is the template with each "%s" filled in somehow.
bool FilledFrom(const QString& message, std::string_view templ) {
  const QStringList pieces = Q(templ).split("%s");
  if (!message.startsWith(pieces.front()) || !message.endsWith(pieces.back())) return false;
  qsizetype at = pieces.front().size();
  for (qsizetype k = 1; k + 1 < pieces.size(); ++k) {
    at = message.indexOf(pieces[k], at);
    if (at < 0) return false;
    at += pieces[k].size();
  }
  return at <= message.size() - pieces.back().size();
}

// A window whose error boxes are recorded instead of shown.
struct Fixture {
  QStringList boxes;
  std::unique_ptr<TForm1> form;

  Fixture() {
    form = std::make_unique<TForm1>([this](QWidget*, const QString& text) { boxes << text; });
  }
  TForm1* operator->() { return form.get(); }
};

void SetRegion(MeasureDialog& d, const QRect& r) {
  d.regionSpin(MeasureDialog::kX)->setValue(r.x());
  d.regionSpin(MeasureDialog::kY)->setValue(r.y());
  d.regionSpin(MeasureDialog::kWidth)->setValue(r.width());
  d.regionSpin(MeasureDialog::kHeight)->setValue(r.height());
}

QRect RegionOf(const MeasureDialog& d) {
  return {d.regionSpin(MeasureDialog::kX)->value(), d.regionSpin(MeasureDialog::kY)->value(),
          d.regionSpin(MeasureDialog::kWidth)->value(), d.regionSpin(MeasureDialog::kHeight)->value()};
}

measure::Region ToRegion(const QRect& r) { return {r.x(), r.y(), r.width(), r.height()}; }

}  // namespace

class TestMeasureDialogs : public QObject {
  Q_OBJECT

 private slots:
  void mtfTableReplacesMemoMtf_data();
  void mtfTableReplacesMemoMtf();
  void wienerTableReplacesMemoWs_data();
  void wienerTableReplacesMemoWs();
  void rawFileTakesItsLayoutFromTheDialog();
  void measuredTablesGiveTheIdealDetectorsDqe();
  void unusableInputChangesNothing_data();
  void unusableInputChangesNothing();
  void draggedRectangleBecomesTheRegion();
  void greyWindowStretchesTheRegion();
  void detectorMenuOpensTheDialogs();

 private:
  QTemporaryDir scratch_;
};

// ---- OK: the library's table, as one paste

void TestMeasureDialogs::mtfTableReplacesMemoMtf_data() {
  QTest::addColumn<QString>("file");
  QTest::addColumn<QString>("prefilledPitch");  // what the file states; empty: none
  QTest::addColumn<QRect>("region");            // empty: the whole image, as the dialog starts
  QTest::addColumn<bool>("logarithmic");
  // The shipped edge on a film-like detector: value = gamma log10(quanta), at
  // the DQE page's start gamma.
  QVERIFY(scratch_.isValid());
  mt::EdgeModel model;
  model.width = model.height = 128;
  model.tilt_deg = mt::kShippedEdgeTiltDeg;
  model.sigma_px = mt::kShippedEdgeSigmaPx;
  measure::Image log_edge = mt::EdgeImage(model);
  mt::ToLogResponse(log_edge, measure::kDefaultGamma);
  const QString log_file = scratch_.filePath("edge-log.pgm");
  mt::WritePgm(log_file.toStdString(), log_edge);
  // The shipped edge as a PGM, which states no pitch.
  const QString pgm_file = scratch_.filePath("edge.pgm");
  for (const mt::ShippedImage& shipped : mt::ShippedImages()) {
    if (shipped.file == "edge.dcm") mt::WritePgm(pgm_file.toStdString(), shipped.image);
  }

  QTest::newRow("DICOM, its pitch, whole image") << Data("edge.dcm") << "0.1" << QRect() << false;
  QTest::newRow("PGM, pitch typed, region") << pgm_file << "" << QRect(6, 10, 116, 108) << false;
  QTest::newRow("PGM, logarithmic response") << log_file << "" << QRect(0, 0, 120, 128) << true;
}

void TestMeasureDialogs::mtfTableReplacesMemoMtf() {
  QFETCH(QString, file);
  QFETCH(QString, prefilledPitch);
  QFETCH(QRect, region);
  QFETCH(bool, logarithmic);
  Fixture f;
  const QString before = f->MemoMTF->toPlainText();
  const std::uint64_t revision = f->MemoRevision(Memo::MemoMTF);
  MtfDialog d(*f.form);
  QCOMPARE(d.gammaEdit()->text(), f->EditG->text());
  QVERIFY(!d.okButton()->isEnabled());

  d.SetFiles({file});
  QCOMPARE(d.pitchEdit()->text(), prefilledPitch);
  QCOMPARE(RegionOf(d), QRect(0, 0, 128, 128));
  if (prefilledPitch.isEmpty()) {
    // A file without a pitch asks for one.
    QCOMPARE(d.errorText(), Q(measure::msg::kNoPitch));
    QVERIFY(!d.okButton()->isEnabled());
    QTest::keyClicks(d.pitchEdit(), "0.1");
  }
  if (!region.isEmpty()) SetRegion(d, region);
  if (logarithmic) d.responseBox()->setCurrentIndex(1);
  QVERIFY2(d.MeasureNow(), qPrintable(d.errorText()));
  QVERIFY(d.okButton()->isEnabled());
  QVERIFY(d.errorText().isEmpty());

  measure::MtfOptions o;
  o.region = measure::Region{0, 0, 128, 128};
  if (!region.isEmpty()) o.region = ToRegion(region);
  o.pitch_mm = mt::kShippedPitchMm;
  if (logarithmic) o.response.kind = measure::Response::Kind::kLogarithmic;
  o.response.gamma = xray::TextToFloat(f->EditG->text().toStdString());
  const measure::MtfResult expected = measure::MeasureMtf(measure::ReadImage(file.toStdString()), o);
  // The edge the images were rendered with.
  QVERIFY(std::fabs(expected.edge.tilt_deg - mt::kShippedEdgeTiltDeg) < 0.1);
  QVERIFY2(d.summaryText().contains(Q(measure::NumberText(expected.edge.tilt_deg, 3)) + QString::fromUtf8("°")),
           qPrintable(d.summaryText()));
  QCOMPARE(d.chart()->series().size(), 2);
  QCOMPARE(static_cast<std::size_t>(qobject_cast<QLineSeries*>(d.chart()->series()[0])->count()),
           expected.frequency.size());

  d.okButton()->click();
  QCOMPARE(d.result(), int(QDialog::Accepted));
  QCOMPARE(BoxLines(f->MemoMTF), Lines(measure::MtfTableLines(expected)));
  QVERIFY(f->MemoRevision(Memo::MemoMTF) != revision);
  QCOMPARE(f->PageControl1->currentWidget(), f->TabSheet7);
  QVERIFY(f.boxes.isEmpty());

  // One step back with Ctrl+Z in the box.
  QTest::keyClick(f->MemoMTF, Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(f->MemoMTF->toPlainText(), before);
}

void TestMeasureDialogs::wienerTableReplacesMemoWs_data() {
  QTest::addColumn<int>("axis");          // the axis box's entry: both, horizontal, vertical
  QTest::addColumn<QString>("gamma");     // typed into EditG before the dialog opens
  QTest::addColumn<QString>("darkOffset");
  QTest::newRow("both axes, start gamma") << 0 << "" << "100";
  QTest::newRow("horizontal axis, gamma 800") << 1 << "800" << "100";
  QTest::newRow("vertical axis, no dark offset") << 2 << "" << "0";
}

void TestMeasureDialogs::wienerTableReplacesMemoWs() {
  QFETCH(int, axis);
  QFETCH(QString, gamma);
  QFETCH(QString, darkOffset);
  Fixture f;
  if (!gamma.isEmpty()) f->EditG->setText(gamma);
  const QString before = f->MemoWS->toPlainText();
  WienerDialog d(*f.form);
  QCOMPARE(d.gammaEdit()->text(), f->EditG->text());
  d.axisBox()->setCurrentIndex(axis);
  d.darkOffsetEdit()->setText(darkOffset);
  d.SetFiles({Data("flat1.dcm"), Data("flat2.dcm")});
  QCOMPARE(d.pitchEdit()->text(), QString("0.1"));
  QVERIFY2(d.MeasureNow(), qPrintable(d.errorText()));
  QVERIFY(d.summaryText().startsWith("2 images, 2 squares of 256"));

  measure::NnpsOptions o;
  o.region = measure::Region{0, 0, 256, 256};
  o.response.dark_offset = darkOffset.toDouble();
  o.response.gamma = xray::TextToFloat(f->EditG->text().toStdString());
  o.axis = axis == 1 ? measure::NnpsAxis::kHorizontal : axis == 2 ? measure::NnpsAxis::kVertical
                                                                  : measure::NnpsAxis::kBoth;
  const measure::NnpsResult expected = measure::MeasureNnps(
      {measure::ReadImage(Data("flat1.dcm").toStdString()), measure::ReadImage(Data("flat2.dcm").toStdString())}, o);

  // Cancel leaves the box alone; OK writes the table.
  d.reject();
  QCOMPARE(f->MemoWS->toPlainText(), before);
  d.okButton()->click();
  QCOMPARE(BoxLines(f->MemoWS), Lines(measure::WienerTableLines(expected)));
  QTest::keyClick(f->MemoWS, Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(f->MemoWS->toPlainText(), before);
  QVERIFY(f.boxes.isEmpty());
}

// A raw file is known by its name; its layout is typed into the dialog, and a
// headerless file that holds a square image has that layout filled in.
void TestMeasureDialogs::rawFileTakesItsLayoutFromTheDialog() {
  QVERIFY(scratch_.isValid());
  mt::EdgeModel model;
  model.width = 128;
  model.height = 96;
  const QString with_header = scratch_.filePath("edge-128x96.raw");
  mt::WriteRaw(with_header.toStdString(), mt::EdgeImage(model), 64);
  model.height = 128;
  const QString square = scratch_.filePath("edge-square.raw");
  mt::WriteRaw(square.toStdString(), mt::EdgeImage(model));

  Fixture f;
  MtfDialog d(*f.form);
  d.SetFiles({with_header});
  QVERIFY(d.rawCheck()->isChecked());
  QCOMPARE(d.errorText(), Q(msg::kRawDimensions));
  QTest::keyClicks(d.pitchEdit(), "0.1");
  d.rawSpin(0)->setValue(128);
  d.rawSpin(1)->setValue(96);
  d.rawSpin(2)->setValue(64);
  QVERIFY2(d.MeasureNow(), qPrintable(d.errorText()));
  QCOMPARE(RegionOf(d), QRect(0, 0, 128, 96));
  measure::MtfOptions o;
  o.pitch_mm = 0.1;
  const measure::MtfResult expected =
      measure::MeasureMtf(measure::ReadImage(with_header.toStdString(), measure::RawLayout{128, 96, 64}), o);
  QCOMPARE(d.tableText(), Lines(measure::MtfTableLines(expected)).join('\n'));

  d.rawSpin(2)->setValue(0);
  d.rawSpin(0)->setValue(0);
  d.SetFiles({square});
  QCOMPARE(d.rawSpin(0)->value(), 128);
  QCOMPARE(d.rawSpin(1)->value(), 128);
  QVERIFY2(d.MeasureNow(), qPrintable(d.errorText()));
  QCOMPARE(RegionOf(d), QRect(0, 0, 128, 128));
}

// Both tables measured from the shipped images of an ideal counting detector
// (every quantum counted, a Gaussian blur of 0.5 pixel), then "DQE(u)" at the
// fluence of its flat fields: at low frequencies its DQE is 100 %, and falls
// as MTF(u)^2 of the blur and the square pixel, DQE(u) = MTF(u)^2 (white noise).
void TestMeasureDialogs::measuredTablesGiveTheIdealDetectorsDqe() {
  Fixture f;
  {
    MtfDialog d(*f.form);
    d.SetFiles({Data("edge.dcm")});
    d.okButton()->click();
    QCOMPARE(d.result(), int(QDialog::Accepted));
  }
  {
    WienerDialog d(*f.form);
    d.darkOffsetEdit()->setText(QString::number(mt::kShippedDarkOffset));
    d.SetFiles({Data("flat1.dcm"), Data("flat2.dcm")});
    d.okButton()->click();
    QCOMPARE(d.result(), int(QDialog::Accepted));
  }
  const double fluence = mt::kShippedFlatQuanta / (mt::kShippedPitchMm * mt::kShippedPitchMm);
  f->EditPhtn->setText(Q(xray::FloatToText(fluence)));
  f->ButtonCalDQE->click();
  QVERIFY2(f.boxes.isEmpty(), qPrintable(f.boxes.join(" | ")));

  const QStringList ws = BoxLines(f->MemoWS);
  const QStringList dqe = BoxLines(f->MemoDQE);
  QVERIFY(BoxLines(f->MemoNEQ).size() > 10);
  // "DQE(u)" skips the Wiener spectrum's first row: one result row per measured bin.
  QCOMPARE(dqe.size(), ws.size() - 1);
  double sum = 0;
  int n = 0;
  for (qsizetype k = 1; k < dqe.size(); ++k) {
    const QStringList cells = dqe[k].split('\t');
    const double u = cells[0].toDouble();
    QCOMPARE(cells[0], ws[k + 1].split('\t')[0]);
    const double mtf = mt::EdgeMtf(u * mt::kShippedPitchMm, mt::kShippedEdgeSigmaPx, mt::kShippedEdgeTiltDeg);
    const double truth = mtf * mtf;
    sum += cells[1].toDouble() / 100 / truth;
    ++n;
  }
  // 2 squares of 256 x 256 give each bin a few per cent of noise; the mean over all bins is within 5 %.
  QVERIFY2(std::fabs(sum / n - 1) < 0.05, qPrintable(QString("mean DQE / MTF^2 = %1").arg(sum / n)));
}

// ---- unusable input: the library's message, OK disabled, nothing changed

void TestMeasureDialogs::unusableInputChangesNothing_data() {
  QTest::addColumn<bool>("wiener");
  QTest::addColumn<QString>("setup");  // which files to make, see below
  QTest::addColumn<QRect>("region");   // empty: as the dialog chooses
  QTest::addColumn<QString>("pitch");  // typed; empty: the file's
  QTest::addColumn<QString>("says");   // the library's template of the message
  QTest::newRow("not an image") << false << "text" << QRect() << "" << Q(msg::kNotAnImage);
  QTest::newRow("8-bit PGM") << false << "pgm8" << QRect() << "" << Q(msg::kNotSixteenBit);
  QTest::newRow("colour TIFF") << false << "rgb" << QRect() << "" << Q(msg::kNotGrey);
  QTest::newRow("no edge, a flat field") << false << "flat" << QRect() << "0.1" << Q(msg::kNoEdge);
  QTest::newRow("edge at 0 degrees") << false << "edge0" << QRect() << "0.1" << Q(msg::kEdgeAngle);
  QTest::newRow("edge at 45 degrees") << false << "edge45" << QRect() << "0.1" << Q(msg::kEdgeAngle);
  QTest::newRow("edge: region outside") << false << "edge.dcm" << QRect(100, 0, 100, 128) << ""
                                        << Q(msg::kRegionOutside);
  QTest::newRow("pitch with a comma") << false << "edge.dcm" << QRect() << "0,1" << Q(msg::kBadPitch);
  QTest::newRow("flats: region outside") << true << "flat1.dcm" << QRect(0, 10, 256, 256) << ""
                                         << Q(msg::kRegionOutside);
  QTest::newRow("flats of different sizes") << true << "sizes" << QRect() << "" << Q(msg::kSizesDiffer);
  QTest::newRow("8-bit second flat") << true << "flat+pgm8" << QRect() << "" << Q(msg::kNotSixteenBit);
}

void TestMeasureDialogs::unusableInputChangesNothing() {
  QFETCH(bool, wiener);
  QFETCH(QString, setup);
  QFETCH(QRect, region);
  QFETCH(QString, pitch);
  QFETCH(QString, says);
  QVERIFY(scratch_.isValid());
  const auto path = [this](const char* name) { return scratch_.filePath(name); };
  QStringList files;
  mt::EdgeModel edge;
  edge.width = edge.height = 128;
  if (setup == "text") {
    QFile text(path("notes.dcm"));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("cycles/mm\tMTF\n0\t1\n");
    files << text.fileName();
  } else if (setup == "pgm8") {
    edge.high = 200;
    edge.low = 20;
    mt::WritePgm(path("edge8.pgm").toStdString(), mt::EdgeImage(edge), 255);
    files << path("edge8.pgm");
  } else if (setup == "rgb") {
    mt::TiffOptions rgb;
    rgb.samples = 3;
    mt::WriteTiff(path("edge-rgb.tif").toStdString(), mt::EdgeImage(edge), rgb);
    files << path("edge-rgb.tif");
  } else if (setup == "flat") {
    mt::FlatModel flat;
    flat.width = flat.height = 128;
    mt::WritePgm(path("flat.pgm").toStdString(), mt::FlatImage(flat));
    files << path("flat.pgm");
  } else if (setup == "edge0" || setup == "edge45") {
    edge.tilt_deg = setup == "edge0" ? 0 : 45;
    const QString name = setup + ".pgm";
    mt::WritePgm(path(qPrintable(name)).toStdString(), mt::EdgeImage(edge));
    files << path(qPrintable(name));
  } else if (setup == "sizes") {
    mt::FlatModel flat;
    flat.width = flat.height = 320;
    flat.mean = 500;
    mt::WritePgm(path("flat320.pgm").toStdString(), mt::FlatImage(flat));
    files << Data("flat1.dcm") << path("flat320.pgm");
  } else if (setup == "flat+pgm8") {
    mt::FlatModel flat;
    flat.width = flat.height = 256;
    flat.mean = 100;
    flat.sigma = 10;
    mt::WritePgm(path("flat8.pgm").toStdString(), mt::FlatImage(flat), 255);
    files << Data("flat1.dcm") << path("flat8.pgm");
  } else {
    files << Data(qPrintable(setup));
  }

  Fixture f;
  const QString mtf_before = f->MemoMTF->toPlainText();
  const QString ws_before = f->MemoWS->toPlainText();
  const std::uint64_t mtf_revision = f->MemoRevision(Memo::MemoMTF);
  const std::uint64_t ws_revision = f->MemoRevision(Memo::MemoWS);
  std::unique_ptr<MeasureDialog> d;
  if (wiener) {
    d = std::make_unique<WienerDialog>(*f.form);
  } else {
    d = std::make_unique<MtfDialog>(*f.form);
  }
  d->SetFiles(files);
  if (!pitch.isEmpty()) {
    d->pitchEdit()->selectAll();
    QTest::keyClicks(d->pitchEdit(), pitch);
  }
  if (!region.isEmpty()) SetRegion(*d, region);
  QVERIFY(!d->MeasureNow());

  // The dialog shows what the library says of the same input.
  const QString expected = pitch == "0,1" ? Q(measure::FillMessage(measure::msg::kBadPitch, {"0,1"})) : MessageOf([&] {
    std::vector<measure::Image> images;
    for (const QString& file : files) images.push_back(measure::ReadImage(file.toStdString()));
    const std::optional<double> typed =
        pitch.isEmpty() ? std::nullopt : std::optional<double>(xray::TextToFloat(pitch.toStdString()));
    const std::optional<measure::Region> r = region.isEmpty() ? std::nullopt : std::optional(ToRegion(region));
    if (wiener) {
      measure::NnpsOptions o;
      o.region = r;
      o.pitch_mm = typed;
      measure::MeasureNnps(images, o);
    } else {
      measure::MtfOptions o;
      o.region = r;
      o.pitch_mm = typed;
      measure::MeasureMtf(images.front(), o);
    }
  });
  QCOMPARE(d->errorText(), expected);
  QVERIFY2(FilledFrom(d->errorText(), says.toStdString()), qPrintable(d->errorText()));
  QVERIFY(!d->okButton()->isEnabled());
  QVERIFY(d->tableText().isEmpty());

  // OK cannot be pressed; accept() itself keeps the dialog open and writes nothing.
  d->okButton()->click();
  d->accept();
  QVERIFY(d->result() != QDialog::Accepted);
  QCOMPARE(f->MemoMTF->toPlainText(), mtf_before);
  QCOMPARE(f->MemoWS->toPlainText(), ws_before);
  QCOMPARE(f->MemoRevision(Memo::MemoMTF), mtf_revision);
  QCOMPARE(f->MemoRevision(Memo::MemoWS), ws_revision);
  QVERIFY(f.boxes.isEmpty());
}

// ---- the image view

void TestMeasureDialogs::draggedRectangleBecomesTheRegion() {
  Fixture f;
  MtfDialog d(*f.form);
  d.show();
  QVERIFY(QTest::qWaitForWindowExposed(&d));
  d.SetFiles({Data("edge.dcm")});
  QVERIFY(d.MeasureNow());
  xray::gui::ImageView* view = d.imageView();
  // The 128-pixel image fills the shorter side of the view, centred.
  const double scale = std::min(view->width(), view->height()) / 128.0;
  const QPointF origin((view->width() - 128 * scale) / 2, (view->height() - 128 * scale) / 2);
  const auto centre = [&](int x, int y) { return origin + QPointF((x + 0.5) * scale, (y + 0.5) * scale); };
  const auto send = [&](QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
    QMouseEvent e(type, at, view->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                  buttons, Qt::NoModifier);
    QApplication::sendEvent(view, &e);
  };
  // From pixel (90, 100) up and left to pixel (10, 20): the rectangle holds both.
  send(QEvent::MouseButtonPress, centre(90, 100), Qt::LeftButton);
  send(QEvent::MouseMove, centre(50, 60), Qt::LeftButton);
  send(QEvent::MouseButtonRelease, centre(10, 20), Qt::NoButton);
  QCOMPARE(RegionOf(d), QRect(10, 20, 81, 81));
  // The new region is measured once the settings rest; OK waits for it.
  QVERIFY(!d.okButton()->isEnabled());
  QTRY_VERIFY(d.okButton()->isEnabled() || !d.errorText().isEmpty());
}

void TestMeasureDialogs::greyWindowStretchesTheRegion() {
  // A ramp 0..999 along x in the region's rows, and 60000 outside: the
  // percentiles come from the region alone.
  measure::Image image;
  image.width = 1000;
  image.height = 20;
  image.pixels.assign(20000, 60000);
  for (int y = 5; y < 15; ++y) {
    for (int x = 0; x < 1000; ++x) image.pixels[static_cast<std::size_t>(y * 1000 + x)] = x;
  }
  const xray::gui::GreyWindow w = xray::gui::RegionGreyWindow(image, {0, 5, 1000, 10});
  // Nearest-rank percentiles of 10 copies of 0..999.
  QCOMPARE(w.low, 4.0);
  QCOMPARE(w.high, 994.0);
  const QImage grey = xray::gui::DisplayImage(image, w);
  QCOMPARE(grey.format(), QImage::Format_Grayscale8);
  QCOMPARE(qGray(grey.pixel(0, 10)), 0);
  QCOMPARE(qGray(grey.pixel(499, 10)), 128);  // (499 - 4) / 990 * 255 = 127.5, rounded up
  QCOMPARE(qGray(grey.pixel(999, 10)), 255);
  QCOMPARE(qGray(grey.pixel(500, 0)), 255);
}

// ---- the menu

void TestMeasureDialogs::detectorMenuOpensTheDialogs() {
  Fixture f;
  xray::gui::Workbench workbench(*f.form, [&f](QWidget*, const QString& text) { f.boxes << text; });
  auto* menu = workbench.menuBar()->findChild<QMenu*>("DetectorMenu");
  QVERIFY(menu);
  const QList<QAction*> bar = workbench.menuBar()->actions();
  QVERIFY(bar.indexOf(menu->menuAction()) >= 0);
  // Just before Help.
  const QMenu* help = workbench.menuBar()->findChild<QMenu*>("HelpMenu");
  QCOMPARE(bar.indexOf(menu->menuAction()) + 1, bar.indexOf(help->menuAction()));
  const QList<QAction*> entries = menu->actions();
  QCOMPARE(entries.size(), 2);
  QCOMPARE(entries[0]->text(), QString::fromUtf8("MTF from edge image…"));
  QCOMPARE(entries[1]->text(), QString::fromUtf8("Wiener spectrum from flat fields…"));
  for (const auto& [entry, dialog] : {std::pair{0, "MtfDialog"}, std::pair{1, "WienerDialog"}}) {
    QString opened;
    QTimer::singleShot(0, [&opened] {
      QWidget* modal = QApplication::activeModalWidget();
      if (modal == nullptr) return;
      opened = modal->objectName();
      qobject_cast<QDialog*>(modal)->reject();
    });
    entries[entry]->trigger();
    QCOMPARE(opened, QString(dialog));
  }
}

QTEST_MAIN(TestMeasureDialogs)
#include "measure_dialogs_test.moc"
