#include "export/landxml.h"

#include <unordered_set>
#include <vector>

#include "export/export_facts.h"
#include "export/export_file.h"
#include "text/format.h"

namespace zelmaro {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// Length of the UTF-8 sequence starting at s[i] and its code point, or 0
// when the bytes are no well-formed sequence.
size_t Utf8Sequence(std::string_view s, size_t i, char32_t& cp) {
  const auto b = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char c = b(i);
  size_t n = 0;
  if (c < 0x80) {
    cp = c;
    return 1;
  }
  if (c >= 0xC2 && c <= 0xDF) {
    n = 2;
    cp = c & 0x1F;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 3;
    cp = c & 0x0F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4;
    cp = c & 0x07;
  } else {
    return 0;
  }
  if (i + n > s.size()) return 0;
  for (size_t k = 1; k < n; ++k) {
    if ((b(i + k) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b(i + k) & 0x3F);
  }
  // Overlong forms, surrogates and values beyond Unicode.
  if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
      (cp >= 0xD800 && cp <= 0xDFFF))
    return 0;
  return n;
}

bool XmlChar(char32_t cp) {
  return cp == 0x9 || cp == 0xA || cp == 0xD || (cp >= 0x20 && cp <= 0xD7FF) ||
         (cp >= 0xE000 && cp <= 0xFFFD) || (cp >= 0x10000 && cp <= 0x10FFFF);
}

// A horizon's point numbers become the ids when they can: CAD programs
// show them, and the surveyor finds the point again by its number.
std::vector<int64_t> PointIds(const PointTable& P, const Delaunay::TDelaunay& mesh,
                              bool& numbers_as_ids) {
  const int32_t n = mesh.tPoints - 1;
  std::vector<int64_t> id(static_cast<size_t>(n) + 1, 0);
  std::unordered_set<int32_t> seen;
  seen.reserve(static_cast<size_t>(n));
  bool numbers = true;
  for (int32_t v = 1; v <= n && numbers; ++v) {
    const int32_t nr = P[static_cast<size_t>(mesh.Vertex[v].ID)].NR;
    numbers = nr > 0 && seen.insert(nr).second;
  }
  for (int32_t v = 1; v <= n; ++v)
    id[static_cast<size_t>(v)] = numbers ? P[static_cast<size_t>(mesh.Vertex[v].ID)].NR : v;
  numbers_as_ids = numbers;
  return id;
}

void WriteSurface(BlockWriter& w, const ExportInput& in, const ExportHorizon& h,
                  const HorizonCutFill* cut_fill) {
  const RunRecord& run = *in.run;
  const std::string area = Format("%.2f", h.area);
  const std::string volume = Format("%.2f", h.volume);
  w << "    <Surface name=\"" << XmlText(h.name) << "\" desc=\""
    << XmlText("Fläche " + area + " m², Masse " + volume + " m³ gegen H0 = " + run.h0_text +
               " m (Prismenmethode)")
    << "\">\n";

  const PointTable& P = *in.P;
  const Delaunay::TDelaunay* mesh = h.mesh;
  const int32_t vertices = mesh ? mesh->tPoints - 1 : 0;
  const int32_t faces = mesh ? mesh->HowMany : 0;
  double zmin = 0, zmax = 0;
  for (int32_t v = 1; v <= vertices; ++v) {
    const double z = P[static_cast<size_t>(mesh->Vertex[v].ID)].Z;
    if (v == 1 || z < zmin) zmin = z;
    if (v == 1 || z > zmax) zmax = z;
  }
  w << "      <Definition surfType=\"TIN\" area2DSurf=\"" << ShortestNumber(h.area) << '"';
  if (vertices > 0)
    w << " elevMin=\"" << ShortestNumber(zmin) << "\" elevMax=\"" << ShortestNumber(zmax) << '"';
  w << ">\n        <Pnts>\n";
  std::vector<int64_t> id;
  bool numbers_as_ids = true;
  if (mesh) id = PointIds(P, *mesh, numbers_as_ids);
  for (int32_t v = 1; v <= vertices; ++v) {
    // The run's coordinates, not the mesh's rounded copies: the prisms
    // recomputed from the file are the protocol's.
    const TPunkt& p = P[static_cast<size_t>(mesh->Vertex[v].ID)];
    w << "          <P id=\"" << std::to_string(id[static_cast<size_t>(v)]) << '"';
    // Running ids say nothing to the surveyor; the point's number does.
    if (!numbers_as_ids) w << " name=\"" << std::to_string(p.NR) << '"';
    w << ">"
      << ShortestNumber(p.X) << ' ' << ShortestNumber(p.Y) << ' ' << ShortestNumber(p.Z)
      << "</P>\n";
  }
  w << "        </Pnts>\n        <Faces>\n";
  for (int32_t t = 1; t <= faces; ++t) {
    const Delaunay::dTriangle& tri = mesh->Triangle[t];
    w << "          <F>" << std::to_string(id[static_cast<size_t>(tri.vv0)]) << ' '
      << std::to_string(id[static_cast<size_t>(tri.vv1)]) << ' '
      << std::to_string(id[static_cast<size_t>(tri.vv2)]) << "</F>\n";
  }
  w << "        </Faces>\n      </Definition>\n";
  // The figures once more for programs that read properties, not texts.
  w << "      <Feature name=\"Massenberechnung\" source=\"Zelmaro\">\n"
    << "        <Property label=\"H0\" value=\"" << ShortestNumber(run.H0) << "\"/>\n"
    << "        <Property label=\"Flaeche\" value=\"" << ShortestNumber(h.area) << "\"/>\n"
    << "        <Property label=\"Masse\" value=\"" << ShortestNumber(h.volume) << "\"/>\n"
    << "        <Property label=\"Dreiecke\" value=\"" << std::to_string(faces) << "\"/>\n";
  if (cut_fill)
    w << "        <Property label=\"MasseUeberH0\" value=\"" << ShortestNumber(cut_fill->above)
      << "\"/>\n"
      << "        <Property label=\"MasseUnterH0\" value=\"" << ShortestNumber(cut_fill->below)
      << "\"/>\n";
  w << "        <Property label=\"PunkteZusammengelegt\" value=\"" << std::to_string(MergedPoints(in, h))
    << "\"/>\n";
  w << "      </Feature>\n";
  w << "    </Surface>\n";
}

}  // namespace

std::string XmlText(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    char32_t cp = 0;
    const size_t n = Utf8Sequence(s, i, cp);
    if (n == 0) {
      out += kReplacement;
      ++i;
      continue;
    }
    if (!XmlChar(cp)) {
      out += kReplacement;
    } else if (cp == '&') {
      out += "&amp;";
    } else if (cp == '<') {
      out += "&lt;";
    } else if (cp == '>') {
      out += "&gt;";
    } else if (cp == '"') {
      out += "&quot;";
    } else if (cp == '\t' || cp == '\n' || cp == '\r') {
      // Attribute values would fold them into blanks.
      out += Format("&#%u;", static_cast<unsigned>(cp));
    } else {
      out.append(s.substr(i, n));
    }
    i += n;
  }
  return out;
}

void WriteLandXml(const ExportInput& in, std::ostream& out) {
  const RunRecord& run = *in.run;
  const std::tm& t = in.created;
  const std::string date = Format("%04d-%02d-%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday);
  const std::string time = Format("%02d:%02d:%02d", t.tm_hour, t.tm_min, t.tm_sec);
  BlockWriter w(out);
  w << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    << "<LandXML xmlns=\"http://www.landxml.org/schema/LandXML-1.2\""
       " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\""
       " xsi:schemaLocation=\"http://www.landxml.org/schema/LandXML-1.2"
       " http://www.landxml.org/schema/LandXML-1.2/LandXML-1.2.xsd\""
    << " version=\"1.2\" date=\"" << date << "\" time=\"" << time
    << "\" readOnly=\"false\" language=\"German\">\n"
    << "  <Units>\n"
       "    <Metric areaUnit=\"squareMeter\" linearUnit=\"meter\" volumeUnit=\"cubicMeter\""
       " temperatureUnit=\"celsius\" pressureUnit=\"milliBars\" angularUnit=\"decimal degrees\""
       " directionUnit=\"decimal degrees\"/>\n"
       "  </Units>\n";
  // The code alone: its name would need the EPSG database, and a reader
  // that knows the code knows the name.
  if (in.options.epsg > 0)
    w << "  <CoordinateSystem epsgCode=\"" << std::to_string(in.options.epsg) << "\" desc=\"EPSG:"
      << std::to_string(in.options.epsg) << "\"/>\n";
  const std::string project = run.project.empty() ? run.point_file : run.project;
  w << "  <Project name=\"" << XmlText(project) << "\" desc=\""
    << XmlText("Punktdatei " + run.point_file) << "\"/>\n";
  w << "  <Application name=\"Zelmaro\" desc=\"Massenberechnung nach der Prismenmethode\""
    << " version=\"" << XmlText(in.version) << "\" timeStamp=\"" << date << 'T' << time
    << "\"/>\n";
  w << "  <Surfaces>\n";
  const CutFill* cf = in.cut_fill;
  WriteSurface(w, in, in.reference, cf ? &cf->reference : nullptr);
  WriteSurface(w, in, in.terrain, cf ? &cf->terrain : nullptr);
  // Cut and fill between the horizons where readers look for them: the
  // terrain compared with the reference horizon, triangle against triangle.
  if (cf && in.reference.mesh && in.terrain.mesh) {
    const BetweenCutFill& b = cf->between;
    w << "    <SurfVolumes name=\"Auf- und Abtrag\" surfVolCalcMethod=\"composite\">\n"
      << "      <SurfVolume surfBase=\"" << XmlText(in.reference.name) << "\" surfCompare=\""
      << XmlText(in.terrain.name) << "\" volCut=\"" << ShortestNumber(b.cut) << "\" volFill=\""
      << ShortestNumber(b.fill) << "\" volTotal=\"" << ShortestNumber(b.fill - b.cut)
      << "\" desc=\"Auftrag (Gelände über Bezugshorizont) und Abtrag (darunter) in m³\"/>\n"
      << "    </SurfVolumes>\n";
  }
  w << "  </Surfaces>\n</LandXML>\n";
  w.Flush();
}

void WriteLandXml(const ExportInput& in, const std::string& file) {
  WriteExportFile(file, [&](std::ostream& out) { WriteLandXml(in, out); });
}

}  // namespace zelmaro
