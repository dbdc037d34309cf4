#pragma once
// The screen plot drawn the plain way, for comparison: every point, every
// triangle and every contour segment handed to the canvas in the plot's
// order, each corner converted for itself. Contour lines are drawn as the
// meshes hold them.
#include <cmath>

#include "plot/canvas.h"
#include "plot/plot.h"
#include "text/format.h"
#include "workspace/workspace.h"

namespace zelmaro::testing {

inline void PlainScreenPlot(TCanvas& c, const Workspace& ws, const TPlotSettings& s, int width,
                            int height) {
  using ext = long double;
  const ViewValues& v = ws.view;
  c.SetFontSize(8);
  c.SetBrushStyle(TBrushStyle::bsSolid);
  c.SetBrushColor(clWhite);
  c.FillRect(0, 0, width, height);
  c.SetPenWidth(1);
  c.SetPenStyle(TPenStyle::psSolid);
  c.SetBrushStyle(TBrushStyle::bsClear);
  c.SetFontName("Arial");
  c.SetFontColor(clBlack);
  for (int i = 1; i <= High(ws.P); ++i) {
    const TPunkt& p = ws.P[static_cast<size_t>(i)];
    const int YB = -static_cast<int>(std::nearbyint((ext(p.X) - v.XOFFset) / v.MF));
    const int XB = static_cast<int>(std::nearbyint((ext(p.Y) - v.YOffset) / v.MF));
    if (s.PNR) c.TextOut(XB + 10, YB - 10, Format("%d", p.NR));
    if (s.Z) c.TextOut(XB + 10, YB - 10, Format("%7.3f", p.Z));
    c.SetPenColor(clBlack);
    c.Ellipse(XB - 1, YB - 1, XB + 1, YB + 1);
  }
  auto column = [&](double y) { return static_cast<int>(std::trunc((ext(y) - v.YOffset) / v.MF)); };
  auto triangles = [&](const Delaunay::TDelaunay& m, TColor colour) {
    c.SetPenColor(colour);
    for (int t = 1; t <= m.HowMany; ++t) {
      TPoint corners[3];
      int k = 0;
      for (int32_t vv : {m.Triangle[t].vv0, m.Triangle[t].vv1, m.Triangle[t].vv2}) {
        const Delaunay::dVertex& d = m.Vertex[vv];
        corners[k++] = {column(d.y),
                        -static_cast<int>(std::trunc((ext(d.x) - v.XOFFset) / v.MF))};
      }
      c.Polygon(corners);
    }
  };
  auto contours = [&](const Delaunay::TDelaunay& m, TColor colour) {
    c.SetPenColor(colour);
    for (int l = 0; l < m.Contour.NoLevels; ++l)
      for (const Delaunay::TLine& line : m.Contour.Contours[static_cast<size_t>(l)]) {
        const Delaunay::TPunkt& a = m.Contour.Points[static_cast<size_t>(line.sp)];
        const Delaunay::TPunkt& b = m.Contour.Points[static_cast<size_t>(line.ep)];
        auto row = [&](double x) { return static_cast<int>(std::trunc((ext(x) - v.XOFFset) * -1 / v.MF)); };
        c.MoveTo(column(a.Y), row(a.X));
        c.LineTo(column(b.Y), row(b.X));
      }
  };
  if (s.Mesh0 && ws.Mesh0) triangles(*ws.Mesh0, clBlue);
  if (s.Mesh1 && ws.Mesh1) triangles(*ws.Mesh1, clRed);
  if (s.Isoline && s.Mesh0 && ws.Mesh0) contours(*ws.Mesh0, clBlue);
  if (s.Isoline && s.Mesh1 && ws.Mesh1) contours(*ws.Mesh1, clMaroon);
}

}  // namespace zelmaro::testing
