#include "gui/error_box.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <algorithm>
#include <climits>

namespace xray::gui {

namespace {

// A message longer than this is never measured: it goes into the text area.
constexpr qsizetype kMeasuredChars = 10000;
// Room the box needs besides its text: icon margins, the button row, the frame.
constexpr int kBoxChromeHeight = 160;

// The width up to which the message box keeps its text as it is, and the
// width to which it lets an unbreakable text grow (beyond the screen's own
// width on a screen up to 1024 pixels wide).
int NarrowText(const QSize& screen) { return std::min(screen.width() / 2, 500); }
int WidestText(const QSize& screen) {
  return screen.width() <= 1024 ? screen.width() : std::min(screen.width() - 480, 1000);
}

// Whether the message box shows the text within the screen by itself: the
// text, wrapped at word boundaries at the narrow width, is no wider than that
// and leaves room for the rest of the box.
bool FitsAsLabel(const QString& text, const QFont& font, const QSize& screen) {
  if (text.size() > kMeasuredChars) return false;
  const int width = std::max(100, NarrowText(screen));
  const QRect wrapped = QFontMetrics(font).boundingRect(QRect(0, 0, width, INT_MAX), Qt::TextWordWrap, text);
  return wrapped.width() <= width && wrapped.height() + kBoxChromeHeight <= screen.height();
}

// Copies the message, or the part of it selected, on the platform's copy key.
class CopyKey final : public QObject {
 public:
  CopyKey(QMessageBox& box, QPlainTextEdit* area, QLabel* label)
      : QObject(&box), box_(box), area_(area), label_(label) {}

  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() != QEvent::KeyPress || !static_cast<QKeyEvent*>(e)->matches(QKeySequence::Copy)) {
      return QObject::eventFilter(watched, e);
    }
    QString text = box_.text();
    if (area_ != nullptr && area_->textCursor().hasSelection()) {
      text = area_->textCursor().selection().toPlainText();
    } else if (area_ == nullptr && label_ != nullptr && label_->hasSelectedText()) {
      text = label_->selectedText();
    }
    QGuiApplication::clipboard()->setText(text);
    return true;
  }

 private:
  QMessageBox& box_;
  QPlainTextEdit* area_;
  QLabel* label_;
};

}  // namespace

void FitErrorBoxToScreen(QMessageBox& box) {
  auto* label = box.findChild<QLabel*>("qt_msgbox_label");
  auto* grid = qobject_cast<QGridLayout*>(box.layout());
  const QSize screen = box.screen()->availableGeometry().size();
  QPlainTextEdit* area = nullptr;

  if (label != nullptr && grid != nullptr && !FitsAsLabel(box.text(), label->font(), screen)) {
    // The text area takes the label's place in the box; the label stays
    // hidden, so the box's own size computation leaves it out.
    area = new QPlainTextEdit(&box);
    area->setObjectName("error_text");
    area->setReadOnly(true);
    area->setTextInteractionFlags(Qt::TextSelectableByMouse);
    area->setFocusPolicy(Qt::NoFocus);  // the OK button keeps the keyboard
    area->setFrameShape(QFrame::NoFrame);
    area->setBackgroundVisible(false);
    QPalette p = area->palette();
    p.setColor(QPalette::Base, box.palette().color(QPalette::Window));
    area->setPalette(p);
    // Anywhere: a megabyte without a space would take minutes to wrap at words.
    area->setWordWrapMode(QTextOption::WrapAnywhere);
    area->setPlainText(box.text());
    const int width = std::clamp(WidestText(screen) * 3 / 5, 100, 640);
    const int height = std::clamp(screen.height() / 2, 60, 400);
    area->setFixedSize(width, height);
    int row = 0, column = 0, rows = 1, columns = 1;
    grid->getItemPosition(grid->indexOf(label), &row, &column, &rows, &columns);
    label->hide();
    grid->addWidget(area, row, column, rows, columns);
  } else if (label != nullptr) {
    label->setTextInteractionFlags(label->textInteractionFlags() | Qt::TextSelectableByMouse);
  }

  // Ctrl+C copies what is selected of the message, or else all of it. The
  // key reaches the box from whichever of its buttons has the focus.
  box.installEventFilter(new CopyKey(box, area, label));
}

void ShowErrorBox(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Critical, QCoreApplication::applicationName(), text, QMessageBox::Ok, parent);
  FitErrorBoxToScreen(box);
  box.exec();
}

}  // namespace xray::gui
