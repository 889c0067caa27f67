// What a click handler works on, handed to it by whoever dispatches the press.
#pragma once

#include "spectrum/spectrum_store.h"
#include "tables/table_reader.h"
#include "window/window_services.h"

namespace xray {

// The window the handler reads and writes, the reader of its reference tables
// (with its cache), the spectrum store shared by "Spectl" and "Added", and
// whether the speed-ups are on (results are identical either way).
struct CalcContext {
  WindowServices& window;
  TableReader& tables;
  SpectrumStore& store;
  bool fast;
};

}  // namespace xray
