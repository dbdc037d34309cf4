#include <gtest/gtest.h>

#include <string>

#include "points/grid.h"
#include "points/point_table.h"
#include "text/errors.h"

namespace zelmaro {
namespace {

GridRow Row(std::string nr, std::string y, std::string x, std::string z, std::string code) {
  return {"", std::move(nr), std::move(y), std::move(x), std::move(z), std::move(code)};
}

// The message of the conversion error UpdatePunkte ends with, empty if none.
std::string Failure(const GridRows& rows, PointTable& P) {
  try {
    UpdatePunkte(rows, P);
  } catch (const EConvertError& e) {
    return e.what();
  }
  return "";
}

TEST(GridCells, TextsOfAPoint) {
  PointTable P(3);
  P[1] = {64, 5656820.914, 3486946.169, 286.684, 9};
  P[2] = {-7, 12.5, -0.0004, 12.3456, -1};
  EXPECT_EQ(GridHeader(), (GridRow{"ID", "NR", "Y", "X", "Z", "Code"}));
  EXPECT_EQ(GridCells(P, 1), (GridRow{"1", "64", "3486946.169", "5656820.914", "   286.684", "9"}));
  EXPECT_EQ(GridCells(P, 2), (GridRow{"2", "-7", "    -0.000", "    12.500", "    12.346", "-1"}));
}

TEST(UpdatePunkte, ReadsTheRowsInGridOrderAndIgnoresTheIdColumn) {
  PointTable P(5);  // replaced whole
  GridRows rows = {Row("64", "3486946.169", "5656820.914", "   286.684", "9"),
                   Row(" \t-3\r\n", "1e3", ".5", "-2.", "  255 "),
                   Row("$FF", "+1.25E-2", "0", "0", "257")};
  rows[1][0] = "not a number";  // the ID column is shown only
  ASSERT_EQ(Failure(rows, P), "");
  ASSERT_EQ(P.size(), 4u);
  EXPECT_EQ(P[0].NR, 0);
  EXPECT_EQ(P[1].NR, 64);
  EXPECT_EQ(P[1].Y, 3486946.169);
  EXPECT_EQ(P[1].X, 5656820.914);
  EXPECT_EQ(P[1].Z, 286.684);
  EXPECT_EQ(P[1].Code, 9);
  EXPECT_EQ(P[2].NR, -3);
  EXPECT_EQ(P[2].Y, 1000.0);
  EXPECT_EQ(P[2].X, 0.5);
  EXPECT_EQ(P[2].Z, -2.0);
  EXPECT_EQ(P[2].Code, -1);
  EXPECT_EQ(P[3].NR, 255);
  EXPECT_EQ(P[3].Y, 0.0125);
  EXPECT_EQ(P[3].Code, 1);

  // The texts of a filled grid read back as the table they came from.
  PointTable again;
  GridRows shown;
  for (int i = 1; i <= High(P); ++i) shown.push_back(GridCells(P, i));
  ASSERT_EQ(Failure(shown, again), "");
  ASSERT_EQ(again.size(), P.size());
  for (size_t i = 1; i < P.size(); ++i) {
    EXPECT_EQ(again[i].NR, P[i].NR);
    EXPECT_EQ(again[i].Code, P[i].Code);
    EXPECT_EQ(again[i].X, P[i].X);
  }

  EXPECT_EQ(Failure({}, P), "");
  EXPECT_EQ(P.size(), 1u);  // a grid without rows leaves slot 0 alone
}

TEST(UpdatePunkte, ACellThatIsNoNumberNamesItsRowColumnAndTrimmedText) {
  PointTable P;
  EXPECT_EQ(Failure({Row("1", "2", "3", "12,5", "0")}, P), "Zeile 1, Spalte Z: '12,5' ist kein gültiger Gleitkommawert");
  EXPECT_EQ(Failure({Row("", "2", "3", "4", "0")}, P), "Zeile 1, Spalte NR: '' ist kein gültiger Integerwert");
  EXPECT_EQ(Failure({Row("  \t ", "2", "3", "4", "0")}, P), "Zeile 1, Spalte NR: '' ist kein gültiger Integerwert");
  EXPECT_EQ(Failure({Row("1", "2", "3", "4", " 1.0\t")}, P), "Zeile 1, Spalte Code: '1.0' ist kein gültiger Integerwert");
  EXPECT_EQ(Failure({Row("2147483648", "2", "3", "4", "0")}, P),
            "Zeile 1, Spalte NR: '2147483648' ist kein gültiger Integerwert");
  EXPECT_EQ(Failure({Row("1", " 1 000 ", "3", "4", "0")}, P),
            "Zeile 1, Spalte Y: '1 000' ist kein gültiger Gleitkommawert");
  EXPECT_EQ(Failure({Row("1", "inf", "3", "4", "0")}, P), "Zeile 1, Spalte Y: 'inf' ist kein gültiger Gleitkommawert");
  EXPECT_EQ(Failure({Row("1", "2", "1e999", "4", "0")}, P), "Zeile 1, Spalte X: '1e999' ist kein gültiger Gleitkommawert");
  EXPECT_EQ(Failure({Row("1", "2", "3", "4", "ä")}, P), "Zeile 1, Spalte Code: 'ä' ist kein gültiger Integerwert");
  // NR, Y, X, Z, Code: the first faulty cell in that order is the one reported.
  EXPECT_EQ(Failure({Row("1", "y", "x", "z", "c")}, P), "Zeile 1, Spalte Y: 'y' ist kein gültiger Gleitkommawert");
  EXPECT_EQ(Failure({Row("1", "2", "3", "z", "c")}, P), "Zeile 1, Spalte Z: 'z' ist kein gültiger Gleitkommawert");
  EXPECT_EQ(Failure({Row("1", "2", "3", "4", "c")}, P), "Zeile 1, Spalte Code: 'c' ist kein gültiger Integerwert");
  EXPECT_TRUE(P.empty());
}

TEST(UpdatePunkte, AFailureLeavesTheTableAsItWas) {
  PointTable P(3);
  P[1] = {11, 1, 2, 3, 0};
  P[2] = {12, 4, 5, 6, 1};
  const PointTable before = P;
  EXPECT_EQ(Failure({Row("1", "2", "3", "4", "0"), Row("5", "6", "7", "8", "0"),
                     Row("9", "10", "11", "12,5", "0"), Row("", "", "", "", "")},
                    P),
            "Zeile 3, Spalte Z: '12,5' ist kein gültiger Gleitkommawert");
  ASSERT_EQ(P.size(), before.size());
  for (size_t i = 0; i < P.size(); ++i) {
    EXPECT_EQ(P[i].NR, before[i].NR);
    EXPECT_EQ(P[i].Z, before[i].Z);
  }
  // A grid that was never filled: its first empty row fails, the table stays.
  P.clear();
  EXPECT_EQ(Failure(GridRows(4), P), "Zeile 1, Spalte NR: '' ist kein gültiger Integerwert");
  EXPECT_TRUE(P.empty());
}

TEST(GridColumnWidth, WidensOnlyColumnsNarrowerThanTheirTexts) {
  EXPECT_EQ(GridColumnWidth(50, 40), 50);
  EXPECT_EQ(GridColumnWidth(73, 40), 73);  // a width the user dragged stays
  EXPECT_EQ(GridColumnWidth(50, 50), 50);
  EXPECT_EQ(GridColumnWidth(50, 51), 56);
  EXPECT_EQ(GridColumnWidth(50, 80), 85);
  EXPECT_EQ(GridColumnWidth(120, 80), 85);  // widening may also narrow a dragged width
}

}  // namespace
}  // namespace zelmaro
