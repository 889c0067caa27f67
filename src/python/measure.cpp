// The detector measured from images held as NumPy arrays: the presampled MTF
// of an edge and the noise power spectrum of flat fields, by the measurement
// library the window's detector page uses. Each array is copied into the
// library's image (as doubles) with the GIL held, one flat field at a time;
// the analysis runs without it.
#include <pybind11/stl.h>

#include <climits>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "measure/edge_mtf.h"
#include "measure/measure_text.h"
#include "measure/nnps.h"
#include "python/bindings.h"

namespace py = pybind11;

namespace xray::python {

namespace {

using measure::Image;
using measure::Region;
using measure::Response;
// Pixels as the Python layer hands them over: C-ordered doubles, rows first.
using Pixels = py::array_t<double, py::array::c_style | py::array::forcecast>;
// (x, y, width, height) in pixels.
using RegionTuple = std::tuple<int, int, int, int>;

Image ImageFrom(const Pixels& pixels, const std::string& name) {
  if (pixels.ndim() != 2) throw py::value_error(name + ": expected a two-dimensional array of pixel values");
  if (pixels.shape(0) > INT_MAX || pixels.shape(1) > INT_MAX) throw py::value_error(name + ": too many pixels");
  Image image;
  image.height = static_cast<int>(pixels.shape(0));
  image.width = static_cast<int>(pixels.shape(1));
  image.pixels.assign(pixels.data(), pixels.data() + pixels.size());
  image.name = name;
  return image;
}

// The options both measurements share: region, response and pitch.
template <class Options>
Options CommonOptions(double pixel_mm, const std::optional<RegionTuple>& region, bool logarithmic,
                      double dark_offset, double gamma) {
  Options options;
  if (region) {
    const auto [x, y, width, height] = *region;
    options.region = Region{x, y, width, height};
  }
  options.response.kind = logarithmic ? Response::Kind::kLogarithmic : Response::Kind::kLinear;
  options.response.dark_offset = dark_offset;
  options.response.gamma = gamma;
  options.pitch_mm = pixel_mm;
  return options;
}

py::dict MtfFromEdge(const Pixels& pixels, double pixel_mm, const std::optional<RegionTuple>& region,
                     bool logarithmic, double dark_offset, double gamma) {
  const Image image = ImageFrom(pixels, "image");
  const auto options =
      CommonOptions<measure::MtfOptions>(pixel_mm, region, logarithmic, dark_offset, gamma);
  measure::MtfResult r;
  std::string table;
  {
    py::gil_scoped_release unlocked;
    r = measure::MeasureMtf(image, options);
    table = measure::JoinLines(measure::MtfTableLines(r));
  }
  py::dict d;
  d["frequency_per_mm"] = Array(r.frequency);
  d["mtf"] = Array(r.mtf);
  d["esf"] = Array(r.esf);
  d["lsf"] = Array(r.lsf);
  d["pitch_mm"] = r.pitch_mm;
  d["nyquist_per_mm"] = r.nyquist;
  d["along_columns"] = r.edge.along_columns;
  d["tilt_deg"] = r.edge.tilt_deg;
  d["edge_ends"] = py::make_tuple(py::make_tuple(r.edge.x0, r.edge.y0), py::make_tuple(r.edge.x1, r.edge.y1));
  d["edge_lines"] = r.edge.lines;
  d["edge_scatter_px"] = r.edge.scatter_px;
  d["table_text"] = table;
  return d;
}

py::dict NnpsFromFlats(const py::sequence& flats, double pixel_mm, const std::optional<RegionTuple>& region,
                       bool logarithmic, double dark_offset, double gamma, const std::string& axis) {
  auto options = CommonOptions<measure::NnpsOptions>(pixel_mm, region, logarithmic, dark_offset, gamma);
  if (axis == "both") {
    options.axis = measure::NnpsAxis::kBoth;
  } else if (axis == "horizontal") {
    options.axis = measure::NnpsAxis::kHorizontal;
  } else if (axis == "vertical") {
    options.axis = measure::NnpsAxis::kVertical;
  } else {
    throw py::value_error("axis: expected 'both', 'horizontal' or 'vertical', not '" + axis + "'");
  }
  // One image in memory at a time besides the caller's arrays.
  measure::NnpsAccumulator accumulator(options);
  for (std::size_t k = 0; k < flats.size(); ++k) {
    const Image flat = ImageFrom(py::cast<Pixels>(flats[k]), "images[" + std::to_string(k) + "]");
    py::gil_scoped_release unlocked;
    accumulator.Add(flat);
  }
  measure::NnpsResult r;
  std::string table;
  {
    py::gil_scoped_release unlocked;
    r = accumulator.Result();
    table = measure::JoinLines(measure::WienerTableLines(r));
  }
  py::dict d;
  d["frequency_per_mm"] = Array(r.frequency);
  d["nnps"] = Array(r.nnps);
  d["wiener"] = Array(r.wiener);
  d["means"] = Array(r.means);
  d["images"] = r.images;
  d["squares"] = r.squares;
  d["pitch_mm"] = r.pitch_mm;
  d["table_text"] = table;
  return d;
}

}  // namespace

void DefineMeasure(py::module_& m) {
  m.def("mtf_from_edge", &MtfFromEdge, py::arg("image"), py::arg("pixel_mm"), py::arg("region"),
        py::arg("logarithmic"), py::arg("dark_offset"), py::arg("gamma"),
        "The presampled MTF of the edge in a 2-D array of pixel values.");
  m.def("nnps_from_flats", &NnpsFromFlats, py::arg("images"), py::arg("pixel_mm"), py::arg("region"),
        py::arg("logarithmic"), py::arg("dark_offset"), py::arg("gamma"), py::arg("axis"),
        "The noise power spectrum of flat fields, each a 2-D array of pixel values.");
}

}  // namespace xray::python
