#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "mesh/contour_index.h"
#include "mesh/contour_reference.h"
#include "mesh/delaunay.h"
#include "text/errors.h"

namespace Delaunay {
namespace {

namespace ref = zelmaro::testing::contour_ref;

// A level list written as "sp,ep,mark" triples, mark one of A, E or -.
std::string Show(const std::vector<TLine>& list) {
  std::string s;
  for (const TLine& l : list) {
    if (!s.empty()) s += ' ';
    s += std::to_string(l.sp) + ',' + std::to_string(l.ep) + ',' +
         (l.AE == 0 ? '-' : static_cast<char>(l.AE));
  }
  return s;
}

std::string Flags(const TContourSetup& c) {
  std::string s;
  for (size_t i = 0; i < c.Points.size(); ++i)
    if (c.Points[i].ln == 1) s += std::to_string(i);
  return s;
}

// One mesh whose contour state holds the given levels of segments over
// `points` points; the fast chaining runs on the mesh, the plain one on a
// copy, and both must agree.
struct Chain {
  std::unique_ptr<TDelaunay> m = std::make_unique<TDelaunay>();
  TContourSetup reference;

  Chain(std::vector<std::vector<std::pair<int32_t, int32_t>>> levels, int points) {
    TContourSetup& c = m->Contour;
    c.Points.assign(static_cast<size_t>(points), TPunkt{0, 0, 0, 0});
    for (size_t i = 0; i < levels.size(); ++i) {
      c.Levels.push_back(static_cast<double>(i));
      c.Contours.emplace_back();
      for (auto [sp, ep] : levels[i]) c.Contours.back().push_back(TLine{sp, ep, 0});
    }
    c.NoLevels = static_cast<int32_t>(levels.size());
  }

  void Sort() {
    reference = m->Contour;
    m->SortContourLines();
    ref::SortContourLines(reference);
    EXPECT_EQ(ref::ContourDifference(m->Contour, reference), "");
  }
  std::string Level(size_t i) const { return Show(m->Contour.Contours[i]); }
};

TEST(ContourChain, WorkedExampleOpenAndClosedLines) {
  Chain c({{{0, 1}, {3, 4}, {6, 7}, {2, 3}, {7, 8}, {5, 4}, {8, 6}}}, 9);
  c.Sort();
  EXPECT_EQ(c.Level(0), "0,1,E 2,3,A 3,4,- 4,5,E 7,8,- 8,6,- 6,7,-");
  EXPECT_EQ(Flags(c.m->Contour), "0125");
}

TEST(ContourChain, WorkedExampleSkippedSegmentsStayWhereTheyAre) {
  Chain c({{{5, 4}, {6, 4}, {5, 6}, {2, 3}, {1, 0}, {1, 2}, {7, 8}}}, 9);
  c.Sort();
  EXPECT_EQ(c.Level(0), "3,2,A 2,1,- 1,0,E 5,4,- 6,4,- 7,8,E 5,6,-");
  EXPECT_EQ(Flags(c.m->Contour), "0378");
}

TEST(ContourChain, WorkedExampleWithoutMarksPositionZeroIsNoStart) {
  Chain c({{{5, 4}, {0, 2}, {0, 1}, {4, 3}, {2, 1}, {5, 3}}}, 6);
  c.Sort();
  EXPECT_EQ(c.Level(0), "5,4,- 0,2,- 2,1,- 1,0,- 4,3,- 3,5,-");
  EXPECT_EQ(Flags(c.m->Contour), "");
}

TEST(ContourChain, SmallCasesAtTheListEnds) {
  {  // empty levels stay empty; a closed line in chain order stays as it is
    Chain c({{}, {{0, 1}, {1, 2}, {2, 0}}, {}}, 3);
    c.Sort();
    EXPECT_EQ(c.Level(0), "");
    EXPECT_EQ(c.Level(1), "0,1,- 1,2,- 2,0,-");
    EXPECT_EQ(c.Level(2), "");
  }
  {  // a single open segment: "E" unless it stands last, where "A" stays
    Chain c({{{0, 1}, {2, 3}, {3, 4}, {4, 2}}, {{5, 6}}}, 7);
    c.Sort();
    EXPECT_EQ(c.Level(0), "0,1,E 2,3,- 3,4,- 4,2,-");
    EXPECT_EQ(c.Level(1), "5,6,A");
  }
  {  // an open line ending at the last position keeps "A" there
    Chain c({{{1, 2}, {0, 1}}}, 3);
    c.Sort();
    EXPECT_EQ(c.Level(0), "2,1,A 1,0,A");
    EXPECT_EQ(Flags(c.m->Contour), "02");
  }
  {  // a segment of one point, alone: open at both ends, a line of its own
    Chain c({{{3, 3}, {0, 1}, {1, 2}}}, 4);
    c.Sort();
    EXPECT_EQ(c.Level(0), "3,3,E 0,1,A 1,2,A");
    EXPECT_EQ(Flags(c.m->Contour), "023");
  }
}

TEST(ContourChain, FlagsAreSharedAcrossLevelsAndKeptAcrossCalls) {
  // Point 1 is an open end in level 0 only; the line 7-2-1-3-9 of level 1
  // runs through it but sees it flagged, and so ends its first run there.
  Chain c({{{0, 1}}, {{7, 2}, {2, 1}, {1, 3}, {3, 9}}}, 10);
  c.Sort();
  EXPECT_EQ(Flags(c.m->Contour), "0179");
  EXPECT_EQ(c.Level(1), "7,2,A 2,1,E 3,1,- 9,3,A");
  // A second call starts from what the first left, marks and flags included.
  c.Sort();
  c.Sort();
}

TEST(ContourChain, BadPointIndexesAreARangeError) {
  Chain c({{{0, 1}, {1, 5}}}, 3);
  EXPECT_THROW(c.m->SortContourLines(), zelmaro::ERangeError);
  EXPECT_EQ(c.Level(0), "0,1,- 1,5,-");
}

// Random level lists, also messy ones (points in three or more segments,
// segments of one point, repeated segments), against the plain chaining.
TEST(ContourChain, RandomListsMatchThePlainChaining) {
  std::mt19937 rng(20261209);
  for (int round = 0; round < 400; ++round) {
    const int points = 2 + static_cast<int>(rng() % 40);
    const int levels = 1 + static_cast<int>(rng() % 3);
    std::vector<std::vector<std::pair<int32_t, int32_t>>> lists(static_cast<size_t>(levels));
    for (auto& list : lists) {
      const int n = static_cast<int>(rng() % 30);
      if (rng() % 2) {  // chains through a shuffled point order, with breaks
        std::vector<int32_t> order(static_cast<size_t>(points));
        for (int i = 0; i < points; ++i) order[static_cast<size_t>(i)] = i;
        std::shuffle(order.begin(), order.end(), rng);
        for (int i = 0; i + 1 < points && static_cast<int>(list.size()) < n; ++i)
          if (rng() % 7) list.push_back({order[static_cast<size_t>(i)], order[static_cast<size_t>(i + 1)]});
        std::shuffle(list.begin(), list.end(), rng);
      } else {
        for (int i = 0; i < n; ++i)
          list.push_back({static_cast<int32_t>(rng() % static_cast<unsigned>(points)),
                          static_cast<int32_t>(rng() % static_cast<unsigned>(points))});
      }
    }
    SCOPED_TRACE(round);
    Chain c(lists, points);
    c.Sort();
    c.Sort();  // and again from the state it left
    if (HasFailure()) return;
  }
}

TEST(ContourIndex, PositionsFollowExchangesLikeAScan) {
  std::mt19937 rng(7);
  for (int round = 0; round < 200; ++round) {
    const int points = 1 + static_cast<int>(rng() % 12);
    std::vector<TLine> list(rng() % 20 + 1);
    for (TLine& s : list)
      s = TLine{static_cast<int32_t>(rng() % static_cast<unsigned>(points)),
                static_cast<int32_t>(rng() % static_cast<unsigned>(points)), 0};
    PointPositions where;
    where.Build(list, static_cast<size_t>(points));
    const auto n = static_cast<int32_t>(list.size());
    for (int step = 0; step < 60; ++step) {
      const auto j = static_cast<int32_t>(rng() % static_cast<unsigned>(n));
      const auto k = static_cast<int32_t>(rng() % static_cast<unsigned>(n));
      where.Exchange(list[static_cast<size_t>(j)], j, list[static_cast<size_t>(k)], k);
      std::swap(list[static_cast<size_t>(j)], list[static_cast<size_t>(k)]);
      if (rng() % 3 == 0) std::swap(list[static_cast<size_t>(j)].sp, list[static_cast<size_t>(j)].ep);
      for (int32_t p = 0; p < points; ++p) {
        int32_t count = 0, lowest_other = -1;
        for (int32_t x = 0; x < n; ++x) {
          const TLine& s = list[static_cast<size_t>(x)];
          if (s.sp != p && s.ep != p) continue;
          ++count;
          if (x != j && lowest_other < 0) lowest_other = x;
        }
        ASSERT_EQ(where.Count(p), count) << round << " " << step << " " << p;
        ASSERT_EQ(where.LowestOther(p, j), lowest_other) << round << " " << step << " " << p;
      }
    }
    where.Reset();
    std::vector<TLine> other{{0, 0, 0}};
    where.Build(other, 1);  // a reset object serves the next level cleanly
    EXPECT_EQ(where.Count(0), 1);
  }
}

TEST(ContourIndex, CellsFindEveryPointOfTheWindow) {
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> u(-0.1, 0.1);
  for (double base : {0.0, -3.0, 123456.789, 5.6e6, -7.5e8, 1e13, 2e17}) {
    CellChains cells;
    std::vector<std::pair<double, double>> pts;
    for (int i = 0; i < 400; ++i) {
      // Many on cell borders (multiples of 0.02) and at the window's edge.
      double x = base + (i % 3 == 0 ? std::round(u(rng) * 50) / 50 : u(rng));
      double y = base + (i % 5 == 0 ? std::round(u(rng) * 50) / 50 + 0.01 : u(rng));
      pts.push_back({x, y});
      cells.Insert(x, y, i);
    }
    for (int q = 0; q < 400; ++q) {
      const double x = q < 200 ? pts[static_cast<size_t>(q)].first + 0.01 : base + u(rng);
      const double y = q < 200 ? pts[static_cast<size_t>(q)].second - 0.01 : base + u(rng);
      std::vector<bool> seen(pts.size());
      cells.AnyAround(x, y, [&](int32_t i) {
        seen[static_cast<size_t>(i)] = true;
        return false;
      });
      for (size_t i = 0; i < pts.size(); ++i) {
        const bool inside = std::fabs(static_cast<long double>(pts[i].first) - x) <= ExPtTolerance &&
                            std::fabs(static_cast<long double>(pts[i].second) - y) <= ExPtTolerance;
        ASSERT_TRUE(!inside || seen[i]) << base << " query " << q << " point " << i;
      }
    }
    cells.Clear();
    EXPECT_FALSE(cells.AnyAround(base, base, [](int32_t) { return true; }));
  }
  CellChains odd;  // NaN and infinite coordinates land in end cells, safely
  odd.Insert(std::nan(""), 1e308, 0);
  odd.Insert(-HUGE_VAL, HUGE_VAL, 1);
  EXPECT_TRUE(odd.AnyAround(-HUGE_VAL, HUGE_VAL, [](int32_t i) { return i == 1; }));
}

}  // namespace
}  // namespace Delaunay
