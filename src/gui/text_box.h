// A multi-line text box of the window: a reference table or a result box.
//
// Editable, vertical scroll bar only, lines wrapped at the box's width. Tab
// moves the focus on and never enters a tab character, so rows with tabs reach
// a box by pasting, and pasted tabs stay. A line is a stored line (a block of
// the document), however many display lines its wrapping takes; Shift+Enter
// starts a new stored line too, so every break a person types is a row break.
#pragma once

#include <QPlainTextEdit>
#include <cstdint>
#include <string>
#include <string_view>

namespace xray::gui {

class TextBox final : public QPlainTextEdit {
 public:
  explicit TextBox(QWidget* parent);

  // Line i (from 0) without its break; empty past the last line; at most
  // kMaxLineChars characters.
  std::string Line(int i) const;
  void ClearLines();
  // Adds the text as the new last line.
  void AppendLine(std::string_view line);
  // Changes with every change of the text, by a person or by a calculation.
  std::uint64_t revision() const { return revision_; }

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void changeEvent(QEvent* e) override;

 private:
  void UpdateTabStops();

  std::uint64_t revision_ = 0;
  // A document always has one block, so an empty box and a box holding one
  // empty line look alike; this remembers that an empty line was appended to
  // an empty box, so that the next line goes below it.
  bool holds_one_empty_line_ = false;
};

}  // namespace xray::gui
