// The main window Form1: header fields, buttons, seven tab pages of charts and
// table boxes, and the window services through which the four handlers read
// and write it.
//
// The window holds no calculation. Each click is handed to the Form, which
// runs the handler and gives back the text of an error box if the handler
// failed; the window then shows what changed and the box, once.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QTabWidget>
#include <QWidget>
#include <array>
#include <bitset>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "form/form.h"
#include "gui/charts.h"
#include "gui/text_box.h"
#include "gui/window_look.h"
#include "window/window_services.h"

class QChartView;
class QScrollArea;

class TForm1 final : public QWidget, public xray::WindowServices {
  Q_OBJECT

 public:
  // Shows the text of an error box: the message with its period.
  using ErrorBox = std::function<void(QWidget* parent, const QString& text)>;

  // Builds every control from the window definition and then runs FormCreate
  // once, which plots five reference tables; an error there is shown in a box
  // and the window is built all the same. Tests pass their own error box.
  explicit TForm1(ErrorBox error_box = ShowErrorBox, QWidget* parent = nullptr);
  ~TForm1() override;

  // The modal error box: caption the application title, error icon, one OK button.
  static void ShowErrorBox(QWidget* parent, const QString& text);

  // The line series of a chart, by its name in the window definition.
  QLineSeries* LineSeries(xray::Series s) const { return lines_[xray::Index(s)]; }
  QLineEdit* Edit(xray::Field f) const { return fields_[xray::Index(f)]; }
  xray::gui::TextBox* Box(xray::Memo m) const { return memos_[xray::Index(m)]; }
  QScrollArea* scrollArea() const { return scroll_; }
  // The fixed-size area that holds every control, at 96-dpi positions times the scale.
  QWidget* client() const { return client_; }
  // The nine charts, in the order they are built; each has its context menu.
  const std::vector<std::unique_ptr<xray::gui::ChartBox>>& charts() const { return charts_; }
  // The state behind the window (spectrum store, tables) the calculators work on.
  xray::Form& form() { return form_; }

  // Back to the state the window opens in: start texts, built-in tables, empty
  // results and store, FormCreate run again, the first page, the focus on "Spectl".
  void ResetToStartUp();

  // The controls, named as in the window definition.
  QPushButton* ButtonSpectl;
  QLineEdit* EditkV;
  QLineEdit* EditInhrnt;
  QLineEdit* EditAdd;
  QLineEdit* EditDnsW;
  QLineEdit* EditTAngl;
  QLabel* Label1;
  QLabel* Label2;
  QLabel* Label3;
  QLabel* Label4;
  QLabel* Label5;
  QLineEdit* EditDnsAl;
  QLineEdit* EditPhtn;
  QLineEdit* EditmR;
  QPushButton* ButtonAdded;
  QTabWidget* PageControl1;
  QWidget* TabSheet1;
  QWidget* TabSheet2;
  QWidget* TabSheet3;
  QWidget* TabSheet4;
  QChartView* Chart1;
  QLineSeries* Series1;
  QLineSeries* Series2;
  QLineSeries* Series3;
  QLabel* Label6;
  QWidget* TabSheet5;
  xray::gui::TextBox* MemokeVC;
  QChartView* Chart4;
  QLineSeries* FastLineSeries3;
  xray::gui::TextBox* MemokeVWu;
  QChartView* Chart2;
  QLineSeries* FastLineSeries1;
  xray::gui::TextBox* MemokeVAlu;
  QChartView* Chart3;
  QLineSeries* FastLineSeries2;
  xray::gui::TextBox* MemokeVAir;
  QChartView* Chart6;
  QLineSeries* FastLineSeries5;
  QChartView* Chart7;
  QLineSeries* FastLineSeries6;
  QLabel* Panel1;  // a panel is a flat frame with a centred caption
  QLabel* Panel2;
  QLabel* Label7;
  QLabel* Label8;
  QLabel* Label9;
  QLabel* Label10;
  QLabel* Label11;
  QLabel* Label12;
  QLabel* Label13;
  QWidget* TabSheet6;
  QWidget* TabSheet7;
  QLineEdit* EditG;
  QPushButton* ButtonCalDQE;
  QLabel* Label14;
  QLabel* Label15;
  xray::gui::TextBox* MemoMTF;
  QLabel* Label16;
  xray::gui::TextBox* MemoWS;
  QChartView* Chart9;
  QLineSeries* FastLineSeries8;
  QChartView* Chart8;
  QLineSeries* FastLineSeries7;
  QLabel* Label17;
  xray::gui::TextBox* MemoNEQ;
  QLabel* Label18;
  xray::gui::TextBox* MemoDQE;
  xray::gui::TextBox* MemoCX;
  QChartView* Chart5;
  QLineSeries* FastLineSeries4;

  // WindowServices
  std::string FieldText(xray::Field f) const override;
  void SetFieldText(xray::Field f, std::string_view text) override;
  std::string MemoLine(xray::Memo m, int i) const override;
  void ClearMemo(xray::Memo m) override;
  void AppendMemoLine(xray::Memo m, std::string_view line) override;
  std::uint64_t MemoRevision(xray::Memo m) const override;
  void ClearSeries(xray::Series s) override;
  void AddPoint(xray::Series s, double x, double y) override;
  void PressButtonAdded() override;
  void SetClipboardText(std::string_view text) override;

 signals:
  // A click of a button (by a person, or by a document being opened) has run
  // to its end; emitted before its error box, if any, is shown.
  void ButtonRun(xray::Button button, bool succeeded);

 private:
  // The four event handlers.
  void FormCreate();
  void ButtonSpectlClick();
  void ButtonAddedClick();
  void ButtonCalDQEClick();

  // Runs one event to its end: the handler, then the charts catch up with the
  // points it added, then its error box if it failed. Nothing escapes into Qt.
  void RunEvent(const std::function<std::optional<std::string>()>& event,
                std::optional<xray::Button> button = std::nullopt) noexcept;
  // Hands the points changed since the last event to their series and lets
  // each touched chart recompute its automatic axis ranges, once per event.
  void ShowChangedSeries();

  void BuildHeader();
  void BuildPages();
  void BuildAttenuationPage();
  void BuildThomsonWhiddingtonPage();
  void BuildKPhotonsPage();
  void BuildDqePage();
  void SetTabOrder();

  QLineEdit* MakeEdit(QWidget* parent, xray::Field f, int left, int top, int width, int height);
  xray::gui::TextBox* MakeBox(QWidget* parent, xray::Memo m, int left, int top, int width, int height);
  QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption, int left, int top, int width,
                          int height);
  QLabel* MakeLabel(QWidget* parent, const char* name, const QString& caption, int left, int top, int width = 0,
                    int height = 0, const QFont* font = nullptr);
  QLabel* MakePanel(QWidget* parent, const char* name, int left, int top, int width, int height);
  QChartView* MakeChart(QWidget* page, const xray::gui::ChartSettings& settings);

  ErrorBox error_box_;
  xray::gui::WindowLook look_;
  QScrollArea* scroll_ = nullptr;
  QWidget* client_ = nullptr;

  std::array<QLineEdit*, xray::kFieldCount> fields_{};
  std::array<xray::gui::TextBox*, xray::kMemoCount> memos_{};
  std::array<QLineSeries*, xray::kSeriesCount> lines_{};
  std::vector<std::unique_ptr<xray::gui::ChartBox>> charts_;
  std::array<xray::gui::ChartBox*, xray::kSeriesCount> chart_of_{};
  // The points of every series as the handlers left them; the QLineSeries
  // receive them, sorted in, when the event ends.
  std::array<xray::AscendingPoints, xray::kSeriesCount> points_{};
  std::bitset<xray::kSeriesCount> changed_;

  xray::Form form_{*this};
};
