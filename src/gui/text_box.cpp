#include "gui/text_box.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "window/window_services.h"

namespace xray::gui {

TextBox::TextBox(QWidget* parent) : QPlainTextEdit(parent) {
  setTabChangesFocus(true);
  setLineWrapMode(QPlainTextEdit::WidgetWidth);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  UpdateTabStops();
  connect(document(), &QTextDocument::contentsChanged, this, [this] {
    ++revision_;
    holds_one_empty_line_ = false;
  });
}

void TextBox::UpdateTabStops() {
  // A tab stop every 8 average characters, as in the text boxes of the
  // window's original platform, so "x<tab>y" rows stay on one display line.
  setTabStopDistance(8 * QFontMetricsF(font()).averageCharWidth());
}

void TextBox::changeEvent(QEvent* e) {
  QPlainTextEdit::changeEvent(e);
  if (e->type() == QEvent::FontChange) UpdateTabStops();
}

std::string TextBox::Line(int i) const {
  const QTextBlock block = document()->findBlockByNumber(i);
  if (!block.isValid()) return {};
  const QString text = block.text();
  // Clip in UTF-16 first so a huge pasted line is not converted whole; 4096
  // code points take at most 8192 UTF-16 units.
  const QByteArray utf8 = text.left(static_cast<qsizetype>(2 * kMaxLineChars)).toUtf8();
  return std::string(ClipLine(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size()))));
}

void TextBox::ClearLines() {
  clear();
  holds_one_empty_line_ = false;
}

void TextBox::AppendLine(std::string_view line) {
  QTextCursor cursor(document());
  cursor.movePosition(QTextCursor::End);
  if (!document()->isEmpty() || holds_one_empty_line_) cursor.insertBlock();
  cursor.insertText(QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size())));
  holds_one_empty_line_ = document()->isEmpty();
}

void TextBox::keyPressEvent(QKeyEvent* e) {
  const bool enter = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
  if (enter && (e->modifiers() & Qt::ShiftModifier)) {
    // Qt would insert a soft line break inside the row; make it a real one.
    QKeyEvent plain(e->type(), e->key(), e->modifiers() & ~Qt::ShiftModifier, e->text(), e->isAutoRepeat(),
                    static_cast<ushort>(e->count()));
    QPlainTextEdit::keyPressEvent(&plain);
    e->setAccepted(plain.isAccepted());
    return;
  }
  QPlainTextEdit::keyPressEvent(e);
}

}  // namespace xray::gui
