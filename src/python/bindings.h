// What the two halves of the extension share: the window's runs (module.cpp)
// and the detector measurement from images (measure.cpp).
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <vector>

namespace xray::python {

// A new NumPy array holding a copy of the values.
pybind11::array_t<double> Array(const std::vector<double>& values);

// Defines mtf_from_edge and nnps_from_flats; their MeasureErrors are raised
// as CalculationError.
void DefineMeasure(pybind11::module_& m);

}  // namespace xray::python
