#include "gui/window_look.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

namespace xray::gui {

int WindowLook::Px(double pixels_at_96dpi) const { return static_cast<int>(std::lround(pixels_at_96dpi * scale_)); }

QRect WindowLook::Rect(int left, int top, int width, int height) const {
  return QRect(Px(left), Px(top), Px(width), Px(height));
}

QFont WindowLook::Font(const QStringList& families, double pixels, bool bold) const {
  QFont f;
  f.setFamilies(families);
  f.setPixelSize(std::max(1, Px(pixels)));
  f.setWeight(bold ? QFont::Bold : QFont::Normal);
  f.setStyleStrategy(QFont::PreferDefault);
  return f;
}

// Each face names its Japanese family name as well, which fontconfig also knows.
QFont WindowLook::WindowFont() const { return Font({"IPAPGothic", "IPA Pゴシック"}, 12, false); }
QFont WindowLook::LabelFont() const { return Font({"IPAPGothic", "IPA Pゴシック"}, 12, true); }
QFont WindowLook::LargeLabelFont() const { return Font({"IPAPGothic", "IPA Pゴシック"}, 19, true); }
QFont WindowLook::SpectrumTitleFont() const { return Font({"MotoyaLMaru", "IPAPGothic"}, 16, false); }
QFont WindowLook::SpectrumAxisFont() const { return Font({"DejaVu Sans", "Verdana"}, 13, false); }
QFont WindowLook::ChartTextFont() const { return Font({"IPAPMincho", "IPA P明朝"}, 12, false); }

}  // namespace xray::gui
