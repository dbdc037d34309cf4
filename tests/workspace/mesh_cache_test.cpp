#include "workspace/mesh_cache.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <utility>

#include "points/writer.h"
#include "volume/horizon.h"
#include "volume/run.h"
#include "volume/volume_support.h"
#include "workspace/workspace.h"

namespace zelmaro {
namespace {

using testing::FakeHost;
using testing::ReadBytes;
using testing::ScratchDir;

PointTable RandomSurvey(uint32_t seed, int n = 400) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> u(0, 1);
  PointTable P;
  ResetToSlotZero(P);
  for (int i = 1; i <= n; ++i) {
    // Code 1, 0 and now and then 7 (no horizon); millimetre coordinates as
    // the file holds them.
    const int8_t code = i % 3 == 0 ? 1 : (i % 17 == 0 ? 7 : 0);
    auto mm = [](double v) { return std::nearbyint(v * 1000) / 1000; };
    P.push_back({1000 + i, mm(5600000 + 300 * u(rng)), mm(4500000 + 200 * u(rng)),
                 mm(280 + 20 * u(rng)), code});
  }
  return P;
}

// One workspace with the cache and one without, computing on the same file
// at the same reference height; everything a run leaves must be the same.
struct Twins {
  ScratchDir dir;
  std::string file = dir / "survey.asc";
  MeshCache cache;
  Workspace cached, fresh;
  FakeHost cached_host, fresh_host;

  explicit Twins(int threads) {
    cached.mesh_source = &cache;
    cached.horizon_threads = fresh.horizon_threads = threads;
    for (FakeHost* h : {&cached_host, &fresh_host}) {
      h->point_file = file;
      h->bem = "Twins";
    }
  }
  void Write(const PointTable& P) { WritePointFile(file, P); }
  void SetH0(double h0) {
    cached_host.field.SetValue(h0);
    fresh_host.field.SetValue(h0);
  }
  void RunBoth(const std::string& what) {
    SCOPED_TRACE(what);
    ToolButton1Click(fresh, fresh_host);
    const std::string fresh_protocol = ReadBytes(ProtocolFileName(file));
    ToolButton1Click(cached, cached_host);
    EXPECT_EQ(ReadBytes(ProtocolFileName(file)), fresh_protocol);
    EXPECT_EQ(cached_host.pane, fresh_host.pane);
    EXPECT_EQ(cached_host.fields, fresh_host.fields);
    EXPECT_EQ(cached_host.coincidences, fresh_host.coincidences);
    EXPECT_EQ(cached.sumA0, fresh.sumA0);
    EXPECT_EQ(cached.SumA1, fresh.SumA1);
    EXPECT_EQ(cached.m0, fresh.m0);
    EXPECT_EQ(cached.m1, fresh.m1);
    // The between-horizons figures are kept with the meshes: a stale set
    // would show here.
    const CutFill &c = cached.cutFill, &f = fresh.cutFill;
    ASSERT_TRUE(c.valid && f.valid);
    EXPECT_EQ(c.H0, f.H0);
    for (auto part : {&CutFill::reference, &CutFill::terrain})
      for (auto figure : {&HorizonCutFill::area, &HorizonCutFill::hullArea, &HorizonCutFill::above,
                          &HorizonCutFill::below, &HorizonCutFill::areaAbove,
                          &HorizonCutFill::areaBelow})
        EXPECT_EQ(c.*part.*figure, f.*part.*figure);
    for (auto figure : {&BetweenCutFill::fill, &BetweenCutFill::cut, &BetweenCutFill::areaFill,
                        &BetweenCutFill::areaCut, &BetweenCutFill::commonArea,
                        &BetweenCutFill::onlyReference, &BetweenCutFill::onlyTerrain})
      EXPECT_EQ(c.between.*figure, f.between.*figure);
  }
};

// Runs of one horizon after the other, and with the reference horizon on a
// thread of its own.
class MeshCacheRuns : public ::testing::TestWithParam<int> {};

TEST_P(MeshCacheRuns, ReusedMeshesGiveTheProtocolAndFieldsOfFreshOnes) {
  Twins t(GetParam());
  PointTable P = RandomSurvey(11);
  t.Write(P);
  t.SetH0(285);
  t.RunBoth("first run");
  EXPECT_EQ(t.cache.Triangulations(), 2);

  t.RunBoth("same file");
  t.SetH0(286.5);
  t.RunBoth("another reference height");
  EXPECT_EQ(t.cache.Triangulations(), 2);
  EXPECT_EQ(t.cache.Reuses(), 4);

  // Only a terrain point's height changed: the reference horizon stays.
  size_t terrain_point = 1;
  while (P[terrain_point].Code != 0) ++terrain_point;
  P[terrain_point].Z += 0.5;
  t.Write(P);
  t.RunBoth("terrain point changed on disk");
  EXPECT_EQ(t.cache.Triangulations(), 3);
  EXPECT_EQ(t.cache.Reuses(), 5);

  // A point of no horizon changed: neither mesh is affected.
  size_t other = 1;
  while (P[other].Code != 7) ++other;
  P[other].Z += 1;
  t.Write(P);
  t.RunBoth("point of no horizon changed");
  EXPECT_EQ(t.cache.Triangulations(), 3);

  // The same points in another order make other meshes.
  std::swap(P[1], P[2]);
  std::swap(P[3], P[6]);
  t.Write(P);
  t.RunBoth("points reordered");
  EXPECT_EQ(t.cache.Triangulations(), 5);

  // Gone from disk: the table stays, the meshes are made anew.
  ASSERT_EQ(std::remove(t.file.c_str()), 0);
  t.RunBoth("file removed");
  EXPECT_EQ(t.cache.Triangulations(), 7);
  t.RunBoth("still removed");
  EXPECT_EQ(t.cache.Triangulations(), 9);

  // Back again with other points.
  t.Write(RandomSurvey(12));
  t.RunBoth("other survey");
  t.RunBoth("other survey again");
  EXPECT_EQ(t.cache.Triangulations(), 11);
}

INSTANTIATE_TEST_SUITE_P(Threads, MeshCacheRuns, ::testing::Values(1, 2));

// Points on lines at the height of the super-triangle's lower corners make
// the triangulation report coincidences (see the mesh's differential test).
PointTable CoincidentSurvey(uint32_t seed) {
  std::mt19937 rng(seed);
  PointTable P;
  ResetToSlotZero(P);
  const double y0 = -(double(rng() % 50) + 0.5);
  int nr = 0;
  for (int l = 0; l < 3; ++l) {
    const double y = y0 + l * 0.1;
    for (int q = 0; q <= 40; ++q)
      if (q == 0 || rng() % 3) P.push_back({++nr, q * 0.0125, y, double(nr), 0});
  }
  return P;
}

TEST(MeshCache, AReusedMeshReportsItsCoincidencesAgain) {
  Workspace ws;
  MeshCache cache;
  ws.mesh_source = &cache;
  int32_t reports = 0;
  for (uint32_t seed = 1; seed < 60 && reports == 0; ++seed) {
    ws.P = CoincidentSurvey(seed);
    FakeHost host;
    ProvideHorizonMesh(ws, kTerrain, host);
    reports = ws.Mesh1->Coincidences();
    EXPECT_EQ(host.coincidences, reports);
  }
  ASSERT_GT(reports, 0) << "no survey with coincidences";

  FakeHost again;
  const Delaunay::TDelaunay* kept = ws.Mesh1.get();
  ProvideHorizonMesh(ws, kTerrain, again);
  EXPECT_EQ(ws.Mesh1.get(), kept);
  EXPECT_EQ(again.coincidences, reports);
}

TEST(MeshCache, KeyFollowsTheOfferedPointsAndTheHorizon) {
  const PointTable P = RandomSurvey(5, 60);
  const MeshKey key = MeshKeyOf(P, kTerrain, {});
  EXPECT_EQ(MeshKeyOf(P, kTerrain, {}), key);
  EXPECT_NE(MeshKeyOf(P, kReferenceHorizon, {}), key);

  PointTable q = P;
  size_t i = 1;
  while (q[i].Code != 7) ++i;
  q[i].X += 10;  // no horizon's point
  EXPECT_EQ(MeshKeyOf(q, kTerrain, {}), key);
  q[i].Code = 0;  // now it is the terrain's
  EXPECT_NE(MeshKeyOf(q, kTerrain, {}), key);

  q = P;
  q[1].Z = std::nextafter(q[1].Z, 1e9);  // one bit of one height
  EXPECT_NE(MeshKeyOf(q, kTerrain, {}), key);
  q = P;
  q[2].NR = 77;  // the numbers reach the protocol, not the mesh
  EXPECT_EQ(MeshKeyOf(q, kTerrain, {}), key);
}

TEST(MeshCache, AMeshReplacedBehindItsBackIsNotUsed) {
  Workspace ws;
  MeshCache cache;
  ws.mesh_source = &cache;
  ws.P = RandomSurvey(3, 50);
  FakeHost host;
  ProvideHorizonMesh(ws, kTerrain, host);
  const uint64_t generation = cache.Generation(ws.Mesh1.get());
  EXPECT_NE(generation, 0u);
  EXPECT_EQ(cache.HorizonOf(ws.Mesh1.get()), &kTerrain);

  ws.Mesh1 = std::make_unique<Delaunay::TDelaunay>();  // someone else's mesh
  EXPECT_EQ(cache.Generation(ws.Mesh1.get()), 0u);
  ProvideHorizonMesh(ws, kTerrain, host);
  EXPECT_EQ(cache.Triangulations(), 2);
  EXPECT_GT(ws.Mesh1->HowMany, 0);
  EXPECT_NE(cache.Generation(ws.Mesh1.get()), generation);
}

}  // namespace
}  // namespace zelmaro
