// The status bar below the client area: the beam quality of the last
// successful "Spectl" or "Added" on two lines at the left, the document's name
// at the right. It keeps its height whatever it shows, so the client area never
// moves.
#pragma once

#include <QLabel>
#include <QStatusBar>
#include <string>
#include <vector>

namespace xray::gui {

class BeamStatusBar final : public QStatusBar {
 public:
  explicit BeamStatusBar(QWidget* parent);

  // The items of the beam summary (see form/beam_summary.h), four on the
  // first line and the rest on the second.
  void ShowBeam(const std::vector<std::string>& items);
  // A run that succeeded but whose beam has no quality (no photons, say).
  void ShowBeamProblem(const QString& text);
  void ClearBeam();
  // What the beam part shows, on one line: the items joined by " · ".
  QString BeamText() const { return beam_text_; }

  void SetDocument(const QString& name, const QString& full_path, bool modified);
  QString DocumentText() const { return document_->text(); }

 private:
  QLabel* beam_;
  QLabel* document_;
  QString beam_text_;
};

}  // namespace xray::gui
