// The window for daily work: documents (save, open, unsaved edits), export,
// the beam quality in the status bar, the standard beams and the help pages,
// on the Qt window with its workbench attached as the program attaches it.
// Every question and every box is answered by the test; nothing blocks.
// Runs without a screen: QT_QPA_PLATFORM=offscreen.
#include <QAction>
#include <QApplication>
#include <QChartView>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <memory>

#include "form/headless_window.h"
#include "form/session.h"
#include "gui/help_pages.h"
#include "gui/main_window.h"
#include "gui/workbench.h"
#include "numeric/number_text.h"

using xray::Button;
using xray::Field;
using xray::HeadlessWindow;
using xray::Memo;
using xray::Series;
using xray::gui::UnsavedChoice;

Q_DECLARE_METATYPE(Field)

namespace {

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly));
  QCOMPARE(f.write(bytes), bytes.size());
}

// CSV rows split at commas (the window's numbers hold none).
QList<QStringList> CsvRows(const QByteArray& csv) {
  QList<QStringList> rows;
  for (const QByteArray& line : csv.split('\n')) {
    if (!line.isEmpty()) rows << QString::fromUtf8(line).split(',');
  }
  return rows;
}

// The window as the program opens it, with its workbench; boxes are recorded,
// questions answered from `answer`, files chosen from `next_path`.
struct Fixture {
  QStringList boxes;
  QStringList status_at_box;  // what the status bar showed while each box was up
  std::unique_ptr<TForm1> form;
  std::unique_ptr<xray::gui::Workbench> bench;
  UnsavedChoice answer = UnsavedChoice::Cancel;
  QStringList asked;  // the names the unsaved-edits question was asked about
  QString next_path;

  Fixture() {
    const auto record = [this](QWidget*, const QString& text) {
      boxes << text;
      status_at_box << (bench ? bench->statusBar()->BeamText() : QString());
    };
    form = std::make_unique<TForm1>(record);
    bench = std::make_unique<xray::gui::Workbench>(*form, record);
    auto& prompts = bench->documents().prompts();
    prompts.unsaved = [this](QWidget*, const QString& name, const QString&) {
      asked << name;
      return answer;
    };
    prompts.save_path = [this](QWidget*, const QString&) { return next_path; };
    prompts.open_path = [this](QWidget*, const QString&) { return next_path; };
    bench->exporter().prompts().save_path = [this](QWidget*, const QString&, const QString&, const QString&) {
      return next_path;
    };
  }
  ~Fixture() {
    bench.reset();
    form.reset();
  }
  TForm1* operator->() { return form.get(); }
  xray::gui::DocumentKeeper& documents() { return bench->documents(); }

  // What a person does: types a field's whole text, pastes over a box.
  void Type(Field f, const QString& text) {
    QLineEdit* edit = form->Edit(f);
    edit->selectAll();
    if (text.isEmpty()) QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
  }
  void Paste(Memo m, const QString& text) { form->Box(m)->setPlainText(text); }
  QAction* MenuAction(const char* menu, const QString& name) {
    auto* m = bench->menuBar()->findChild<QMenu*>(menu);
    return m ? m->findChild<QAction*>(name) : nullptr;
  }
  QString Status() const { return bench->statusBar()->BeamText(); }
};

// A document written by hand: kV and the added filtration, then presses.
QByteArray HandDocument(const QByteArray& more_steps = {}) {
  return "[{\"set\": \"EditkV\", \"text\": \"70\"}, {\"set\": \"EditAdd\", \"text\": \"21\"}" + more_steps + "]";
}

}  // namespace

class TestDocuments : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void init();

  // ---- documents
  void saveThenOpenRestoresEveryText();
  void savedDocumentIsASessionOfTheSameTexts();
  void openPlaysPressesAsTheSessionPlayerDoes();
  void openOfABadFileLeavesTheWindowUntouched_data();
  void openOfABadFileLeavesTheWindowUntouched();
  void savingReplacesTheFileWhole();
  void unsavedEditsAreAskedAbout();
  void resultsAreNoEdits();
  void recentFilesKeepTheLastEight();

  // ---- export
  void exportedCsvHoldsTheWindowsNumbers();
  void exportedChartsAreImagesOfTheChart();
  void exportWithNothingToExportSaysSo();

  // ---- status bar and standard beams
  void statusBarShowsTheCommandLinesNumbers();
  void failedRunClearsTheStatusBar();
  void referenceShowsWhileTheFieldsHoldTheBeam();
  void standardBeamFillsTheTwoFields_data();
  void standardBeamFillsTheTwoFields();

  // ---- the window around the client area
  void barsLeaveTheClientAreaAsItIs();
  void helpPages();

 private:
  QTemporaryDir dir_;
  QString Path(const QString& name) const { return dir_.filePath(name); }
};

void TestDocuments::initTestCase() {
  QVERIFY(dir_.isValid());
  // The recent files go to a settings folder of the test's own.
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.filePath("settings"));
}

void TestDocuments::init() { QSettings("xraycalc", "xraycalc").clear(); }

// ------------------------------------------------------------------ documents

void TestDocuments::saveThenOpenRestoresEveryText() {
  Fixture a;
  a.Type(Field::EditkV, "70");
  a.Type(Field::EditTAngl, "12.5");
  a.Paste(Memo::MemoWS, "c/mm\tWS\n0.1\t2.1\n0.5\t1.9\n1\t1.6\n");
  // Below the empty line that ends the table, a note no press reads.
  a.Paste(Memo::MemoMTF, QString("c/mm\tMTF \"γ\"\n0\t1\n5\t0.1\n\n") + QString(5000, 'x') + "\n");
  a->ButtonSpectl->click();
  a->PageControl1->setCurrentWidget(a->TabSheet7);
  a->ButtonCalDQE->click();
  a.Type(Field::EditG, "not a number");
  QCOMPARE(a.boxes, QStringList());
  a.next_path = Path("round");  // no ending typed: the document's ending is added
  QVERIFY(a.documents().SaveAs());
  QCOMPARE(a.documents().path(), Path("round.xraycalc.json"));
  QVERIFY(!a.documents().modified());
  QCOMPARE(a.bench->statusBar()->DocumentText(), QString("round.xraycalc.json"));

  Fixture b;
  QVERIFY(b.documents().OpenFile(Path("round.xraycalc.json")));
  QVERIFY(xray::gui::TextsOf(*b.form) == xray::gui::TextsOf(*a.form));
  QCOMPARE(b->EditkV->text(), QString("70"));
  QCOMPARE(b->EditG->text(), QString("not a number"));
  QCOMPARE(b->MemoNEQ->toPlainText(), a->MemoNEQ->toPlainText());
  QCOMPARE(b->MemoMTF->toPlainText(), a->MemoMTF->toPlainText());
  QVERIFY(!b.documents().modified());
  QCOMPARE(b.boxes, QStringList());
  QCOMPARE(b->windowTitle(), QString("Form1"));  // the name is in the status bar
  QCOMPARE(b.bench->statusBar()->DocumentText(), QString("round.xraycalc.json"));
}

void TestDocuments::savedDocumentIsASessionOfTheSameTexts() {
  // `xraycalc-cli session DOC` rebuilds what the window saved.
  Fixture f;
  f.Type(Field::EditkV, "120");
  f.Paste(Memo::MemoCX, "keV\t%c\r\n70\t0\r\n150\t11\r\n");
  f->ButtonSpectl->click();
  QVERIFY(f.documents().SaveTo(Path("session.xraycalc.json")));
  const QByteArray doc = ReadAll(Path("session.xraycalc.json"));
  HeadlessWindow h;
  h.Create();
  const xray::SessionResult played = xray::PlaySession(h, xray::ParseSessionSteps(doc.toStdString()));
  QVERIFY(played.errors.empty());
  QVERIFY(xray::TextsOf(h) == xray::gui::TextsOf(*f.form));
  QCOMPARE(h.FieldText(Field::EditPhtn), f->EditPhtn->text().toStdString());
}

void TestDocuments::openPlaysPressesAsTheSessionPlayerDoes() {
  // A hand-written document with presses, one of which fails: the same
  // series, texts and error boxes as the session player, the box shown once.
  const QByteArray doc = HandDocument(
      ", {\"press\": \"ButtonSpectl\"}, {\"set\": \"EditmR\", \"text\": \"abc\"}, {\"press\": \"ButtonAdded\"},"
      " {\"set\": \"EditmR\", \"text\": \"2\"}, {\"press\": \"ButtonAdded\"}, {\"press\": \"ButtonCalDQE\"}");
  WriteAll(Path("presses.xraycalc.json"), doc);
  Fixture f;
  QVERIFY(f.documents().OpenFile(Path("presses.xraycalc.json")));

  HeadlessWindow h;
  h.Create();
  const xray::SessionResult played = xray::PlaySession(h, xray::ParseSessionSteps(doc.toStdString()));
  QCOMPARE(played.errors.size(), std::size_t{1});
  QCOMPARE(f.boxes, QStringList{Q(played.errors[0].message)});
  QVERIFY(xray::TextsOf(h) == xray::gui::TextsOf(*f.form));
  for (Series s : xray::kAllSeries) {
    const QList<QPointF> shown = f->LineSeries(s)->points();
    QCOMPARE(shown.size(), static_cast<qsizetype>(h.Points(s).size()));
    for (qsizetype k = 0; k < shown.size(); ++k) {
      QVERIFY(shown[k].x() == h.Points(s)[static_cast<std::size_t>(k)].x);
      QVERIFY(shown[k].y() == h.Points(s)[static_cast<std::size_t>(k)].y);
    }
  }
  QVERIFY(!f.documents().modified());
}

void TestDocuments::openOfABadFileLeavesTheWindowUntouched_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QByteArray>("content");  // the file is not made when empty and named "missing"
  QTest::addColumn<QString>("message");     // a part of the box's text
  QTest::newRow("missing") << "missing.xraycalc.json" << QByteArray() << "Cannot open the document";
  QTest::newRow("a folder") << "folder.xraycalc.json" << QByteArray() << "Cannot open the document";
  QTest::newRow("empty") << "empty.xraycalc.json" << QByteArray("") << "is not an xraycalc document: bad JSON";
  QTest::newRow("not JSON") << "text.xraycalc.json" << QByteArray("kV=70\n") << "bad JSON";
  QTest::newRow("binary") << "binary.xraycalc.json" << QByteArray("\x89PNG\r\n\x1a\n\0\0", 10) << "bad JSON";
  QTest::newRow("an object") << "object.xraycalc.json" << QByteArray("{\"set\": \"EditkV\", \"text\": \"1\"}")
                             << "the input must be a JSON array of steps";
  QTest::newRow("unknown control") << "unknown.xraycalc.json" << HandDocument(", {\"set\": \"EditXY\", \"text\": \"1\"}")
                                   << "step 2: unknown control 'EditXY'";
  QTest::newRow("pressing a field") << "press.xraycalc.json" << HandDocument(", {\"press\": \"EditkV\"}")
                                    << "step 2: cannot press 'EditkV': it is not a button";
  QTest::newRow("truncated") << "cut.xraycalc.json" << HandDocument().left(30) << "bad JSON";
}

void TestDocuments::openOfABadFileLeavesTheWindowUntouched() {
  QFETCH(QString, name);
  QFETCH(QByteArray, content);
  QFETCH(QString, message);
  const QString path = Path(name);
  if (name.startsWith("folder")) {
    QVERIFY(QDir().mkpath(path));
  } else if (!name.startsWith("missing")) {
    WriteAll(path, content);
  }
  Fixture f;
  f.Type(Field::EditkV, "99");
  f.Paste(Memo::MemoWS, "edited\n1\t2");
  f->ButtonSpectl->click();
  const xray::WindowTexts before = xray::gui::TextsOf(*f.form);
  const qsizetype points = f->Series1->count();
  f.answer = UnsavedChoice::Discard;  // the edits may go; the file decides

  QVERIFY(!f.documents().OpenFile(path));
  QCOMPARE(f.boxes.size(), 1);
  QVERIFY2(f.boxes[0].contains(message), qPrintable(f.boxes[0]));
  QVERIFY2(f.boxes[0].contains(path), qPrintable(f.boxes[0]));
  QVERIFY(f.boxes[0].endsWith('.'));
  QVERIFY(!f.boxes[0].contains('\n'));
  QVERIFY(xray::gui::TextsOf(*f.form) == before);
  QCOMPARE(f->Series1->count(), points);
  QVERIFY(f.documents().path().isEmpty());
  QVERIFY(f.documents().modified());  // the edits are still unsaved
  QCOMPARE(f.asked, QStringList{"Untitled"});
}

void TestDocuments::savingReplacesTheFileWhole() {
  Fixture f;
  const QString path = Path("whole.xraycalc.json");
  WriteAll(path, "old content");
  f.Type(Field::EditkV, "61");
  QVERIFY(f.documents().SaveTo(path));
  QVERIFY(ReadAll(path).contains("{\"set\": \"EditkV\", \"text\": \"61\"}"));
  QVERIFY(!QFileInfo::exists(path + ".tmp"));
  QCOMPARE(QDir(dir_.path()).entryList({"whole*"}), QStringList{"whole.xraycalc.json"});
  // A folder that cannot be written: the box names the file, the old text stays unsaved.
  f.Type(Field::EditkV, "62");
  QVERIFY(!f.documents().SaveTo(Path("no/such/folder/doc.xraycalc.json")));
  QCOMPARE(f.boxes.size(), 1);
  QVERIFY(f.boxes[0].startsWith("Cannot save the document"));
  QVERIFY(f.documents().modified());
  QCOMPARE(f.documents().path(), path);
}

void TestDocuments::unsavedEditsAreAskedAbout() {
  Fixture f;
  f->show();
  QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
  f.Type(Field::EditAdd, "3");
  QVERIFY(f.documents().modified());
  QCOMPARE(f.bench->statusBar()->DocumentText(), QString("Untitled (modified)"));

  // Cancel: the window stays, nothing is lost; New does nothing either.
  f.answer = UnsavedChoice::Cancel;
  QVERIFY(!f->close());
  QVERIFY(f->isVisible());
  QVERIFY(!f.documents().New());
  QCOMPARE(f->EditAdd->text(), QString("3"));
  QCOMPARE(f.asked, (QStringList{"Untitled", "Untitled"}));

  // Save: asked for a file, saved, then closed.
  f.answer = UnsavedChoice::Save;
  f.next_path = Path("asked.xraycalc.json");
  QVERIFY(f->close());
  QVERIFY(ReadAll(Path("asked.xraycalc.json")).contains("\"EditAdd\", \"text\": \"3\""));

  // Discard: New goes back to the start-up state without saving.
  Fixture g;
  g.Type(Field::EditkV, "55");
  g.answer = UnsavedChoice::Discard;
  QVERIFY(g.documents().New());
  QCOMPARE(g->EditkV->text(), QString("80"));
  QVERIFY(!g.documents().modified());
  QCOMPARE(g->Series1->count(), 0);
  QCOMPARE(g->FastLineSeries3->count(), 146);  // FormCreate ran again
}

void TestDocuments::resultsAreNoEdits() {
  Fixture f;
  f->ButtonSpectl->click();
  f->ButtonCalDQE->click();
  QVERIFY(!f.documents().modified());  // EditPhtn, MemoNEQ and MemoDQE are results
  QVERIFY(f->close());
  QVERIFY(f.asked.isEmpty());
  Fixture g;
  g.Paste(Memo::MemokeVAir, "keV\tair\n10\t5");
  QVERIFY(g.documents().modified());  // a pasted table is an edit
}

void TestDocuments::recentFilesKeepTheLastEight() {
  Fixture f;
  for (int k = 1; k <= 10; ++k) QVERIFY(f.documents().SaveTo(Path(QString("r%1.xraycalc.json").arg(k))));
  QVERIFY(f.documents().OpenFile(Path("r3.xraycalc.json")));
  const QStringList recent = f.documents().RecentFiles();
  QCOMPARE(recent.size(), xray::gui::kMaxRecentFiles);
  QCOMPARE(recent.front(), Path("r3.xraycalc.json"));
  QCOMPARE(recent[1], Path("r10.xraycalc.json"));
  QVERIFY(!recent.contains(Path("r1.xraycalc.json")));
  // A recent file that has gone is dropped from the list when it fails to open.
  QVERIFY(QFile::remove(Path("r10.xraycalc.json")));
  QVERIFY(!f.documents().OpenFile(Path("r10.xraycalc.json")));
  QVERIFY(!f.documents().RecentFiles().contains(Path("r10.xraycalc.json")));
}

// ------------------------------------------------------------------ export

void TestDocuments::exportedCsvHoldsTheWindowsNumbers() {
  Fixture f;
  f.Type(Field::EditkV, "70");
  f.Type(Field::EditAdd, "21");
  f->ButtonSpectl->click();
  f->ButtonCalDQE->click();
  QCOMPARE(f.boxes, QStringList());

  f.next_path = Path("spectrum.csv");
  QVERIFY(f.bench->exporter().ExportSpectrumCsv());
  const QList<QStringList> spectrum = CsvRows(ReadAll(Path("spectrum.csv")));
  QCOMPARE(spectrum.size(), 1 + 111);  // 15 to 70 keV
  QCOMPARE(spectrum[0], (QStringList{"energy_keV", "inherent_percent", "photons_per_mm2"}));
  double total = 0;
  for (qsizetype k = 1; k < spectrum.size(); ++k) {
    const QPointF inherent = f->Series1->at(k - 1);
    const QPointF added = f->FastLineSeries6->at(k - 1);
    QCOMPARE(spectrum[k][0], Q(xray::FloatToText(inherent.x())));
    QCOMPARE(spectrum[k][1], Q(xray::FloatToText(inherent.y())));
    QCOMPARE(spectrum[k][2], Q(xray::FloatToText(added.y())));
    total += spectrum[k][2].toDouble();
  }
  QVERIFY(std::abs(total - f->EditPhtn->text().toDouble()) < 1e-12 * total);

  f.next_path = Path("neq_dqe.csv");
  QVERIFY(f.bench->exporter().ExportNeqDqeCsv());
  const QList<QStringList> neq_dqe = CsvRows(ReadAll(Path("neq_dqe.csv")));
  const QStringList neq = f->MemoNEQ->toPlainText().split('\n');
  const QStringList dqe = f->MemoDQE->toPlainText().split('\n');
  QCOMPARE(neq_dqe.size(), neq.size());
  QCOMPARE(neq_dqe[0], (QStringList{"frequency_per_mm", "neq_per_mm2", "dqe_percent"}));
  for (qsizetype k = 1; k < neq_dqe.size(); ++k) {
    QCOMPARE(neq_dqe[k][0] + '\t' + neq_dqe[k][1], neq[k]);
    QCOMPARE(neq_dqe[k][0] + '\t' + neq_dqe[k][2], dqe[k]);
  }
}

void TestDocuments::exportedChartsAreImagesOfTheChart() {
  Fixture f;
  f->show();
  QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
  f->ButtonSpectl->click();
  QChartView* chart = f->Chart1;
  const QSize shown = chart->size();

  // PNG: the chosen size at twice the pixels, the chart laid out anew for it
  // and left as it was in the window.
  f.bench->exporter().prompts().png_options = [](QWidget*, const xray::gui::PngOptions& start) {
    return std::optional<xray::gui::PngOptions>({start.size * 2, 2});
  };
  f.next_path = Path("chart.png");
  QVERIFY(f.bench->exporter().ExportChartPng(chart));
  const QImage png(Path("chart.png"));
  QCOMPARE(png.size(), shown * 4);
  QCOMPARE(chart->size(), shown);
  QCOMPARE(chart->chart()->size().toSize(), shown);
  // The red line of the spectrum is drawn.
  int red = 0;
  for (int y = 0; y < png.height(); y += 2) {
    for (int x = 0; x < png.width(); x += 2) {
      const QColor c = png.pixelColor(x, y);
      red += c.red() > 200 && c.green() < 80 && c.blue() < 80;
    }
  }
  QVERIFY2(red > 500, qPrintable(QString::number(red)));

  // SVG: a drawing of the chart's size.
  f.next_path = Path("chart.svg");
  QVERIFY(f.bench->exporter().ExportChartSvg(chart));
  QSvgRenderer svg(Path("chart.svg"));
  QVERIFY(svg.isValid());
  QCOMPARE(svg.viewBox().size(), shown);

  // PDF: one page per chart of the page that shows (the DQE page has two).
  f->PageControl1->setCurrentWidget(f->TabSheet7);
  f.next_path = Path("page.pdf");
  QVERIFY(f.bench->exporter().ExportPagePdf());
  const QByteArray pdf = ReadAll(Path("page.pdf"));
  QVERIFY(pdf.startsWith("%PDF-"));
  QCOMPARE(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") + pdf.count("/Type /Page "), 2);
  QCOMPARE(f.boxes, QStringList());

  // The chart's context menu offers the same.
  std::unique_ptr<QMenu> menu(f->charts().front()->BuildContextMenu(nullptr));
  QStringList texts;
  for (QAction* a : menu->actions()) texts << a->text();
  QVERIFY2(texts.contains("Export Chart as PNG…") && texts.contains("Export Chart as SVG…") &&
               texts.contains("Export Charts of This Page as PDF…"),
           qPrintable(texts.join(" | ")));
}

void TestDocuments::exportWithNothingToExportSaysSo() {
  Fixture f;
  f.next_path = Path("never.csv");
  QVERIFY(!f.bench->exporter().ExportSpectrumCsv());
  QVERIFY(!f.bench->exporter().ExportNeqDqeCsv());
  f->PageControl1->setCurrentWidget(f->TabSheet5);  // "MassStopping" has no chart
  QVERIFY(!f.bench->exporter().ExportPagePdf());
  QCOMPARE(f.boxes.size(), 3);
  QVERIFY(!QFileInfo::exists(Path("never.csv")));
  // A file that cannot be written is named in the box.
  f->ButtonSpectl->click();
  f.next_path = Path("no/folder/spectrum.csv");
  QVERIFY(!f.bench->exporter().ExportSpectrumCsv());
  QVERIFY(f.boxes.back().startsWith("Cannot write '" + Path("no/folder/spectrum.csv") + "'"));
}

// ------------------------------------------------------------------ status bar

void TestDocuments::statusBarShowsTheCommandLinesNumbers() {
  Fixture f;
  f.Type(Field::EditkV, "70");
  f.Type(Field::EditAdd, "21");
  QCOMPARE(f.Status(), QString());
  f->ButtonSpectl->click();

  // xraycalc-cli spectrum --kv 70 --added 21, run as a program.
  QProcess cli;
  cli.start(XRAYCALC_CLI, {"spectrum", "--kv", "70", "--added", "21"});
  QVERIFY(cli.waitForFinished(60000));
  QCOMPARE(cli.exitCode(), 0);
  const QStringList lines = QString::fromUtf8(cli.readAllStandardOutput()).trimmed().split('\n');
  const auto value = [&](const QString& label) {
    for (const QString& line : lines) {
      if (line.startsWith(label + '\t')) return line.section('\t', 1);
    }
    return QString("(missing)");
  };
  const QString status = f.Status();
  QCOMPARE(value("HVL1(mm Al)"), QString("6.597"));
  for (const QString& item : {"HVL1 " + value("HVL1(mm Al)") + " mm Al", "HVL2 " + value("HVL2(mm Al)") + " mm Al",
                              "mean " + value("MeanEnergy(keV)") + " keV",
                              "fluence " + value("Fluence(photons/mm^2)") + " photons/mm²"}) {
    QVERIFY2(status.contains(item), qPrintable(status + " lacks " + item));
  }
  QVERIFY2(status.contains(" photons/mm²/µGy"), qPrintable(status));
  // Typed by hand, the fields hold RQA5's values all the same.
  QVERIFY2(status.contains("RQA5 reference 30174 /mm²/µGy, ratio "), qPrintable(status));
}

void TestDocuments::failedRunClearsTheStatusBar() {
  Fixture f;
  f->ButtonSpectl->click();
  const QString at_80 = f.Status();
  QVERIFY(at_80.startsWith("HVL1 7.317 mm Al"));
  // "Added" alone for another exposure: the same beam, another fluence.
  f.Type(Field::EditmR, "1.9");
  f->ButtonAdded->click();
  QVERIFY(f.Status().startsWith("HVL1 7.317 mm Al"));
  QVERIFY(f.Status() != at_80);
  QVERIFY(f.Status().contains("fluence " + f->EditPhtn->text() + " photons/mm²"));
  // A failed run clears it, before its box is shown.
  f.Type(Field::EditkV, "abc");
  f->ButtonSpectl->click();
  QCOMPARE(f.boxes.size(), 1);
  QCOMPARE(f.status_at_box, QStringList{QString()});
  QCOMPARE(f.Status(), QString());
  f.Type(Field::EditkV, "80");
  f.Type(Field::EditmR, "0.95");
  f->ButtonSpectl->click();
  QCOMPARE(f.Status(), at_80);
  f.Type(Field::EditmR, "x");
  f->ButtonAdded->click();
  QCOMPARE(f.boxes.size(), 2);
  QCOMPARE(f.Status(), QString());
  // "DQE(u)" is no spectrum run: its failure leaves the status bar alone.
  f.Type(Field::EditmR, "0.95");
  f->ButtonSpectl->click();
  f.Type(Field::EditG, "");
  f->ButtonCalDQE->click();
  QCOMPARE(f.boxes.size(), 3);
  QCOMPARE(f.Status(), at_80);
  // A run that succeeds on a beam without photons says why there is no quality.
  f.Type(Field::EditmR, "0");
  f->ButtonAdded->click();
  QCOMPARE(f.boxes.size(), 3);
  QVERIFY2(f.Status().startsWith("Beam quality: the spectrum holds no photons"), qPrintable(f.Status()));
}

void TestDocuments::referenceShowsWhileTheFieldsHoldTheBeam() {
  Fixture f;
  f.MenuAction("BeamMenu", "RQA5")->trigger();
  f->ButtonSpectl->click();
  QVERIFY2(f.Status().endsWith(" · RQA5 reference 30174 /mm²/µGy, ratio 0.962"), qPrintable(f.Status()));
  f.Type(Field::EditAdd, "20");
  QVERIFY(!f.Status().contains("RQA5"));
  QVERIFY(f.Status().startsWith("HVL1 6.597 mm Al"));  // the last run's beam is still shown
  f.Type(Field::EditAdd, "21.0");
  QVERIFY(f.Status().contains("RQA5 reference"));
  // Another standard beam typed but not yet computed: no comparison.
  f.MenuAction("BeamMenu", "RQA7")->trigger();
  QVERIFY(!f.Status().contains("reference"));
  f->ButtonSpectl->click();
  QVERIFY(f.Status().contains("RQA7 reference 32362 /mm²/µGy"));
}

void TestDocuments::standardBeamFillsTheTwoFields_data() {
  QTest::addColumn<QString>("beam");
  QTest::addColumn<QString>("kV");
  QTest::addColumn<QString>("added");
  QTest::newRow("RQA2") << "RQA2" << "40" << "4";
  QTest::newRow("RQA3") << "RQA3" << "50" << "10";
  QTest::newRow("RQA4") << "RQA4" << "60" << "16";
  QTest::newRow("RQA5") << "RQA5" << "70" << "21";
  QTest::newRow("RQA6") << "RQA6" << "80" << "26";
  QTest::newRow("RQA7") << "RQA7" << "90" << "30";
  QTest::newRow("RQA8") << "RQA8" << "100" << "34";
  QTest::newRow("RQA9") << "RQA9" << "120" << "40";
}

void TestDocuments::standardBeamFillsTheTwoFields() {
  QFETCH(QString, beam);
  QFETCH(QString, kV);
  QFETCH(QString, added);
  Fixture f;
  QAction* action = f.MenuAction("BeamMenu", beam);
  QVERIFY(action);
  QVERIFY(action->isEnabled());
  action->trigger();
  QCOMPARE(f->EditkV->text(), kV);
  QCOMPARE(f->EditAdd->text(), added);
  // Only typed: the other fields keep their texts and nothing is computed.
  QCOMPARE(f->EditInhrnt->text(), QString("2.5"));
  QCOMPARE(f->EditPhtn->text(), QString());
  QCOMPARE(f->Series1->count(), 0);
  QVERIFY(f.documents().modified());
  QCOMPARE(f.boxes, QStringList());
  // RQA10 is listed, disabled, with its reason.
  QAction* rqa10 = f.MenuAction("BeamMenu", "RQA10");
  QVERIFY(rqa10 && !rqa10->isEnabled());
  QVERIFY(rqa10->toolTip().contains("beyond this model"));
}

// ------------------------------------------------------------------ the window

void TestDocuments::barsLeaveTheClientAreaAsItIs() {
  QStringList unused;
  TForm1 bare([&unused](QWidget*, const QString& text) { unused << text; });
  bare.show();
  QVERIFY(QTest::qWaitForWindowExposed(&bare));
  Fixture f;
  f->show();
  QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
  // Every control where it is in the bare window, relative to the client area.
  const QList<QWidget*> all = bare.client()->findChildren<QWidget*>();
  QList<QWidget*> controls;  // those named uniquely: the window's own controls
  for (QWidget* w : all) {
    const QString name = w->objectName();
    if (!name.isEmpty() && bare.client()->findChildren<QWidget*>(name).size() == 1) controls << w;
  }
  QVERIFY(controls.size() > 50);
  for (QWidget* w : controls) {
    auto* same = f->client()->findChild<QWidget*>(w->objectName());
    QVERIFY2(same, qPrintable(w->objectName()));
    QCOMPARE(same->mapTo(f->client(), QPoint(0, 0)), w->mapTo(bare.client(), QPoint(0, 0)));
    QCOMPARE(same->size(), w->size());
  }
  // The window grew by the two bars, so the whole client area shows.
  QCOMPARE(f->client()->size(), bare.client()->size());
  QCOMPARE(f->height(), bare.height() + f.bench->menuBar()->height() + f.bench->statusBar()->height());
  QVERIFY(!f->scrollArea()->verticalScrollBar()->isVisible());
  QVERIFY(!f->scrollArea()->horizontalScrollBar()->isVisible());
  QCOMPARE(f->client()->mapTo(f.form.get(), QPoint(0, 0)), QPoint(0, f.bench->menuBar()->height()));
  // "Spectl" keeps the focus at start; the menus are File, Edit, Beam, Detector, Help.
  QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f->ButtonSpectl));
  QStringList menus;
  for (QAction* a : f.bench->menuBar()->actions()) menus << a->text();
  QCOMPARE(menus, (QStringList{"&File", "&Edit", "&Beam", "&Detector", "&Help"}));
}

void TestDocuments::helpPages() {
  const QString about = xray::gui::AboutText();
  for (const char* part : {"xraycalc " XRAYCALC_VERSION, "GPL-3.0-or-later", "Qt 6", "Charts", "SVG", "nlohmann-json",
                           "CLI11", "DCMTK", "libtiff", "FFTW3"}) {
    QVERIFY2(about.contains(part), part);
  }
  std::unique_ptr<QDialog> dialog(xray::gui::MakeModelDialog(nullptr));
  dialog->setAttribute(Qt::WA_DeleteOnClose, false);
  const QString page = dialog->findChild<QTextBrowser*>("ModelPage")->toPlainText();
  QVERIFY(page.size() > 4000);
  // Every field and every table, by its name and its label.
  for (Field fld : xray::kAllFields) QVERIFY2(page.contains(Q(xray::Name(fld))), xray::Name(fld).data());
  for (Memo m : xray::kAllMemos) QVERIFY2(page.contains(Q(xray::Name(m))), xray::Name(m).data());
  for (const char* label : {"T.Angle(deg)", "Inherent(mmAl)", "Added(mmAl)", "W Density(g/cm^3)", "Al Density(g/cm^3)",
                            "Exposure(mR)", "Photon#(mm^-2)", "sin(θ/180)", "cycles/mm", "cm²/g", "photons/mm²"}) {
    QVERIFY2(page.contains(label), label);
  }
}

QTEST_MAIN(TestDocuments)
#include "documents_test.moc"
