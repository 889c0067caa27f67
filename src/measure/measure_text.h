// The measured curves as the text of the DQE page's tables: a caption line,
// then one "frequency<TAB>value" row per point (cycles/mm first), numbers as
// the program writes them ("." decimals), rounded to 6 significant digits.
// The lines go into MemoMTF and MemoWS as they are, like a paste.
#pragma once

#include <string>
#include <vector>

#include "measure/edge_mtf.h"
#include "measure/nnps.h"

namespace xray::measure {

// MemoMTF: caption "c/mm<TAB>MTF ..." (tilt and pitch), then 0 (MTF 1) up to
// a little beyond the Nyquist frequency.
std::vector<std::string> MtfTableLines(const MtfResult& mtf);

enum class WienerScale {
  kDqePage,  // W(u), what the DQE page's NEQ formula expects
  kNnps,     // NNPS(u) in mm^2 as measured (the noise power of the pixel values for logarithmic data)
};

// MemoWS: the caption, a first row at 0 cycles/mm repeating the first measured
// value (the DQE page skips the table's first row, so no measured point is
// lost; the caption says so), then the measured bins.
std::vector<std::string> WienerTableLines(const NnpsResult& nnps, WienerScale scale = WienerScale::kDqePage);

// The lines as one text, each ended by "\n".
std::string JoinLines(const std::vector<std::string>& lines);

}  // namespace xray::measure
