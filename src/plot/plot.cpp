#include "plot/plot.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "text/convert.h"
#include "text/format.h"
#include "volume/cut_fill.h"

namespace zelmaro {

namespace {

using ext = long double;

bool Usable(double mf) { return std::isfinite(mf) && mf != 0; }

bool InPlot(ext v) { return std::isfinite(v) && std::fabs(v) <= kMaxPlotCoordinate; }

// Round (halves to even) of an extended quotient; false when the pixel lies
// beyond any image.
bool RoundCoord(ext q, int32_t& out) {
  const ext r = std::nearbyint(q);
  if (!InPlot(r)) return false;
  out = static_cast<int32_t>(r);
  return true;
}

bool TruncCoord(ext q, int32_t& out) {
  const ext t = std::trunc(q);
  if (!InPlot(t)) return false;
  out = static_cast<int32_t>(t);
  return true;
}

// A mesh corner: column from the easting y, row from the northing x.
bool CornerPixel(const Delaunay::dVertex& v, const ViewValues& view, int32_t YDir, TPoint& p) {
  int32_t row = 0;
  if (!TruncCoord((ext(v.y) - view.YOffset) / view.MF, p.x)) return false;
  if (!TruncCoord((ext(v.x) - view.XOFFset) / view.MF, row)) return false;
  p.y = row * YDir;
  return true;
}

// A contour end: here the direction enters before the division.
bool ContourPixel(const Delaunay::TPunkt& c, const ViewValues& view, int32_t YDir, TPoint& p) {
  return TruncCoord((ext(c.Y) - view.YOffset) / view.MF, p.x) &&
         TruncCoord((ext(c.X) - view.XOFFset) * YDir / view.MF, p.y);
}

// A plan position (x northing, y easting) as a mesh corner is placed.
bool PlanPixel(double x, double y, const ViewValues& view, int32_t YDir, TPoint& p) {
  int32_t row = 0;
  if (!TruncCoord((ext(y) - view.YOffset) / view.MF, p.x)) return false;
  if (!TruncCoord((ext(x) - view.XOFFset) / view.MF, row)) return false;
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

bool ValidVertex(const Delaunay::TDelaunay& mesh, int32_t v) {
  return v >= 0 && static_cast<size_t>(v) < mesh.Vertex.size();
}

void DrawTriangles(TCanvas& canvas, const Delaunay::TDelaunay& mesh, const ViewValues& view,
                   int32_t YDir) {
  const int32_t n =
      static_cast<int32_t>(std::min<size_t>(static_cast<size_t>(std::max(mesh.HowMany, 0)),
                                            mesh.Triangle.size() - 1));
  for (int32_t t = 1; t <= n; ++t) {
    const Delaunay::dTriangle& tri = mesh.Triangle[t];
    if (!ValidVertex(mesh, tri.vv0) || !ValidVertex(mesh, tri.vv1) || !ValidVertex(mesh, tri.vv2))
      continue;
    TPoint corners[3];
    if (!CornerPixel(mesh.Vertex[tri.vv0], view, YDir, corners[0]) ||
        !CornerPixel(mesh.Vertex[tri.vv1], view, YDir, corners[1]) ||
        !CornerPixel(mesh.Vertex[tri.vv2], view, YDir, corners[2]))
      continue;
    canvas.Polygon(corners);
  }
}

void DrawContours(TCanvas& canvas, Delaunay::TDelaunay& mesh, const std::string& interval_text,
                  const ViewValues& view, int32_t YDir) {
  // The levels are set twice, each time from the text read anew.
  mesh.InitialiseContourLevels(mesh.zMin, mesh.zMax, ContourInterval(interval_text));
  mesh.InitialiseContourLevels(mesh.zMin, mesh.zMax, ContourInterval(interval_text));
  mesh.CalculateContours();
  mesh.SortContourLines();

  const Delaunay::TContourSetup& c = mesh.Contour;
  const auto points = static_cast<int64_t>(c.Points.size());
  const int64_t levels = std::min<int64_t>(c.NoLevels, static_cast<int64_t>(c.Contours.size()));
  for (int64_t i = 0; i < levels; ++i) {
    for (const Delaunay::TLine& line : c.Contours[static_cast<size_t>(i)]) {
      if (line.sp < 0 || line.sp >= points || line.ep < 0 || line.ep >= points) continue;
      TPoint from, to;
      if (!ContourPixel(c.Points[static_cast<size_t>(line.sp)], view, YDir, from) ||
          !ContourPixel(c.Points[static_cast<size_t>(line.ep)], view, YDir, to))
        continue;
      canvas.MoveTo(from.x, from.y);
      canvas.LineTo(to.x, to.y);
    }
  }
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

void Draw(Workspace& ws, uint8_t& Display, double& PlotMF, const TPlotSettings& s,
          TPlotTarget& target, double& OldMF, bool& printing) {
  ViewValues& view = ws.view;
  TCanvas* canvas = nullptr;
  int32_t XMax = 0, YMax = 0, YDir = 0;
  if (Display == 0) {
    XMax = target.ScreenWidth();
    YMax = target.ScreenHeight();
    canvas = &target.ScreenCanvas(XMax, YMax);
    canvas->SetFontSize(8);
    YDir = -1;
  } else {
    canvas = &target.BeginDoc();
    printing = true;
    const TPrinterDevice dev = target.PrinterDevice();
    XMax = dev.HorzSize;
    YMax = dev.VertSize;
    canvas->SetFontSize(4);
    view.MF = static_cast<double>(ext(view.MF) / 5);
    YDir = 1;
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
      if (!RoundCoord((ext(p.X) - view.XOFFset) / view.MF, row) ||
          !RoundCoord((ext(p.Y) - view.YOffset) / view.MF, XB))
        continue;
      const int32_t YB = row * YDir;
      if (s.PNR) c.TextOut(XB + 10, YB + 10 * YDir, Format("%d", p.NR));
      if (s.Z) c.TextOut(XB + 10, YB + 10 * YDir, Format("%7.3f", p.Z));
      c.SetPenColor(clBlack);
      c.Ellipse(XB - 1, YB - 1, XB + 1, YB + 1);
    }

    Delaunay::TDelaunay* const mesh0 = ws.Mesh0.get();
    Delaunay::TDelaunay* const mesh1 = ws.Mesh1.get();
    if (s.Mesh0 && mesh0 && mesh0->HowMany > 0) {
      c.SetPenColor(clBlue);
      DrawTriangles(c, *mesh0, view, YDir);
    }
    if (s.Mesh1 && mesh1 && mesh1->HowMany > 0) {
      c.SetPenColor(clRed);
      DrawTriangles(c, *mesh1, view, YDir);
    }
    if (s.Isoline) {
      // An interval too fine for a mesh costs that mesh its contour lines,
      // not the rest of the plot; the report follows once it is drawn.
      auto contours = [&](Delaunay::TDelaunay& mesh) {
        try {
          DrawContours(c, mesh, s.HLIntervall, view, YDir);
        } catch (const ELimitError& e) {
          if (!limit) limit = e;
        }
      };
      if (s.Mesh0 && mesh0) {
        c.SetPenColor(clBlue);
        contours(*mesh0);
      }
      if (s.Mesh1 && mesh1) {
        c.SetPenColor(clMaroon);
        contours(*mesh1);
      }
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

double ContourInterval(const std::string& text) {
  double v = 0;
  return TryStrToFloat(text, v) ? v : 1.0;
}

void ZeigPPunkte(Workspace& ws, uint8_t& Display, double& PlotMF, const TPlotSettings& settings,
                 TPlotTarget& target) {
  double OldMF = ws.view.MF;
  bool printing = false;
  try {
    Draw(ws, Display, PlotMF, settings, target, OldMF, printing);
  } catch (...) {
    // A failed print prints nothing and leaves the screen as the target,
    // with the view as it was.
    if (Display != 0) {
      if (printing) target.AbortDoc();
      ws.view.MF = OldMF;
      Display = 0;
    }
    throw;
  }
}

}  // namespace zelmaro
