#include "plot/plot.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "mesh/zero_lines.h"
#include "text/convert.h"
#include "text/format.h"
#include "volume/cut_fill.h"

namespace zelmaro {

namespace {

using ext = long double;

bool Usable(double mf) { return std::isfinite(mf) && mf != 0; }

// Round (halves to even) of an extended quotient; false when the pixel lies
// beyond any image.
bool RoundCoord(ext q, int32_t& out) {
  const ext r = std::nearbyint(q);
  if (!InPlot(r)) return false;
  out = static_cast<int32_t>(r);
  return true;
}

// A plan position (x northing, y easting): column from the easting, row from
// the northing, both truncated.
bool PlanPixel(double x, double y, const ViewValues& view, int32_t YDir, TPoint& p) {
  int32_t row = 0;
  if (!TruncPixel(y, view.YOffset, view.MF, p.x)) return false;
  if (!TruncPixel(x, view.XOFFset, view.MF, row)) return false;
  p.y = row * YDir;
  return true;
}

// The segments come triangle by triangle; drawn as chains through their
// shared ends, a dashed line keeps its pattern from one to the next.
void DrawZeroLines(TCanvas& canvas, const Delaunay::TDelaunay& mesh, double H0,
                   const ViewValues& view, int32_t YDir) {
  const std::vector<ZeroSegment> segments = ZeroLines(mesh, H0);
  // Neighbouring triangles compute a shared end from the same edge, so the
  // ends meet bit for bit.
  using End = std::pair<double, double>;
  std::map<End, std::vector<size_t>> at;
  for (size_t i = 0; i < segments.size(); ++i) {
    at[{segments[i].x1, segments[i].y1}].push_back(i);
    at[{segments[i].x2, segments[i].y2}].push_back(i);
  }
  std::vector<bool> drawn(segments.size(), false);
  auto pixel = [&](End e, TPoint& p) { return PlanPixel(e.first, e.second, view, YDir, p); };
  for (size_t first = 0; first < segments.size(); ++first) {
    if (drawn[first]) continue;
    End end{segments[first].x1, segments[first].y1};
    TPoint p;
    bool pen_down = false;
    for (size_t i = first; i != SIZE_MAX;) {
      drawn[i] = true;
      const ZeroSegment& z = segments[i];
      const End other = end == End{z.x1, z.y1} ? End{z.x2, z.y2} : End{z.x1, z.y1};
      if (!pen_down && pixel(end, p)) {
        canvas.MoveTo(p.x, p.y);
        pen_down = true;
      }
      if (pen_down && pixel(other, p))
        canvas.LineTo(p.x, p.y);
      else
        pen_down = false;  // beyond any image: the chain goes on unseen
      end = other;
      i = SIZE_MAX;
      for (size_t next : at[end])
        if (!drawn[next]) {
          i = next;
          break;
        }
    }
  }
}

// The boundary's rings and the breaklines' segments of the last run, each
// in a colour of its own, a line of a width of two over everything the
// meshes draw.
void DrawBoundaryAndBreaklines(TCanvas& canvas, const RunState& ws, const ViewValues& view,
                               int32_t YDir) {
  canvas.SetPenWidth(2);
  auto line = [&](double x1, double y1, double x2, double y2) {
    TPoint a, b;
    if (!PlanPixel(x1, y1, view, YDir, a) || !PlanPixel(x2, y2, view, YDir, b)) return;
    canvas.MoveTo(a.x, a.y);
    canvas.LineTo(b.x, b.y);
  };
  if (ws.breaklines) {
    canvas.SetPenColor(clGreen);
    for (const auto& [a, b] : ws.preparedBreaklines.segments) {
      if (a < 1 || b < 1 || a > High(ws.P) || b > High(ws.P)) continue;
      const TPunkt &p = ws.P[static_cast<size_t>(a)], &q = ws.P[static_cast<size_t>(b)];
      line(p.X, p.Y, q.X, q.Y);
    }
  }
  if (ws.boundary) {
    canvas.SetPenColor(clFuchsia);
    for (const auto& ring : ws.boundary->Polygon().rings)
      for (size_t i = 0; i < ring.size(); ++i) {
        const PlanPoint &p = ring[i], &q = ring[(i + 1) % ring.size()];
        line(p.N, p.E, q.N, q.E);
      }
  }
  canvas.SetPenWidth(1);
}

bool ValidVertex(const Delaunay::TDelaunay& mesh, int32_t v) {
  return v >= 0 && static_cast<size_t>(v) < mesh.Vertex.size();
}

// The part of the target that a shape can reach: the image, or the printed
// page, with a margin for the pen. A shape whose extent lies wholly outside
// leaves no mark, so it is not handed to the canvas at all; zoomed in, that
// is nearly everything.
struct Visible {
  int64_t left = 0, top = 0, right = 0, bottom = 0;

  bool Misses(int64_t x0, int64_t y0, int64_t x1, int64_t y1) const {
    return x1 < left || x0 > right || y1 < top || y0 > bottom;
  }
  bool MissesBox(const TPoint* p, size_t n) const {
    int64_t x0 = p[0].x, x1 = p[0].x, y0 = p[0].y, y1 = p[0].y;
    for (size_t i = 1; i < n; ++i) {
      x0 = std::min<int64_t>(x0, p[i].x);
      x1 = std::max<int64_t>(x1, p[i].x);
      y0 = std::min<int64_t>(y0, p[i].y);
      y1 = std::max<int64_t>(y1, p[i].y);
    }
    return Misses(x0, y0, x1, y1);
  }
};

// Pen widths are one unit; the margin also covers a line's end pixel.
constexpr int64_t kPenMargin = 4;
// A label's glyphs are at most this high and each this wide, in the units
// of either target (8 points on the screen, 4 points in 0.1 mm on paper).
constexpr int64_t kGlyphBound = 40;

Visible ScreenArea(int32_t width, int32_t height) {
  return {-kPenMargin, -kPenMargin, int64_t{width} + kPenMargin, int64_t{height} + kPenMargin};
}

// The printer's page in 0.1 mm with y upwards: x from 0 to the page width,
// y from minus the page height to 0. Both the millimetres and the dots are
// asked, whichever is larger counts.
Visible PageArea(const TPrinterDevice& dev) {
  auto units = [](int mm, int dots, int dpi) {
    const int64_t by_mm = int64_t{mm} * 10;
    const int64_t by_dots = dpi > 0 ? (int64_t{dots} * 254 + dpi - 1) / dpi : 0;
    return std::max(by_mm, by_dots);
  };
  const int64_t w = units(dev.HorzSize, dev.PageWidth, dev.LogPixelsX);
  const int64_t h = units(dev.VertSize, dev.PageHeight, dev.LogPixelsY);
  return {-kPenMargin, -h - kPenMargin, w + kPenMargin, kPenMargin};
}

// Each corner's pixel once, however many triangles share it.
class CornerPixels {
 public:
  CornerPixels(const Delaunay::TDelaunay& mesh, const ViewValues& view, int32_t YDir)
      : mesh_(mesh), view_(view), ydir_(YDir) {
    const auto n = std::min(static_cast<size_t>(std::max(mesh.tPoints + 3, 1)), mesh.Vertex.size());
    pixel_.resize(n);
    state_.assign(n, 0);
  }
  // False when the corner lies beyond any image.
  bool Get(int32_t v, TPoint& p) {
    const auto i = static_cast<size_t>(v);
    if (i >= state_.size()) {
      pixel_.resize(i + 1);
      state_.resize(i + 1, 0);
    }
    if (state_[i] == 0) {
      const Delaunay::dVertex& c = mesh_.Vertex[v];
      state_[i] = PlanPixel(c.x, c.y, view_, ydir_, pixel_[i]) ? 1 : 2;
    }
    p = pixel_[i];
    return state_[i] == 1;
  }

 private:
  const Delaunay::TDelaunay& mesh_;
  const ViewValues& view_;
  int32_t ydir_;
  std::vector<TPoint> pixel_;
  std::vector<uint8_t> state_;  // 0 not yet converted, 1 usable, 2 beyond any image
};

void DrawTriangles(TCanvas& canvas, const Delaunay::TDelaunay& mesh, const ViewValues& view,
                   int32_t YDir, const Visible& area) {
  const int32_t n =
      static_cast<int32_t>(std::min<size_t>(static_cast<size_t>(std::max(mesh.HowMany, 0)),
                                            mesh.Triangle.size() - 1));
  CornerPixels pixels(mesh, view, YDir);
  std::vector<TPoint> corners;
  corners.reserve(3 * static_cast<size_t>(std::max(n, 0)));
  for (int32_t t = 1; t <= n; ++t) {
    const Delaunay::dTriangle& tri = mesh.Triangle[t];
    if (!ValidVertex(mesh, tri.vv0) || !ValidVertex(mesh, tri.vv1) || !ValidVertex(mesh, tri.vv2))
      continue;
    TPoint c[3];
    if (!pixels.Get(tri.vv0, c[0]) || !pixels.Get(tri.vv1, c[1]) || !pixels.Get(tri.vv2, c[2]))
      continue;
    if (area.MissesBox(c, 3)) continue;
    corners.insert(corners.end(), c, c + 3);
  }
  canvas.Triangles(corners);
}

void DrawContours(TCanvas& canvas, const Delaunay::TDelaunay& mesh, const ViewValues& view,
                  int32_t YDir, const Visible& area) {
  const Delaunay::TContourSetup& c = mesh.Contour;
  const auto points = static_cast<int64_t>(c.Points.size());
  // Each contour point's pixel once: the chained segments share their ends.
  std::vector<TPoint> pixel(c.Points.size());
  std::vector<uint8_t> usable(c.Points.size());
  for (size_t i = 0; i < c.Points.size(); ++i)
    // A contour end is placed as a mesh corner is: its direction enters
    // before the division, but being one or minus one it changes only the sign.
    usable[i] = PlanPixel(c.Points[i].X, c.Points[i].Y, view, YDir, pixel[i]) ? 1 : 0;

  constexpr size_t kBatch = 4096;  // lines handed over at once
  std::vector<TPoint> batch;
  batch.reserve(2 * kBatch);
  const int64_t levels = std::min<int64_t>(c.NoLevels, static_cast<int64_t>(c.Contours.size()));
  for (int64_t i = 0; i < levels; ++i) {
    for (const Delaunay::TLine& line : c.Contours[static_cast<size_t>(i)]) {
      if (line.sp < 0 || line.sp >= points || line.ep < 0 || line.ep >= points) continue;
      const auto sp = static_cast<size_t>(line.sp), ep = static_cast<size_t>(line.ep);
      if (!usable[sp] || !usable[ep]) continue;
      const TPoint ends[2] = {pixel[sp], pixel[ep]};
      if (area.MissesBox(ends, 2)) continue;
      batch.push_back(ends[0]);
      batch.push_back(ends[1]);
      if (batch.size() == 2 * kBatch) {
        canvas.Lines(batch);
        batch.clear();
      }
    }
  }
  if (!batch.empty()) canvas.Lines(batch);
}

void DrawFrame(TCanvas& canvas, double& PlotMF, const std::string& masstab, const ViewValues& view,
               TPlotTarget& target) {
  PlotMF = static_cast<double>(ext(StrToFloat(Trim(masstab))) / 1000);
  const TPrinterDevice dev = target.PrinterDevice();
  if (dev.LogPixelsX <= 0 || dev.LogPixelsY <= 0)
    throw EPrinter("Der Drucker meldet keine Auflösung");
  if (!Usable(view.MF)) return;
  // 25.4 enters as an extended constant, like every literal of the expression.
  int32_t right = 0, bottom = 0;
  if (!RoundCoord(ext(dev.PageWidth) * 25.4L / dev.LogPixelsX / view.MF * PlotMF, right) ||
      !RoundCoord(ext(dev.PageHeight) * 25.4L / dev.LogPixelsY / view.MF * PlotMF, bottom))
    return;
  canvas.SetPenStyle(TPenStyle::psDash);
  canvas.SetPenColor(clRed);
  canvas.SetBrushStyle(TBrushStyle::bsClear);
  canvas.Rectangle(0, 0, right, bottom);
  target.RepaintScreen();
  canvas.SetPenStyle(TPenStyle::psSolid);
}

void Draw(const RunState& ws, ViewValues& view, uint8_t& Display, double& PlotMF,
          const TPlotSettings& s, TPlotTarget& target, ContourSource* contours, double& OldMF,
          bool& printing) {
  TCanvas* canvas = nullptr;
  int32_t XMax = 0, YMax = 0, YDir = 0;
  Visible area;
  if (Display == 0) {
    XMax = target.ScreenWidth();
    YMax = target.ScreenHeight();
    canvas = &target.ScreenCanvas(XMax, YMax);
    canvas->SetFontSize(8);
    YDir = -1;
    area = ScreenArea(XMax, YMax);
  } else {
    canvas = &target.BeginDoc();
    printing = true;
    const TPrinterDevice dev = target.PrinterDevice();
    XMax = dev.HorzSize;
    YMax = dev.VertSize;
    canvas->SetFontSize(4);
    view.MF = static_cast<double>(ext(view.MF) / 5);
    YDir = 1;
    area = PageArea(dev);
  }
  TCanvas& c = *canvas;
  const TColor AktColor = c.PenColor();
  std::optional<ELimitError> limit;

  c.SetBrushStyle(TBrushStyle::bsSolid);
  c.SetBrushColor(clWhite);
  c.FillRect(0, 0, XMax, YMax);

  c.SetPenWidth(1);
  c.SetPenStyle(TPenStyle::psSolid);
  c.SetBrushStyle(TBrushStyle::bsClear);
  c.SetFontName("Arial");
  c.SetFontColor(clBlack);

  const bool usable = Usable(view.MF);
  if (usable) {
    for (int i = 1; i <= High(ws.P); ++i) {
      const TPunkt& p = ws.P[static_cast<size_t>(i)];
      int32_t row = 0, XB = 0;
      if (!RoundPixel(p.X, view.XOFFset, view.MF, row) ||
          !RoundPixel(p.Y, view.YOffset, view.MF, XB))
        continue;
      const int32_t YB = row * YDir;
      const bool circle_seen = !area.Misses(XB - 1, YB - 1, XB + 1, YB + 1);
      if (s.PNR || s.Z) {
        const std::string nr = s.PNR ? Format("%d", p.NR) : std::string();
        const std::string z = s.Z ? Format("%7.3f", p.Z) : std::string();
        const int64_t lx = int64_t{XB} + 10, ly = int64_t{YB} + 10 * YDir;
        const auto width = static_cast<int64_t>(std::max(nr.size(), z.size())) * kGlyphBound;
        if (!area.Misses(lx, ly - kGlyphBound, lx + width, ly + kGlyphBound)) {
          if (s.PNR) c.TextOut(XB + 10, YB + 10 * YDir, nr);
          if (s.Z) c.TextOut(XB + 10, YB + 10 * YDir, z);
        }
      }
      if (!circle_seen) continue;
      if (c.PenColor() != clBlack) c.SetPenColor(clBlack);
      c.Ellipse(XB - 1, YB - 1, XB + 1, YB + 1);
    }

    Delaunay::TDelaunay* const mesh0 = ws.Mesh0.get();
    Delaunay::TDelaunay* const mesh1 = ws.Mesh1.get();
    if (s.Mesh0 && mesh0 && mesh0->HowMany > 0) {
      c.SetPenColor(clBlue);
      DrawTriangles(c, *mesh0, view, YDir, area);
    }
    if (s.Mesh1 && mesh1 && mesh1->HowMany > 0) {
      c.SetPenColor(clRed);
      DrawTriangles(c, *mesh1, view, YDir, area);
    }
    if (s.Isoline) {
      // An interval too fine for a mesh costs that mesh its contour lines,
      // not the rest of the plot; the report follows once it is drawn.
      auto contour_lines = [&](Delaunay::TDelaunay& mesh, TColor color) {
        c.SetPenColor(color);
        try {
          const double interval = ContourInterval(s.HLIntervall);
          if (contours)
            contours->Contours(mesh, interval);
          else
            ComputeContours(mesh, interval);
        } catch (const ELimitError& e) {
          if (!limit) limit = e;
          return;
        }
        DrawContours(c, mesh, view, YDir, area);
      };
      if (s.Mesh0 && mesh0) contour_lines(*mesh0, clBlue);
      if (s.Mesh1 && mesh1) contour_lines(*mesh1, clMaroon);
    }
    // Over the contour lines, so that the line between cut and fill stays
    // visible; only meshes of a finished run have a reference height.
    if (s.ZeroLines && ws.cutFill.valid) {
      c.SetPenStyle(TPenStyle::psDash);
      c.SetPenWidth(2);
      if (s.Mesh0 && mesh0) {
        c.SetPenColor(clBlue);
        DrawZeroLines(c, *mesh0, ws.cutFill.H0, view, YDir);
      }
      if (s.Mesh1 && mesh1) {
        c.SetPenColor(clRed);
        DrawZeroLines(c, *mesh1, ws.cutFill.H0, view, YDir);
      }
      c.SetPenWidth(1);
      c.SetPenStyle(TPenStyle::psSolid);
    }
  }

  if (ws.boundary || ws.breaklines) DrawBoundaryAndBreaklines(c, ws, view, YDir);

  if (s.OutputArea && Display == 0) DrawFrame(c, PlotMF, s.Masstab, view, target);

  if (Display != 0) {
    printing = false;
    target.EndDoc();
    view.MF = OldMF;
    Display = 0;
  }
  c.SetPenColor(AktColor);
  if (limit) throw *limit;
}

}  // namespace

void ZeigPPunkte(const RunState& ws, ViewValues& view, uint8_t& Display, double& PlotMF,
                 const TPlotSettings& settings, TPlotTarget& target, ContourSource* contours) {
  double OldMF = view.MF;
  bool printing = false;
  try {
    Draw(ws, view, Display, PlotMF, settings, target, contours, OldMF, printing);
  } catch (...) {
    // A failed print prints nothing and leaves the screen as the target,
    // with the view as it was.
    if (Display != 0) {
      if (printing) target.AbortDoc();
      view.MF = OldMF;
      Display = 0;
    }
    throw;
  }
}

}  // namespace zelmaro
