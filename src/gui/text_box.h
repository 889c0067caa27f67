// The text controls of the window: the multi-line text boxes (reference
// tables and result boxes) and the single-line edit fields.
//
// A text box is editable, has a vertical scroll bar only and wraps lines at
// its width. Tab moves the focus on and never enters a tab character, so rows
// with tabs reach a box by pasting, and pasted tabs stay. A line is a stored
// line (a block of the document), however many display lines its wrapping
// takes; Shift+Enter starts a new stored line too, so every break a person
// types is a row break.
#pragma once

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QMimeData;

namespace xray::gui {

class DocumentBuilder;  // text_box.cpp

class TextBox final : public QPlainTextEdit {
 public:
  explicit TextBox(QWidget* parent);

  // Line i (from 0) without its break; empty past the last line; at most
  // kMaxLineChars characters. Lines still held back by a batch count too.
  std::string Line(int i) const;
  void ClearLines();
  // Adds the text as the new last line.
  void AppendLine(std::string_view line);
  // Changes with every change of the text, by a person or by a calculation.
  std::uint64_t revision() const { return revision_; }

  // Between BeginBatch() and EndBatch() the lines a calculation clears and
  // appends are held back and reach the document at once when the batch
  // ends: a result of 230,000 rows is one insertion instead of 230,000, each
  // of which would update the document's layout and signals. Line() and
  // revision() see the held lines at once. Outside a batch every change
  // reaches the document immediately.
  void BeginBatch() { batching_ = true; }
  void EndBatch();
  // EndBatch() in two steps, so that the window can draw its charts while a
  // large result is put in: once a batch has cleared the box and holds
  // kBackgroundLines lines, a new document of them is built on another thread,
  // fed as the lines come, and FinishEndBatch() shows it in place of the old
  // one (document() changes then). A document takes about 2 us a line, so the
  // two result boxes of a 230,000-row press are built side by side while the
  // handler still computes. Between the two calls the box must not be used.
  void StartEndBatch();
  void FinishEndBatch();
  static constexpr std::size_t kBackgroundLines = 10000;
  ~TextBox() override;

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void changeEvent(QEvent* e) override;
  // Pasted or dropped text goes in as plain text in one edit: Qt's own paste
  // first builds a separate document of the text and then copies it over,
  // block by block, which takes several times as long for a large table.
  void insertFromMimeData(const QMimeData* source) override;

 private:
  void UpdateTabStops();
  // Lines of the document that still count (none once a held clear is pending).
  int DocumentLines() const;
  void Flush();
  void WatchDocument();
  // Hands the held lines not yet sent to the document being built, starting
  // it if need be; false if no thread can be had.
  bool SendHeld();
  // Waits for the document being built, if all its lines are sent, and shows it.
  void ShowBuilt();

  std::uint64_t revision_ = 0;
  // A document always has one block, so an empty box and a box holding one
  // empty line look alike; this remembers that an empty line was appended to
  // an empty box, so that the next line goes below it.
  bool holds_one_empty_line_ = false;

  bool batching_ = false;
  bool held_clear_ = false;  // the document's lines are to be removed
  // Lines to append after any held clear, in UTF-8, each ended by "\n", and
  // where each starts: one conversion for all of them when they are shown.
  std::string held_text_;
  std::vector<std::size_t> held_starts_;

  // The document being built from the held lines, the part of them sent so
  // far, and whether all are sent (between StartEndBatch and FinishEndBatch).
  std::unique_ptr<DocumentBuilder> builder_;
  std::size_t sent_lines_ = 0;
  std::size_t sent_bytes_ = 0;
  bool all_sent_ = false;

  // The block last read, so that reading a table row by row walks the
  // document instead of searching it for every line.
  mutable QTextBlock last_block_;
  mutable int last_block_number_ = -1;
  mutable std::uint64_t last_block_revision_ = 0;
};

// A single-line edit field. A pasted or dropped text keeps only its first line
// (the part before the first "\r" or "\n"), as single-line fields commonly do:
// a spreadsheet cell copied as "100\n" gives "100". Typed text cannot hold a
// line break anyway; a text set by the program is kept as it is.
class EditField final : public QLineEdit {
 public:
  explicit EditField(QWidget* parent);

  // Replaces the selection with the first line of text, as a paste does.
  void PasteText(const QString& text);

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;
  void dropEvent(QDropEvent* e) override;
};

// The text up to its first "\r" or "\n".
QString FirstLine(const QString& text);

}  // namespace xray::gui
