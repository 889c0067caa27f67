// The detector measurement on the command line:
//
//   xraycalc-cli mtf EDGE_IMAGE [...]        the MTF table (MemoMTF's format)
//   xraycalc-cli nnps FLAT_IMAGE... [...]    the Wiener spectrum table (MemoWS's format)
//   xraycalc-cli dqe --edge IMAGE --flat IMAGE... [...]
//                                           both measured, then "DQE(u)" on them
//
// Options of all three: --pitch MM (default: from the file), --response
// linear|log, --dark-offset VALUE (linear data), --gamma (log data; the DQE
// page's gamma, which also scales a linear detector's Wiener spectrum), and
// for raw files --width, --height and --offset BYTES. mtf and nnps take
// --roi X,Y,W,H; dqe takes --edge-roi and --flat-roi. An image that cannot be
// used ends the run with one line on standard error and exit status 2.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/commands.h"

namespace CLI {
class App;
}

namespace xray::cli {

class MeasureCommands {
 public:
  // Adds the subcommands mtf and nnps to app, and the measurement options to
  // its dqe subcommand. The options write into this object: keep it in place
  // until the command line has been parsed and run.
  MeasureCommands(CLI::App& app, CLI::App* dqe);
  MeasureCommands(const MeasureCommands&) = delete;
  MeasureCommands& operator=(const MeasureCommands&) = delete;

  // True when mtf or nnps was given; Run() then runs it.
  bool parsed() const;
  Outcome Run() const;

  // For dqe: the measured MemoMTF (--edge) and MemoWS (--flat) appended to
  // tables; nothing without those options. gamma_text is dqe's --gamma. Throws
  // BadInput with a one-line message for an unusable image or option, or a
  // --table for a box that is measured too.
  void AddDqeTables(const std::string& gamma_text, std::vector<MemoPaste>& tables) const;

  // The one-line usage of mtf or nnps; empty for another subcommand.
  static std::string Usage(const CLI::App* sub);

 private:
  struct Common {
    std::optional<std::string> pitch;
    std::string response = "linear";
    std::optional<std::string> dark_offset;
    std::optional<int> width;
    std::optional<int> height;
    std::optional<std::uint64_t> offset;
  };
  Common common_mtf_, common_nnps_, common_dqe_;
  std::string mtf_gamma_, nnps_gamma_;
  std::optional<std::string> mtf_roi_, nnps_roi_, edge_roi_, flat_roi_;
  std::string edge_file_;
  std::vector<std::string> flat_files_, dqe_flat_files_;
  std::optional<std::string> dqe_edge_;
  std::string axis_ = "both";
  bool unscaled_ = false;
  CLI::App* mtf_ = nullptr;
  CLI::App* nnps_ = nullptr;
  CLI::App* dqe_ = nullptr;
};

}  // namespace xray::cli
