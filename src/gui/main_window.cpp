#include "gui/main_window.h"

#include <QApplication>
#include <QChartView>
#include <QClipboard>
#include <QGuiApplication>
#include <QProxyStyle>
#include <QScrollArea>
#include <QStringList>
#include <QTabBar>
#include <QVBoxLayout>
#include <limits>
#include <map>
#include <new>

#include "form/headless_window.h"
#include "gui/error_box.h"
#include "numeric/calc_error.h"
#include "numeric/messages.h"
#include "tables/builtin_tables.h"

using xray::Field;
using xray::Memo;
using xray::Series;
using xray::gui::ChartBox;
using xray::gui::ChartSettings;
using xray::gui::TextBox;

namespace {

// The window's client area on the machine it was designed on: the outer size
// 701 x 684 less a 4-pixel sizable border all round and a 26-pixel caption bar.
constexpr int kClientWidth = 693;
constexpr int kClientHeight = 650;
// Where the window opens on the screen, as designed (not centred).
constexpr int kScreenLeft = 351;
constexpr int kScreenTop = 58;

// Space left and right of a tab's caption (pixels at 96 dpi). Qt's styles
// leave twice as much, and the seven captions would then overflow the row.
constexpr int kTabTextPadding = 12;

// The application's style with narrower tabs.
class CompactTabStyle final : public QProxyStyle {
 public:
  CompactTabStyle(int tab_padding, QObject* owner) : tab_padding_(tab_padding) { setParent(owner); }
  int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
    if (metric == PM_TabBarTabHSpace) return tab_padding_;
    return QProxyStyle::pixelMetric(metric, option, widget);
  }

 private:
  int tab_padding_;
};

QString FromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QString JoinLines(const std::vector<std::string>& lines) {
  QStringList list;
  for (const std::string& line : lines) list << QString::fromStdString(line);
  return list.join('\n');
}

}  // namespace

TForm1::TForm1(ErrorBox error_box, QWidget* parent)
    : QWidget(parent), error_box_(std::move(error_box)), look_(logicalDpiY() / 96.0) {
  setObjectName("Form1");
  setWindowTitle("Form1");
  setFont(look_.WindowFont());
  // The button-face colour behind every control.
  QPalette face = palette();
  face.setColor(QPalette::Window, face.color(QPalette::Button));
  setPalette(face);
  setAutoFillBackground(true);

  // The controls stand at fixed places on a client area of fixed size; a
  // larger window leaves them where they are, a smaller one scrolls.
  client_ = new QWidget();
  client_->setObjectName("client");
  client_->setFixedSize(look_.Px(kClientWidth), look_.Px(kClientHeight));
  client_->setAutoFillBackground(true);
  scroll_ = new QScrollArea(this);
  scroll_->setFrameShape(QFrame::NoFrame);
  scroll_->setFocusPolicy(Qt::NoFocus);
  scroll_->setWidgetResizable(false);
  scroll_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  scroll_->setWidget(client_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(scroll_);

  BuildHeader();
  BuildPages();
  SetTabOrder();

  connect(ButtonSpectl, &QPushButton::clicked, this, [this] { ButtonSpectlClick(); });
  connect(ButtonAdded, &QPushButton::clicked, this, [this] { ButtonAddedClick(); });
  connect(ButtonCalDQE, &QPushButton::clicked, this, [this] { ButtonCalDQEClick(); });

  resize(look_.Px(kClientWidth), look_.Px(kClientHeight));
  move(look_.Px(kScreenLeft), look_.Px(kScreenTop));

  FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::ShowErrorBox(QWidget* parent, const QString& text) { xray::gui::ShowErrorBox(parent, text); }

// ---------------------------------------------------------------- controls

QLineEdit* TForm1::MakeEdit(QWidget* parent, Field f, int left, int top, int width, int height) {
  auto* edit = new xray::gui::EditField(parent);
  edit->setObjectName(FromUtf8(xray::Name(f)));
  edit->setGeometry(look_.Rect(left, top, width, height));
  edit->setMaxLength(std::numeric_limits<int>::max());  // no length limit, no input filter
  edit->setText(FromUtf8(xray::DefaultFieldText(f)));
  edit->setCursorPosition(0);
  fields_[xray::Index(f)] = edit;
  return edit;
}

TextBox* TForm1::MakeBox(QWidget* parent, Memo m, int left, int top, int width, int height) {
  auto* box = new TextBox(parent);
  box->setObjectName(FromUtf8(xray::Name(m)));
  box->setGeometry(look_.Rect(left, top, width, height));
  box->setPlainText(JoinLines(xray::BuiltinLines(m)));
  memos_[xray::Index(m)] = box;
  return box;
}

QPushButton* TForm1::MakeButton(QWidget* parent, const char* name, const char* caption, int left, int top,
                                int width, int height) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setFont(look_.LabelFont());
  button->setGeometry(look_.Rect(left, top, width, height));
  button->setAutoDefault(false);  // Enter does not press a button, the space bar does
  return button;
}

QLabel* TForm1::MakeLabel(QWidget* parent, const char* name, const QString& caption, int left, int top, int width,
                          int height, const QFont* font) {
  auto* label = new QLabel(caption, parent);
  label->setObjectName(name);
  label->setFont(font ? *font : look_.LabelFont());
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setContentsMargins(0, 0, 0, 0);
  // Labels size themselves to their caption; the stand-in faces measure a
  // little differently, so a label grows rather than cut its text.
  const QSize hint = label->sizeHint();
  label->setGeometry(look_.Px(left), look_.Px(top), std::max(look_.Px(width), hint.width()),
                     std::max(look_.Px(height), hint.height()));
  return label;
}

QLabel* TForm1::MakePanel(QWidget* parent, const char* name, int left, int top, int width, int height) {
  // Flat bevels, the active-caption colour, the caption "Panel1" centred.
  auto* panel = new QLabel("Panel1", parent);
  panel->setObjectName(name);
  panel->setGeometry(look_.Rect(left, top, width, height));
  panel->setAlignment(Qt::AlignCenter);
  panel->setFrameShape(QFrame::NoFrame);
  QPalette p = panel->palette();
  p.setColor(QPalette::Window, xray::gui::kActiveCaption);
  panel->setPalette(p);
  panel->setAutoFillBackground(true);
  return panel;
}

QChartView* TForm1::MakeChart(QWidget* page, const ChartSettings& settings) {
  auto box = std::make_unique<ChartBox>(settings, page, look_);
  for (std::size_t k = 0; k < box->series().size(); ++k) {
    const Series s = box->series()[k];
    lines_[xray::Index(s)] = box->line(k);
    chart_of_[xray::Index(s)] = box.get();
  }
  QChartView* view = box->view();
  charts_.push_back(std::move(box));
  return view;
}

void TForm1::BuildHeader() {
  QWidget* w = client_;
  // Created in this order: ButtonAdded before PageControl1, which therefore
  // lies above it and covers it (see BuildPages).
  ButtonSpectl = MakeButton(w, "ButtonSpectl", "Spectl", 528, 81, 65, 17);
  EditkV = MakeEdit(w, Field::EditkV, 91, 17, 49, 20);
  EditInhrnt = MakeEdit(w, Field::EditInhrnt, 259, 17, 49, 20);
  EditAdd = MakeEdit(w, Field::EditAdd, 259, 41, 49, 20);
  EditDnsW = MakeEdit(w, Field::EditDnsW, 452, 17, 49, 20);
  EditTAngl = MakeEdit(w, Field::EditTAngl, 91, 41, 49, 20);
  Label1 = MakeLabel(w, "Label1", "kV", 70, 21, 16, 12);
  Label2 = MakeLabel(w, "Label2", "T.Angle(deg)", 10, 45, 76, 12);
  Label3 = MakeLabel(w, "Label3", "Inherent(mmAl)", 162, 20, 92, 12);
  Label4 = MakeLabel(w, "Label4", "Added(mmAl)", 174, 43, 80, 12);
  Label5 = MakeLabel(w, "Label5", "W Density(g/cm^3)", 332, 19, 115, 12);
  EditDnsAl = MakeEdit(w, Field::EditDnsAl, 452, 41, 49, 20);
  EditPhtn = MakeEdit(w, Field::EditPhtn, 357, 80, 145, 20);
  EditmR = MakeEdit(w, Field::EditmR, 153, 80, 49, 20);
  ButtonAdded = MakeButton(w, "ButtonAdded", "Added", 592, 605, 49, 17);
  Label6 = MakeLabel(w, "Label6", "Al Density(g/cm^3)", 330, 46, 118, 12);
  Label7 = MakeLabel(w, "Label7", "Exposure(mR)", 61, 83, 84, 12);
  Label8 = MakeLabel(w, "Label8", "Photon#(mm^-2)", 251, 83, 98, 12);
}

void TForm1::BuildPages() {
  PageControl1 = new QTabWidget(client_);
  PageControl1->setObjectName("PageControl1");
  PageControl1->setGeometry(look_.Rect(16, 113, 649, 520));
  // Opaque, so that ButtonAdded beneath it can be neither seen nor clicked.
  PageControl1->setAutoFillBackground(true);
  // All seven tabs in one row, as on the window's original platform.
  PageControl1->tabBar()->setStyle(new CompactTabStyle(look_.Px(kTabTextPadding), PageControl1));
  PageControl1->setUsesScrollButtons(false);
  PageControl1->raise();

  const auto page = [this](const char* name, const char* caption) {
    auto* sheet = new QWidget();
    sheet->setObjectName(name);
    PageControl1->addTab(sheet, caption);
    return sheet;
  };
  TabSheet1 = page("TabSheet1", "Inherent");
  TabSheet2 = page("TabSheet2", "Inherent+Added");
  TabSheet3 = page("TabSheet3", "Attenuation/Absorption");
  TabSheet4 = page("TabSheet4", "T-W Const");
  TabSheet5 = page("TabSheet5", "MassStopping");  // an empty page
  TabSheet6 = page("TabSheet6", "K-Photons");
  TabSheet7 = page("TabSheet7", "DQE(u)");

  Chart1 = MakeChart(TabSheet1, xray::gui::Chart1Settings());
  Chart7 = MakeChart(TabSheet2, xray::gui::Chart7Settings());
  BuildAttenuationPage();
  BuildThomsonWhiddingtonPage();
  BuildKPhotonsPage();
  BuildDqePage();

  Series1 = LineSeries(Series::Series1);
  Series2 = LineSeries(Series::Series2);
  Series3 = LineSeries(Series::Series3);
  FastLineSeries1 = LineSeries(Series::FastLineSeries1);
  FastLineSeries2 = LineSeries(Series::FastLineSeries2);
  FastLineSeries3 = LineSeries(Series::FastLineSeries3);
  FastLineSeries4 = LineSeries(Series::FastLineSeries4);
  FastLineSeries5 = LineSeries(Series::FastLineSeries5);
  FastLineSeries6 = LineSeries(Series::FastLineSeries6);
  FastLineSeries7 = LineSeries(Series::FastLineSeries7);
  FastLineSeries8 = LineSeries(Series::FastLineSeries8);

  PageControl1->setCurrentIndex(0);  // "Inherent" shows at start
}

void TForm1::BuildAttenuationPage() {
  QWidget* p = TabSheet3;
  // The panels first, so that the boxes and charts on the page lie above them.
  Panel1 = MakePanel(p, "Panel1", 8, 0, 593, 321);
  Panel2 = MakePanel(p, "Panel2", 8, 321, 593, 168);
  const QFont large = look_.LargeLabelFont();
  Label9 = MakeLabel(Panel1, "Label9", "MassAttenuationCoeficient", 10, 13);
  Label11 = MakeLabel(Panel1, "Label11", "W", 250, 16, 0, 0, &large);
  Label12 = MakeLabel(Panel1, "Label12", "Al", 250, 176, 0, 0, &large);
  Label10 = MakeLabel(Panel2, "Label10", "MassAbsorptionCoeficient", 10, 13);
  Label13 = MakeLabel(Panel2, "Label13", "Air", 250, 21, 0, 0, &large);

  MemokeVWu = MakeBox(p, Memo::MemokeVWu, 194, 38, 153, 97);
  Chart2 = MakeChart(p, xray::gui::Chart2Settings());
  MemokeVAlu = MakeBox(p, Memo::MemokeVAlu, 194, 197, 153, 97);
  Chart3 = MakeChart(p, xray::gui::Chart3Settings());
  MemokeVAir = MakeBox(p, Memo::MemokeVAir, 194, 364, 153, 97);
  Chart6 = MakeChart(p, xray::gui::Chart6Settings());
}

void TForm1::BuildThomsonWhiddingtonPage() {
  MemokeVC = MakeBox(TabSheet4, Memo::MemokeVC, 16, 101, 161, 260);
  Chart4 = MakeChart(TabSheet4, xray::gui::Chart4Settings());
}

void TForm1::BuildKPhotonsPage() {
  MemoCX = MakeBox(TabSheet6, Memo::MemoCX, 8, 96, 169, 230);
  Chart5 = MakeChart(TabSheet6, xray::gui::Chart5Settings());
}

void TForm1::BuildDqePage() {
  QWidget* p = TabSheet7;
  EditG = MakeEdit(p, Field::EditG, 36, 38, 77, 20);
  ButtonCalDQE = MakeButton(p, "ButtonCalDQE", "DQE(u)", 550, 10, 73, 17);
  MemoMTF = MakeBox(p, Memo::MemoMTF, 164, 38, 205, 89);
  MemoWS = MakeBox(p, Memo::MemoWS, 419, 38, 206, 89);
  MemoNEQ = MakeBox(p, Memo::MemoNEQ, 34, 398, 279, 89);
  MemoDQE = MakeBox(p, Memo::MemoDQE, 352, 398, 281, 89);
  Chart9 = MakeChart(p, xray::gui::Chart9Settings());
  Chart8 = MakeChart(p, xray::gui::Chart8Settings());
  Label14 = MakeLabel(p, "Label14", QString::fromUtf8("γ"), 16, 40, 13, 12);
  Label15 = MakeLabel(p, "Label15", "MTF", 131, 41, 26, 12);
  Label16 = MakeLabel(p, "Label16", "WS", 395, 41, 18, 12);
  Label17 = MakeLabel(p, "Label17", "NEQ", 3, 400, 26, 12);
  Label18 = MakeLabel(p, "Label18", "DQE", 323, 400, 26, 12);
}

void TForm1::SetTabOrder() {
  // The header in its tab order, ButtonAdded included, then the page control
  // and the focusable controls of each page in theirs.
  const std::vector<QWidget*> order = {
      ButtonSpectl, EditkV,     EditInhrnt, EditAdd, EditDnsW, EditTAngl, EditDnsAl, EditPhtn,
      EditmR,       ButtonAdded, PageControl1, MemokeVWu, MemokeVAlu, MemokeVAir, MemokeVC, MemoCX,
      EditG,        ButtonCalDQE, MemoMTF,    MemoWS,  MemoNEQ,  MemoDQE};
  for (std::size_t k = 1; k < order.size(); ++k) QWidget::setTabOrder(order[k - 1], order[k]);
}

// ---------------------------------------------------------------- events

void TForm1::RunEvent(const std::function<std::optional<std::string>()>& event,
                      std::optional<xray::Button> button) noexcept {
  std::optional<std::string> box;
  // The lines the handler writes reach the boxes at its end, all at once.
  for (TextBox* memo : memos_) memo->BeginBatch();
  try {
    box = event();
  } catch (const std::bad_alloc&) {
    box = xray::BoxText(xray::msg::kOutOfMemory);
  } catch (const std::exception& e) {
    box = xray::BoxText(e.what());
  } catch (...) {
    // Form stops every error of a handler; nothing else here throws.
  }
  // A large result box is built on another thread while the handler computes
  // and the charts are drawn; every box ends its batch, even if drawing runs
  // out of memory.
  bool drawn = false;
  try {
    for (TextBox* memo : memos_) memo->StartEndBatch();
    ShowChangedSeries();
    drawn = true;
  } catch (...) {
  }
  try {
    for (TextBox* memo : memos_) memo->FinishEndBatch();
    if (!drawn) return;
    if (button) emit ButtonRun(*button, !box);
    if (box) error_box_(this, QString::fromStdString(*box));
  } catch (...) {
    // Out of memory while drawing or showing the box: the window stays as it is.
  }
}

void TForm1::ShowChangedSeries() {
  std::map<ChartBox*, std::vector<std::pair<Series, QList<QPointF>>>> changes;
  for (Series s : xray::kAllSeries) {
    const std::size_t k = xray::Index(s);
    if (!changed_[k]) continue;
    const std::vector<xray::Point>& sorted = points_[k].Points();
    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(sorted.size()));
    for (const xray::Point& p : sorted) points.append(QPointF(p.x, p.y));
    changes[chart_of_[k]].emplace_back(s, std::move(points));
  }
  changed_.reset();
  // One update of each chart, its axes and all its changed series at once.
  for (const auto& [chart, lines] : changes) chart->ShowPoints(lines);
}

void TForm1::ResetToStartUp() {
  for (Field f : xray::kAllFields) SetFieldText(f, xray::DefaultFieldText(f));
  for (Memo m : xray::kAllMemos) memos_[xray::Index(m)]->setPlainText(JoinLines(xray::BuiltinLines(m)));
  for (Series s : xray::kAllSeries) ClearSeries(s);
  form_.store = xray::SpectrumStore{};
  PageControl1->setCurrentIndex(0);
  ButtonSpectl->setFocus();
  FormCreate();  // shows the cleared series too
}

void TForm1::FormCreate() {
  RunEvent([this] { return form_.Create(); });
}

void TForm1::ButtonSpectlClick() {
  RunEvent([this] { return form_.Press(xray::Button::ButtonSpectl); }, xray::Button::ButtonSpectl);
}

void TForm1::ButtonAddedClick() {
  RunEvent([this] { return form_.Press(xray::Button::ButtonAdded); }, xray::Button::ButtonAdded);
}

void TForm1::ButtonCalDQEClick() {
  RunEvent([this] { return form_.Press(xray::Button::ButtonCalDQE); }, xray::Button::ButtonCalDQE);
}

// ---------------------------------------------------------------- window services

std::string TForm1::FieldText(Field f) const { return fields_[xray::Index(f)]->text().toStdString(); }

void TForm1::SetFieldText(Field f, std::string_view text) {
  QLineEdit* edit = fields_[xray::Index(f)];
  edit->setText(FromUtf8(text));
  edit->setCursorPosition(0);
}

std::string TForm1::MemoLine(Memo m, int i) const { return memos_[xray::Index(m)]->Line(i); }

void TForm1::ClearMemo(Memo m) { memos_[xray::Index(m)]->ClearLines(); }

void TForm1::AppendMemoLine(Memo m, std::string_view line) { memos_[xray::Index(m)]->AppendLine(line); }

std::uint64_t TForm1::MemoRevision(Memo m) const { return memos_[xray::Index(m)]->revision(); }

void TForm1::ClearSeries(Series s) {
  points_[xray::Index(s)].Clear();
  changed_.set(xray::Index(s));
}

void TForm1::AddPoint(Series s, double x, double y) {
  points_[xray::Index(s)].Add(xray::Point{x, y});
  changed_.set(xray::Index(s));
}

// The nested press runs the handler itself, not through Form::Press, so that an
// error ends "Spectl" too and reaches the one box of the outer event.
void TForm1::PressButtonAdded() { form_.PressAddedWithin(); }

void TForm1::SetClipboardText(std::string_view text) { QGuiApplication::clipboard()->setText(FromUtf8(text)); }
