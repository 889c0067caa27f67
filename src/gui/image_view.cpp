#include "gui/image_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPen>
#include <algorithm>
#include <cmath>
#include <vector>

namespace xray::gui {

namespace {

// About this many pixels are sorted for the percentiles of a large region.
constexpr double kGreySample = 1e6;

// The region's part inside the image; the whole image when none of it is.
measure::Region ClippedRegion(const measure::Image& image, const measure::Region& r) {
  const int x0 = std::max(r.x, 0);
  const int y0 = std::max(r.y, 0);
  const long long x1 = std::min<long long>(static_cast<long long>(r.x) + r.width, image.width);
  const long long y1 = std::min<long long>(static_cast<long long>(r.y) + r.height, image.height);
  if (x1 <= x0 || y1 <= y0) return {0, 0, image.width, image.height};
  return {x0, y0, static_cast<int>(x1 - x0), static_cast<int>(y1 - y0)};
}

double Percentile(std::vector<double>& values, double percent) {
  const auto k = static_cast<std::size_t>(std::floor(percent / 100 * static_cast<double>(values.size() - 1)));
  std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(k), values.end());
  return values[k];
}

}  // namespace

GreyWindow RegionGreyWindow(const measure::Image& image, const measure::Region& region) {
  if (image.width <= 0 || image.height <= 0) return {};
  const measure::Region r = ClippedRegion(image, region);
  const double count = static_cast<double>(r.width) * r.height;
  const int step = std::max(1, static_cast<int>(std::ceil(std::sqrt(count / kGreySample))));
  std::vector<double> values;
  values.reserve(static_cast<std::size_t>((r.width / step + 1) * (r.height / step + 1)));
  for (int y = r.y; y < r.y + r.height; y += step) {
    for (int x = r.x; x < r.x + r.width; x += step) values.push_back(image.at(x, y));
  }
  GreyWindow window;
  window.low = Percentile(values, kLowPercentile);
  window.high = Percentile(values, kHighPercentile);
  return window;
}

QImage DisplayImage(const measure::Image& image, const GreyWindow& window) {
  QImage grey(image.width, image.height, QImage::Format_Grayscale8);
  const double span = window.high - window.low;
  for (int y = 0; y < image.height; ++y) {
    uchar* line = grey.scanLine(y);
    for (int x = 0; x < image.width; ++x) {
      const double v = image.at(x, y);
      // A region of one value shows mid-grey rather than all black.
      const double level = span > 0 ? (v - window.low) / span * 255 : v < window.low ? 0 : v > window.low ? 255 : 128;
      line[x] = static_cast<uchar>(std::clamp(std::lround(level), 0L, 255L));
    }
  }
  return grey;
}

ImageView::ImageView(QWidget* parent) : QWidget(parent) {
  setMinimumSize(400, 400);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  setCursor(Qt::CrossCursor);
  setToolTip("Drag a rectangle to choose the region to analyse.");
}

void ImageView::SetImage(std::shared_ptr<const measure::Image> image, const measure::Region& region) {
  image_ = std::move(image);
  edge_.reset();
  drag_from_.reset();
  SetRegion(region);
}

void ImageView::Clear() {
  image_.reset();
  shown_ = QImage();
  edge_.reset();
  drag_from_.reset();
  update();
}

void ImageView::SetRegion(const measure::Region& region) {
  region_ = region;
  if (image_) shown_ = DisplayImage(*image_, RegionGreyWindow(*image_, region));
  update();
}

void ImageView::SetEdge(const std::optional<measure::EdgeLine>& edge) {
  edge_ = edge;
  update();
}

QRectF ImageView::ImageRect() const {
  if (!image_) return {};
  const double scale =
      std::min(width() / static_cast<double>(image_->width), height() / static_cast<double>(image_->height));
  const double w = image_->width * scale;
  const double h = image_->height * scale;
  return {(width() - w) / 2, (height() - h) / 2, w, h};
}

QPoint ImageView::PixelAt(const QPointF& at) const {
  const QRectF r = ImageRect();
  const double scale = r.width() / image_->width;
  const int x = static_cast<int>(std::floor((at.x() - r.left()) / scale));
  const int y = static_cast<int>(std::floor((at.y() - r.top()) / scale));
  return {std::clamp(x, 0, image_->width - 1), std::clamp(y, 0, image_->height - 1)};
}

QRectF ImageView::RegionRect(const measure::Region& region) const {
  const QRectF r = ImageRect();
  const double scale = r.width() / image_->width;
  return {r.left() + region.x * scale, r.top() + region.y * scale, region.width * scale, region.height * scale};
}

measure::Region ImageView::DraggedRegion() const {
  const QPoint a = *drag_from_;
  const QPoint b = drag_to_;
  return {std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::abs(a.x() - b.x()) + 1, std::abs(a.y() - b.y()) + 1};
}

void ImageView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Dark));
  if (!image_) return;
  const QRectF r = ImageRect();
  // Enlarged pixels stay sharp squares; a reduced image is smoothed.
  painter.setRenderHint(QPainter::SmoothPixmapTransform, r.width() < image_->width);
  painter.drawImage(r, shown_);
  painter.setRenderHint(QPainter::Antialiasing);

  painter.setPen(QPen(QColor(0, 200, 255), 1.5));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(RegionRect(region_));

  if (edge_) {
    // Pixel centres lie at integer coordinates: centre x is x + 0.5 pixel widths in.
    const double scale = r.width() / image_->width;
    const auto at = [&](double x, double y) {
      return QPointF(r.left() + (x + 0.5) * scale, r.top() + (y + 0.5) * scale);
    };
    painter.setPen(QPen(QColor(255, 40, 40), 2));
    painter.drawLine(at(edge_->x0, edge_->y0), at(edge_->x1, edge_->y1));
  }
  if (drag_from_) {
    painter.setPen(QPen(Qt::yellow, 1, Qt::DashLine));
    painter.drawRect(RegionRect(DraggedRegion()));
  }
}

void ImageView::mousePressEvent(QMouseEvent* event) {
  if (!image_ || event->button() != Qt::LeftButton || !ImageRect().contains(event->position())) {
    QWidget::mousePressEvent(event);
    return;
  }
  drag_from_ = PixelAt(event->position());
  drag_to_ = *drag_from_;
  update();
}

void ImageView::mouseMoveEvent(QMouseEvent* event) {
  if (!drag_from_) return;
  drag_to_ = PixelAt(event->position());
  update();
}

void ImageView::mouseReleaseEvent(QMouseEvent* event) {
  if (!drag_from_ || event->button() != Qt::LeftButton) return;
  drag_to_ = PixelAt(event->position());
  const measure::Region dragged = DraggedRegion();
  drag_from_.reset();
  update();
  // A click, or a drag of a pixel or two, is no rectangle.
  if (dragged.width > 2 && dragged.height > 2) emit RegionDrawn(dragged);
}

}  // namespace xray::gui
