// The detector image in the measurement dialogs: the pixels in grey, the
// region to analyse as a rectangle, and the edge the MTF analysis found as a
// line. A rectangle dragged with the left button proposes a new region.
//
// Detector images hold up to 16 bits; the screen shows 8. The grey levels
// stretch between two percentiles of the region's pixels (kLowPercentile and
// kHighPercentile), so that the structure being analysed fills the grey scale
// whatever the rest of the image holds (collimator shadows, a bright border).
#pragma once

#include <QImage>
#include <QPoint>
#include <QWidget>
#include <memory>
#include <optional>

#include "measure/edge_mtf.h"
#include "measure/image.h"

namespace xray::gui {

inline constexpr double kLowPercentile = 0.5;
inline constexpr double kHighPercentile = 99.5;

// The pixel values at the two percentiles of the region (the region clipped
// to the image; the whole image when nothing of it is inside). On a large
// region an evenly spread sample of about a million pixels stands for it.
struct GreyWindow {
  double low = 0;
  double high = 0;
};
GreyWindow RegionGreyWindow(const measure::Image& image, const measure::Region& region);

// The image in 8-bit grey: low and below black, high and above white, linear between.
QImage DisplayImage(const measure::Image& image, const GreyWindow& window);

class ImageView final : public QWidget {
  Q_OBJECT

 public:
  explicit ImageView(QWidget* parent = nullptr);

  // Shows the image with its grey window taken from the region.
  void SetImage(std::shared_ptr<const measure::Image> image, const measure::Region& region);
  void Clear();
  bool hasImage() const { return image_ != nullptr; }
  // The region drawn; its grey window is taken again.
  void SetRegion(const measure::Region& region);
  void SetEdge(const std::optional<measure::EdgeLine>& edge);
  const QImage& shownImage() const { return shown_; }

  QSize sizeHint() const override { return {440, 440}; }

 signals:
  // A rectangle dragged over the image, in its pixels, clipped to it.
  void RegionDrawn(const measure::Region& region);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  // Where the image lies in the widget, and its pixels per image pixel.
  QRectF ImageRect() const;
  // The image pixel under a widget point, clipped to the image.
  QPoint PixelAt(const QPointF& at) const;
  // The widget rectangle of a region.
  QRectF RegionRect(const measure::Region& region) const;
  measure::Region DraggedRegion() const;

  std::shared_ptr<const measure::Image> image_;
  QImage shown_;
  measure::Region region_;
  std::optional<measure::EdgeLine> edge_;
  std::optional<QPoint> drag_from_;
  QPoint drag_to_;
};

}  // namespace xray::gui
