#include "export/pdf_plot.h"

#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "export/pdf_report.h"
#include "mesh/outline.h"
#include "text/format.h"

namespace zelmaro {

namespace pdf {

namespace {

struct Extent {
  double minx = 0, maxx = 0, miny = 0, maxy = 0;  // survey X (northing), Y (easting)
  bool any = false;
};

Extent PointExtent(const PointTable& P) {
  Extent e;
  for (int i = 1; i <= High(P); ++i) {
    const TPunkt& p = P[static_cast<size_t>(i)];
    if (!std::isfinite(p.X) || !std::isfinite(p.Y)) continue;
    if (!e.any) {
      e = {p.X, p.X, p.Y, p.Y, true};
      continue;
    }
    e.minx = std::min(e.minx, p.X);
    e.maxx = std::max(e.maxx, p.X);
    e.miny = std::min(e.miny, p.Y);
    e.maxy = std::max(e.maxy, p.Y);
  }
  return e;
}

// Each edge once: a triangle's outline would draw every inner edge twice.
// An edge of only one triangle lies on the mesh's outline.
struct MeshEdge {
  int32_t a, b;
  bool outline;
};

std::vector<MeshEdge> MeshEdges(const Delaunay::TDelaunay& mesh) {
  std::vector<std::pair<int32_t, int32_t>> all;
  all.reserve(static_cast<size_t>(std::max(mesh.HowMany, 0)) * 3);
  for (int32_t t = 1; t <= mesh.HowMany; ++t) {
    const Delaunay::dTriangle& tri = mesh.Triangle[t];
    const int32_t v[3] = {tri.vv0, tri.vv1, tri.vv2};
    for (int k = 0; k < 3; ++k) {
      const int32_t a = v[k], b = v[(k + 1) % 3];
      all.emplace_back(std::min(a, b), std::max(a, b));
    }
  }
  std::sort(all.begin(), all.end());
  std::vector<MeshEdge> edges;
  edges.reserve(all.size() / 2 + 16);
  for (size_t i = 0; i < all.size();) {
    size_t j = i + 1;
    while (j < all.size() && all[j] == all[i]) ++j;
    edges.push_back({all[i].first, all[i].second, j - i == 1});
    i = j;
  }
  return edges;
}

double StandardDenominator(double at_least) {
  if (!(at_least > 0) || !std::isfinite(at_least)) return 1000;
  double p = std::pow(10.0, std::floor(std::log10(at_least)));
  for (;; p *= 10)
    for (double m : {1.0, 2.0, 2.5, 5.0})
      if (m * p >= at_least * (1 - 1e-12)) return m * p;
}

class PlotMap {
 public:
  PlotMap(const Extent& e, double left, double top, double width, double height) {
    const double dx = e.maxy - e.miny, dy = e.maxx - e.minx;
    const double fit = std::min(dx > 0 ? width / dx : 1e300, dy > 0 ? height / dy : 1e300);
    // The next scale a surveyor draws at (1 : 500, 1 : 1000, 1 : 2500, ...)
    // that still holds the whole survey.
    scale_ = fit < 1e299 ? 1000 / StandardDenominator(1000 / fit) : 1;
    x0_ = left + (width - dx * scale_) / 2 - e.miny * scale_;
    y0_ = top + (height + dy * scale_) / 2 + e.minx * scale_;
  }
  double scale() const { return scale_; }  // mm on paper per metre
  // The easting to the right, the northing upwards.
  QPointF At(const Page& pg, double X, double Y) const {
    return pg.At(x0_ + Y * scale_, y0_ - X * scale_);
  }

 private:
  double scale_ = 1, x0_ = 0, y0_ = 0;
};

// Below this a triangle's side on paper is a smudge: the mesh gives way to
// its outline.
constexpr double kMinTriangleMm = 0.5;
// Thinned points keep one in each cell of this size on paper.
constexpr double kPointCellMm = 1.0;
// Thinned contour lines keep a vertex only this far from the last one kept.
constexpr double kContourStepMm = 0.1;

// A triangle of the mesh's mean area on paper, as the side of an
// equilateral one.
double TriangleSideMm(const ExportHorizon& h, double scale) {
  if (!h.mesh || h.mesh->HowMany < 1 || !(h.area > 0)) return 1e9;
  const double mean_area = h.area / h.mesh->HowMany * scale * scale;
  return std::sqrt(4 * mean_area / std::sqrt(3.0));
}

bool DrawsMesh(const ExportHorizon& h, double scale) {
  return TriangleSideMm(h, scale) >= kMinTriangleMm;
}

// The whole mesh, or where it is too dense for the paper, its outline.
void DrawMesh(Page& pg, const PlotMap& map, const PointTable& P, const ExportHorizon& h,
              QColor color) {
  const Delaunay::TDelaunay& mesh = *h.mesh;
  const bool whole = DrawsMesh(h, map.scale());
  pg.Pen(color, whole ? 0.08 : 0.2);
  std::vector<QLineF> lines;
  const auto edges = MeshEdges(mesh);
  lines.reserve(whole ? edges.size() : 1024);
  for (const MeshEdge& e : edges) {
    if (!whole && !e.outline) continue;
    const TPunkt& p = P[static_cast<size_t>(mesh.Vertex[e.a].ID)];
    const TPunkt& q = P[static_cast<size_t>(mesh.Vertex[e.b].ID)];
    lines.emplace_back(map.At(pg, p.X, p.Y), map.At(pg, q.X, q.Y));
  }
  pg.painter().drawLines(lines.data(), static_cast<int>(lines.size()));
}

// Every how many levels a line is drawn: where the lines would lie closer
// than half a millimetre on average (the mesh's area on paper over their
// length), only the levels at a round multiple of the interval.
int ContourLevelStep(const ExportHorizon& h, double scale) {
  if (!h.contour || !(h.area > 0)) return 1;
  const Delaunay::TContourSetup& c = *h.contour;
  double length = 0;
  for (const Delaunay::ContourPolyline& line : h.polylines) {
    const size_t n = line.points.size();
    for (size_t k = 0; k + 1 < n + (line.closed ? 1 : 0); ++k) {
      const Delaunay::TPunkt& a = c.Points[static_cast<size_t>(line.points[k])];
      const Delaunay::TPunkt& b = c.Points[static_cast<size_t>(line.points[(k + 1) % n])];
      length += std::hypot(a.X - b.X, a.Y - b.Y);
    }
  }
  if (!(length > 0)) return 1;
  const double spacing = h.area / length * scale;  // mm
  for (int step : {1, 2, 5, 10, 20, 50, 100, 200, 500, 1000})
    if (spacing * step >= kMinTriangleMm) return step;
  return 1000;
}

void DrawContours(Page& pg, const PlotMap& map, const ExportHorizon& h, QColor color, int step) {
  if (!h.contour) return;
  pg.Pen(color, 0.12);
  const Delaunay::TContourSetup& c = *h.contour;
  // With the mesh too dense to draw, the lines' vertices are too: a step
  // below a tenth of a millimetre shows nothing but costs bytes.
  const double min_step = DrawsMesh(h, map.scale()) ? 0 : kContourStepMm * pg.k();
  QPolygonF poly;
  for (const Delaunay::ContourPolyline& line : h.polylines) {
    if (step > 1) {
      const double level = c.Levels[static_cast<size_t>(line.level)];
      if (!(c.Step != 0) || std::llabs(std::llround(level / c.Step)) % step != 0) continue;
    }
    poly.clear();
    for (size_t k = 0; k < line.points.size(); ++k) {
      const Delaunay::TPunkt& q = c.Points[static_cast<size_t>(line.points[k])];
      const QPointF at = map.At(pg, q.X, q.Y);
      const bool last = k + 1 == line.points.size();
      if (min_step > 0 && !poly.isEmpty() && !last &&
          std::fabs(at.x() - poly.back().x()) < min_step &&
          std::fabs(at.y() - poly.back().y()) < min_step)
        continue;
      poly << at;
    }
    if (line.closed)
      pg.painter().drawPolygon(poly);
    else
      pg.painter().drawPolyline(poly);
  }
}

// The points as dots; where they lie closer than the paper can show, one
// of each millimetre cell. Returns how many were drawn.
size_t DrawPoints(Page& pg, const PlotMap& map, const PointTable& P, const Extent& e) {
  const int n = std::max(High(P), 0);
  const double w = (e.maxy - e.miny) * map.scale(), h = (e.maxx - e.minx) * map.scale();
  const bool thin = n > 0 && w * h / n < kPointCellMm * kPointCellMm;
  QPen dot(Qt::black);
  dot.setWidthF((thin ? 0.3 : 0.5) * pg.k());
  dot.setCapStyle(Qt::RoundCap);
  pg.painter().setPen(dot);
  std::vector<QPointF> points;
  points.reserve(static_cast<size_t>(n));
  const auto cols = static_cast<int64_t>(w / kPointCellMm) + 1;
  std::vector<bool> taken;
  if (thin) taken.assign(static_cast<size_t>(cols * (static_cast<int64_t>(h / kPointCellMm) + 1)), false);
  for (int i = 1; i <= n; ++i) {
    const TPunkt& p = P[static_cast<size_t>(i)];
    if (thin) {
      if (!std::isfinite(p.X) || !std::isfinite(p.Y)) continue;
      const auto col = static_cast<int64_t>((p.Y - e.miny) * map.scale() / kPointCellMm);
      const auto row = static_cast<int64_t>((p.X - e.minx) * map.scale() / kPointCellMm);
      const auto cell = static_cast<size_t>(row * cols + col);
      if (cell >= taken.size() || taken[cell]) continue;
      taken[cell] = true;
    }
    points.push_back(map.At(pg, p.X, p.Y));
  }
  pg.painter().drawPoints(points.data(), static_cast<int>(points.size()));
  return points.size();
}

double NiceLength(double limit) {
  if (!(limit > 0) || !std::isfinite(limit)) return 0;
  const double p = std::pow(10.0, std::floor(std::log10(limit)));
  for (double m : {5.0, 2.0, 1.0})
    if (m * p <= limit) return m * p;
  return p;
}

QString MetresText(double m) {
  // 0.05 or 200: no trailing zeros, "." as in every number of the program.
  return Q(Format("%g", m)) + QStringLiteral(" m");
}

void DrawScaleBar(Page& pg, const PlotMap& map, double left, double bottom, double metres_across) {
  const double len = ScaleBarLength(metres_across);
  if (len <= 0) return;
  const double w = len * map.scale();
  const double y = bottom - 6;
  pg.Pen(Qt::black, 0.2);
  for (int i = 0; i < 4; ++i) {
    pg.painter().setBrush(i % 2 == 0 ? QBrush(Qt::black) : QBrush(Qt::white));
    pg.painter().drawRect(pg.Rect(left + w * i / 4, y, w / 4, 1.5));
  }
  pg.painter().setBrush(Qt::NoBrush);
  pg.Font("DejaVu Sans", 7);
  pg.Text(left - 0.8, y - 1, QStringLiteral("0"));
  pg.Text(left + w - 1, y - 1, MetresText(len));
  const double denominator = 1000 / map.scale();
  pg.Text(left, y + 5, QStringLiteral("Maßstab 1 : %1").arg(Q(Format("%.0f", denominator))));
}

void DrawNorthArrow(Page& pg, double x, double top) {
  pg.Pen(Qt::black, 0.2);
  QPainterPath arrow;
  arrow.moveTo(pg.At(x, top + 5));
  arrow.lineTo(pg.At(x + 3, top + 15));
  arrow.lineTo(pg.At(x, top + 12));
  arrow.closeSubpath();
  pg.painter().fillPath(arrow, Qt::black);
  QPainterPath other;
  other.moveTo(pg.At(x, top + 5));
  other.lineTo(pg.At(x - 3, top + 15));
  other.lineTo(pg.At(x, top + 12));
  other.closeSubpath();
  pg.painter().drawPath(other);
  pg.Font("DejaVu Sans", 9, true);
  pg.Text(x - 1.3, top + 4, QStringLiteral("N"));
}

// What the colours mean, and what the plot leaves out at this scale.
void DrawLegend(Page& pg, const ExportInput& in, const PlotMap& map, double x, double bottom,
                size_t points_drawn, const int (&contour_steps)[2]) {
  struct Entry {
    QString text;
    QColor color;
    bool dot;
  };
  std::vector<Entry> entries;
  if (in.reference.mesh) entries.push_back({QStringLiteral("Bezugshorizont"), QColor(0, 0, 255), false});
  if (in.terrain.mesh) entries.push_back({QStringLiteral("Gelände"), QColor(255, 0, 0), false});
  if (in.reference.contour)
    entries.push_back({QStringLiteral("Höhenlinien Bezugshorizont"), QColor(0, 0, 255), false});
  if (in.terrain.contour)
    entries.push_back({QStringLiteral("Höhenlinien Gelände"), QColor(128, 0, 0), false});
  entries.push_back({QStringLiteral("Punkte"), Qt::black, true});
  pg.Font("DejaVu Sans", 6.5);
  const double row = 3, col = 40;
  for (size_t i = 0; i < entries.size(); ++i) {
    const double ex = x + col * static_cast<double>(i / 2);
    const double ey = bottom - 16 + row * static_cast<double>(i % 2);
    if (entries[i].dot) {
      pg.painter().setPen(Qt::NoPen);
      pg.painter().setBrush(entries[i].color);
      pg.painter().drawEllipse(pg.At(ex + 3, ey - 0.9), 0.3 * pg.k(), 0.3 * pg.k());
      pg.painter().setBrush(Qt::NoBrush);
    } else {
      pg.Pen(entries[i].color, 0.4);
      pg.Line(ex, ey - 0.9, ex + 6, ey - 0.9);
    }
    pg.painter().setPen(Qt::black);
    pg.Text(ex + 8, ey, entries[i].text);
  }
  // What the scale leaves out, one line each.
  double ny = bottom - 16 + 2 * row;
  QStringList sides, names;
  for (const ExportHorizon* h : {&in.reference, &in.terrain})
    if (h->mesh && !DrawsMesh(*h, map.scale())) {
      names << QString::fromUtf8(h->name);
      sides << Q(Format("%.2f", TriangleSideMm(*h, map.scale())));
    }
  if (!names.isEmpty()) {
    pg.Text(x, ny, QStringLiteral("Dreiecke %1 im Mittel %2 mm (unter %3 mm): nur der Umriss gezeichnet")
                       .arg(names.join(QStringLiteral(" / ")), sides.join(QStringLiteral(" / ")),
                            Q(Format("%.1f", kMinTriangleMm))));
    ny += row;
  }
  QStringList thinned;
  const ExportHorizon* horizons[] = {&in.reference, &in.terrain};
  for (int i = 0; i < 2; ++i)
    if (horizons[i]->contour && contour_steps[i] > 1)
      thinned << QStringLiteral("%1 alle %2 m").arg(QString::fromUtf8(horizons[i]->name),
                                                   Q(Format("%g", horizons[i]->contour->Step * contour_steps[i])));
  if (!thinned.isEmpty()) {
    pg.Text(x, ny, QStringLiteral("Höhenlinien %1 (im Abstand %2 m zu dicht)")
                       .arg(thinned.join(QStringLiteral(", ")), Q(Format("%g", in.contour_interval))));
    ny += row;
  }
  const auto n = static_cast<size_t>(std::max(High(*in.P), 0));
  if (points_drawn < n)
    pg.Text(x, ny, QStringLiteral("Punkte: %1 von %2 gezeichnet, höchstens einer je mm²")
                       .arg(Count(points_drawn), Count(n)));
}

}  // namespace

void Plot(Page& pg, const ExportInput& in, double top) {
  const double left = kLeft, width = kPageWidth - kLeft - kRight;
  const double bottom = kPageHeight - kBottom - 7;
  const double height = bottom - top;
  pg.Pen(Qt::black, 0.3);
  pg.painter().setBrush(Qt::NoBrush);
  pg.painter().drawRect(pg.Rect(left, top, width, height));

  const Extent e = PointExtent(*in.P);
  if (!e.any) return;
  // Room for the scale bar and the legend below the drawing and the arrow
  // beside it.
  const double margin = 6;
  const PlotMap map(e, left + margin, top + margin, width - 2 * margin, height - 2 * margin - 20);
  pg.painter().save();
  pg.painter().setClipRect(pg.Rect(left, top, width, height));
  const PointTable& P = *in.P;
  if (in.reference.mesh) DrawMesh(pg, map, P, in.reference, QColor(0, 0, 255));
  if (in.terrain.mesh) DrawMesh(pg, map, P, in.terrain, QColor(255, 0, 0));
  const int steps[] = {ContourLevelStep(in.reference, map.scale()),
                       ContourLevelStep(in.terrain, map.scale())};
  DrawContours(pg, map, in.reference, QColor(0, 0, 255), steps[0]);
  DrawContours(pg, map, in.terrain, QColor(128, 0, 0), steps[1]);
  const size_t drawn = DrawPoints(pg, map, P, e);
  pg.painter().restore();

  DrawScaleBar(pg, map, left + margin, bottom, (width - 2 * margin) / map.scale());
  DrawLegend(pg, in, map, left + 45, bottom, drawn, steps);
  DrawNorthArrow(pg, left + width - 10, top + 2);
}

}  // namespace pdf

using namespace pdf;

size_t ReportMemoryEstimate(const ExportInput& in) {
  // Measured with Qt 6.4: some 17 KB a protocol page and some 40 bytes a
  // drawn line or point, besides the fonts; twice that leaves room.
  size_t items = static_cast<size_t>(std::max(High(*in.P), 0));
  const Extent e = PointExtent(*in.P);
  if (e.any) {
    // The plot's frame is never larger than the page below the title block.
    const PlotMap map(e, 0, 0, kPageWidth - kLeft - kRight - 12, 150);
    for (const ExportHorizon* h : {&in.reference, &in.terrain}) {
      if (h->mesh && DrawsMesh(*h, map.scale()))
        items += 3 * static_cast<size_t>(std::max(h->mesh->HowMany, 0));
      for (const Delaunay::ContourPolyline& line : h->polylines) items += line.points.size();
    }
  }
  return (size_t{32} << 20) + static_cast<size_t>(ReportPages(in)) * (34 << 10) + items * 80;
}

double ScaleBarLength(double metres_across) { return NiceLength(metres_across / 4); }

}  // namespace zelmaro
