// The texts of every error box the calculators can raise, in one place.
// Tests assert them exactly; the window adds the closing period when it shows one.
#pragma once

#include <string_view>

namespace xray::msg {

// A text that is not a number was converted; "%s" stands for the text itself.
inline constexpr std::string_view kNotAFloat = "'%s' は浮動小数点数ではありません";
// Floating-point division by zero, the logarithm of zero included.
inline constexpr std::string_view kDivideByZero = "0 による浮動小数点数除算";
// Invalid floating-point operation: 0/0, the logarithm of a negative number, ...
inline constexpr std::string_view kInvalidOperation = "不正な浮動小数点数演算命令";
// A result too large for a double.
inline constexpr std::string_view kOverflow = "浮動小数点数のオーバーフロー";
// The system clipboard could not be opened.
inline constexpr std::string_view kClipboard = "クリップボードを開くことができません";
// A synthesis run would write past the 301 bins of the spectrum store.
inline constexpr std::string_view kStoreFull = "スペクトルのビン数が上限(301)を超えました";

// Memory ran out while a handler ran (a table of many megabytes, say).
inline constexpr std::string_view kOutOfMemory = "メモリが不足しています";

// The beam-quality summary of the command line (mean energy, half-value
// layers); the window never shows these.
// A spectrum with no photons (no bins, or all of them zero) has no quality.
inline constexpr std::string_view kNoPhotons =
    "the spectrum holds no photons: its mean energy and half-value layers are undefined";
// A negative bin makes the kerma curve non-monotonic; its half-value layer is undefined.
inline constexpr std::string_view kNegativePhotons =
    "a spectrum bin holds a negative photon number: its half-value layers are undefined";
// The aluminium table is so transparent that even 1e6 mm (1 km) does not reach the target.
inline constexpr std::string_view kHvlOutOfReach =
    "1 km of aluminium does not attenuate the air kerma enough: check the aluminium table";

}  // namespace xray::msg
