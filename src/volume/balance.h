#pragma once
// The mass balance: the reference height at which one horizon's volume is
// zero, found by repeated computation runs.
#include <functional>

#include "volume/number_field.h"
#include "volume/run_state.h"

namespace zelmaro {

// Both drive the reference-height field: every value change it raises runs a
// computation through the field's OnChangeValue; click_run is a click of
// "Massen berechnen". The found height stays in the field.
void SpeedButton1Click(RunState& ws, NumberFieldModel& field,
                       const std::function<void()>& click_run);  // reference horizon
void SpeedButton2Click(RunState& ws, NumberFieldModel& field,
                       const std::function<void()>& click_run);  // terrain

}  // namespace zelmaro
