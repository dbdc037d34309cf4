// Whole runs on generated surveys, compared with what the program computed
// for them before the run was made faster: the protocol's bytes, the pane,
// the six fields, the coincidence reports and both meshes (vertices and
// triangles in store order, z range), as fingerprints. A change of a single
// digit or a single triangle changes a fingerprint.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>

#include "text/cp1252.h"
#include "text/format.h"
#include "volume/run.h"
#include "volume_support.h"

namespace zelmaro::testing {
namespace {

// FNV-1a over bytes, 64 bits.
struct Fingerprint {
  uint64_t h = 1469598103934665603ull;
  void Add(const void* data, size_t n) {
    const auto* p = static_cast<const unsigned char*>(data);
    for (size_t k = 0; k < n; ++k) h = (h ^ p[k]) * 1099511628211ull;
  }
  template <class T>
  void Add(const T& v) {
    Add(&v, sizeof v);
  }
  void Add(const std::string& s) {
    Add(s.data(), s.size());
    Add(s.size());
  }
};

uint64_t MeshPrint(const Delaunay::TDelaunay& m) {
  Fingerprint f;
  f.Add(m.tPoints);
  for (int32_t v = 1; v < m.tPoints; ++v) {
    f.Add(m.Vertex[v].x);
    f.Add(m.Vertex[v].y);
    f.Add(m.Vertex[v].z);
    f.Add(m.Vertex[v].ID);
  }
  f.Add(m.HowMany);
  for (int32_t t = 1; t <= m.HowMany; ++t) {
    f.Add(m.Triangle[t].vv0);
    f.Add(m.Triangle[t].vv1);
    f.Add(m.Triangle[t].vv2);
  }
  f.Add(m.zMin);
  f.Add(m.zMax);
  f.Add(m.Coincidences());
  return f.h;
}

std::string Line(int nr, int code, double y, double x, double z) {
  return Format("%d %d %.3f %.3f %.3f\r\n", nr, code, y, x, z);
}

// The generators use the raw engine output only, so every standard library
// draws the same points.
std::string UniformSurvey(int n) {
  std::mt19937 rng(12);
  std::string text;
  for (int i = 1; i <= n; ++i) {
    const double y = 3486000 + double(rng() % 1000000) / 1000;
    const double x = 5656000 + double(rng() % 1000000) / 1000;
    const int code = i % 3 == 0 ? 1 : (i % 97 == 0 ? 5 : 0);
    text += Line(i, code, y, x, 280 + double(rng() % 20000) / 1000);
  }
  return text;
}

// Rows and columns of equal coordinates; a coarser reference grid in it.
std::string SurveyGrid(int side) {
  std::string text;
  int nr = 0;
  for (int a = 0; a < side; ++a)
    for (int b = 0; b < side; ++b) {
      const int code = a % 2 == 0 && b % 2 == 0 ? 1 : 0;
      text += Line(++nr, code, 3486946.169 + a, 5656820.914 + b, 280 + ((a * 7 + b * 3) % 11) * 0.1);
    }
  return text;
}

// Two long lines whose y steps up by a micrometre every 7 m: flat triangles
// that are reported at point after point, thousands of times.
std::string MicroSteppedLines() {
  std::mt19937 rng(99);
  rng.discard(75000);
  std::string text;
  for (int k = 0; k < 15000; ++k) {
    const double t = double(rng() % 100000) / 10;
    const double y = std::floor(t / 7) * 0.000001 + double(rng() % 2) * 3;
    text += Format("%d 1 %.6f %.1f %d\r\n", k + 1, y, t, k % 17);
  }
  return text;
}

// A profile along a road: a sloped line with millimetre jitter, and one
// exactly straight.
std::string SlopedLines(int n) {
  std::mt19937 rng(5);
  std::string text;
  for (int k = 0; k < n; ++k) {
    const double s = k * 0.37;
    const double j = double(int(rng() % 7) - 3) / 1000;
    text += Line(k + 1, k % 2, 3486000 + s * 0.6 + j, 5656000 + s * 0.8, 280 + k % 9);
    text += Line(n + k + 1, 0, 3487000 + k * 0.29, 5657000 + k * 0.41, 281);
  }
  return text;
}

struct Stored {
  const char* name;
  uint64_t protocol, mesh0, mesh1;
  int coincidences;
};

std::string Survey(const std::string& name) {
  if (name == "halde") return ReadBytes(std::string(ZELMARO_TEST_DATA) + "/../../examples/halde.asc");
  if (name == "uniform") return UniformSurvey(20000);
  if (name == "grid") return SurveyGrid(130);
  if (name == "microsteps") return MicroSteppedLines();
  return SlopedLines(2500);
}

constexpr Stored kStored[] = {
    {"halde", 0x81c34d1645e69a63ull, 0x97fa537251200509ull, 0x3cace691ed63bd98ull, 0},
    {"uniform", 0x49a0bbc9a0979d53ull, 0x1dc27fff0338fbd5ull, 0x2cbe7a0c6292a2b2ull, 0},
    {"grid", 0xc56ea55cb8125585ull, 0xb2fb40a75757b996ull, 0x89db784d0720fa35ull, 0},
    {"microsteps", 0xd33948182213dabcull, 0xf5320cf995ec657cull, 0xf5320cf995ec657cull, 27778},
    {"sloped", 0xd53cb5af6d900ae0ull, 0xac789e7ca204dd57ull, 0x3c04fedd8c7a4fc0ull, 0},
};

class StoredOutput : public ::testing::TestWithParam<Stored> {};

TEST_P(StoredOutput, RunGivesTheStoredProtocolMeshesAndFields) {
  const Stored& want = GetParam();
  for (int threads : {1, 2}) {
  SCOPED_TRACE(std::to_string(threads) + " threads");
  ScratchDir dir;
  const std::string file = dir / (std::string(want.name) + ".asc");
  WriteBytes(file, Survey(want.name));
  FakeHost host;
  host.point_file = file;
  host.bem = "Prüfung";
  Workspace ws;
  ws.horizon_threads = threads;
  ASSERT_TRUE(ws.LiesPunkte(file));
  host.field.SetValue(ws.bounds.MinZ + 1.5);
  ToolButton1Click(ws, host);

  Fingerprint protocol;
  const std::string bytes = ReadBytes(ProtocolFileName(file));
  protocol.Add(bytes);
  for (auto& [field, text] : host.fields) protocol.Add(text);
  std::string pane;
  for (const std::string& line : host.pane) pane += line + "\n";
  EXPECT_EQ(host.show_calls, 1);
  EXPECT_EQ(Utf8ToCp1252(pane), [&] {
    std::string b = bytes;
    for (size_t p; (p = b.find("\r\n")) != std::string::npos;) b.replace(p, 2, "\n");
    return b;
  }());
  const uint64_t m0 = MeshPrint(*ws.Mesh0), m1 = MeshPrint(*ws.Mesh1);
  EXPECT_EQ(protocol.h, want.protocol) << std::hex << "0x" << protocol.h;
  EXPECT_EQ(m0, want.mesh0) << std::hex << "0x" << m0;
  EXPECT_EQ(m1, want.mesh1) << std::hex << "0x" << m1;
  EXPECT_EQ(host.coincidences, want.coincidences);
  EXPECT_EQ(ws.Mesh0->Coincidences() + ws.Mesh1->Coincidences(), want.coincidences);
  }
}

INSTANTIATE_TEST_SUITE_P(Surveys, StoredOutput, ::testing::ValuesIn(kStored),
                         [](const ::testing::TestParamInfo<Stored>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace zelmaro::testing
