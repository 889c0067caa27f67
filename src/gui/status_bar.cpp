#include "gui/status_bar.h"

#include <QFontMetrics>

namespace xray::gui {

namespace {

// Items on the first line; the fluence and the reference comparison go below.
constexpr std::size_t kFirstLineItems = 4;
constexpr const char* kSeparator = " · ";

QString Join(const std::vector<std::string>& items, std::size_t from, std::size_t to) {
  QStringList parts;
  for (std::size_t k = from; k < to && k < items.size(); ++k) parts << QString::fromStdString(items[k]);
  return parts.join(kSeparator);
}

}  // namespace

BeamStatusBar::BeamStatusBar(QWidget* parent) : QStatusBar(parent) {
  setObjectName("StatusBar");
  setSizeGripEnabled(false);
  beam_ = new QLabel(this);
  beam_->setObjectName("BeamStatus");
  beam_->setTextFormat(Qt::PlainText);
  beam_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  // Two lines, always: the bar's height does not change with what it shows,
  // and a long line never widens the window.
  beam_->setFixedHeight(2 * QFontMetrics(beam_->font()).lineSpacing() + 2);
  beam_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  document_ = new QLabel(this);
  document_->setObjectName("DocumentStatus");
  document_->setTextFormat(Qt::PlainText);
  document_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  addWidget(beam_, 1);
  addPermanentWidget(document_);
}

void BeamStatusBar::ShowBeam(const std::vector<std::string>& items) {
  beam_text_ = Join(items, 0, items.size());
  beam_->setText(Join(items, 0, kFirstLineItems) + "\n" + Join(items, kFirstLineItems, items.size()));
  beam_->setToolTip(beam_text_);
}

void BeamStatusBar::ShowBeamProblem(const QString& text) {
  beam_text_ = "Beam quality: " + text;
  beam_->setText(beam_text_);
  beam_->setToolTip(beam_text_);
}

void BeamStatusBar::ClearBeam() {
  beam_text_.clear();
  beam_->clear();
  beam_->setToolTip({});
}

void BeamStatusBar::SetDocument(const QString& name, const QString& full_path, bool modified) {
  // A long name is cut in the middle, the whole path in the tooltip.
  const QString shown = name + (modified ? " (modified)" : "");
  const QFontMetrics metrics(document_->font());
  document_->setText(metrics.elidedText(shown, Qt::ElideMiddle, 24 * metrics.averageCharWidth()));
  document_->setToolTip(full_path.isEmpty() ? shown : full_path);
}

}  // namespace xray::gui
