// The state behind one main window and the entry points of its four handlers.
//
// A window (Qt or headless) owns one Form: the spectrum store, the table reader
// with its cache, and the switch for the speed-ups. The window calls the
// handlers through Press()/Create(), which stop an error at the event-loop
// boundary and hand back the text of its error box.
#pragma once

#include <optional>
#include <string>

#include "spectrum/calc_context.h"
#include "spectrum/spectrum_store.h"
#include "tables/table_reader.h"
#include "window/controls.h"
#include "window/window_services.h"

namespace xray {

struct Form {
  explicit Form(WindowServices& w) : window(w), tables(w) {}

  // Switches every speed-up on or off: the table cache, the reuse of terms
  // that depend on the electron energy alone, and formatting only the
  // electron-step listing that is still on the clipboard when the handler ends.
  // Results are identical either way; off is the plain reading of the model.
  void SetSpeedups(bool on) {
    fast = on;
    tables.set_caching(on);
  }

  // Runs FormCreate or a button's click handler as the window's event loop
  // does: an error ends the handler and is returned as the text of its box.
  std::optional<std::string> Create();
  std::optional<std::string> Press(Button b);

  // Runs ButtonAddedClick from inside a running handler ("Spectl" presses
  // "Added" before it goes on): its errors propagate to that handler.
  void PressAddedWithin();

  // What the handlers work on: this window's services, tables and store.
  CalcContext context() { return {window, tables, store, fast}; }

  WindowServices& window;
  SpectrumStore store;
  TableReader tables;
  bool fast = true;
};

}  // namespace xray
