// LandXML read back with Qt's XML parser: the surfaces, their points and
// faces, and the prism volumes recomputed from the file.
#include <gtest/gtest.h>

#include <QFile>
#include <QXmlStreamReader>
#include <charconv>
#include <clocale>
#include <map>
#include <sstream>
#include <vector>

#include "export/landxml.h"
#include "export_support.h"

namespace zelmaro::testing {
namespace {

struct ReadSurface {
  QString name, desc, surf_type;
  std::map<long, std::array<double, 3>> points;  // id -> northing, easting, elevation
  std::vector<long> point_order;
  std::vector<std::array<long, 3>> faces;
  std::map<QString, QString> properties;
  std::map<long, QString> names;  // P@name where there is one
};

struct ReadFile {
  QString version, application, app_version, time_stamp, project, linear_unit, area_unit,
      volume_unit;
  std::vector<ReadSurface> surfaces;
  QString epsg, surf_base, surf_compare;
  std::map<QString, double> volumes;  // SurfVolume's volCut, volFill, volTotal
  QString error;
};

double Number(QStringView text) {
  const std::string s = text.toString().toStdString();
  double v = 0;
  const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  EXPECT_TRUE(r.ec == std::errc() && r.ptr == s.data() + s.size()) << s;
  return v;
}

ReadFile Parse(const std::string& bytes) {
  ReadFile f;
  QXmlStreamReader x(QByteArray::fromStdString(bytes));
  while (!x.atEnd()) {
    if (x.readNext() != QXmlStreamReader::StartElement) continue;
    const auto a = x.attributes();
    const QStringView n = x.name();
    if (n == u"LandXML") {
      f.version = a.value("version").toString();
      EXPECT_EQ(x.namespaceUri(), u"http://www.landxml.org/schema/LandXML-1.2");
    } else if (n == u"Metric") {
      f.linear_unit = a.value("linearUnit").toString();
      f.area_unit = a.value("areaUnit").toString();
      f.volume_unit = a.value("volumeUnit").toString();
    } else if (n == u"Project") {
      f.project = a.value("name").toString();
    } else if (n == u"Application") {
      f.application = a.value("name").toString();
      f.app_version = a.value("version").toString();
      f.time_stamp = a.value("timeStamp").toString();
    } else if (n == u"Surface") {
      f.surfaces.emplace_back();
      f.surfaces.back().name = a.value("name").toString();
      f.surfaces.back().desc = a.value("desc").toString();
    } else if (n == u"Definition") {
      f.surfaces.back().surf_type = a.value("surfType").toString();
    } else if (n == u"CoordinateSystem") {
      f.epsg = a.value("epsgCode").toString();
    } else if (n == u"SurfVolumes") {
      EXPECT_EQ(a.value("surfVolCalcMethod"), u"composite");
    } else if (n == u"SurfVolume") {
      f.surf_base = a.value("surfBase").toString();
      f.surf_compare = a.value("surfCompare").toString();
      for (const char* k : {"volCut", "volFill", "volTotal"}) f.volumes[k] = Number(a.value(k));
    } else if (n == u"P") {
      const long id = a.value("id").toLong();
      if (a.hasAttribute("name")) f.surfaces.back().names[id] = a.value("name").toString();
      const QStringList c = x.readElementText().split(u' ');
      EXPECT_EQ(c.size(), 3);
      if (c.size() == 3) {
        ReadSurface& s = f.surfaces.back();
        EXPECT_TRUE(s.points.emplace(id, std::array<double, 3>{Number(c[0]), Number(c[1]),
                                                               Number(c[2])})
                        .second)
            << "point id " << id << " twice";
        s.point_order.push_back(id);
      }
    } else if (n == u"F") {
      const QStringList c = x.readElementText().split(u' ');
      EXPECT_EQ(c.size(), 3);
      if (c.size() == 3) f.surfaces.back().faces.push_back({c[0].toLong(), c[1].toLong(), c[2].toLong()});
    } else if (n == u"Property") {
      f.surfaces.back().properties[a.value("label").toString()] = a.value("value").toString();
    }
  }
  if (x.hasError()) f.error = x.errorString();
  return f;
}

// The prism sums of a surface from the file's coordinates, as the run sums them.
void Prisms(const ReadSurface& s, double H0, double& area, double& volume) {
  using ext = long double;
  area = volume = 0;
  for (const auto& f : s.faces) {
    const auto& p0 = s.points.at(f[0]);
    const auto& p1 = s.points.at(f[1]);
    const auto& p2 = s.points.at(f[2]);
    // [0] northing X, [1] easting Y, [2] height Z.
    const double A = static_cast<double>(
        std::fabs((ext(p1[1]) - p2[1]) * p0[0] + (ext(p2[1]) - p0[1]) * p1[0] +
                  (ext(p0[1]) - p1[1]) * p2[0]) /
        2);
    area = static_cast<double>(ext(area) + A);
    volume = static_cast<double>(ext(volume) + ((ext(p0[2]) + p1[2] + p2[2]) / 3 - H0) * A);
  }
}

std::string Written(const ExportInput& in) {
  std::ostringstream out;
  WriteLandXml(in, out);
  return out.str();
}

TEST(LandXml, BothSurfacesReadBackWithTheRunsPointsFacesAndVolumes) {
  ExportRun run(SurveyText(30));
  run.in.options.epsg = 25832;
  const ReadFile f = Parse(Written(run.in));
  ASSERT_TRUE(f.error.isEmpty()) << f.error.toStdString();
  EXPECT_EQ(f.version, u"1.2");
  EXPECT_EQ(f.linear_unit, u"meter");
  EXPECT_EQ(f.area_unit, u"squareMeter");
  EXPECT_EQ(f.volume_unit, u"cubicMeter");
  EXPECT_EQ(f.application, u"Zelmaro");
  EXPECT_EQ(f.app_version, u"1.1");
  EXPECT_EQ(f.time_stamp, u"2026-05-04T03:02:01");
  EXPECT_EQ(f.project.toStdString(), run.host.bem);  // markup characters escaped and back
  ASSERT_EQ(f.surfaces.size(), 2u);
  EXPECT_EQ(f.epsg, u"25832");
  // Cut and fill between the horizons: the run's figures, bit for bit.
  ASSERT_NE(run.in.cut_fill, nullptr);
  const BetweenCutFill& b = run.in.cut_fill->between;
  EXPECT_EQ(f.surf_base, u"Bezugshorizont");
  EXPECT_EQ(f.surf_compare, u"Gelände");
  EXPECT_GT(b.fill, 0);
  EXPECT_EQ(f.volumes.at("volFill"), b.fill);
  EXPECT_EQ(f.volumes.at("volCut"), b.cut);
  EXPECT_EQ(f.volumes.at("volTotal"), b.fill - b.cut);

  const Delaunay::TDelaunay* meshes[] = {run.ws.Mesh0.get(), run.ws.Mesh1.get()};
  const double areas[] = {run.ws.sumA0, run.ws.SumA1};
  const double volumes[] = {run.ws.m0, run.ws.m1};
  const char* names[] = {"Bezugshorizont", "Gelände"};
  for (int h = 0; h < 2; ++h) {
    SCOPED_TRACE(names[h]);
    const ReadSurface& s = f.surfaces[static_cast<size_t>(h)];
    const Delaunay::TDelaunay& mesh = *meshes[h];
    EXPECT_EQ(s.name, QString::fromUtf8(names[h]));
    EXPECT_EQ(s.surf_type, u"TIN");
    ASSERT_GT(mesh.HowMany, 100);
    // Each vertex once, under its point number, with the table's coordinates
    // bit for bit, in the mesh's vertex order.
    ASSERT_EQ(s.point_order.size(), static_cast<size_t>(mesh.tPoints - 1));
    for (int32_t v = 1; v < mesh.tPoints; ++v) {
      const TPunkt& p = run.ws.P[static_cast<size_t>(mesh.Vertex[v].ID)];
      ASSERT_EQ(s.point_order[static_cast<size_t>(v - 1)], p.NR);
      const auto& c = s.points.at(p.NR);
      EXPECT_EQ(c[0], p.X);
      EXPECT_EQ(c[1], p.Y);
      EXPECT_EQ(c[2], p.Z);
    }
    // The faces in mesh order, each corner among the points.
    ASSERT_EQ(s.faces.size(), static_cast<size_t>(mesh.HowMany));
    for (int32_t t = 1; t <= mesh.HowMany; ++t) {
      const Delaunay::dTriangle& tri = mesh.Triangle[t];
      const auto& face = s.faces[static_cast<size_t>(t - 1)];
      const int32_t corners[] = {tri.vv0, tri.vv1, tri.vv2};
      for (int k = 0; k < 3; ++k) {
        ASSERT_TRUE(s.points.count(face[static_cast<size_t>(k)])) << "face " << t;
        EXPECT_EQ(face[static_cast<size_t>(k)],
                  run.ws.P[static_cast<size_t>(mesh.Vertex[corners[k]].ID)].NR);
      }
    }
    // The prisms recomputed from the file are the run's.
    const double H0 = Number(s.properties.at("H0"));
    EXPECT_EQ(H0, run.host.field.Value());
    double area = 0, volume = 0;
    Prisms(s, H0, area, volume);
    EXPECT_TRUE(Close(area, areas[h], 1e-12)) << area << " " << areas[h];
    EXPECT_TRUE(Close(volume, volumes[h], 1e-12)) << volume << " " << volumes[h];
    EXPECT_EQ(Number(s.properties.at("Masse")), volumes[h]);
    EXPECT_EQ(s.properties.at("PunkteZusammengelegt"), u"0");
    EXPECT_TRUE(s.names.empty());  // the ids are the numbers
    EXPECT_NE(s.desc.indexOf(QString::fromStdString(Format("Masse %.2f m³", volumes[h]))), -1)
        << s.desc.toStdString();
  }
}

TEST(LandXml, RunningIdsWhereNumbersRepeatOrAreNotPositive) {
  for (const auto& [first, repeat] : {std::pair{1001, true}, std::pair{-50, false}}) {
    // A terrain point where the first (reference) point lies: the terrain's
    // mesh holds one of the two.
    ExportRun run(SurveyText(12, first, repeat) +
                  Format("%16d %5d %12.3f %12.3f %10.3f\r\n", 99999, 0, 3486899.5, 5656799.5, 283.0));
    const ReadFile f = Parse(Written(run.in));
    ASSERT_TRUE(f.error.isEmpty());
    EXPECT_EQ(f.surfaces[0].properties.at("PunkteZusammengelegt"), u"0");
    EXPECT_EQ(f.surfaces[1].properties.at("PunkteZusammengelegt"), u"1");
    const Delaunay::TDelaunay* meshes[] = {run.ws.Mesh0.get(), run.ws.Mesh1.get()};
    for (int h = 0; h < 2; ++h) {
      const ReadSurface& s = f.surfaces[static_cast<size_t>(h)];
      // The survey's number beside each running id.
      for (int32_t v = 1; v < meshes[h]->tPoints; ++v)
        ASSERT_EQ(s.names.at(v).toLong(), run.ws.P[static_cast<size_t>(meshes[h]->Vertex[v].ID)].NR);
    }
    for (const ReadSurface& s : f.surfaces) {
      for (size_t i = 0; i < s.point_order.size(); ++i) ASSERT_EQ(s.point_order[i], long(i + 1));
      for (const auto& face : s.faces)
        for (long id : face) EXPECT_TRUE(s.points.count(id));
    }
    // The volumes do not depend on the ids.
    double area = 0, volume = 0;
    Prisms(f.surfaces[1], run.host.field.Value(), area, volume);
    EXPECT_TRUE(Close(volume, run.ws.m1, 1e-12));
  }
}

TEST(LandXml, WellFormedWhateverTheTextsAndTheLocale) {
  // Control characters and bytes that are no UTF-8 in the project name, a
  // German process locale: the file still parses, with "." in every number.
  const char* old = std::setlocale(LC_ALL, nullptr);
  const std::string saved = old ? old : "C";
  std::setlocale(LC_ALL, "de_DE.UTF-8");
  ExportRun run(SurveyText(8), 0.5, std::string("Tab\tBell\x07 bad\xFF\xC3(end) ]]> \xE2\x82\xAC"));
  const std::string xml = Written(run.in);
  std::setlocale(LC_ALL, saved.c_str());
  const ReadFile f = Parse(xml);
  ASSERT_TRUE(f.error.isEmpty()) << f.error.toStdString();
  EXPECT_EQ(f.project, QString::fromUtf8("Tab\tBell\xEF\xBF\xBD bad\xEF\xBF\xBD\xEF\xBF\xBD(end) ]]> \xE2\x82\xAC"));
  EXPECT_EQ(XmlText("a<b>&\"c\""), "a&lt;b&gt;&amp;&quot;c&quot;");
}

}  // namespace
}  // namespace zelmaro::testing
