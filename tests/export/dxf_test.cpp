// The DXF read back by an independent reader (ezdxf): no audit errors, and
// per layer the points, faces and polylines the program has.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>

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
  ASSERT_EQ(Shell(std::string(kPython) + " " + script + " " + file + " 2>&1", out), 0) << out;

  std::istringstream lines(out);
  std::string word;
  std::map<std::pair<std::string, std::string>, long> counts;
  std::map<std::string, int> colours;
  std::map<std::string, std::multiset<double>> elevations;
  std::map<std::string, long> closed;
  long audit_errors = -1, vertices = -1;
  std::string line;
  std::vector<double> face;
  std::string face_layer, units;
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
    }
  }
  EXPECT_EQ(audit_errors, 0) << out;
  EXPECT_EQ(units, "6");  // metres

  const long points = High(run.ws.P);
  EXPECT_EQ((counts[{"POINT", kLayerPoints}]), points);
  EXPECT_EQ((counts[{"TEXT", kLayerNumbers}]), points);
  EXPECT_EQ((counts[{"TEXT", kLayerHeights}]), points);
  EXPECT_EQ((counts[{"3DFACE", kLayerMesh0}]), run.ws.Mesh0->HowMany);
  EXPECT_EQ((counts[{"3DFACE", kLayerMesh1}]), run.ws.Mesh1->HowMany);
  const ExportHorizon* horizons[] = {&run.in.reference, &run.in.terrain};
  const char* layers[] = {kLayerContours0, kLayerContours1};
  long expected_vertices = 0;
  for (int h = 0; h < 2; ++h) {
    const ExportHorizon& hz = *horizons[h];
    ASSERT_FALSE(hz.polylines.empty());
    EXPECT_EQ((counts[{"LWPOLYLINE", layers[h]}]), static_cast<long>(hz.polylines.size()));
    // Every line at the height of its level.
    std::multiset<double> levels;
    long rings = 0;
    for (const auto& p : hz.polylines) {
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
  EXPECT_EQ(total, 3 * points + run.ws.Mesh0->HowMany + run.ws.Mesh1->HowMany +
                       static_cast<long>(run.in.reference.polylines.size() +
                                         run.in.terrain.polylines.size()));

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
