// Fonts, colours and the pixel scale of the main window.
//
// The window is laid out in pixels at 96 dots per inch; on a screen of another
// logical resolution every position, size and font height is multiplied by
// (logical dpi / 96) once, when the window is created.
//
// The Japanese faces the window was drawn with do not exist on Linux. Their
// stand-ins keep the pixel heights, weights and colours:
//   window and label fonts   "ＭＳ Ｐゴシック"       -> IPAPGothic (proportional gothic)
//   chart text fonts         "ＭＳ Ｐ明朝"          -> IPAPMincho (proportional mincho)
//   spectrum chart titles    "HG丸ｺﾞｼｯｸM-PRO"      -> MotoyaLMaru (rounded gothic)
//   spectrum chart axes      Verdana               -> DejaVu Sans (Verdana's wide, open shapes)
// The vertical-writing "@" variant of the title face only turns CJK glyphs;
// the titles are Latin text, so the horizontal face draws them the same.
#pragma once

#include <QColor>
#include <QFont>
#include <QRect>

namespace xray::gui {

// Colours of the window's palette, as the window framework names them.
inline const QColor kRed{255, 0, 0};
inline const QColor kGreen{0, 128, 0};  // clGreen is the half-intensity green
inline const QColor kBlue{0, 0, 255};
inline const QColor kBlack{0, 0, 0};
// The system's active-caption colour (clActiveCaption) has no Qt palette role;
// this is its value in the default desktop theme of current Windows versions.
inline const QColor kActiveCaption{153, 180, 209};

class WindowLook {
 public:
  // scale = logical dpi / 96.
  explicit WindowLook(double scale) : scale_(scale) {}

  double scale() const { return scale_; }
  int Px(double pixels_at_96dpi) const;
  QRect Rect(int left, int top, int width, int height) const;

  QFont WindowFont() const;       // 12 px, regular: fields, text boxes, panels, tabs
  QFont LabelFont() const;        // 12 px, bold: labels and buttons
  QFont LargeLabelFont() const;   // 19 px, bold: "W", "Al", "Air"
  QFont SpectrumTitleFont() const;  // 16 px: titles of the two spectrum charts
  QFont SpectrumAxisFont() const;   // 13 px: axes of the two spectrum charts
  QFont ChartTextFont() const;      // 12 px: every other chart text

 private:
  QFont Font(const QStringList& families, double pixels, bool bold) const;
  double scale_;
};

}  // namespace xray::gui
