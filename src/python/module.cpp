// xraycalc._xraycalc: the window's runs for Python. The public API, with its
// argument checks and result objects, is the pure-Python layer in
// xraycalc/__init__.py; this extension takes texts (field and table names,
// the texts typed into fields and pasted over tables) and hands back plain
// numbers and NumPy arrays. The core runs with the GIL released: each call has
// its own headless window, so calls on several threads share nothing.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "form/beam_summary.h"
#include "form/runs.h"
#include "form/session.h"
#include "measure/measure_error.h"
#include "numeric/calc_error.h"
#include "numeric/fp_errors.h"
#include "python/bindings.h"
#include "tables/builtin_tables.h"
#include "tables/reference_table.h"
#include "window/controls.h"

namespace py = pybind11;
using namespace xray;

py::array_t<double> python::Array(const std::vector<double>& values) {
  py::array_t<double> a(static_cast<py::ssize_t>(values.size()));
  std::copy(values.begin(), values.end(), a.mutable_data());
  return a;
}

namespace {

using python::Array;

// (control name, text) pairs as the Python layer passes them.
using NamedTexts = std::vector<std::pair<std::string, std::string>>;

// The error boxes of a run: it ended as the window's would have.
class WindowError {
 public:
  explicit WindowError(std::string text) : text_(std::move(text)) {}
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

// xraycalc.CalculationError. Owned by the module; this reference is never
// released, so that nothing touches it after the interpreter has shut down.
PyObject* g_calculation_error = nullptr;

std::string TableNames() {
  std::string names;
  for (Memo m : kReferenceTables) names += (names.empty() ? "" : ", ") + std::string(Name(m));
  return names;
}

Memo ReferenceTable(const std::string& argument, const std::string& name) {
  const std::optional<Memo> memo = MemoNamed(name);
  for (Memo m : kReferenceTables) {
    if (memo == m) return m;
  }
  throw py::value_error(argument + ": '" + name + "' is not a reference table (one of " + TableNames() + ")");
}

std::vector<MemoPaste> Tables(const NamedTexts& tables) {
  std::vector<MemoPaste> pastes;
  for (const auto& [name, text] : tables) pastes.push_back({ReferenceTable("tables", name), text});
  return pastes;
}

std::vector<FieldEntry> Fields(const NamedTexts& fields) {
  std::vector<FieldEntry> entries;
  for (const auto& [name, text] : fields) {
    const std::optional<Field> f = FieldNamed(name);
    if (!f) throw py::value_error("'" + name + "' is not an edit field of the window");
    entries.push_back({*f, text});
  }
  return entries;
}

// The error boxes of a run, one per line, exactly as the window shows them.
[[noreturn]] void RaiseBoxes(const std::vector<std::string>& boxes) {
  std::string text;
  for (const std::string& box : boxes) text += (text.empty() ? "" : "\n") + box;
  throw WindowError(text);
}

py::dict Spectrum(const NamedTexts& fields, const NamedTexts& tables, bool with_arrays) {
  const std::vector<MemoPaste> pastes = Tables(tables);
  const std::vector<FieldEntry> entries = Fields(fields);
  SpectrumReport r;
  {
    py::gil_scoped_release unlocked;
    r = RunSpectrumReport(pastes, entries);
  }
  if (!r.errors.empty()) RaiseBoxes(r.errors);
  py::dict d;
  d["fluence_per_mm2"] = r.summary.fluence_per_mm2;
  d["fluence_per_uGy"] = r.summary.fluence_per_air_kerma;
  d["mean_energy_keV"] = r.summary.quality.mean_energy_keV;
  d["hvl1_mm_al"] = r.summary.quality.hvl1_mm;
  d["hvl2_mm_al"] = r.summary.quality.hvl2_mm;
  if (with_arrays) {
    d["energy_keV"] = Array(r.energy_keV);
    d["inherent_percent"] = Array(r.inherent_percent);
    d["photons_per_mm2"] = Array(r.photons_per_mm2);
  }
  return d;
}

py::dict Dqe(const NamedTexts& fields, const NamedTexts& tables, bool spectrum_first) {
  const std::vector<MemoPaste> pastes = Tables(tables);
  const std::vector<FieldEntry> entries = Fields(fields);
  DqeReport r;
  {
    py::gil_scoped_release unlocked;
    r = RunDqeReport(pastes, entries, spectrum_first);
  }
  if (!r.errors.empty()) RaiseBoxes(r.errors);
  py::dict d;
  d["frequency_per_mm"] = Array(r.frequency_per_mm);
  d["neq_per_mm2"] = Array(r.neq_per_mm2);
  d["dqe_percent"] = Array(r.dqe_percent);
  return d;
}

std::string Session(const std::string& steps_json, const NamedTexts& tables) {
  const std::vector<MemoPaste> pastes = Tables(tables);
  std::string state;
  std::optional<std::string> bad_steps;
  {
    py::gil_scoped_release unlocked;
    try {
      state = RunSessionJson(steps_json, pastes);
    } catch (const SessionInputError& e) {
      bad_steps = e.what();
    }
  }
  if (bad_steps) throw py::value_error("steps: " + *bad_steps);
  return state;
}

// The caption and the two columns of a built-in table, read as the window
// reads it: data rows from line 1 up to the first empty line.
py::tuple BuiltinTable(const std::string& name) {
  const std::vector<std::string>& lines = BuiltinLines(ReferenceTable("name", name));
  std::vector<double> x, y;
  fp::Clear();
  for (std::size_t k = 1; k < lines.size() && !lines[k].empty(); ++k) {
    const Row row = SplitRow(lines[k]);
    x.push_back(row.x);
    y.push_back(row.y);
  }
  return py::make_tuple(lines.empty() ? std::string() : lines.front(), Array(x), Array(y));
}

// The standard beams the window can compute: (name, kV text, added mm Al text).
py::list StandardBeams() {
  py::list beams;
  for (const StandardBeam& b : kStandardBeams) {
    if (b.unavailable.empty()) {
      beams.append(py::make_tuple(std::string(b.name), std::string(b.kv_text), std::string(b.added_text)));
    }
  }
  return beams;
}

}  // namespace

PYBIND11_MODULE(_xraycalc, m) {
  m.doc() = "The xraycalc core for the xraycalc package; use the functions of xraycalc itself.";
  m.attr("__version__") = XRAYCALC_VERSION;

  g_calculation_error = PyErr_NewExceptionWithDoc(
      "xraycalc.CalculationError",
      "A calculation ended with an error box of the window; the message is the box's text.", PyExc_Exception,
      nullptr);
  if (!g_calculation_error) throw py::error_already_set();
  m.attr("CalculationError") = py::reinterpret_borrow<py::object>(g_calculation_error);
  py::register_exception_translator([](std::exception_ptr p) {
    std::string text;
    try {
      if (p) std::rethrow_exception(p);
      return;
    } catch (const WindowError& e) {
      text = e.text();
    } catch (const measure::MeasureError& e) {
      text = e.what();
    }
    // A message may quote bytes of a clipped line that are not UTF-8 on their own.
    py::object message = py::reinterpret_steal<py::object>(
        PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "replace"));
    if (message) PyErr_SetObject(g_calculation_error, message.ptr());  // else the decoding error stays set
  });

  py::tuple tables(kReferenceTables.size());
  for (std::size_t k = 0; k < kReferenceTables.size(); ++k) tables[k] = std::string(Name(kReferenceTables[k]));
  m.attr("REFERENCE_TABLES") = tables;

  m.def("spectrum", &Spectrum, py::arg("fields"), py::arg("tables"), py::arg("with_arrays") = true,
        "\"Spectl\" with the given field texts and tables; the beam summary and, with_arrays, the spectrum.");
  m.def("dqe", &Dqe, py::arg("fields"), py::arg("tables"), py::arg("spectrum_first"),
        "\"DQE(u)\", after \"Spectl\" when spectrum_first; the rows of the result boxes.");
  m.def("session", &Session, py::arg("steps_json"), py::arg("tables"),
        "The steps played on a new window; its whole state as JSON text.");
  m.def("builtin_table", &BuiltinTable, py::arg("name"), "(caption, x, y) of a built-in reference table.");
  m.def("standard_beams", &StandardBeams, "(name, kV, added mm Al) of the standard beams the window can compute.");
  python::DefineMeasure(m);
}
