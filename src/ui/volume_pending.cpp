// Stand-in for the computation run and the mass balance until they land on
// main; removed with that merge.
#include "text/errors.h"
#include "volume/balance.h"
#include "volume/run.h"

namespace zelmaro {

void ToolButton1Click(Workspace&, RunHost&) {
  throw ELimitError("Die Massenberechnung ist in diesem Stand noch nicht enthalten");
}
void SpeedButton1Click(Workspace&, NumberFieldModel&, const std::function<void()>&) {
  throw ELimitError("Der Massenausgleich ist in diesem Stand noch nicht enthalten");
}
void SpeedButton2Click(Workspace&, NumberFieldModel&, const std::function<void()>&) {
  throw ELimitError("Der Massenausgleich ist in diesem Stand noch nicht enthalten");
}

}  // namespace zelmaro
