// The Qt window against the headless window: the same presses must leave the
// same points, texts and clipboard, and the window's own behaviour (start-up
// state, error boxes, the covered "Added" button, focus, scrolling, axes)
// must hold. Runs without a screen: QT_QPA_PLATFORM=offscreen.
#include <QApplication>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QLogValueAxis>
#include <QMessageBox>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <memory>

#include "form/headless_window.h"
#include "gui/main_window.h"
#include "tables/builtin_tables.h"

using xray::Button;
using xray::Field;
using xray::HeadlessWindow;
using xray::Memo;
using xray::Series;

Q_DECLARE_METATYPE(Field)
Q_DECLARE_METATYPE(Memo)
Q_DECLARE_METATYPE(Series)
Q_DECLARE_METATYPE(Button)

namespace {

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// Exact comparison: QPointF's == is fuzzy, the windows must agree to the bit.
QString PointsDiffer(const QList<QPointF>& shown, const std::vector<xray::Point>& expected) {
  if (shown.size() != static_cast<qsizetype>(expected.size())) {
    return QString("%1 points instead of %2").arg(shown.size()).arg(expected.size());
  }
  for (qsizetype k = 0; k < shown.size(); ++k) {
    const xray::Point& e = expected[static_cast<std::size_t>(k)];
    if (shown[k].x() != e.x || shown[k].y() != e.y) {
      return QString("point %1 is (%2, %3) instead of (%4, %5)")
          .arg(k).arg(shown[k].x(), 0, 'g', 17).arg(shown[k].y(), 0, 'g', 17).arg(e.x, 0, 'g', 17).arg(e.y, 0, 'g', 17);
    }
  }
  return {};
}

QStringList BoxLines(const QPlainTextEdit* box) {
  QStringList lines;
  for (QTextBlock b = box->document()->begin(); b.isValid(); b = b.next()) lines << b.text();
  return lines;
}

QStringList HeadlessLines(const HeadlessWindow& h, Memo m) {
  QStringList lines;
  for (const std::string& line : h.Lines(m)) lines << QString::fromStdString(line);
  // A document always holds at least one (possibly empty) block.
  if (lines.isEmpty()) lines << QString();
  return lines;
}

// A window whose error boxes are recorded instead of shown.
struct Fixture {
  QStringList boxes;
  QList<QWidget*> box_parents;
  std::unique_ptr<TForm1> form;

  Fixture() {
    form = std::make_unique<TForm1>([this](QWidget* parent, const QString& text) {
      boxes << text;
      box_parents << parent;
    });
  }
  TForm1& operator*() { return *form; }
  TForm1* operator->() { return form.get(); }

  void Show() {
    form->show();
    QApplication::setActiveWindow(form.get());
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
  }
  // What a person does: type a field's whole text, then click.
  void Type(Field f, const QString& text) {
    QLineEdit* edit = form->Edit(f);
    edit->selectAll();
    edit->clear();
    QTest::keyClicks(edit, text);
  }
  void Click(Button b) {
    QPushButton* button = b == Button::ButtonSpectl ? form->ButtonSpectl
                          : b == Button::ButtonAdded ? form->ButtonAdded
                                                     : form->ButtonCalDQE;
    if (b == Button::ButtonCalDQE) form->PageControl1->setCurrentWidget(form->TabSheet7);
    button->click();
  }
};

}  // namespace

class TestMainWindow : public QObject {
  Q_OBJECT

 private slots:
  void init() { QGuiApplication::clipboard()->clear(); }

  // ---- start-up state
  void startUpFields_data();
  void startUpFields();
  void startUpTableBoxes_data();
  void startUpTableBoxes();
  void startUpSeries_data();
  void startUpSeries();
  void startUpPages();

  // ---- the calculations against the headless window
  void spectlMatchesHeadless_data();
  void spectlMatchesHeadless();
  void dqeMatchesHeadless_data();
  void dqeMatchesHeadless();
  void editedTableIsReadAfresh();

  // ---- errors
  void errorShownOnceAndWindowUsable_data();
  void errorShownOnceAndWindowUsable();
  void errorBoxIsModalCriticalWithOneOk();

  // ---- the window's own behaviour
  void buttonAddedCoveredButKeyboardPressable();
  void tabOrderOfHeader();
  void tabInTextBoxMovesFocus_data();
  void tabInTextBoxMovesFocus();
  void pastedTabsStayInRows();
  void textBoxLinesAreStoredLines();
  void textBoxRevisionFollowsEveryChange();
  void resizingNeverMovesControls();
  void layoutScalesWithResolution_data();
  void layoutScalesWithResolution();
  void panelCaptions();
  void chartTitles_data();
  void chartTitles();
  void axisRangesFollowDataWithinFixedEnds();
};

// ------------------------------------------------------------------ start-up

void TestMainWindow::startUpFields_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QString>("text");
  QTest::newRow("kV") << "EditkV" << "80";
  QTest::newRow("inherent") << "EditInhrnt" << "2.5";
  QTest::newRow("added") << "EditAdd" << "19.3";
  QTest::newRow("W density") << "EditDnsW" << "19.21";
  QTest::newRow("target angle") << "EditTAngl" << "11";
  QTest::newRow("Al density") << "EditDnsAl" << "2.7";
  QTest::newRow("fluence, empty") << "EditPhtn" << "";
  QTest::newRow("exposure") << "EditmR" << "0.95";
  QTest::newRow("gamma") << "EditG" << "1023.75";
}

void TestMainWindow::startUpFields() {
  QFETCH(QString, name);
  QFETCH(QString, text);
  Fixture f;
  const auto* edit = f->findChild<QLineEdit*>(name);
  QVERIFY(edit);
  QCOMPARE(edit->text(), text);
  QVERIFY(f.boxes.isEmpty());
}

void TestMainWindow::startUpTableBoxes_data() {
  QTest::addColumn<Memo>("memo");
  for (Memo m : xray::kAllMemos) QTest::newRow(xray::Name(m).data()) << m;
}

void TestMainWindow::startUpTableBoxes() {
  QFETCH(Memo, memo);
  Fixture f;
  const auto* box = f->findChild<QPlainTextEdit*>(Q(xray::Name(memo)));
  QVERIFY(box);
  QStringList expected;
  for (const std::string& line : xray::BuiltinLines(memo)) expected << QString::fromStdString(line);
  QCOMPARE(box->toPlainText(), expected.join('\n'));
  if (memo == Memo::MemoNEQ || memo == Memo::MemoDQE) QVERIFY(box->toPlainText().isEmpty());
}

void TestMainWindow::startUpSeries_data() {
  QTest::addColumn<Series>("series");
  QTest::addColumn<int>("points");  // the data rows of the table it plots
  QTest::newRow("tungsten") << Series::FastLineSeries1 << 16;
  QTest::newRow("aluminium") << Series::FastLineSeries2 << 10;
  QTest::newRow("air") << Series::FastLineSeries5 << 11;
  QTest::newRow("Thomson-Whiddington") << Series::FastLineSeries3 << 146;
  QTest::newRow("K photons") << Series::FastLineSeries4 << 62;
  for (Series s : {Series::Series1, Series::Series2, Series::Series3, Series::FastLineSeries6,
                   Series::FastLineSeries7, Series::FastLineSeries8}) {
    QTest::newRow(xray::Name(s).data()) << s << 0;
  }
}

void TestMainWindow::startUpSeries() {
  QFETCH(Series, series);
  QFETCH(int, points);
  Fixture f;
  QCOMPARE(f->LineSeries(series)->count(), points);
  QCOMPARE(f->LineSeries(series)->objectName(), Q(xray::Name(series)));
  HeadlessWindow h;
  h.Create();
  const QString diff = PointsDiffer(f->LineSeries(series)->points(), h.Points(series));
  QVERIFY2(diff.isEmpty(), qPrintable(diff));
}

void TestMainWindow::startUpPages() {
  Fixture f;
  QCOMPARE(f->PageControl1->currentWidget(), f->TabSheet1);
  const QStringList captions = {"Inherent", "Inherent+Added", "Attenuation/Absorption", "T-W Const",
                                "MassStopping", "K-Photons", "DQE(u)"};
  QCOMPARE(f->PageControl1->count(), captions.size());
  for (int k = 0; k < captions.size(); ++k) {
    QCOMPARE(f->PageControl1->tabText(k), captions[k]);
    QCOMPARE(f->PageControl1->widget(k)->objectName(), QString("TabSheet%1").arg(k + 1));
  }
  QVERIFY(f->TabSheet5->findChildren<QWidget*>().isEmpty());  // "MassStopping" is empty
  QCOMPARE(f->windowTitle(), QString("Form1"));
  QCOMPARE(f->objectName(), QString("Form1"));
}

// ------------------------------------------------------------------ calculations

void TestMainWindow::spectlMatchesHeadless_data() {
  QTest::addColumn<QString>("kV");
  QTest::addColumn<QString>("mR");
  QTest::newRow("defaults, 80 kV") << "80" << "0.95";
  QTest::newRow("below the K lines, 60 kV") << "60" << "2";
  QTest::newRow("high voltage, 120 kV") << "120" << "0.5";
}

void TestMainWindow::spectlMatchesHeadless() {
  QFETCH(QString, kV);
  QFETCH(QString, mR);
  Fixture f;
  f.Type(Field::EditkV, kV);
  f.Type(Field::EditmR, mR);
  QTest::mouseClick(f->ButtonSpectl, Qt::LeftButton);

  HeadlessWindow h;
  h.Create();
  h.SetField(Field::EditkV, kV.toStdString());
  h.SetField(Field::EditmR, mR.toStdString());
  h.Click(Button::ButtonSpectl);

  QVERIFY(h.ErrorBoxes().empty());
  QVERIFY(f.boxes.isEmpty());
  for (Series s : {Series::Series1, Series::Series2, Series::Series3, Series::FastLineSeries6}) {
    const QString diff = PointsDiffer(f->LineSeries(s)->points(), h.Points(s));
    QVERIFY2(diff.isEmpty(), qPrintable(Q(xray::Name(s)) + ": " + diff));
  }
  QVERIFY(f->Series1->count() > 0);
  QVERIFY(!f->EditPhtn->text().isEmpty());
  QCOMPARE(f->EditPhtn->text(), Q(h.FieldText(Field::EditPhtn)));
  QVERIFY(h.Clipboard().has_value());
  QCOMPARE(QGuiApplication::clipboard()->text(), Q(*h.Clipboard()));
}

void TestMainWindow::dqeMatchesHeadless_data() {
  QTest::addColumn<bool>("spectlFirst");
  QTest::addColumn<QString>("fluence");  // typed into EditPhtn when not empty
  QTest::addColumn<QString>("gamma");
  QTest::addColumn<bool>("shuffleWs");  // two Wiener-spectrum rows swapped: x no longer ascending
  QTest::newRow("after Spectl") << true << "" << "1023.75" << false;
  QTest::newRow("typed fluence") << false << "250000" << "1023.75" << false;
  QTest::newRow("low fluence, DQE above 70 %") << false << "20000" << "800" << false;
  QTest::newRow("rows out of order") << false << "250000" << "1023.75" << true;
}

void TestMainWindow::dqeMatchesHeadless() {
  QFETCH(bool, spectlFirst);
  QFETCH(QString, fluence);
  QFETCH(QString, gamma);
  QFETCH(bool, shuffleWs);
  Fixture f;
  HeadlessWindow h;
  h.Create();
  if (shuffleWs) {
    // The points still go into the series in ascending order of frequency.
    std::vector<std::string> lines = xray::BuiltinLines(Memo::MemoWS);
    std::swap(lines[5], lines[9]);
    std::swap(lines[20], lines[3]);
    QStringList text;
    for (const std::string& line : lines) text << QString::fromStdString(line);
    f->Box(Memo::MemoWS)->setPlainText(text.join('\n'));
    h.SetMemoLines(Memo::MemoWS, lines);
  }
  if (spectlFirst) {
    f.Click(Button::ButtonSpectl);
    h.Click(Button::ButtonSpectl);
  }
  if (!fluence.isEmpty()) {
    f.Type(Field::EditPhtn, fluence);
    h.SetField(Field::EditPhtn, fluence.toStdString());
  }
  f.Type(Field::EditG, gamma);
  h.SetField(Field::EditG, gamma.toStdString());
  f->PageControl1->setCurrentWidget(f->TabSheet7);
  QTest::mouseClick(f->ButtonCalDQE, Qt::LeftButton);
  h.Click(Button::ButtonCalDQE);

  QVERIFY(h.ErrorBoxes().empty());
  QVERIFY(f.boxes.isEmpty());
  for (Memo m : {Memo::MemoNEQ, Memo::MemoDQE}) {
    QCOMPARE(BoxLines(f->Box(m)), HeadlessLines(h, m));
    QVERIFY(BoxLines(f->Box(m)).size() > 1);
  }
  for (Series s : {Series::FastLineSeries7, Series::FastLineSeries8}) {
    const QString diff = PointsDiffer(f->LineSeries(s)->points(), h.Points(s));
    QVERIFY2(diff.isEmpty(), qPrintable(Q(xray::Name(s)) + ": " + diff));
  }
}

void TestMainWindow::editedTableIsReadAfresh() {
  // The tables are read at every press: an edit after a first run changes the
  // second one exactly as it changes the headless window's.
  Fixture f;
  HeadlessWindow h;
  h.Create();
  f.Click(Button::ButtonSpectl);
  h.Click(Button::ButtonSpectl);

  std::vector<std::string> lines = xray::BuiltinLines(Memo::MemokeVWu);
  lines[1] = "15\t150";
  QStringList text;
  for (const std::string& line : lines) text << QString::fromStdString(line);
  f->Box(Memo::MemokeVWu)->setPlainText(text.join('\n'));
  h.SetMemoLines(Memo::MemokeVWu, lines);

  const QList<QPointF> before = f->Series1->points();
  f.Click(Button::ButtonSpectl);
  h.Click(Button::ButtonSpectl);
  const QString diff = PointsDiffer(f->Series1->points(), h.Points(Series::Series1));
  QVERIFY2(diff.isEmpty(), qPrintable(diff));
  QVERIFY(PointsDiffer(before, h.Points(Series::Series1)).size() > 0);  // the edit did change the spectrum
  QCOMPARE(f->EditPhtn->text(), Q(h.FieldText(Field::EditPhtn)));
}

// ------------------------------------------------------------------ errors

void TestMainWindow::errorShownOnceAndWindowUsable_data() {
  QTest::addColumn<Field>("field");
  QTest::addColumn<QString>("text");
  QTest::addColumn<Button>("button");
  QTest::addColumn<QString>("box");
  // Inside the nested "Added": it ends "Spectl" too and is shown once.
  QTest::newRow("exposure not a number") << Field::EditmR << "abc" << Button::ButtonSpectl
                                         << QString::fromUtf8("'abc' は浮動小数点数ではありません.");
  // "DQE(u)" before any fluence: the empty field.
  QTest::newRow("DQE before Spectl") << Field::EditPhtn << "" << Button::ButtonCalDQE
                                     << QString::fromUtf8("'' は浮動小数点数ではありません.");
  // 150 kV reads the empty line after the tungsten table.
  QTest::newRow("150 kV beyond the table") << Field::EditkV << "150" << Button::ButtonSpectl
                                           << QString::fromUtf8("'' は浮動小数点数ではありません.");
}

void TestMainWindow::errorShownOnceAndWindowUsable() {
  QFETCH(Field, field);
  QFETCH(QString, text);
  QFETCH(Button, button);
  QFETCH(QString, box);
  Fixture f;
  HeadlessWindow h;
  h.Create();
  f.Type(field, text);
  h.SetField(field, text.toStdString());
  f.Click(button);
  h.Click(button);

  QCOMPARE(f.boxes, QStringList{box});
  QCOMPARE(f.box_parents, QList<QWidget*>{f.form.get()});
  QCOMPARE(h.ErrorBoxes().size(), std::size_t{1});
  QCOMPARE(f.boxes.front(), Q(h.ErrorBoxes().front()));
  // What the handler did before it failed stays, as in the headless window.
  for (Series s : xray::kAllSeries) {
    const QString diff = PointsDiffer(f->LineSeries(s)->points(), h.Points(s));
    QVERIFY2(diff.isEmpty(), qPrintable(Q(xray::Name(s)) + ": " + diff));
  }
  QCOMPARE(f->EditPhtn->text(), Q(h.FieldText(Field::EditPhtn)));
  QCOMPARE(QGuiApplication::clipboard()->text(), h.Clipboard() ? Q(*h.Clipboard()) : QString());

  // The window goes on: with sound fields both buttons work.
  f.Type(field, Q(xray::DefaultFieldText(field)));
  f.Click(Button::ButtonSpectl);
  f.Click(Button::ButtonCalDQE);
  QCOMPARE(f.boxes.size(), 1);
  QVERIFY(f->Series1->count() > 0);
  QVERIFY(f->FastLineSeries8->count() > 0);
}

void TestMainWindow::errorBoxIsModalCriticalWithOneOk() {
  QWidget parent;
  QString title, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QList<QAbstractButton*> buttons;
  bool modal = false;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    title = box->windowTitle();
    text = box->text();
    icon = box->icon();
    buttons = box->buttons();
    modal = box->isModal();
    box->button(QMessageBox::Ok)->click();
  });
  TForm1::ShowErrorBox(&parent, QString::fromUtf8("0 による浮動小数点数除算."));
  QCOMPARE(title, QCoreApplication::applicationName());
  QCOMPARE(text, QString::fromUtf8("0 による浮動小数点数除算."));
  QCOMPARE(icon, QMessageBox::Critical);
  QCOMPARE(buttons.size(), 1);
  QVERIFY(modal);
}

// ------------------------------------------------------------------ the window itself

void TestMainWindow::buttonAddedCoveredButKeyboardPressable() {
  Fixture f;
  f.Show();
  QPushButton* added = f->ButtonAdded;
  QSignalSpy clicks(added, &QPushButton::clicked);

  // Whatever lies at its centre belongs to the page control above it.
  const QPoint centre = added->mapTo(f.form.get(), added->rect().center());
  QWidget* top = f->childAt(centre);
  QVERIFY(top != added);
  QVERIFY(top == f->PageControl1 || f->PageControl1->isAncestorOf(top));
  // A real click there (through the window) never reaches it.
  QTest::mouseClick(f->windowHandle(), Qt::LeftButton, Qt::NoModifier, centre);
  QCOMPARE(clicks.count(), 0);
  // Nor can it be seen: the window looks the same with the button hidden.
  const QRect place(added->mapTo(f->client(), QPoint(0, 0)), added->size());
  const QImage with = f->client()->grab(place).toImage();
  added->hide();
  const QImage without = f->client()->grab(place).toImage();
  added->show();
  QCOMPARE(with, without);

  // From the keyboard: it follows EditmR in the tab order, and the space bar
  // presses it; it then calibrates the stored spectrum for the new exposure.
  f.Click(Button::ButtonSpectl);
  HeadlessWindow h;
  h.Create();
  h.Click(Button::ButtonSpectl);
  f.Type(Field::EditmR, "1.9");
  h.SetField(Field::EditmR, "1.9");
  f->EditmR->setFocus();
  QTest::keyClick(f->EditmR, Qt::Key_Tab);
  QCOMPARE(QApplication::focusWidget(), added);
  QTest::keyClick(added, Qt::Key_Space);
  h.Click(Button::ButtonAdded);
  QCOMPARE(clicks.count(), 1);
  QVERIFY(f.boxes.isEmpty());
  QCOMPARE(f->EditPhtn->text(), Q(h.FieldText(Field::EditPhtn)));
  const QString diff = PointsDiffer(f->FastLineSeries6->points(), h.Points(Series::FastLineSeries6));
  QVERIFY2(diff.isEmpty(), qPrintable(diff));
}

void TestMainWindow::tabOrderOfHeader() {
  Fixture f;
  f.Show();
  f->ButtonSpectl->setFocus();
  QStringList visited;
  for (int k = 0; k < 10; ++k) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QWidget* w = QApplication::focusWidget();
    visited << (qobject_cast<QTabBar*>(w) ? w->parentWidget()->objectName() : w->objectName());
  }
  const QStringList expected = {"EditkV", "EditInhrnt", "EditAdd", "EditDnsW", "EditTAngl",
                                "EditDnsAl", "EditPhtn", "EditmR", "ButtonAdded", "PageControl1"};
  QCOMPARE(visited, expected);
}

void TestMainWindow::tabInTextBoxMovesFocus_data() {
  QTest::addColumn<QString>("page");
  QTest::addColumn<QString>("from");
  QTest::addColumn<QString>("to");
  QTest::newRow("tungsten to aluminium") << "TabSheet3" << "MemokeVWu" << "MemokeVAlu";
  QTest::newRow("MTF to WS") << "TabSheet7" << "MemoMTF" << "MemoWS";
  QTest::newRow("NEQ to DQE") << "TabSheet7" << "MemoNEQ" << "MemoDQE";
}

void TestMainWindow::tabInTextBoxMovesFocus() {
  QFETCH(QString, page);
  QFETCH(QString, from);
  QFETCH(QString, to);
  Fixture f;
  f.Show();
  f->PageControl1->setCurrentWidget(f->findChild<QWidget*>(page));
  auto* box = f->findChild<QPlainTextEdit*>(from);
  box->setFocus();
  box->moveCursor(QTextCursor::End);
  const QString text = box->toPlainText();
  QTest::keyClick(box, Qt::Key_Tab);
  QCOMPARE(QApplication::focusWidget()->objectName(), to);
  QCOMPARE(box->toPlainText(), text);
}

void TestMainWindow::pastedTabsStayInRows() {
  Fixture f;
  auto* box = f->Box(Memo::MemoCX);
  QGuiApplication::clipboard()->setText("keV\t%c\r\n70\t1.5\r\n150\t9\r\n");
  box->selectAll();
  box->paste();
  QCOMPARE(f->MemoLine(Memo::MemoCX, 0), std::string("keV\t%c"));
  QCOMPARE(f->MemoLine(Memo::MemoCX, 1), std::string("70\t1.5"));
  QCOMPARE(f->MemoLine(Memo::MemoCX, 2), std::string("150\t9"));
  QCOMPARE(f->MemoLine(Memo::MemoCX, 3), std::string());
}

void TestMainWindow::textBoxLinesAreStoredLines() {
  Fixture f;
  xray::gui::TextBox* box = f->Box(Memo::MemoNEQ);
  // A row far wider than the box wraps on screen but reads as one line.
  const std::string wide = "0.5\t" + std::string(300, '7');
  // A line longer than 4096 characters reads as its first 4096 (code points:
  // each "γ" is two bytes in UTF-8).
  std::string greek;
  for (int k = 0; k < 5000; ++k) greek += "γ";
  f->ClearMemo(Memo::MemoNEQ);
  f->AppendMemoLine(Memo::MemoNEQ, "");  // an empty first line stays a line
  f->AppendMemoLine(Memo::MemoNEQ, wide);
  f->AppendMemoLine(Memo::MemoNEQ, greek);
  QCOMPARE(box->document()->blockCount(), 3);
  QCOMPARE(f->MemoLine(Memo::MemoNEQ, 0), std::string());
  QCOMPARE(f->MemoLine(Memo::MemoNEQ, 1), wide);
  QCOMPARE(f->MemoLine(Memo::MemoNEQ, 2).size(), 2 * xray::kMaxLineChars);
  QCOMPARE(f->MemoLine(Memo::MemoNEQ, 3), std::string());
  QCOMPARE(f->MemoLine(Memo::MemoNEQ, -1), std::string());

  // The same appends on the headless window give the same lines.
  HeadlessWindow h;
  h.ClearMemo(Memo::MemoNEQ);
  for (const std::string& line : {std::string(), wide, greek}) h.AppendMemoLine(Memo::MemoNEQ, line);
  for (int i = 0; i < 4; ++i) QCOMPARE(f->MemoLine(Memo::MemoNEQ, i), h.MemoLine(Memo::MemoNEQ, i));

  // Cleared, the box has no lines; a first appended line is line 0.
  f->ClearMemo(Memo::MemoNEQ);
  f->AppendMemoLine(Memo::MemoNEQ, "cycles/mm\tNEQ(u)");
  QCOMPARE(BoxLines(box), QStringList{"cycles/mm\tNEQ(u)"});
}

void TestMainWindow::textBoxRevisionFollowsEveryChange() {
  Fixture f;
  f.Show();
  f->PageControl1->setCurrentWidget(f->TabSheet7);
  std::uint64_t last = f->MemoRevision(Memo::MemoMTF);
  const auto changed = [&] {
    const std::uint64_t now = f->MemoRevision(Memo::MemoMTF);
    const bool differs = now != last;
    last = now;
    return differs;
  };
  QVERIFY(!changed());
  f->MemoMTF->setFocus();
  QTest::keyClicks(f->MemoMTF, "9");
  QVERIFY(changed());
  f->MemoMTF->undo();
  QVERIFY(changed());
  f->AppendMemoLine(Memo::MemoMTF, "4\t0.1");
  QVERIFY(changed());
  f->ClearMemo(Memo::MemoMTF);
  QVERIFY(changed());
  QVERIFY(f->MemoLine(Memo::MemoMTF, 0).empty());
  // Other boxes keep theirs.
  const std::uint64_t ws = f->MemoRevision(Memo::MemoWS);
  f->AppendMemoLine(Memo::MemoMTF, "x");
  QCOMPARE(f->MemoRevision(Memo::MemoWS), ws);
}

void TestMainWindow::resizingNeverMovesControls() {
  Fixture f;
  f.Show();
  const QList<QWidget*> controls = {f->ButtonSpectl, f->EditPhtn, f->PageControl1, f->Label8};
  QList<QPoint> places;
  for (QWidget* w : controls) places << w->mapTo(f.form.get(), QPoint(0, 0));
  const QSize contents = f->client()->size();

  f->resize(contents + QSize(300, 200));
  QApplication::processEvents();
  for (int k = 0; k < controls.size(); ++k) QCOMPARE(controls[k]->mapTo(f.form.get(), QPoint(0, 0)), places[k]);
  QVERIFY(!f->scrollArea()->horizontalScrollBar()->isVisible());
  QVERIFY(!f->scrollArea()->verticalScrollBar()->isVisible());

  f->resize(contents / 2);
  QApplication::processEvents();
  QCOMPARE(f->client()->size(), contents);
  QVERIFY(f->scrollArea()->horizontalScrollBar()->isVisible());
  QVERIFY(f->scrollArea()->verticalScrollBar()->isVisible());
  for (int k = 0; k < controls.size(); ++k) {
    QCOMPARE(controls[k]->mapTo(f->client(), QPoint(0, 0)), places[k]);
  }
}

void TestMainWindow::layoutScalesWithResolution_data() {
  // Places in pixels at 96 dpi, relative to the parent; fonts in pixels.
  QTest::addColumn<QString>("control");
  QTest::addColumn<QRect>("designed");
  QTest::addColumn<int>("fontPixels");
  QTest::addColumn<bool>("bold");
  QTest::newRow("fluence field") << "EditPhtn" << QRect(357, 80, 145, 20) << 12 << false;
  QTest::newRow("Spectl") << "ButtonSpectl" << QRect(528, 81, 65, 17) << 12 << true;
  QTest::newRow("Added, under the pages") << "ButtonAdded" << QRect(592, 605, 49, 17) << 12 << true;
  QTest::newRow("page control") << "PageControl1" << QRect(16, 113, 649, 520) << 12 << false;
  QTest::newRow("Thomson-Whiddington table") << "MemokeVC" << QRect(16, 101, 161, 260) << 12 << false;
  QTest::newRow("DQE chart") << "Chart9" << QRect(330, 145, 303, 232) << 12 << false;
  QTest::newRow("air panel") << "Panel2" << QRect(8, 321, 593, 168) << 12 << false;
}

void TestMainWindow::layoutScalesWithResolution() {
  // At 96 dpi the designed numbers; on a screen of another logical resolution
  // (the suite runs again at 144 dpi) everything grows by dpi / 96.
  QFETCH(QString, control);
  QFETCH(QRect, designed);
  QFETCH(int, fontPixels);
  QFETCH(bool, bold);
  Fixture f;
  const double scale = f->logicalDpiY() / 96.0;
  const auto px = [scale](int v) { return static_cast<int>(std::lround(v * scale)); };
  const auto* w = f->findChild<QWidget*>(control);
  QVERIFY(w);
  QCOMPARE(w->geometry(), QRect(px(designed.x()), px(designed.y()), px(designed.width()), px(designed.height())));
  QCOMPARE(w->font().pixelSize(), px(fontPixels));
  QCOMPARE(w->font().bold(), bold);
  QCOMPARE(f->client()->size(), QSize(px(693), px(650)));
}

void TestMainWindow::panelCaptions() {
  Fixture f;
  f.Show();
  f->PageControl1->setCurrentWidget(f->TabSheet3);
  QApplication::processEvents();
  QCOMPARE(f->Panel1->text(), QString("Panel1"));
  QCOMPARE(f->Panel2->text(), QString("Panel1"));
  // Panel1's caption shows between the two attenuation tables; Panel2's is
  // covered by the air table.
  const auto at_centre = [&](QWidget* panel) {
    return f->TabSheet3->childAt(panel->geometry().center());
  };
  QCOMPARE(at_centre(f->Panel1), f->Panel1);
  QWidget* over_panel2 = at_centre(f->Panel2);
  QVERIFY(over_panel2 == f->MemokeVAir || f->MemokeVAir->isAncestorOf(over_panel2));
}

void TestMainWindow::chartTitles_data() {
  QTest::addColumn<QString>("chart");
  QTest::addColumn<QString>("title");
  QTest::newRow("Chart4") << "Chart4" << "Thomson-Whiddingston Constant";
  QTest::newRow("Chart5, the default title") << "Chart5" << "TChart";
  QTest::newRow("Chart8") << "Chart8" << "NEQ(u)";
  QTest::newRow("Chart9") << "Chart9" << "DQE(u)";
  QTest::newRow("Chart7") << "Chart7" << "Spectra Simulated for Inherent and Added Filtration";
  QTest::newRow("Chart2, none") << "Chart2" << "";
  QTest::newRow("Chart3, none") << "Chart3" << "";
  QTest::newRow("Chart6, none") << "Chart6" << "";
}

void TestMainWindow::chartTitles() {
  QFETCH(QString, chart);
  QFETCH(QString, title);
  Fixture f;
  const auto* view = f->findChild<QChartView*>(chart);
  QVERIFY(view);
  QCOMPARE(view->chart()->title(), title);
  QVERIFY(!view->chart()->legend()->isVisible());
  QCOMPARE(view->focusPolicy(), Qt::NoFocus);
}

namespace {

std::pair<double, double> AxisEnds(const QChartView* view, Qt::Orientation o) {
  QAbstractAxis* axis = view->chart()->axes(o).front();
  if (auto* log = qobject_cast<QLogValueAxis*>(axis)) return {log->min(), log->max()};
  auto* value = qobject_cast<QValueAxis*>(axis);
  return {value->min(), value->max()};
}

double MaxOf(const std::vector<xray::Point>& points, bool y) {
  double m = -1e300;
  for (const xray::Point& p : points) m = std::max(m, y ? p.y : p.x);
  return m;
}

double MinOf(const std::vector<xray::Point>& points, bool y) {
  double m = 1e300;
  for (const xray::Point& p : points) m = std::min(m, y ? p.y : p.x);
  return m;
}

}  // namespace

void TestMainWindow::axisRangesFollowDataWithinFixedEnds() {
  Fixture f;
  HeadlessWindow h;
  h.Create();
  f.Click(Button::ButtonSpectl);
  h.Click(Button::ButtonSpectl);
  // A low fluence puts DQE far above 70 %.
  f.Type(Field::EditPhtn, "20000");
  h.SetField(Field::EditPhtn, "20000");
  f.Click(Button::ButtonCalDQE);
  h.Click(Button::ButtonCalDQE);
  QVERIFY(MaxOf(h.Points(Series::FastLineSeries8), true) > 70);

  const auto& s1 = h.Points(Series::Series1);
  const auto& s6 = h.Points(Series::FastLineSeries6);
  const auto& s3 = h.Points(Series::FastLineSeries3);
  const auto& s7 = h.Points(Series::FastLineSeries7);
  const auto& s8 = h.Points(Series::FastLineSeries8);
  struct Case {
    const char* chart;
    Qt::Orientation o;
    double min, max;
  };
  const Case cases[] = {
      {"Chart1", Qt::Horizontal, 10, MaxOf(s1, false)},  // minimum fixed at 10 keV
      {"Chart1", Qt::Vertical, 0, 100},                  // percent of the largest bin
      {"Chart7", Qt::Horizontal, 10, MaxOf(s6, false)},
      {"Chart7", Qt::Vertical, 0, MaxOf(s6, true)},
      {"Chart4", Qt::Horizontal, MinOf(s3, false), MaxOf(s3, false)},  // automatic
      {"Chart4", Qt::Vertical, MinOf(s3, true), MaxOf(s3, true)},
      {"Chart8", Qt::Horizontal, MinOf(s7, false), MaxOf(s7, false)},
      {"Chart8", Qt::Vertical, 0, MaxOf(s7, true)},
      {"Chart9", Qt::Horizontal, 0, MaxOf(s8, false)},
      {"Chart9", Qt::Vertical, 0, 70},  // DQE above 70 % is cut off
      {"Chart2", Qt::Horizontal, 10, 200},
      {"Chart2", Qt::Vertical, 1, 500},
      {"Chart3", Qt::Vertical, 0.1, 50},
      {"Chart6", Qt::Vertical, 0.01, 10},
  };
  for (const Case& c : cases) {
    const auto* view = f->findChild<QChartView*>(c.chart);
    const auto [min, max] = AxisEnds(view, c.o);
    const QByteArray where = QByteArray(c.chart) + (c.o == Qt::Horizontal ? " bottom" : " left");
    QVERIFY2(min == c.min && max == c.max,
             qPrintable(QString("%1: %2..%3 instead of %4..%5").arg(where).arg(min).arg(max).arg(c.min).arg(c.max)));
  }
}

QTEST_MAIN(TestMainWindow)
#include "main_window_test.moc"
