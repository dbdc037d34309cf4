#include "volume/balance.h"

#include <cmath>
#include <limits>

#include "text/errors.h"
#include "text/format.h"

namespace zelmaro {

namespace {
using ext = long double;

// One correction suffices in exact arithmetic; the bound only stops a search
// that cannot reach the balance height (limits of the field) or that rounding
// keeps just above the threshold.
#ifdef ZELMARO_FUZZ_CAPACITIES
constexpr int kMaxPasses = 4;  // the fuzz build wants a short balance per input
#else
constexpr int kMaxPasses = 50;
#endif
constexpr double kThreshold = 0.001;

struct Balanced {
  const char* no_triangles;  // the horizon, as the message names it
  double RunState::*volume;
  double RunState::*area;
  bool correct_before_test;
};

const Balanced kReference{"Der Bezugshorizont", &RunState::m0, &RunState::sumA0, true};
const Balanced kTerrainBalance{"Das Gelände", &RunState::m1, &RunState::SumA1, false};

void Balance(RunState& ws, NumberFieldModel& field, const std::function<void()>& click_run,
             const Balanced& b) {
  if (ws.P.empty()) return;  // no point file read yet
  double H0 = static_cast<double>((ext(ws.bounds.MinZ) + ws.bounds.MaxZ) / 2);
  // A pass that ends where the one before it ended would be repeated to the
  // letter by every further pass (the field's limits hold the height, or the
  // correction no longer moves it): the search stops there.
  double last_value = std::numeric_limits<double>::quiet_NaN();
  double last_next = last_value;
  for (int pass = 1;; ++pass) {
    field.SetValue(H0);
    click_run();
    const double volume = ws.*b.volume;
    const double area = ws.*b.area;
    if (area == 0)
      throw ELimitError(std::string(b.no_triangles) +
                        " hat keine Dreiecke (Fläche 0 m2): ein Massenausgleich ist nicht "
                        "möglich.");
    H0 = static_cast<double>(ext(volume) / area + field.Value());
    if (!std::isfinite(H0)) throw EOverflow();  // a vanishing area
    if (b.correct_before_test) field.SetValue(H0);
    const double residual = ws.*b.volume;
    if (std::fabs(residual) < kThreshold) return;
    // The field holds six decimals, so that the height it shows is the one
    // computed with; a correction that would not move them leaves the
    // residual the closest one a written height can give (area x 0.5e-6 m).
    if (RoundHeight(H0) == field.Value()) return;
    const bool stuck = field.Value() == last_value && H0 == last_next;
    if (pass == kMaxPasses || stuck)
      throw ELimitError(Format(
          "Massenausgleich nach %d Durchgängen abgebrochen: Restmasse %.3f m3 bei "
          "Bezugshöhe %s m.",
          pass, residual, HeightText(field.Value()).c_str()));
    last_value = field.Value();
    last_next = H0;
  }
}
}  // namespace

void SpeedButton1Click(RunState& ws, NumberFieldModel& field,
                       const std::function<void()>& click_run) {
  Balance(ws, field, click_run, kReference);
}

void SpeedButton2Click(RunState& ws, NumberFieldModel& field,
                       const std::function<void()>& click_run) {
  Balance(ws, field, click_run, kTerrainBalance);
}

}  // namespace zelmaro
