#include "points/grid.h"

#include "text/convert.h"
#include "text/errors.h"
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
  size_t line = 0;
  // A survey has thousands of rows: the report names the cell.
  auto cell = [&](const GridRow& row, size_t j, auto convert) {
    try {
      return convert(Trim(row[j]));
    } catch (const EConvertError& e) {
      throw EConvertError(Format("Zeile %zu, Spalte %s: ", line, GridHeader()[j].c_str()) + e.what());
    }
  };
  auto integer = [](std::string_view t) { return StrToInt(t); };
  auto real = [](std::string_view t) { return StrToFloat(t); };
  for (const GridRow& row : rows) {
    ++line;
    TPunkt& p = fresh.emplace_back();
    p.NR = cell(row, 1, integer);
    p.Y = cell(row, 2, real);
    p.X = cell(row, 3, real);
    p.Z = cell(row, 4, real);
    p.Code = CodeFromInt(cell(row, 5, integer));
  }
  P = std::move(fresh);
}

}  // namespace zelmaro
