// The DXF read back by an independent reader (ezdxf): no audit errors, and
// per layer the points, faces and polylines the program has.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>
#include <tuple>

#include "export/contour_join.h"
#include "export/dxf.h"
#include "export_support.h"

namespace zelmaro::testing {
namespace {

constexpr const char* kPython = "/usr/bin/python3";

// Prints "AUDIT errors", "COUNT type layer n", "LAYER name colour", the
// polylines' elevations and vertex counts, and the first face's corners.
constexpr const char* kReader = R"(
import sys, collections, ezdxf
doc = ezdxf.readfile(sys.argv[1])
auditor = doc.audit()
print("AUDIT", len(auditor.errors))
for e in auditor.errors:
    print("ERROR", e.code, e.message)
counts = collections.Counter((e.dxftype(), e.dxf.layer) for e in doc.modelspace())
for (t, l), n in sorted(counts.items()):
    print("COUNT", t, l, n)
for layer in doc.layers:
    print("LAYER", layer.dxf.name, layer.dxf.color)
vertices = 0
for e in doc.modelspace().query("LWPOLYLINE"):
    print("ELEV", e.dxf.layer, repr(e.dxf.elevation), 1 if e.closed else 0)
    vertices += len(e)
print("VERTICES", vertices)
f = doc.modelspace().query("3DFACE")[0]
print("FACE", f.dxf.layer, *[repr(c) for v in (f.dxf.vtx0, f.dxf.vtx1, f.dxf.vtx2, f.dxf.vtx3) for c in v])
print("UNITS", doc.header.get("$INSUNITS"))
print("FIXES", len(auditor.fixes))
print("EXT", *doc.header.get("$EXTMIN"), *doc.header.get("$EXTMAX"))
vp = doc.viewports.get("*Active")[0]
print("VIEW", vp.dxf.center[0], vp.dxf.center[1], vp.dxf.height)
print("PDMODE", doc.header.get("$PDMODE", 0))
print("FONT", doc.styles.get("Standard").dxf.font or "-")
)";

TEST(Dxf, IndependentReaderFindsTheProgramsEntitiesPerLayer) {
  std::string why;
  if (!HaveTool(std::string(kPython) + " -c 'import ezdxf'", why)) GTEST_SKIP() << why;
  ExportRun run(SurveyText(24), 0.5);
  const std::string file = run.dir / "halde.dxf";
  WriteDxf(run.in, file);
  const std::string script = run.dir / "read.py";
  WriteBytes(script, kReader);
  std::string out;
  ASSERT_EQ(RunCommand(std::string(kPython) + " " + script + " " + file + " 2>&1", out), 0) << out;

  std::istringstream lines(out);
  std::string word;
  std::map<std::pair<std::string, std::string>, long> counts;
  std::map<std::string, int> colours;
  std::map<std::string, std::multiset<double>> elevations;
  std::map<std::string, long> closed;
  long audit_errors = -1, vertices = -1;
  std::string line;
  std::vector<double> face;
  std::string face_layer, units, font;
  long fixes = -1, pdmode = -1;
  std::vector<double> ext, view;
  while (std::getline(lines, line)) {
    std::istringstream l(line);
    l >> word;
    if (word == "AUDIT") {
      l >> audit_errors;
    } else if (word == "COUNT") {
      std::string t, layer;
      long n;
      l >> t >> layer >> n;
      counts[{t, layer}] = n;
    } else if (word == "LAYER") {
      std::string name;
      int c;
      l >> name >> c;
      colours[name] = c;
    } else if (word == "ELEV") {
      std::string layer;
      double z;
      int c;
      l >> layer >> z >> c;
      elevations[layer].insert(z);
      closed[layer] += c;
    } else if (word == "VERTICES") {
      l >> vertices;
    } else if (word == "FACE") {
      l >> face_layer;
      double v;
      while (l >> v) face.push_back(v);
    } else if (word == "UNITS") {
      l >> units;
    } else if (word == "FIXES") {
      l >> fixes;
    } else if (word == "PDMODE") {
      l >> pdmode;
    } else if (word == "FONT") {
      l >> font;
    } else if (word == "EXT" || word == "VIEW") {
      double v;
      while (l >> v) (word == "EXT" ? ext : view).push_back(v);
    }
  }
  EXPECT_EQ(audit_errors, 0) << out;
  EXPECT_EQ(fixes, 0) << out;  // nothing the reader had to mend either
  EXPECT_EQ(units, "6");  // metres
  EXPECT_NE(pdmode, 0);   // points drawn as a mark, not a dot
  EXPECT_NE(font, "-");

  // The extents hold every point (easting, northing, height), and the view
  // a CAD program opens on is centred on them and shows them whole.
  const TableBounds b = run.ws.bounds;
  ASSERT_EQ(ext.size(), 6u) << out;
  EXPECT_LE(ext[0], b.MinY);
  EXPECT_LE(ext[1], b.MinX);
  EXPECT_EQ(ext[2], b.MinZ);
  EXPECT_GE(ext[3], b.MaxY);
  EXPECT_GE(ext[4], b.MaxX);
  EXPECT_EQ(ext[5], b.MaxZ);
  EXPECT_LT(ext[3] - ext[0], (b.MaxY - b.MinY) * 1.5);
  ASSERT_EQ(view.size(), 3u) << out;
  EXPECT_NEAR(view[0], (ext[0] + ext[3]) / 2, 1e-6);
  EXPECT_NEAR(view[1], (ext[1] + ext[4]) / 2, 1e-6);
  EXPECT_GE(view[2], ext[4] - ext[1]);
  EXPECT_LT(view[2], 3 * (ext[4] - ext[1]));

  const long points = High(run.ws.P);
  EXPECT_EQ((counts[{"POINT", kLayerPoints}]), points);
  EXPECT_EQ((counts[{"TEXT", kLayerNumbers}]), points);
  EXPECT_EQ((counts[{"TEXT", kLayerHeights}]), points);
  EXPECT_EQ((counts[{"3DFACE", kLayerMesh0}]), run.ws.Mesh0->HowMany);
  EXPECT_EQ((counts[{"3DFACE", kLayerMesh1}]), run.ws.Mesh1->HowMany);
  const ExportHorizon* horizons[] = {&run.in.reference, &run.in.terrain};
  const char* layers[] = {kLayerContours0, kLayerContours1};
  long expected_vertices = 0, lines_written = 0;
  for (int h = 0; h < 2; ++h) {
    const ExportHorizon& hz = *horizons[h];
    ASSERT_FALSE(hz.polylines.empty());
    const auto joined = JoinContourPieces(*hz.contour, hz.polylines);
    lines_written += static_cast<long>(joined.size());
    EXPECT_EQ((counts[{"LWPOLYLINE", layers[h]}]), static_cast<long>(joined.size()));
    // Every line at the height of its level.
    std::multiset<double> levels;
    long rings = 0;
    for (const auto& p : joined) {
      levels.insert(hz.contour->Levels[static_cast<size_t>(p.level)]);
      expected_vertices += static_cast<long>(p.points.size());
      rings += p.closed;
    }
    EXPECT_EQ(elevations[layers[h]], levels);
    EXPECT_EQ(closed[layers[h]], rings);
  }
  EXPECT_EQ(vertices, expected_vertices);
  // Nothing else in the drawing.
  long total = 0;
  for (const auto& [key, n] : counts) total += n;
  EXPECT_EQ(total, 3 * points + run.ws.Mesh0->HowMany + run.ws.Mesh1->HowMany + lines_written);

  // The plot's colours: blue reference horizon, red terrain, dark red
  // terrain contours.
  EXPECT_EQ(colours[kLayerMesh0], 5);
  EXPECT_EQ(colours[kLayerContours0], 5);
  EXPECT_EQ(colours[kLayerMesh1], 1);
  EXPECT_EQ(colours[kLayerContours1], 14);

  // The first face: the reference mesh's first triangle, easting as x and
  // northing as y, the third corner repeated, coordinates bit for bit.
  EXPECT_EQ(face_layer, kLayerMesh0);
  ASSERT_EQ(face.size(), 12u);
  const Delaunay::TDelaunay& m = *run.ws.Mesh0;
  const int32_t corners[] = {m.Triangle[1].vv0, m.Triangle[1].vv1, m.Triangle[1].vv2,
                             m.Triangle[1].vv2};
  for (int k = 0; k < 4; ++k) {
    const TPunkt& p = run.ws.P[static_cast<size_t>(m.Vertex[corners[k]].ID)];
    EXPECT_EQ(face[static_cast<size_t>(3 * k)], p.Y);
    EXPECT_EQ(face[static_cast<size_t>(3 * k + 1)], p.X);
    EXPECT_EQ(face[static_cast<size_t>(3 * k + 2)], p.Z);
  }
}

// Undirected non-zero segments per level, by coordinates, with repeats.
using Segments = std::multiset<std::tuple<int32_t, double, double, double, double>>;
Segments SegmentsOf(const Delaunay::TContourSetup& c,
                    const std::vector<Delaunay::ContourPolyline>& lines) {
  Segments s;
  for (const auto& l : lines) {
    const size_t n = l.points.size();
    for (size_t k = 0; k + 1 < n + (l.closed ? 1 : 0); ++k) {
      const auto& a = c.Points[static_cast<size_t>(l.points[k])];
      const auto& b = c.Points[static_cast<size_t>(l.points[(k + 1) % n])];
      if (a.X == b.X && a.Y == b.Y) continue;
      auto p = std::make_pair(a.X, a.Y), q = std::make_pair(b.X, b.Y);
      if (q < p) std::swap(p, q);
      s.emplace(l.level, p.first, p.second, q.first, q.second);
    }
  }
  return s;
}

TEST(Dxf, JoinedContoursDrawThePiecesSegmentsAsFewLines) {
  // Pieces in both directions that make a ring, a zero-length piece, a
  // piece with a zero-length step, and a line through three pieces.
  Delaunay::TContourSetup c;
  for (auto [x, y] : std::initializer_list<std::pair<double, double>>{
           {0, 0}, {1, 0}, {1, 1}, {0, 1}, {5, 5}, {0, 0}, {2, 0}, {3, 0}, {4, 0}})
    c.Points.push_back(Delaunay::TPunkt{x, y, 0, 0});
  using L = Delaunay::ContourPolyline;
  const std::vector<L> pieces = {L{0, {0, 1}, false}, L{0, {2, 1}, false}, L{0, {2, 3}, false},
                                 L{0, {5, 3}, false},  // ends at 0's place, another index
                                 L{0, {4, 4}, false}, L{1, {6, 7}, false}, L{1, {8, 8, 7}, false},
                                 L{1, {0, 6}, false}};
  const auto joined = JoinContourPieces(c, pieces);
  ASSERT_EQ(joined.size(), 2u);
  EXPECT_TRUE(joined[0].closed);
  EXPECT_EQ(joined[0].points.size(), 4u);
  EXPECT_FALSE(joined[1].closed);
  EXPECT_EQ(joined[1].points.size(), 4u);  // (0,0) (2,0) (3,0) (4,0) in one direction
  EXPECT_EQ(SegmentsOf(c, joined), SegmentsOf(c, pieces));

  // A real mesh: the same segments, and no two open lines of a level that
  // meet at an end.
  ExportRun run(SurveyText(24), 0.25);
  for (const ExportHorizon* h : {&run.in.reference, &run.in.terrain}) {
    const auto lines = JoinContourPieces(*h->contour, h->polylines);
    EXPECT_LT(lines.size(), h->polylines.size());
    EXPECT_EQ(SegmentsOf(*h->contour, lines), SegmentsOf(*h->contour, h->polylines));
    std::map<std::tuple<int32_t, double, double>, int> ends;
    for (const auto& l : lines) {
      if (l.closed) continue;
      for (int32_t i : {l.points.front(), l.points.back()}) {
        const auto& p = h->contour->Points[static_cast<size_t>(i)];
        const int seen = ++ends[std::make_tuple(l.level, p.X, p.Y)];
        EXPECT_EQ(seen, 1) << h->name << " level " << l.level;
      }
    }
  }
}

TEST(Dxf, TextHeightFollowsThePointSpacing) {
  PointTable P(1);
  EXPECT_EQ(DxfTextHeight(P), 1.0);  // no points
  // 100 points on 100 m x 100 m: 10 m apart, labels 2.5 m high.
  for (int i = 0; i < 10; ++i)
    for (int j = 0; j < 10; ++j) P.push_back(TPunkt{i * 10 + j, i * 100.0 / 9, j * 100.0 / 9, 0, 0});
  EXPECT_DOUBLE_EQ(DxfTextHeight(P), 2.5);
  // All on one line: no area, the default height.
  PointTable line(1);
  for (int i = 0; i < 5; ++i) line.push_back(TPunkt{i, double(i), 0, 0, 0});
  EXPECT_EQ(DxfTextHeight(line), 1.0);
}

}  // namespace
}  // namespace zelmaro::testing
