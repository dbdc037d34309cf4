#include "points/grid.h"

#include "text/convert.h"
#include "text/format.h"

namespace zelmaro {

const GridRow& GridHeader() {
  static const GridRow header = {"ID", "NR", "Y", "X", "Z", "Code"};
  return header;
}

GridRow GridCells(const PointTable& P, int i) {
  const TPunkt& p = P[static_cast<size_t>(i)];
  return {Format("%d", i),      Format("%d", p.NR),    Format("%10.3f", p.Y),
          Format("%10.3f", p.X), Format("%10.3f", p.Z), Format("%d", static_cast<int>(p.Code))};
}

void UpdatePunkte(const GridRows& rows, PointTable& P) {
  // Built aside and taken over whole: a cell that fails must not leave the
  // plot and the next filling of the grid with a table cut off at that row.
  PointTable fresh;
  fresh.reserve(rows.size() + 1);
  ResetToSlotZero(fresh);
  for (const GridRow& row : rows) {
    TPunkt& p = fresh.emplace_back();
    p.NR = StrToInt(Trim(row[1]));
    p.Y = StrToFloat(Trim(row[2]));
    p.X = StrToFloat(Trim(row[3]));
    p.Z = StrToFloat(Trim(row[4]));
    p.Code = CodeFromInt(StrToInt(Trim(row[5])));
  }
  P = std::move(fresh);
}

}  // namespace zelmaro
