// Everything around the window's client area for daily work: the menu bar
// above it, the status bar below it, the document, export (also in each
// chart's context menu), the standard beams and the help pages.
//
// The program attaches one to its TForm1 (src/gui/main.cpp); a bare TForm1 is
// the calculator window alone. The client area and its controls stay as they
// are; the window grows by the heights of the menu bar and the status bar.
// Nothing here calculates: the beam summary, the documents' JSON and the CSV
// texts come from src/form/.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "form/beam_summary.h"
#include "gui/document.h"
#include "gui/export.h"
#include "gui/main_window.h"
#include "gui/status_bar.h"

class QChartView;
class QMenu;
class QMenuBar;

namespace xray::gui {

class Workbench final : public QObject {
  Q_OBJECT

 public:
  // Attaches to the window, which must outlive it; failures of documents and
  // exports are shown through error_box, as the calculators' errors are.
  Workbench(TForm1& form, TForm1::ErrorBox error_box);
  ~Workbench() override;

  TForm1& form() const { return form_; }
  QMenuBar* menuBar() const { return menu_bar_; }
  BeamStatusBar* statusBar() const { return status_; }
  DocumentKeeper& documents() const { return *documents_; }
  Exporter& exporter() const { return *exporter_; }

  // The window's error box (injected by tests like the calculators' boxes).
  void ShowError(const QString& text);

  // Types the beam's tube voltage and added filtration into their fields, as
  // a person would; the person then presses "Spectl".
  void TypeStandardBeam(const StandardBeam& beam);

 protected:
  // Closing the window with unsaved edits asks whether to save them first.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void OnButtonRun(Button button, bool succeeded);
  void ShowBeam();
  void ShowDocument();

  TForm1& form_;
  TForm1::ErrorBox error_box_;
  QMenuBar* menu_bar_ = nullptr;
  BeamStatusBar* status_ = nullptr;
  DocumentKeeper* documents_ = nullptr;
  Exporter* exporter_ = nullptr;

  // The beam of the last successful run (none after a failed one), the
  // reason it has no quality, and the standard beam its fields held.
  std::optional<BeamSummary> summary_;
  QString summary_problem_;
  const StandardBeam* run_beam_ = nullptr;
};

}  // namespace xray::gui
