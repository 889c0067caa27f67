#include "form/form.h"

#include <exception>
#include <functional>
#include <new>

#include "detector/neq_dqe.h"
#include "exposure/calibration.h"
#include "numeric/calc_error.h"
#include "numeric/messages.h"
#include "spectrum/synthesis.h"
#include "tables/start_up_plots.h"

namespace xray {

namespace {

std::optional<std::string> RunEvent(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const CalcError& e) {
    return BoxText(e.message());
  } catch (const std::bad_alloc&) {
    return BoxText(msg::kOutOfMemory);
  } catch (const std::exception& e) {
    return BoxText(e.what());
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> Form::Create() {
  return RunEvent([this] { FormCreate(window); });
}

std::optional<std::string> Form::Press(Button b) {
  switch (b) {
    case Button::ButtonSpectl: return RunEvent([this] { ButtonSpectlClick(context()); });
    case Button::ButtonAdded: return RunEvent([this] { ButtonAddedClick(context()); });
    case Button::ButtonCalDQE: return RunEvent([this] { ButtonCalDQEClick(context()); });
  }
  return std::nullopt;
}

void Form::PressAddedWithin() { ButtonAddedClick(context()); }

}  // namespace xray
