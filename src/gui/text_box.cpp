#include "gui/text_box.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QEvent>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextDocumentLayout>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QThread>
#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#include "window/window_services.h"

namespace xray::gui {

namespace {

// The length of the line break at text[i] as the document takes it when text
// is inserted: "\r\n", "\r", "\n", the paragraph separator U+2029 and the
// frame marks U+FDD0 and U+FDD1 (in UTF-8); 0 where no break starts. Their
// lead bytes never continue another character, so a byte search finds them
// exactly where the conversion to UTF-16 will.
std::size_t BreakAt(std::string_view text, std::size_t i) {
  const char c = text[i];
  if (c == '\n') return 1;
  if (c == '\r') return i + 1 < text.size() && text[i + 1] == '\n' ? 2 : 1;
  const std::string_view rest = text.substr(i, 3);
  return rest == "\xE2\x80\xA9" || rest == "\xEF\xB7\x90" || rest == "\xEF\xB7\x91" ? 3 : 0;
}

std::string ToLine(const QString& text) {
  // Clip in UTF-16 first so a huge pasted line is not converted whole; 4096
  // code points take at most 8192 UTF-16 units.
  const QByteArray utf8 = text.left(static_cast<qsizetype>(2 * kMaxLineChars)).toUtf8();
  return std::string(ClipLine(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size()))));
}

}  // namespace

QString FirstLine(const QString& text) {
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r' || text[i] == u'\n') return text.left(i);
  }
  return text;
}

// ---------------------------------------------------------------- DocumentBuilder

// Builds a box's new document on a thread of its own from the lines sent to
// it, set up as the box's: its font, tab stops, wrapping and margin, a
// plain-text layout, and no undo steps for the lines.
class DocumentBuilder {
 public:
  // Throws std::system_error when no thread can be had.
  DocumentBuilder(const QTextDocument& like, QThread* gui_thread)
      : font_(like.defaultFont()),
        option_(like.defaultTextOption()),
        margin_(like.documentMargin()),
        gui_thread_(gui_thread),
        thread_([this] { Run(); }) {}
  DocumentBuilder(const DocumentBuilder&) = delete;
  DocumentBuilder& operator=(const DocumentBuilder&) = delete;
  ~DocumentBuilder() {
    {
      const std::lock_guard lock(mutex_);
      cancelled_ = true;
    }
    wake_.notify_one();
    if (thread_.joinable()) thread_.join();
    delete doc_;
  }

  // Whole lines, each ended by "\n", in UTF-8.
  void Send(std::string lines) {
    {
      const std::lock_guard lock(mutex_);
      chunks_.push_back(std::move(lines));
    }
    wake_.notify_one();
  }

  // No more lines: waits for the document and hands it over, or throws what
  // stopped it.
  std::unique_ptr<QTextDocument> Take() {
    {
      const std::lock_guard lock(mutex_);
      done_ = true;
    }
    wake_.notify_one();
    thread_.join();
    if (error_) std::rethrow_exception(error_);
    return std::unique_ptr<QTextDocument>(std::exchange(doc_, nullptr));
  }

 private:
  void Run() {
    try {
      auto doc = std::make_unique<QTextDocument>();
      doc->setDefaultFont(font_);
      doc->setDefaultTextOption(option_);
      doc->setDocumentMargin(margin_);
      doc->setDocumentLayout(new QPlainTextDocumentLayout(doc.get()));
      doc->setUndoRedoEnabled(false);
      QTextCursor end(doc.get());
      bool first = true;
      for (;;) {
        std::string lines;
        {
          std::unique_lock lock(mutex_);
          wake_.wait(lock, [this] { return cancelled_ || done_ || !chunks_.empty(); });
          if (cancelled_) return;
          if (chunks_.empty()) break;
          lines = std::move(chunks_.front());
          chunks_.pop_front();
        }
        // The break before these lines, none after the last one.
        QString text = QString::fromUtf8(lines.data(), static_cast<qsizetype>(lines.size() - 1));
        if (!first) text.prepend(u'\n');
        end.insertText(text);
        first = false;
      }
      doc->setUndoRedoEnabled(true);
      // Each line's layout object, which the view would otherwise create for
      // every line on the window's thread when it takes the document.
      for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) block.layout();
      doc->moveToThread(gui_thread_);  // only its own thread may hand it over
      doc_ = doc.release();
    } catch (...) {
      error_ = std::current_exception();
    }
  }

  const QFont font_;
  const QTextOption option_;
  const qreal margin_;
  QThread* const gui_thread_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::string> chunks_;
  bool done_ = false;
  bool cancelled_ = false;
  QTextDocument* doc_ = nullptr;
  std::exception_ptr error_;
  std::thread thread_;  // last: starts once the rest is ready
};

// ---------------------------------------------------------------- TextBox

TextBox::TextBox(QWidget* parent) : QPlainTextEdit(parent) {
  setTabChangesFocus(true);
  setLineWrapMode(QPlainTextEdit::WidgetWidth);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  UpdateTabStops();
  WatchDocument();
}

TextBox::~TextBox() = default;

void TextBox::WatchDocument() {
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

int TextBox::DocumentLines() const {
  if (held_clear_) return 0;
  return document()->isEmpty() && !holds_one_empty_line_ ? 0 : document()->blockCount();
}

std::string TextBox::Line(int i) const {
  if (i < 0) return {};
  const int kept = DocumentLines();
  if (i >= kept) {
    const std::size_t k = static_cast<std::size_t>(i - kept);
    if (k >= held_starts_.size()) return {};
    const std::size_t start = held_starts_[k];
    const std::size_t end = k + 1 < held_starts_.size() ? held_starts_[k + 1] : held_text_.size();
    // Through UTF-16 as the document will hold it (a stray byte becomes U+FFFD).
    return ToLine(QString::fromUtf8(held_text_.data() + start, static_cast<qsizetype>(end - 1 - start)));
  }
  // The block after the one read last is its next block; any other is searched for.
  QTextBlock block;
  if (last_block_revision_ == revision_ && last_block_.isValid()) {
    if (last_block_number_ == i) block = last_block_;
    if (last_block_number_ + 1 == i) block = last_block_.next();
  }
  if (!block.isValid()) block = document()->findBlockByNumber(i);
  if (!block.isValid()) return {};
  last_block_ = block;
  last_block_number_ = i;
  last_block_revision_ = revision_;
  return ToLine(block.text());
}

void TextBox::ClearLines() {
  builder_.reset();
  all_sent_ = false;
  sent_lines_ = 0;
  sent_bytes_ = 0;
  held_text_.clear();
  held_starts_.clear();
  held_clear_ = true;
  ++revision_;
  if (!batching_) Flush();
}

void TextBox::AppendLine(std::string_view line) {
  // A break inside the text makes more than one line, as in the document.
  held_starts_.push_back(held_text_.size());
  std::size_t from = 0;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const std::size_t n = BreakAt(line, i);
    if (n == 0) continue;
    held_text_.append(line.substr(from, i - from)).push_back('\n');
    held_starts_.push_back(held_text_.size());
    i += n - 1;
    from = i + 1;
  }
  held_text_.append(line.substr(from)).push_back('\n');
  ++revision_;
  if (!batching_) {
    Flush();
  } else if (held_clear_ && held_starts_.size() - sent_lines_ >= kBackgroundLines) {
    SendHeld();
  }
}

bool TextBox::SendHeld() {
  if (!builder_) {
    try {
      builder_ = std::make_unique<DocumentBuilder>(*document(), thread());
    } catch (const std::system_error&) {
      return false;  // no thread to be had: the lines stay held for Flush()
    }
  }
  if (sent_lines_ < held_starts_.size()) builder_->Send(held_text_.substr(sent_bytes_));
  sent_lines_ = held_starts_.size();
  sent_bytes_ = held_text_.size();
  return true;
}

void TextBox::EndBatch() {
  StartEndBatch();
  FinishEndBatch();
}

void TextBox::StartEndBatch() {
  batching_ = false;
  ShowBuilt();  // one left by a press that stopped half-way
  if (held_clear_ && held_starts_.size() >= kBackgroundLines && SendHeld()) {
    all_sent_ = true;
    held_clear_ = false;
    held_text_ = std::string();
    held_starts_ = std::vector<std::size_t>();
  } else {
    builder_.reset();
  }
  sent_lines_ = 0;
  sent_bytes_ = 0;
}

void TextBox::FinishEndBatch() {
  batching_ = false;
  ShowBuilt();
  Flush();
}

void TextBox::ShowBuilt() {
  if (!all_sent_) return;
  all_sent_ = false;
  const std::unique_ptr<DocumentBuilder> builder = std::move(builder_);
  // The old lines go first, while the new document may still be in the making:
  // the view at the top as ever, and the box empty if the new lines failed.
  clear();
  std::unique_ptr<QTextDocument> doc = builder->Take();
  QTextDocument* old = document();
  const bool own_old = old->parent() == this;  // else it is Qt's, which deletes it
  doc->setParent(this);
  setDocument(doc.release());
  if (own_old) delete old;
  // The cursor after the last line with the view at the top, as when the
  // lines are inserted into the cleared box.
  QTextCursor end(document());
  end.movePosition(QTextCursor::End);
  setTextCursor(end);
  verticalScrollBar()->setValue(0);
  WatchDocument();
  ++revision_;
  holds_one_empty_line_ = false;
  last_block_ = QTextBlock();
  last_block_number_ = -1;
}

void TextBox::Flush() {
  if (!held_clear_ && held_starts_.empty()) return;
  const bool clear_first = held_clear_;
  const bool any_line = !held_starts_.empty();
  // All lines in one text, without the last line's break.
  const QString text = any_line ? QString::fromUtf8(held_text_.data(), static_cast<qsizetype>(held_text_.size() - 1))
                                : QString();
  held_clear_ = false;
  held_text_.clear();
  held_text_.shrink_to_fit();
  held_starts_.clear();
  held_starts_.shrink_to_fit();
  if (clear_first) {
    clear();  // as ever: empty, a new undo history, the view at the top
    if (any_line) {
      // Nothing before the new lines to undo to: inserted without undo steps.
      document()->setUndoRedoEnabled(false);
      QTextCursor(document()).insertText(text);
      document()->setUndoRedoEnabled(true);
    }
  } else if (any_line) {
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    if (!document()->isEmpty() || holds_one_empty_line_) cursor.insertBlock();
    cursor.insertText(text);
    cursor.endEditBlock();
  }
  // An empty document now holds a line only if an empty line was appended.
  holds_one_empty_line_ = any_line && document()->isEmpty();
}

void TextBox::insertFromMimeData(const QMimeData* source) {
  if (isReadOnly() || source == nullptr) return;
  const QString text = source->text();
  if (text.isNull()) return;
  QTextCursor cursor = textCursor();
  cursor.insertText(text);  // replaces the selection; one step to undo
  setTextCursor(cursor);
  ensureCursorVisible();
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

// ---------------------------------------------------------------- EditField

EditField::EditField(QWidget* parent) : QLineEdit(parent) {}

void EditField::PasteText(const QString& text) {
  if (isReadOnly()) return;
  const QString line = FirstLine(text);
  if (line.isEmpty() && !hasSelectedText()) return;  // as a paste of nothing does
  insert(line);
}

void EditField::keyPressEvent(QKeyEvent* e) {
  if (e->matches(QKeySequence::Paste)) {
    PasteText(QGuiApplication::clipboard()->text(QClipboard::Clipboard));
    e->accept();
    return;
  }
  QLineEdit::keyPressEvent(e);
}

void EditField::mouseReleaseEvent(QMouseEvent* e) {
  // The middle button pastes the X selection, where there is one.
  if (e->button() == Qt::MiddleButton && !isReadOnly() && QGuiApplication::clipboard()->supportsSelection()) {
    deselect();
    PasteText(QGuiApplication::clipboard()->text(QClipboard::Selection));
    e->accept();
    return;
  }
  QLineEdit::mouseReleaseEvent(e);
}

void EditField::contextMenuEvent(QContextMenuEvent* e) {
  QMenu* menu = createStandardContextMenu();
  if (menu == nullptr) return;
  menu->setAttribute(Qt::WA_DeleteOnClose);
  // The menu's Paste, like every other paste, keeps the first line only. Qt
  // names the action from 6.5 on; before, it is the one with the paste key.
  QAction* paste = menu->findChild<QAction*>("edit-paste");
  const QString paste_key = '\t' + QKeySequence(QKeySequence::Paste).toString(QKeySequence::NativeText);
  for (QAction* a : menu->actions()) {
    if (paste == nullptr && a->text().endsWith(paste_key)) paste = a;
  }
  if (paste != nullptr) {
    paste->setObjectName("edit-paste");
    disconnect(paste, &QAction::triggered, this, nullptr);
    connect(paste, &QAction::triggered, this,
            [this] { PasteText(QGuiApplication::clipboard()->text(QClipboard::Clipboard)); });
  }
  menu->popup(e->globalPos());
}

void EditField::dropEvent(QDropEvent* e) {
  const QMimeData* data = e->mimeData();
  if (data == nullptr || !data->hasText() || FirstLine(data->text()) == data->text()) {
    QLineEdit::dropEvent(e);
    return;
  }
  QMimeData first;
  first.setText(FirstLine(data->text()));
  QDropEvent dropped(e->position(), e->possibleActions(), &first, e->buttons(), e->modifiers(), e->type());
  dropped.setDropAction(e->dropAction());
  QLineEdit::dropEvent(&dropped);
  e->setDropAction(dropped.dropAction());
  e->setAccepted(dropped.isAccepted());
}

}  // namespace xray::gui
