#include "export/dxf.h"

#include <dl_attributes.h>
#include <dl_codes.h>
#include <dl_dxf.h>
#include <dl_entities.h>
#include <dl_writer_ascii.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

#include "export/contour_join.h"
#include "export/export_file.h"
#include "text/format.h"

namespace zelmaro {

namespace {

// dxflib's writer opens a file by name; ours hands its group codes to the
// export's stream instead, so the file can be written as a whole, with
// numbers that read back as the same doubles.
class StreamDxfWriter : public DL_WriterA {
 public:
  explicit StreamDxfWriter(BlockWriter& w) : DL_WriterA("", DL_VERSION_2000), w_(w) {}

  void dxfReal(int gc, double value) const override { Put(gc, ShortestNumber(value)); }
  void dxfInt(int gc, int value) const override { Put(gc, std::to_string(value)); }
  void dxfHex(int gc, int value) const override { Put(gc, Format("%X", static_cast<unsigned>(value))); }
  void dxfString(int gc, const char* value) const override { Put(gc, value); }
  void dxfString(int gc, const std::string& value) const override { Put(gc, value); }

  // Values that replace the library's fixed ones for the next record (the
  // view, the text style's font).
  void Replace(std::map<int, std::string> values) { replace_ = std::move(values); }
  // The library leaves out the owner of the objects it writes. A
  // dictionary owns the entries it names, and they follow it; with this on,
  // each object's handle is followed by its owner's, the root's by 0.
  void Owners(bool on) {
    owners_on_ = on;
    owners_ = {{"C", "0"}};
  }

 private:
  void Put(int gc, std::string_view value) const {
    auto r = replace_.find(gc);
    if (r != replace_.end()) value = r->second;
    Raw(gc, value);
    if (!owners_on_) return;
    if (gc == 0) {
      type_ = value;
    } else if (gc == 5) {
      handle_ = value;
      auto o = owners_.find(handle_);
      if (o != owners_.end()) Raw(330, o->second);
    } else if (gc == 350 && (type_ == "DICTIONARY" || type_ == "ACDBDICTIONARYWDFLT")) {
      owners_.emplace(std::string(value), handle_);
    }
  }
  void Raw(int gc, std::string_view value) const {
    const std::string code = std::to_string(gc);
    if (code.size() < 3) w_ << std::string_view("   ", 3 - code.size());
    w_ << code << "\r\n" << value << "\r\n";
  }
  BlockWriter& w_;
  std::map<int, std::string> replace_;
  bool owners_on_ = false;
  mutable std::string type_, handle_;
  mutable std::map<std::string, std::string> owners_;
};

// The extent of everything drawn, in drawing axes (easting, northing,
// height), and the text height that labels add around the points.
struct DrawingExtent {
  double min[3] = {0, 0, 0}, max[3] = {0, 0, 0};
};

DrawingExtent ExtentOf(const PointTable& P, double margin) {
  DrawingExtent e;
  bool any = false;
  for (int i = 1; i <= High(P); ++i) {
    const TPunkt& p = P[static_cast<size_t>(i)];
    const double v[3] = {p.Y, p.X, p.Z};
    if (!std::isfinite(v[0]) || !std::isfinite(v[1]) || !std::isfinite(v[2])) continue;
    for (int k = 0; k < 3; ++k) {
      e.min[k] = any ? std::min(e.min[k], v[k]) : v[k];
      e.max[k] = any ? std::max(e.max[k], v[k]) : v[k];
    }
    any = true;
  }
  for (int k = 0; k < 2 && any; ++k) {
    e.min[k] -= margin;
    e.max[k] += margin;
  }
  return e;
}

// AutoCAD colour indexes of the plot's colours; the dark red of the
// terrain's contour lines is 14 (127, 0, 0) and goes out as true colour too.
constexpr int kAciRed = 1;
constexpr int kAciBlue = 5;
constexpr int kAciBlackWhite = 7;
constexpr int kAciDarkRed = 14;
constexpr int kDarkRed24 = 0x800000;

struct LayerDef {
  const char* name;
  int color;
};

constexpr LayerDef kLayers[] = {
    {"0", kAciBlackWhite},         {kLayerPoints, kAciBlackWhite},
    {kLayerNumbers, kAciBlackWhite}, {kLayerHeights, kAciBlackWhite},
    {kLayerMesh0, kAciBlue},       {kLayerMesh1, kAciRed},
    {kLayerContours0, kAciBlue},   {kLayerContours1, kAciDarkRed},
};

DL_Attributes OnLayer(const char* layer) { return DL_Attributes(layer, 256, -1, "BYLAYER", 1.0); }

void WriteTables(DL_Dxf& dxf, StreamDxfWriter& dw, const DrawingExtent& e) {
  dw.sectionTables();
  // The active view shows the whole drawing, with a tenth around it.
  const double w = std::max(e.max[0] - e.min[0], 1.0), h = std::max(e.max[1] - e.min[1], 1.0);
  const double aspect = 1.5;
  dw.Replace({{12, ShortestNumber((e.min[0] + e.max[0]) / 2)},
              {22, ShortestNumber((e.min[1] + e.max[1]) / 2)},
              {40, ShortestNumber(1.1 * std::max(h, w / aspect))},
              {41, ShortestNumber(aspect)}});
  dxf.writeVPort(dw);
  dw.Replace({});

  dw.tableLinetypes(3);
  dxf.writeLinetype(dw, DL_LinetypeData("BYBLOCK", "", 0, 0, 0.0));
  dxf.writeLinetype(dw, DL_LinetypeData("BYLAYER", "", 0, 0, 0.0));
  dxf.writeLinetype(dw, DL_LinetypeData("CONTINUOUS", "Solid line", 0, 0, 0.0));
  dw.tableEnd();

  dw.tableLayers(static_cast<int>(std::size(kLayers)));
  for (const LayerDef& l : kLayers)
    dxf.writeLayer(dw, DL_LayerData(l.name, 0),
                   DL_Attributes("", l.color, l.color == kAciDarkRed ? kDarkRed24 : -1, -3,
                                 "CONTINUOUS"));
  dw.tableEnd();

  dw.tableStyle(1);
  // The font file that every CAD program has or maps.
  dw.Replace({{3, "txt"}});
  dxf.writeStyle(dw, DL_StyleData("Standard", 0, 0.0, 1.0, 0.0, 0, 2.5, "txt", ""));
  dw.Replace({});
  dw.tableEnd();

  dxf.writeView(dw);
  dxf.writeUcs(dw);
  dw.tableAppid(1);
  dxf.writeAppid(dw, "ACAD");
  dw.tableEnd();
  dxf.writeDimStyle(dw, 1, 1, 1, 1, 1);
  dxf.writeBlockRecord(dw);
  dw.tableEnd();
  dw.sectionEnd();
}

void WriteBlocks(DL_Dxf& dxf, StreamDxfWriter& dw) {
  dw.sectionBlocks();
  for (const char* name : {"*Model_Space", "*Paper_Space", "*Paper_Space0"}) {
    dxf.writeBlock(dw, DL_BlockData(name, 0, 0.0, 0.0, 0.0));
    dxf.writeEndBlock(dw, name);
  }
  dw.sectionEnd();
}

void WritePoints(DL_Dxf& dxf, StreamDxfWriter& dw, const PointTable& P, bool labels) {
  const double h = DxfTextHeight(P);
  const DL_Attributes points = OnLayer(kLayerPoints);
  const DL_Attributes numbers = OnLayer(kLayerNumbers);
  const DL_Attributes heights = OnLayer(kLayerHeights);
  // Every point of the table, whatever its code, as the plot draws them; the
  // easting is the drawing's x, the northing its y.
  for (int i = 1; i <= High(P); ++i) {
    const TPunkt& p = P[static_cast<size_t>(i)];
    dxf.writePoint(dw, DL_PointData(p.Y, p.X, p.Z), points);
    if (!labels) continue;
    const double x = p.Y + h / 2;
    dxf.writeText(dw,
                  DL_TextData(x, p.X + h / 2, p.Z, x, p.X + h / 2, p.Z, h, 1.0, 0, 0, 0,
                              std::to_string(p.NR), "Standard", 0.0),
                  numbers);
    dxf.writeText(dw,
                  DL_TextData(x, p.X - 1.5 * h, p.Z, x, p.X - 1.5 * h, p.Z, h, 1.0, 0, 0, 0,
                              Format("%.3f", p.Z), "Standard", 0.0),
                  heights);
  }
}

void WriteFaces(DL_Dxf& dxf, StreamDxfWriter& dw, const PointTable& P,
                const Delaunay::TDelaunay* mesh, const char* layer) {
  if (!mesh) return;
  const DL_Attributes attr = OnLayer(layer);
  for (int32_t t = 1; t <= mesh->HowMany; ++t) {
    const Delaunay::dTriangle& tri = mesh->Triangle[t];
    const TPunkt& a = P[static_cast<size_t>(mesh->Vertex[tri.vv0].ID)];
    const TPunkt& b = P[static_cast<size_t>(mesh->Vertex[tri.vv1].ID)];
    const TPunkt& c = P[static_cast<size_t>(mesh->Vertex[tri.vv2].ID)];
    // A triangle is a face whose fourth corner repeats the third.
    dxf.write3dFace(dw, DL_3dFaceData(a.Y, a.X, a.Z, b.Y, b.X, b.Z, c.Y, c.X, c.Z, c.Y, c.X, c.Z),
                    attr);
  }
}

// A light-weight polyline at the level's height (its elevation): one
// entity per line, the form CAD programs offer for contour lines.
void WriteContours(StreamDxfWriter& dw, const ExportHorizon& h,
                   const std::vector<Delaunay::ContourPolyline>& lines, const char* layer,
                   int color24) {
  if (!h.contour) return;
  DL_Attributes attr = OnLayer(layer);
  if (color24 >= 0) attr = DL_Attributes(layer, kAciDarkRed, color24, -1, "BYLAYER");
  const Delaunay::TContourSetup& c = *h.contour;
  for (const Delaunay::ContourPolyline& line : lines) {
    dw.entity("LWPOLYLINE");
    dw.dxfString(100, "AcDbEntity");
    dw.entityAttributes(attr);
    dw.dxfString(100, "AcDbPolyline");
    dw.dxfInt(90, static_cast<int>(line.points.size()));
    dw.dxfInt(70, line.closed ? 1 : 0);
    dw.dxfReal(38, c.Levels[static_cast<size_t>(line.level)]);
    for (int32_t p : line.points) {
      // Contour points carry the mesh's axes: x the northing, y the easting.
      const Delaunay::TPunkt& q = c.Points[static_cast<size_t>(p)];
      dw.dxfReal(10, q.Y);
      dw.dxfReal(20, q.X);
    }
  }
}

}  // namespace

double DxfTextHeight(const PointTable& P) {
  const int n = High(P);
  if (n < 2) return 1.0;
  double minx = P[1].X, maxx = P[1].X, miny = P[1].Y, maxy = P[1].Y;
  for (int i = 2; i <= n; ++i) {
    const TPunkt& p = P[static_cast<size_t>(i)];
    minx = std::min(minx, p.X);
    maxx = std::max(maxx, p.X);
    miny = std::min(miny, p.Y);
    maxy = std::max(maxy, p.Y);
  }
  const double spacing = std::sqrt((maxx - minx) * (maxy - miny) / n);
  if (!std::isfinite(spacing) || spacing <= 0) return 1.0;
  return std::clamp(spacing / 4, 0.01, 10.0);
}

void WriteDxf(const ExportInput& in, std::ostream& out) {
  const PointTable& P = *in.P;
  const DxfLayers& layers = in.options.dxf_layers;
  BlockWriter w(out);
  StreamDxfWriter dw(w);
  DL_Dxf dxf;

  std::vector<Delaunay::ContourPolyline> contours[2];
  if (layers.contours) {
    if (in.reference.contour) contours[0] = JoinContourPieces(*in.reference.contour, in.reference.polylines);
    if (in.terrain.contour) contours[1] = JoinContourPieces(*in.terrain.contour, in.terrain.polylines);
  }
  // The handle seed must lie above every handle the file uses: the tables
  // and blocks take a few dozen, each entity one.
  size_t entities = (layers.labels ? 3 : 1) * static_cast<size_t>(std::max(High(P), 0));
  for (const ExportHorizon* h : {&in.reference, &in.terrain})
    if (h->mesh && layers.triangles) entities += static_cast<size_t>(std::max(h->mesh->HowMany, 0));
  entities += contours[0].size() + contours[1].size();
  const double text_height = DxfTextHeight(P);
  const DrawingExtent e = ExtentOf(P, layers.labels ? 4 * text_height : 0);
  dw.comment(("Zelmaro " + in.version).c_str());
  dw.sectionHeader();
  dw.dxfString(9, "$ACADVER");
  dw.dxfString(1, "AC1015");
  dw.dxfString(9, "$HANDSEED");
  dw.dxfString(5, Format("%zX", static_cast<size_t>(0x30) + 1000 + entities));
  dw.dxfString(9, "$DWGCODEPAGE");
  dw.dxfString(3, "ANSI_1252");
  dw.dxfString(9, "$INSUNITS");
  dw.dxfInt(70, 6);  // metres
  // Where the drawing lies, for "zoom to extents" and for readers that
  // size their view from it.
  for (const char* name : {"$EXTMIN", "$EXTMAX"}) {
    const double* v = name[5] == 'I' ? e.min : e.max;
    dw.dxfString(9, name);
    dw.dxfReal(10, v[0]);
    dw.dxfReal(20, v[1]);
    dw.dxfReal(30, v[2]);
  }
  // Points as a circle with a cross, a label's height across: a bare dot
  // vanishes on screen.
  dw.dxfString(9, "$PDMODE");
  dw.dxfInt(70, 35);
  dw.dxfString(9, "$PDSIZE");
  dw.dxfReal(40, text_height);
  dw.sectionEnd();

  WriteTables(dxf, dw, e);
  WriteBlocks(dxf, dw);

  dw.sectionEntities();
  WritePoints(dxf, dw, P, layers.labels);
  if (layers.triangles) {
    WriteFaces(dxf, dw, P, in.reference.mesh, kLayerMesh0);
    WriteFaces(dxf, dw, P, in.terrain.mesh, kLayerMesh1);
  }
  if (layers.contours) {
    WriteContours(dw, in.reference, contours[0], kLayerContours0, -1);
    WriteContours(dw, in.terrain, contours[1], kLayerContours1, kDarkRed24);
  }
  dw.sectionEnd();

  dw.Owners(true);
  dxf.writeObjects(dw);
  dxf.writeObjectsEnd(dw);
  dw.Owners(false);
  dw.dxfEOF();
  w.Flush();
}

void WriteDxf(const ExportInput& in, const std::string& file) {
  WriteExportFile(file, [&](std::ostream& out) { WriteDxf(in, out); });
}

}  // namespace zelmaro
