#include "cli/measure_commands.h"

#include <CLI/CLI.hpp>

#include <charconv>

#include "form/headless_window.h"
#include "measure/edge_mtf.h"
#include "measure/image_io.h"
#include "measure/measure_error.h"
#include "measure/measure_text.h"
#include "measure/nnps.h"
#include "numeric/calc_error.h"
#include "numeric/number_text.h"

namespace xray::cli {

namespace {

using namespace xray::measure;

constexpr const char* kMtfUsage =
    "usage: xraycalc-cli mtf EDGE_IMAGE [--pitch MM] [--roi X,Y,W,H] [--response linear|log] "
    "[--dark-offset VALUE] [--gamma G] [--width W --height H [--offset BYTES]]";
constexpr const char* kNnpsUsage =
    "usage: xraycalc-cli nnps FLAT_IMAGE... [--pitch MM] [--roi X,Y,W,H] [--response linear|log] "
    "[--dark-offset VALUE] [--gamma G] [--axis both|horizontal|vertical] [--unscaled] "
    "[--width W --height H [--offset BYTES]]";

double Number(const std::string& option, const std::string& text) {
  try {
    return TextToFloat(text);
  } catch (const CalcError&) {
    throw BadInput(option + ": '" + text + "' is not a number");
  }
}

// "X,Y,WIDTH,HEIGHT" in whole pixels.
std::optional<Region> RegionOption(const std::string& option, const std::optional<std::string>& text) {
  if (!text) return std::nullopt;
  int v[4] = {};
  const char* at = text->data();
  const char* end = at + text->size();
  for (int k = 0; k < 4; ++k) {
    const auto [next, ec] = std::from_chars(at, end, v[k]);
    const bool separator_ok = k < 3 ? next < end && *next == ',' : next == end;
    if (ec != std::errc() || next == at || !separator_ok) {
      throw BadInput(option + " " + *text + ": expected X,Y,WIDTH,HEIGHT in whole pixels");
    }
    at = next + 1;
  }
  return Region{v[0], v[1], v[2], v[3]};
}

struct Given {
  std::optional<double> pitch;
  Response response;
  std::optional<RawLayout> raw;
};

template <typename Common>
Given Interpret(const Common& c, const std::string& gamma_option, const std::string& gamma_text) {
  Given g;
  if (c.pitch) g.pitch = Number("--pitch", *c.pitch);
  g.response.kind = c.response == "log" ? Response::Kind::kLogarithmic : Response::Kind::kLinear;
  if (c.dark_offset) {
    if (g.response.kind != Response::Kind::kLinear) throw BadInput("--dark-offset applies to a linear response only");
    g.response.dark_offset = Number("--dark-offset", *c.dark_offset);
  }
  g.response.gamma = Number(gamma_option, gamma_text);
  if (c.width || c.height) {
    if (!c.width || !c.height) throw BadInput("a raw image needs both --width and --height");
    g.raw = RawLayout{*c.width, *c.height, c.offset.value_or(0)};
  } else if (c.offset) {
    throw BadInput("--offset is the header size of a raw image: give --width and --height too");
  }
  return g;
}

MtfResult MeasureEdge(const std::string& file, const Given& g, const std::optional<Region>& region) {
  MtfOptions o;
  o.region = region;
  o.response = g.response;
  o.pitch_mm = g.pitch;
  return MeasureMtf(ReadImage(file, g.raw), o);
}

// One image in memory at a time.
NnpsResult MeasureFlats(const std::vector<std::string>& files, const Given& g, const std::optional<Region>& region,
                        NnpsAxis axis) {
  NnpsOptions o;
  o.region = region;
  o.response = g.response;
  o.pitch_mm = g.pitch;
  o.axis = axis;
  NnpsAccumulator accumulator(o);
  for (const std::string& file : files) accumulator.Add(ReadImage(file, g.raw));
  return accumulator.Result();
}

template <typename Common>
void AddCommonOptions(CLI::App* sub, Common& c) {
  sub->add_option("--pitch", c.pitch,
                  "pixel pitch, mm; default: the file's (DICOM ImagerPixelSpacing, else PixelSpacing; TIFF "
                  "resolution in pixels per cm or inch)")
      ->type_name("MM");
  sub->add_option("--response", c.response,
                  "how pixel values follow the exposure q: linear (value = dark offset + k q) or log "
                  "(value = c + gamma log10 q)")
      ->check(CLI::IsMember({"linear", "log"}))
      ->capture_default_str();
  sub->add_option("--dark-offset", c.dark_offset, "pixel value at zero exposure of a linear detector (default 0)")
      ->type_name("VALUE");
  sub->add_option("--width", c.width, "raw image: pixels per row (little-endian 16-bit pixels, row by row)");
  sub->add_option("--height", c.height, "raw image: rows");
  sub->add_option("--offset", c.offset, "raw image: header bytes before the pixels (default 0)")->type_name("BYTES");
}

std::string Gamma() { return std::string(DefaultFieldText(Field::EditG)); }

void AddGammaOption(CLI::App* sub, std::string& gamma) {
  gamma = Gamma();
  sub->add_option("--gamma", gamma,
                  "gamma of the DQE page (EditG): linearises log data; for linear data it scales W(u) = "
                  "(gamma log10 e)^2 NNPS(u) so that the page's NEQ is MTF^2 / NNPS")
      ->type_name("G")
      ->capture_default_str();
}

// The library's message, with the option that mends it where there is one.
std::string MessageOf(const MeasureError& e) {
  const std::string message = e.what();
  return message == msg::kNoPitch ? message + " with --pitch MM" : message;
}

Outcome Failed(const char* command, const std::string& message) {
  return Outcome{kExitBadInput, {}, std::string("xraycalc-cli ") + command + ": " + message + "\n"};
}

}  // namespace

MeasureCommands::MeasureCommands(CLI::App& app, CLI::App* dqe) : dqe_(dqe) {
  mtf_ = app.add_subcommand(
      "mtf", "Measure the presampled MTF from the image of an edge tilted 1 to 10 degrees from the columns or "
             "rows; print it as a MemoMTF table (caption, then cycles/mm and MTF), from 0 to a little beyond the "
             "Nyquist frequency.");
  mtf_->add_option("EDGE_IMAGE", edge_file_, "DICOM, 16-bit TIFF or PGM, or raw with --width and --height")
      ->required();
  mtf_->add_option("--roi", mtf_roi_, "region to analyse, in pixels from the top left; default: the whole image")
      ->type_name("X,Y,W,H");
  AddCommonOptions(mtf_, common_mtf_);
  AddGammaOption(mtf_, mtf_gamma_);
  mtf_->footer("Exit status: 0 done; 2 bad options, or an image that cannot be read or holds no usable edge.");

  nnps_ = app.add_subcommand(
      "nnps", "Measure the noise power spectrum of flat-field images (256 x 256 squares overlapping by half, a "
              "second-order background removed); print W(u) on the DQE page's scale as a MemoWS table, whose "
              "first row, at 0 cycles/mm, repeats the next (\"DQE(u)\" skips it).");
  nnps_->add_option("FLAT_IMAGE", flat_files_, "flat fields of one size; DICOM, 16-bit TIFF, PGM or raw")->required();
  nnps_->add_option("--roi", nnps_roi_, "region of every image to analyse, at least 256 x 256; default: all")
      ->type_name("X,Y,W,H");
  AddCommonOptions(nnps_, common_nnps_);
  AddGammaOption(nnps_, nnps_gamma_);
  nnps_->add_option("--axis", axis_,
                    "lines next to the horizontal frequency axis (along the rows), the vertical one, or both")
      ->check(CLI::IsMember({"both", "horizontal", "vertical"}))
      ->capture_default_str();
  nnps_->add_flag("--unscaled", unscaled_, "print NNPS(u) in mm^2 as measured (log data: the NPS of the values)");
  nnps_->footer("Exit status: 0 done; 2 bad options, or images that cannot be read or used.");

  dqe_->add_option("--edge", dqe_edge_, "measure MemoMTF from this edge image first (as mtf does)")
      ->type_name("IMAGE");
  dqe_->add_option("--flat", dqe_flat_files_,
                   "measure MemoWS from these flat fields first (as nnps does, on the lines next to the frequency "
                   "axis across the --edge, or both axes without one)")
      ->type_name("IMAGE...");
  dqe_->add_option("--edge-roi", edge_roi_, "region of the edge image to analyse")->type_name("X,Y,W,H");
  dqe_->add_option("--flat-roi", flat_roi_, "region of the flat fields to analyse")->type_name("X,Y,W,H");
  AddCommonOptions(dqe_, common_dqe_);
}

bool MeasureCommands::parsed() const { return mtf_->parsed() || nnps_->parsed(); }

Outcome MeasureCommands::Run() const {
  const char* command = mtf_->parsed() ? "mtf" : "nnps";
  try {
    if (mtf_->parsed()) {
      const Given g = Interpret(common_mtf_, "--gamma", mtf_gamma_);
      const MtfResult r = MeasureEdge(edge_file_, g, RegionOption("--roi", mtf_roi_));
      return Outcome{kExitOk, JoinLines(MtfTableLines(r)), {}};
    }
    const Given g = Interpret(common_nnps_, "--gamma", nnps_gamma_);
    const NnpsAxis axis = axis_ == "horizontal" ? NnpsAxis::kHorizontal
                          : axis_ == "vertical" ? NnpsAxis::kVertical
                                                : NnpsAxis::kBoth;
    const NnpsResult r = MeasureFlats(flat_files_, g, RegionOption("--roi", nnps_roi_), axis);
    return Outcome{kExitOk, JoinLines(WienerTableLines(r, unscaled_ ? WienerScale::kNnps : WienerScale::kDqePage)), {}};
  } catch (const BadInput& e) {
    return Failed(command, e.what());
  } catch (const MeasureError& e) {
    return Failed(command, MessageOf(e));
  }
}

void MeasureCommands::AddDqeTables(const std::string& gamma_text, std::vector<MemoPaste>& tables) const {
  if (!dqe_->parsed()) return;
  if (edge_roi_ && !dqe_edge_) throw BadInput("--edge-roi needs --edge");
  if (flat_roi_ && dqe_flat_files_.empty()) throw BadInput("--flat-roi needs --flat");
  if (!dqe_edge_ && dqe_flat_files_.empty()) {
    if (common_dqe_.pitch || common_dqe_.dark_offset || common_dqe_.width || common_dqe_.height ||
        common_dqe_.offset || common_dqe_.response != "linear") {
      throw BadInput("the image options (--pitch, --response, --dark-offset, --width, --height, --offset) need "
                     "--edge or --flat");
    }
    return;
  }
  for (const MemoPaste& t : tables) {
    if (t.memo == Memo::MemoMTF && dqe_edge_) throw BadInput("--edge and --table MemoMTF=... both give MemoMTF");
    if (t.memo == Memo::MemoWS && !dqe_flat_files_.empty()) {
      throw BadInput("--flat and --table MemoWS=... both give MemoWS");
    }
  }
  const Given g = Interpret(common_dqe_, "--gamma", gamma_text);
  std::optional<MtfResult> mtf;
  if (dqe_edge_) {
    try {
      mtf = MeasureEdge(*dqe_edge_, g, RegionOption("--edge-roi", edge_roi_));
    } catch (const MeasureError& e) {
      throw BadInput("--edge: " + MessageOf(e));
    }
  }
  std::optional<NnpsResult> nnps;
  if (!dqe_flat_files_.empty()) {
    // The noise along the direction the MTF was measured in.
    const NnpsAxis axis = !mtf ? NnpsAxis::kBoth : mtf->edge.along_columns ? NnpsAxis::kHorizontal
                                                                            : NnpsAxis::kVertical;
    try {
      nnps = MeasureFlats(dqe_flat_files_, g, RegionOption("--flat-roi", flat_roi_), axis);
    } catch (const MeasureError& e) {
      throw BadInput("--flat: " + MessageOf(e));
    }
  }
  if (mtf && nnps && !(nnps->frequency.back() < mtf->frequency.back())) {
    throw BadInput("the flat fields' spectrum reaches " + NumberText(nnps->frequency.back()) +
                   " cycles/mm, beyond the edge's MTF table (" + NumberText(mtf->frequency.back()) +
                   " cycles/mm): their pixels are smaller than the edge image's");
  }
  if (mtf) tables.push_back(MemoPaste{Memo::MemoMTF, JoinLines(MtfTableLines(*mtf))});
  if (nnps) tables.push_back(MemoPaste{Memo::MemoWS, JoinLines(WienerTableLines(*nnps))});
}

std::string MeasureCommands::Usage(const CLI::App* sub) {
  const std::string name = sub ? sub->get_name() : "";
  if (name == "mtf") return kMtfUsage;
  if (name == "nnps") return kNnpsUsage;
  return "";
}

}  // namespace xray::cli
