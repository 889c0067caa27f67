#include "gui/workbench.h"

#include <QBoxLayout>
#include <QChartView>
#include <QCloseEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>

#include "gui/menus.h"
#include "numeric/calc_error.h"

namespace xray::gui {

Workbench::Workbench(TForm1& form, TForm1::ErrorBox error_box)
    : form_(form), error_box_(std::move(error_box)) {
  setObjectName("Workbench");
  const auto show_error = [this](const QString& text) { ShowError(text); };
  documents_ = new DocumentKeeper(form_, show_error, this);
  exporter_ = new Exporter(form_, show_error, this);

  // Above and below the client area; the client area keeps its size, the
  // window grows by the two bars.
  auto* layout = qobject_cast<QBoxLayout*>(form_.layout());
  layout->setSpacing(0);
  menu_bar_ = new QMenuBar(&form_);
  menu_bar_->setObjectName("MenuBar");
  BuildMenuBar(*menu_bar_, *this);
  layout->setMenuBar(menu_bar_);
  status_ = new BeamStatusBar(&form_);
  layout->addWidget(status_);
  form_.resize(form_.width(), form_.height() + menu_bar_->sizeHint().height() + status_->sizeHint().height());

  connect(&form_, &TForm1::ButtonRun, this, &Workbench::OnButtonRun);
  // The reference comparison shows only while the fields still hold the beam.
  connect(form_.EditkV, &QLineEdit::textChanged, this, &Workbench::ShowBeam);
  connect(form_.EditAdd, &QLineEdit::textChanged, this, &Workbench::ShowBeam);
  connect(documents_, &DocumentKeeper::StateChanged, this, &Workbench::ShowDocument);
  ShowDocument();

  // Each chart's context menu offers the export of File ▸ Export for that chart.
  for (const auto& chart : form_.charts()) {
    chart->AddMenuEntries([exporter = QPointer<Exporter>(exporter_)](QMenu& menu, ChartBox& box) {
      if (!exporter) return;  // the window lives on without its workbench
      box.EndHover();         // the hover mark is no part of an exported chart
      menu.addSeparator();
      exporter->AddChartExportActions(menu, box.view());
    });
  }
  form_.installEventFilter(this);
}

Workbench::~Workbench() = default;

void Workbench::ShowError(const QString& text) { error_box_(&form_, text); }

void Workbench::TypeStandardBeam(const StandardBeam& beam) {
  form_.SetFieldText(Field::EditkV, beam.kv_text);
  form_.SetFieldText(Field::EditAdd, beam.added_text);
  documents_->MarkModified();
}

bool Workbench::eventFilter(QObject* watched, QEvent* event) {
  if (watched == &form_ && event->type() == QEvent::Close && !documents_->MayDiscard("closing")) {
    event->ignore();
    return true;
  }
  return QObject::eventFilter(watched, event);
}

void Workbench::OnButtonRun(Button button, bool succeeded) {
  if (button == Button::ButtonCalDQE) return;
  summary_.reset();
  summary_problem_.clear();
  if (!succeeded) {
    run_beam_ = nullptr;
  } else {
    // "Added" alone recalibrates the spectrum of the last "Spectl": its beam stays.
    if (button == Button::ButtonSpectl) {
      run_beam_ = ActiveStandardBeam(form_.FieldText(Field::EditkV), form_.FieldText(Field::EditAdd));
    }
    try {
      summary_ = SummarizeBeam(form_.form().context());
    } catch (const CalcError& e) {
      summary_problem_ = QString::fromStdString(e.message());
    } catch (const std::exception& e) {
      summary_problem_ = QString::fromStdString(e.what());
    }
  }
  ShowBeam();
}

void Workbench::ShowBeam() {
  if (summary_) {
    const bool still_there =
        run_beam_ && ActiveStandardBeam(form_.FieldText(Field::EditkV), form_.FieldText(Field::EditAdd)) == run_beam_;
    status_->ShowBeam(BeamStatusItems(*summary_, still_there ? run_beam_ : nullptr));
  } else if (!summary_problem_.isEmpty()) {
    status_->ShowBeamProblem(summary_problem_);
  } else {
    status_->ClearBeam();
  }
}

void Workbench::ShowDocument() {
  status_->SetDocument(documents_->DisplayName(), documents_->path(), documents_->modified());
}

}  // namespace xray::gui
