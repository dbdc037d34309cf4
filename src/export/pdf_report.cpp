#include "export/pdf_report.h"

#include <QFont>
#include <QFontMetricsF>
#include <QIODevice>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <exception>
#include <utility>
#include <vector>

#include "export/export_file.h"
#include "text/errors.h"
#include "text/format.h"

namespace zelmaro {

namespace {

// Qt's PDF writer wants a device; this one passes the bytes to the stream.
// A failure of the stream is kept, not thrown through Qt's code, and
// raised once the painter has finished.
class StreamDevice : public QIODevice {
 public:
  explicit StreamDevice(std::ostream& out) : out_(out) { open(QIODevice::WriteOnly); }
  bool isSequential() const override { return true; }
  void RethrowFailure() const {
    if (failure_) std::rethrow_exception(failure_);
    if (!out_) throw EInOutError(29);
  }

 protected:
  qint64 readData(char*, qint64) override { return -1; }
  qint64 writeData(const char* data, qint64 size) override {
    if (failure_) return -1;
    try {
      out_.write(data, static_cast<std::streamsize>(size));
    } catch (...) {
      failure_ = std::current_exception();
      return -1;
    }
    return out_ ? size : -1;
  }

 private:
  std::ostream& out_;
  std::exception_ptr failure_;
};

QString Q(const std::string& s) { return QString::fromStdString(s); }
QString Trimmed(const std::string& s) { return Q(s).trimmed(); }

constexpr double kPageWidth = 210;  // mm, A4
constexpr double kPageHeight = 297;
constexpr double kLeft = 20;
constexpr double kRight = 15;
constexpr double kTop = 15;
constexpr double kBottom = 15;
constexpr double kProtocolLineHeight = 3.6;  // mm, for 8 points

// Draws in millimetres from the page's top-left corner.
class Page {
 public:
  explicit Page(QPainter& p, double dots_per_mm) : p_(p), k_(dots_per_mm) {}
  double k() const { return k_; }
  QPointF At(double x, double y) const { return {x * k_, y * k_}; }
  QRectF Rect(double x, double y, double w, double h) const { return {x * k_, y * k_, w * k_, h * k_}; }
  void Font(const char* family, double points, bool bold = false) {
    QFont f(QString::fromLatin1(family));
    f.setPointSizeF(points);
    f.setBold(bold);
    // Without shaping no ligatures: "Differenz" stays searchable as typed.
    f.setStyleStrategy(QFont::PreferNoShaping);
    p_.setFont(f);
  }
  void Text(double x, double y, const QString& text) { p_.drawText(At(x, y), text); }
  void TextRight(double right, double y, const QString& text) {
    const double w = QFontMetricsF(p_.font(), p_.device()).horizontalAdvance(text) / k_;
    Text(right - w, y, text);
  }
  void Line(double x1, double y1, double x2, double y2) { p_.drawLine(At(x1, y1), At(x2, y2)); }
  void Pen(QColor c, double width_mm) {
    QPen pen(c);
    pen.setWidthF(width_mm * k_);
    p_.setPen(pen);
  }
  QPainter& painter() { return p_; }

 private:
  QPainter& p_;
  double k_;
};

QString PageNumber(int page, int pages) {
  return QStringLiteral("Seite %1 von %2").arg(page).arg(pages);
}

void Footer(Page& pg, const ExportInput& in, int page, int pages) {
  pg.Pen(Qt::black, 0.2);
  pg.Line(kLeft, kPageHeight - kBottom - 4, kPageWidth - kRight, kPageHeight - kBottom - 4);
  pg.Font("DejaVu Sans", 8);
  pg.Text(kLeft, kPageHeight - kBottom, QStringLiteral("Zelmaro Ver. %1").arg(Q(in.version)));
  pg.TextRight(kPageWidth - kRight, kPageHeight - kBottom, PageNumber(page, pages));
}

QString DateText(const std::tm& t) {
  return Q(Format("%02d.%02d.%04d %02d:%02d", t.tm_mday, t.tm_mon + 1, t.tm_year + 1900,
                  t.tm_hour, t.tm_min));
}

QString Figure(double v) { return Q(Format("%.2f", v)); }

// The horizons side by side, then the figures between them in two columns.
double CutFillTable(Page& pg, const CutFill& cf, double y) {
  const double row_h = 4.2;
  const double c1 = kLeft + 110, c2 = kLeft + 145;
  pg.Font("DejaVu Sans", 11, true);
  pg.Text(kLeft, y, QStringLiteral("Auf- und Abtrag"));
  y += 6;
  pg.Font("DejaVu Sans", 8, true);
  pg.TextRight(c1, y, QStringLiteral("Bezugshorizont"));
  pg.TextRight(c2, y, QStringLiteral("Gelände"));
  pg.Pen(Qt::black, 0.2);
  pg.Line(kLeft, y + 1.2, c2 + 2, y + 1.2);
  y += row_h + 0.5;
  for (const HorizonRow& row : kHorizonRows) {
    pg.Font("DejaVu Sans", 8);
    pg.Text(kLeft, y, QString::fromUtf8(row.label));
    pg.Font("DejaVu Sans Mono", 8);
    pg.TextRight(c1, y, Figure(cf.reference.*row.value));
    pg.TextRight(c2, y, Figure(cf.terrain.*row.value));
    y += row_h;
  }
  y += 1.5;
  const double half = (kPageWidth - kLeft - kRight) / 2;
  const size_t rows = (std::size(kBetweenRows) + 1) / 2;
  for (size_t i = 0; i < std::size(kBetweenRows); ++i) {
    const double x = kLeft + (i < rows ? 0 : half + 3);
    const double yy = y + row_h * static_cast<double>(i % rows);
    pg.Font("DejaVu Sans", 8);
    pg.Text(x, yy, QString::fromUtf8(kBetweenRows[i].label));
    pg.Font("DejaVu Sans Mono", 8);
    pg.TextRight(x + half - 3, yy, Figure(cf.between.*kBetweenRows[i].value));
  }
  return y + row_h * static_cast<double>(rows);
}

// Title block and results; returns where the page's free space begins.
double Head(Page& pg, const ExportInput& in) {
  const RunRecord& run = *in.run;
  double y = kTop + 6;
  pg.Font("DejaVu Sans", 15, true);
  pg.Text(kLeft, y, QStringLiteral("Massenberechnung nach der Prismenmethode"));
  y += 4;

  const double width = kPageWidth - kLeft - kRight;
  const std::pair<QString, QString> rows[] = {
      {QStringLiteral("Programm"), QStringLiteral("Zelmaro Ver. %1").arg(Q(in.version))},
      {QStringLiteral("Punktdatei"), Q(run.point_file)},
      {QStringLiteral("Projektbezeichnung"), Q(run.project)},
      {QStringLiteral("Datum"), DateText(in.created)},
      {QStringLiteral("Bezugshöhe H0"), Q(run.h0_text) + QStringLiteral(" m")},
  };
  const double row_h = 6;
  pg.Pen(Qt::black, 0.3);
  pg.painter().setBrush(Qt::NoBrush);
  pg.painter().drawRect(pg.Rect(kLeft, y, width, row_h * std::size(rows)));
  for (size_t i = 0; i < std::size(rows); ++i) {
    const double top = y + row_h * static_cast<double>(i);
    if (i > 0) {
      pg.Pen(Qt::black, 0.1);
      pg.Line(kLeft, top, kLeft + width, top);
    }
    pg.Font("DejaVu Sans", 9, true);
    pg.Text(kLeft + 2, top + 4.2, rows[i].first);
    pg.Font("DejaVu Sans", 9);
    // A long path is cut at the block's edge rather than running off it.
    const QFontMetricsF fm(pg.painter().font(), pg.painter().device());
    const QString value =
        fm.elidedText(rows[i].second, Qt::ElideMiddle, (width - 47) * pg.k());
    pg.Text(kLeft + 45, top + 4.2, value);
  }
  y += row_h * std::size(rows) + 9;

  // The six result fields as the window shows them.
  pg.Font("DejaVu Sans", 11, true);
  pg.Text(kLeft, y, QStringLiteral("Ergebnisse"));
  y += 6;
  const double c1 = kLeft + 95, c2 = kLeft + 140;
  pg.Font("DejaVu Sans", 9, true);
  pg.TextRight(c1, y, QStringLiteral("Fläche m2"));
  pg.TextRight(c2, y, QStringLiteral("Masse m3"));
  pg.Pen(Qt::black, 0.2);
  pg.Line(kLeft, y + 1.5, c2 + 2, y + 1.5);
  y += 6;
  const char* names[] = {"Bezugshorizont", "Gelände", "Differenz"};
  for (size_t i = 0; i < 3; ++i) {
    pg.Font("DejaVu Sans", 9);
    pg.Text(kLeft, y, QString::fromUtf8(names[i]));
    pg.Font("DejaVu Sans Mono", 9);
    pg.TextRight(c1, y, Trimmed(run.fields[2 * i]));
    pg.TextRight(c2, y, Trimmed(run.fields[2 * i + 1]));
    y += 5;
  }
  if (in.cut_fill) y = CutFillTable(pg, *in.cut_fill, y + 4);
  return y + 4;
}

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
std::vector<std::pair<int32_t, int32_t>> MeshEdges(const Delaunay::TDelaunay& mesh) {
  std::vector<std::pair<int32_t, int32_t>> edges;
  edges.reserve(static_cast<size_t>(mesh.HowMany) * 3);
  for (int32_t t = 1; t <= mesh.HowMany; ++t) {
    const Delaunay::dTriangle& tri = mesh.Triangle[t];
    const int32_t v[3] = {tri.vv0, tri.vv1, tri.vv2};
    for (int k = 0; k < 3; ++k) {
      const int32_t a = v[k], b = v[(k + 1) % 3];
      edges.emplace_back(std::min(a, b), std::max(a, b));
    }
  }
  std::sort(edges.begin(), edges.end());
  edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
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

void DrawMesh(Page& pg, const PlotMap& map, const PointTable& P, const Delaunay::TDelaunay& mesh,
              QColor color) {
  pg.Pen(color, 0.08);
  std::vector<QLineF> lines;
  const auto edges = MeshEdges(mesh);
  lines.reserve(edges.size());
  for (const auto& [a, b] : edges) {
    const TPunkt& p = P[static_cast<size_t>(mesh.Vertex[a].ID)];
    const TPunkt& q = P[static_cast<size_t>(mesh.Vertex[b].ID)];
    lines.emplace_back(map.At(pg, p.X, p.Y), map.At(pg, q.X, q.Y));
  }
  pg.painter().drawLines(lines.data(), static_cast<int>(lines.size()));
}

void DrawContours(Page& pg, const PlotMap& map, const ExportHorizon& h, QColor color) {
  if (!h.contour) return;
  pg.Pen(color, 0.12);
  const Delaunay::TContourSetup& c = *h.contour;
  QPolygonF poly;
  for (const Delaunay::ContourPolyline& line : h.polylines) {
    poly.clear();
    for (int32_t i : line.points) {
      const Delaunay::TPunkt& q = c.Points[static_cast<size_t>(i)];
      poly << map.At(pg, q.X, q.Y);
    }
    if (line.closed)
      pg.painter().drawPolygon(poly);
    else
      pg.painter().drawPolyline(poly);
  }
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

void Plot(Page& pg, const ExportInput& in, double top) {
  const double left = kLeft, width = kPageWidth - kLeft - kRight;
  const double bottom = kPageHeight - kBottom - 7;
  const double height = bottom - top;
  pg.Pen(Qt::black, 0.3);
  pg.painter().setBrush(Qt::NoBrush);
  pg.painter().drawRect(pg.Rect(left, top, width, height));

  const Extent e = PointExtent(*in.P);
  if (!e.any) return;
  // Room for the scale bar below the drawing and the arrow beside it.
  const double margin = 6;
  const PlotMap map(e, left + margin, top + margin, width - 2 * margin, height - 2 * margin - 12);
  pg.painter().save();
  pg.painter().setClipRect(pg.Rect(left, top, width, height));
  const PointTable& P = *in.P;
  if (in.reference.mesh) DrawMesh(pg, map, P, *in.reference.mesh, QColor(0, 0, 255));
  if (in.terrain.mesh) DrawMesh(pg, map, P, *in.terrain.mesh, QColor(255, 0, 0));
  DrawContours(pg, map, in.reference, QColor(0, 0, 255));
  DrawContours(pg, map, in.terrain, QColor(128, 0, 0));
  QPen dot(Qt::black);
  dot.setWidthF(0.5 * pg.k());
  dot.setCapStyle(Qt::RoundCap);
  pg.painter().setPen(dot);
  std::vector<QPointF> points;
  points.reserve(static_cast<size_t>(std::max(High(P), 0)));
  for (int i = 1; i <= High(P); ++i) {
    const TPunkt& p = P[static_cast<size_t>(i)];
    points.push_back(map.At(pg, p.X, p.Y));
  }
  pg.painter().drawPoints(points.data(), static_cast<int>(points.size()));
  pg.painter().restore();

  DrawScaleBar(pg, map, left + margin, bottom, (width - 2 * margin) / map.scale());
  DrawNorthArrow(pg, left + width - 10, top + 2);
}

// Every way out of the painting. The painter's destructor ends the page
// and writes, which on the way out of a failure (above all a bad_alloc) can
// throw again, out of a destructor, and end the program: the painting is
// ended here instead, and a painter whose ending failed too is left to the
// process rather than destroyed.
class PainterEnd {
 public:
  explicit PainterEnd(QPainter* painter) : painter_(painter) {}
  PainterEnd(const PainterEnd&) = delete;
  PainterEnd& operator=(const PainterEnd&) = delete;
  ~PainterEnd() {
    try {
      if (painter_->isActive()) painter_->end();
      delete painter_;
    } catch (...) {
    }
  }

 private:
  QPainter* painter_;
};

void Report(const ExportInput& in, QPdfWriter& writer) {
  const RunRecord& run = *in.run;
  const std::vector<std::string>& protocol = *run.protocol;
  const int lines = static_cast<int>(protocol.size());
  const int pages = 1 + (lines + kProtocolLinesPerPage - 1) / kProtocolLinesPerPage;
  QPainter& painter = *new QPainter;
  const PainterEnd end(&painter);
  if (!painter.begin(&writer)) throw EInOutError(29);
  Page pg(painter, writer.resolution() / 25.4);

  Plot(pg, in, Head(pg, in));
  Footer(pg, in, 1, pages);

  for (int page = 2; page <= pages; ++page) {
    if (!writer.newPage()) throw EInOutError(29);
    pg.Font("DejaVu Sans", 11, true);
    painter.setPen(Qt::black);
    pg.Text(kLeft, kTop + 5, QStringLiteral("Protokoll"));
    pg.Font("DejaVu Sans Mono", 8);
    const int first = (page - 2) * kProtocolLinesPerPage;
    const int last = std::min(lines, first + kProtocolLinesPerPage);
    double y = kTop + 13;
    for (int i = first; i < last; ++i) {
      pg.Text(kLeft, y, Q(protocol[static_cast<size_t>(i)]));
      y += kProtocolLineHeight;
    }
    Footer(pg, in, page, pages);
  }
  if (!painter.end()) throw EInOutError(29);
}

}  // namespace

double ScaleBarLength(double metres_across) { return NiceLength(metres_across / 4); }

void WritePdfReport(const ExportInput& in, std::ostream& out) {
  StreamDevice device(out);
  QPdfWriter writer(&device);
  writer.setResolution(600);
  writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
  writer.setTitle(QStringLiteral("Massenberechnung ") + Q(in.run->project));
  writer.setCreator(QStringLiteral("Zelmaro Ver. %1").arg(Q(in.version)));
  try {
    Report(in, writer);
  } catch (...) {
    device.RethrowFailure();  // the write that failed first, when one did
    throw;
  }
  device.RethrowFailure();
}

void WritePdfReport(const ExportInput& in, const std::string& file) {
  WriteExportFile(file, [&](std::ostream& out) { WritePdfReport(in, out); });
}

}  // namespace zelmaro
