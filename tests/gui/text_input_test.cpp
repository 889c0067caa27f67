// Text in and out of the window: a paste into a single-line field keeps its
// first line; result boxes filled in one go read, during and after the press,
// exactly as line-by-line filling would leave them; a pasted table is one
// step to undo; an error box with a huge message stays on the screen and
// Ctrl+C copies its text. Runs without a screen.
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLineSeries>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <memory>

#include "form/headless_window.h"
#include "gui/error_box.h"
#include "gui/main_window.h"
#include "numeric/number_text.h"

using xray::Field;
using xray::Memo;
using xray::gui::EditField;
using xray::gui::TextBox;

namespace {

QStringList BoxLines(const QPlainTextEdit* box) {
  QStringList lines;
  for (QTextBlock b = box->document()->begin(); b.isValid(); b = b.next()) lines << b.text();
  return lines;
}

// "DQE(u)" pressed in the headless window over a Wiener table, at a fluence
// of 250000: the truth the window's boxes and charts are held to.
void PressDqe(xray::HeadlessWindow& h, const std::string& table) {
  h.SetMemoText(Memo::MemoWS, table);
  h.Create();
  h.SetField(Field::EditPhtn, "250000");
  h.Click(xray::Button::ButtonCalDQE);
}

std::unique_ptr<TForm1> Window(QStringList* boxes = nullptr) {
  return std::make_unique<TForm1>([boxes](QWidget*, const QString& text) {
    if (boxes) *boxes << text;
  });
}

// How the user pastes: the keys, Shift+Insert, the context menu, a drop.
enum class PasteBy { CtrlV, ShiftInsert, Menu, Drop };

void Paste(EditField* edit, PasteBy by, const QString& text) {
  QGuiApplication::clipboard()->setText(text);
  switch (by) {
    case PasteBy::CtrlV:
      QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
      break;
    case PasteBy::ShiftInsert:
      QTest::keyClick(edit, Qt::Key_Insert, Qt::ShiftModifier);
      break;
    case PasteBy::Menu: {
      QContextMenuEvent e(QContextMenuEvent::Mouse, edit->rect().center(), edit->mapToGlobal(edit->rect().center()));
      QApplication::sendEvent(edit, &e);
      QMenu* menu = nullptr;
      for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* m = qobject_cast<QMenu*>(w); m && m->isVisible()) menu = m;
      }
      QVERIFY(menu);
      auto* paste = menu->findChild<QAction*>("edit-paste");
      QVERIFY(paste);
      paste->trigger();
      menu->close();
      break;
    }
    case PasteBy::Drop: {
      auto* data = new QMimeData;
      data->setText(text);
      const QPointF at(edit->width() - 2, edit->height() / 2.0);  // after the text
      QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(edit, &enter);
      QDropEvent drop(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(edit, &drop);
      delete data;
      break;
    }
  }
}

}  // namespace

Q_DECLARE_METATYPE(PasteBy)

class TestTextInput : public QObject {
  Q_OBJECT

 private slots:
  void init() { QGuiApplication::clipboard()->clear(); }

  void pasteIntoFieldKeepsFirstLine_data();
  void pasteIntoFieldKeepsFirstLine();
  void programmedFieldTextStaysWhole();
  void heldLinesReadAsTheBoxWillHoldThem();
  void largeDescendingTableMatchesHeadless();
  void largeResultBoxesBehaveAsSmallOnes_data();
  void largeResultBoxesBehaveAsSmallOnes();
  void pastedTableIsOneUndoStep();
  void errorBoxStaysOnScreen_data();
  void errorBoxStaysOnScreen();
};

void TestTextInput::pasteIntoFieldKeepsFirstLine_data() {
  QTest::addColumn<PasteBy>("by");
  QTest::addColumn<QString>("clipboard");
  QTest::addColumn<bool>("overAll");  // the field's text selected first
  QTest::addColumn<QString>("field");
  // A spreadsheet cell comes with its line break.
  QTest::newRow("cell, Ctrl+V") << PasteBy::CtrlV << "100\n" << true << "100";
  QTest::newRow("cell, Windows break") << PasteBy::CtrlV << "100\r\n" << true << "100";
  QTest::newRow("column of cells") << PasteBy::CtrlV << "70\r\n80\r\n90\r\n" << true << "70";
  QTest::newRow("old Mac break") << PasteBy::CtrlV << "1.5\r2.5" << true << "1.5";
  QTest::newRow("into the text") << PasteBy::CtrlV << "5\n6" << false << "805";
  QTest::newRow("tab stays") << PasteBy::CtrlV << "1\t2\n" << true << "1\t2";
  QTest::newRow("break first: nothing") << PasteBy::CtrlV << "\n100" << true << "";
  QTest::newRow("no break") << PasteBy::CtrlV << "120" << true << "120";
  QTest::newRow("Shift+Insert") << PasteBy::ShiftInsert << "100\n" << true << "100";
  QTest::newRow("context menu") << PasteBy::Menu << "60\n" << true << "60";
  QTest::newRow("dropped") << PasteBy::Drop << "7\n8" << false << "807";
}

void TestTextInput::pasteIntoFieldKeepsFirstLine() {
  QFETCH(PasteBy, by);
  QFETCH(QString, clipboard);
  QFETCH(bool, overAll);
  QFETCH(QString, field);
  const std::unique_ptr<TForm1> form = Window();
  auto* edit = dynamic_cast<EditField*>(form->EditkV);
  QVERIFY(edit);
  form->show();
  edit->setFocus();
  if (overAll) {
    edit->selectAll();
  } else {
    edit->end(false);
  }
  QSignalSpy edited(edit, &QLineEdit::textEdited);  // a person's edit: the document is modified
  Paste(edit, by, clipboard);
  QCOMPARE(edit->text(), field);
  QCOMPARE(form->FieldText(Field::EditkV), field.toStdString());
  QVERIFY(!edited.isEmpty());
}

void TestTextInput::programmedFieldTextStaysWhole() {
  // A text the program (a document, a calculation) puts into a field is kept
  // as it is, as in the headless window; only pastes are cut.
  const std::unique_ptr<TForm1> form = Window();
  form->SetFieldText(Field::EditmR, "0.95\n");
  QCOMPARE(form->FieldText(Field::EditmR), std::string("0.95\n"));
}

void TestTextInput::heldLinesReadAsTheBoxWillHoldThem() {
  // During a press the appended lines wait in the box; read back meanwhile
  // they are the lines the document holds once they are shown, breaks inside
  // a line, empty lines and bytes that are not UTF-8 included.
  const std::vector<std::string> appended = {
      "", "cycles/mm\tNEQ(u)", "a\r\nb", "c\rd\ne", "", "\xFF\xFE stray", "para\xE2\x80\xA9graph", "end"};
  const std::unique_ptr<TForm1> form = Window();
  TextBox* box = form->Box(Memo::MemoNEQ);
  for (bool held : {true, false}) {
    if (held) box->BeginBatch();
    std::uint64_t revision = box->revision();
    box->ClearLines();
    QVERIFY(box->revision() != revision);
    for (const std::string& line : appended) {
      revision = box->revision();
      box->AppendLine(line);
      QVERIFY(box->revision() != revision);
    }
    std::vector<std::string> read;
    for (int i = 0; i < 14; ++i) read.push_back(box->Line(i));
    if (held) {
      QCOMPARE(box->toPlainText(), QString());  // nothing shown yet
      box->EndBatch();
    }
    QCOMPARE(BoxLines(box).size(), 12);
    for (int i = 0; i < 14; ++i) {
      QCOMPARE(read[static_cast<std::size_t>(i)], box->Line(i));
      QCOMPARE(BoxLines(box).value(i).toStdString(), box->Line(i));
    }
    QCOMPARE(box->Line(2), std::string("a"));
    QCOMPARE(box->Line(3), std::string("b"));
    QCOMPARE(box->Line(8), std::string("\xEF\xBF\xBD\xEF\xBF\xBD stray"));  // U+FFFD twice
    QCOMPARE(box->Line(10), std::string("graph"));
  }
}

void TestTextInput::largeDescendingTableMatchesHeadless() {
  // 3,000 Wiener rows from the highest frequency down, each frequency twice:
  // the window's boxes and charts equal the headless window's, point for
  // point in the same order.
  std::string table = "c/mm\tWS\n";
  for (int k = 3000; k > 0; --k) {
    table += xray::FloatToText(0.1 + (k / 2) * 0.001) + "\t" + xray::FloatToText(1 + k * 1e-4) + "\n";
  }
  const std::unique_ptr<TForm1> form = Window();
  form->Box(Memo::MemoWS)->setPlainText(QString::fromStdString(table));
  form->SetFieldText(Field::EditPhtn, "250000");
  form->ButtonCalDQE->click();
  xray::HeadlessWindow h;
  PressDqe(h, table);
  QVERIFY(h.ErrorBoxes().empty());
  for (Memo m : {Memo::MemoNEQ, Memo::MemoDQE}) {
    QStringList expected;
    for (const std::string& line : h.Lines(m)) expected << QString::fromStdString(line);
    QCOMPARE(BoxLines(form->Box(m)), expected);
  }
  for (xray::Series s : {xray::Series::FastLineSeries7, xray::Series::FastLineSeries8}) {
    const QList<QPointF> shown = form->LineSeries(s)->points();
    const std::vector<xray::Point>& expected = h.Points(s);
    QCOMPARE(shown.size(), static_cast<qsizetype>(expected.size()));
    for (qsizetype k = 0; k < shown.size(); ++k) {
      const xray::Point& e = expected[static_cast<std::size_t>(k)];
      QVERIFY2(shown[k].x() == e.x && shown[k].y() == e.y, qPrintable(QString("point %1").arg(k)));
    }
  }
}

void TestTextInput::largeResultBoxesBehaveAsSmallOnes_data() {
  // Lines of the result box, its caption included; from kBackgroundLines on
  // they are sent to another thread in parts of that many.
  const int part = static_cast<int>(TextBox::kBackgroundLines);
  QTest::addColumn<int>("lines");
  QTest::newRow("one short of a part: shown at once") << part - 1;
  QTest::newRow("one part, nothing left at the end") << part;
  QTest::newRow("two parts and one line") << 2 * part + 1;
}

void TestTextInput::largeResultBoxesBehaveAsSmallOnes() {
  // Results of at least TextBox::kBackgroundLines rows get a new document,
  // built on another thread: twice in a row it holds the headless window's
  // lines, with the box's font, tab stops and wrapping, the view at the top
  // and the cursor after the last line, nothing to undo, and later edits and
  // reads work as on any box.
  QFETCH(int, lines);
  const int rows = lines;  // the first data row gives no result, the caption takes its place
  std::string table = "c/mm\tWS\n";
  for (int k = 0; k < rows; ++k) table += xray::FloatToText(0.1 + k * 1e-4) + "\t1.5\n";
  const std::unique_ptr<TForm1> form = Window();
  TextBox* box = form->Box(Memo::MemoNEQ);
  const QFont font = box->font();
  const qreal tab_stop = box->tabStopDistance();
  form->Box(Memo::MemoWS)->setPlainText(QString::fromStdString(table));
  form->SetFieldText(Field::EditPhtn, "250000");
  xray::HeadlessWindow h;
  PressDqe(h, table);
  QVERIFY(h.ErrorBoxes().empty());
  QStringList expected;
  for (const std::string& line : h.Lines(Memo::MemoNEQ)) expected << QString::fromStdString(line);
  QCOMPARE(expected.size(), lines);
  for (int press = 0; press < 2; ++press) {
    box->moveCursor(QTextCursor::End);
    box->moveCursor(QTextCursor::Up);  // the press puts the view back at the top
    form->ButtonCalDQE->click();
    QApplication::processEvents();
    QCOMPARE(BoxLines(box), expected);
    QCOMPARE(box->document()->defaultFont(), font);
    QCOMPARE(box->tabStopDistance(), tab_stop);
    QCOMPARE(box->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    QVERIFY(box->textCursor().atEnd());  // where the lines went in
    QCOMPARE(box->verticalScrollBar()->value(), 0);
    QVERIFY(!box->document()->isUndoAvailable());
    QCOMPARE(form->MemoLine(Memo::MemoNEQ, static_cast<int>(expected.size()) - 1), expected.back().toStdString());
  }
  const std::uint64_t revision = box->revision();
  box->setFocus();
  box->moveCursor(QTextCursor::Start);
  QTest::keyClick(box, Qt::Key_X);
  QVERIFY(box->revision() != revision);
  QCOMPARE(box->Line(0), "x" + expected.front().toStdString());
  box->undo();
  QCOMPARE(box->Line(0), expected.front().toStdString());
  box->AppendLine("after");  // outside a press: straight into the new document
  QCOMPARE(box->Line(static_cast<int>(expected.size())), std::string("after"));
  QCOMPARE(box->document()->blockCount(), expected.size() + 1);
}

void TestTextInput::pastedTableIsOneUndoStep() {
  const std::unique_ptr<TForm1> form = Window();
  TextBox* box = form->Box(Memo::MemoWS);
  const QString before = box->toPlainText();
  QString table = "c/mm\tWS\n";
  for (int k = 1; k <= 2000; ++k) table += QString("%1\t1.5\n").arg(k * 0.001);
  QGuiApplication::clipboard()->setText(table);
  box->selectAll();
  box->paste();
  QCOMPARE(box->toPlainText(), table);
  QCOMPARE(box->document()->blockCount(), 2002);  // the final break leaves an empty line
  QCOMPARE(form->MemoLine(Memo::MemoWS, 2000), std::string("2\t1.5"));
  box->undo();
  QCOMPARE(box->toPlainText(), before);
}

void TestTextInput::errorBoxStaysOnScreen_data() {
  QTest::addColumn<int>("quoted");  // characters of field text the message quotes
  QTest::addColumn<bool>("lineBreaks");
  QTest::newRow("short") << 3 << false;
  QTest::newRow("a long line") << 5000 << false;
  QTest::newRow("a megabyte") << (1 << 20) << false;
  QTest::newRow("many lines") << 20000 << true;
}

void TestTextInput::errorBoxStaysOnScreen() {
  // The box keeps its caption, icon, one OK button and the message as its
  // text; it fits the screen with the OK button on it; Ctrl+C copies the
  // whole message.
  QFETCH(int, quoted);
  QFETCH(bool, lineBreaks);
  QString field;
  for (int k = 0; k < quoted; ++k) field += (lineBreaks && k % 10 == 9) ? QChar('\n') : QChar('0' + k % 10);
  const QString message = "'" + field + QString::fromUtf8("' は浮動小数点数ではありません.");
  QWidget parent;
  QRect frame, ok, screen;
  QString title, text, shownText, copied;
  int buttons = 0;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    title = box->windowTitle();
    text = box->text();
    buttons = static_cast<int>(box->buttons().size());
    frame = box->frameGeometry();
    QAbstractButton* button = box->button(QMessageBox::Ok);
    ok = QRect(button->mapToGlobal(QPoint(0, 0)), button->size());
    screen = box->screen()->availableGeometry();
    if (auto* area = box->findChild<QPlainTextEdit*>()) shownText = area->toPlainText();
    QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
    copied = QGuiApplication::clipboard()->text();
    button->click();
  });
  xray::gui::ShowErrorBox(&parent, message);
  QCOMPARE(title, QCoreApplication::applicationName());
  QCOMPARE(text, message);
  QCOMPARE(buttons, 1);
  QVERIFY2(screen.contains(frame), qPrintable(QString("%1 x %2").arg(frame.width()).arg(frame.height())));
  QVERIFY(screen.contains(ok));
  if (!shownText.isEmpty()) QCOMPARE(shownText, message);  // in full, in the text area
  QCOMPARE(copied, message);
}

QTEST_MAIN(TestTextInput)
#include "text_input_test.moc"
