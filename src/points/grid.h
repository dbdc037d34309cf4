#pragma once
// The point grid as text: the cells the page "Punktliste" shows for the
// table, and the table read back from edited cells. The window only moves
// these texts in and out of its widget.
#include <array>
#include <string>
#include <vector>

#include "points/point_table.h"

namespace zelmaro {

// Columns: ID (the slot in P, shown only), NR, Y, X, Z, Code.
using GridRow = std::array<std::string, 6>;
using GridRows = std::vector<GridRow>;

const GridRow& GridHeader();

// The cells of point i of the table.
GridRow GridCells(const PointTable& P, int i);

// Reads the data rows back into P: NR, Y, X, Z and Code of each row in grid
// order, each cell trimmed of blanks and control characters; Code keeps its
// low 8 bits. The ID column is not read. A cell that is no number of its
// kind, an empty one included, throws EConvertError naming its row (counted
// from 1), its column and the trimmed text, and leaves P as it was.
void UpdatePunkte(const GridRows& rows, PointTable& P);

constexpr int kGridDefaultColumnWidth = 50;

// A column's width after filling, from the widest text in it (header
// included): a column narrower than its texts is widened to them plus 5
// pixels, any other keeps the width it has.
inline int GridColumnWidth(int present_width, int widest_text) {
  return widest_text > kGridDefaultColumnWidth ? widest_text + 5 : present_width;
}

}  // namespace zelmaro
