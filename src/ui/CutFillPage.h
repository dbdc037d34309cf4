#pragma once
// The page "Auf- und Abtrag": the cut and fill of the last run in one table.
#include <QString>

#include "volume/cut_fill.h"

class QTableWidget;
class QWidget;

namespace zelmaro::ui {

// Rows: the horizon figures with one column per horizon, then a heading row
// and the figures between the horizons in the first value column.
QTableWidget* CreateCutFillTable(QWidget* parent);

// Fills the value cells, m² and m³ with two decimals; without a finished
// run every value cell is empty.
void FillCutFillTable(QTableWidget* table, const CutFill& c);

// "Bezugshöhe 283.773 m", or what stands there before the first run.
QString CutFillCaption(const CutFill& c);

}  // namespace zelmaro::ui
