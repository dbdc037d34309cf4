#include "export/pdf_report.h"

#include <sys/mman.h>

#include <QFont>
#include <QFontMetricsF>
#include <QIODevice>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QPolygonF>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <exception>
#include <utility>
#include <vector>

#include "export/export_facts.h"
#include "export/export_file.h"
#include "export/pdf_page.h"
#include "export/pdf_plot.h"
#include "mesh/outline.h"
#include "text/errors.h"
#include "text/format.h"

namespace zelmaro {

using namespace pdf;

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
  std::vector<std::pair<QString, QString>> rows = {
      {QStringLiteral("Programm"), QStringLiteral("Zelmaro Ver. %1").arg(Q(in.version))},
      {QStringLiteral("Punktdatei"), Q(run.point_file)},
      {QStringLiteral("Projektbezeichnung"), Q(run.project)},
      {QStringLiteral("Datum"), DateText(in.created)},
      {QStringLiteral("Bezugshöhe H0"), Q(run.h0_text) + QStringLiteral(" m")},
  };
  const ExportOptions& o = in.options;
  if (!o.author.empty()) rows.emplace_back(QStringLiteral("Verfasser"), Q(o.author));
  if (!o.client.empty()) rows.emplace_back(QStringLiteral("Auftraggeber"), Q(o.client));
  if (o.epsg > 0)
    rows.emplace_back(QStringLiteral("Koordinatensystem"), QStringLiteral("EPSG:%1").arg(o.epsg));
  const double row_h = 6;
  pg.Pen(Qt::black, 0.3);
  pg.painter().setBrush(Qt::NoBrush);
  pg.painter().drawRect(pg.Rect(kLeft, y, width, row_h * static_cast<double>(rows.size())));
  for (size_t i = 0; i < rows.size(); ++i) {
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
  y += row_h * static_cast<double>(rows.size()) + 9;

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
    // The area difference as the protocol's last line rounds it, from the
    // sums, not from the rounded fields.
    const QString area =
        i < 2 || !in.reference.mesh || !in.terrain.mesh
            ? Trimmed(run.fields[2 * i])
            : Q(Format("%.2Lf", static_cast<long double>(in.terrain.area) - in.reference.area));
    pg.TextRight(c1, y, area);
    pg.TextRight(c2, y, Trimmed(run.fields[2 * i + 1]));
    y += 5;
  }
  // The counts behind the figures, and the contour lines' spacing.
  QStringList counts, triangles;
  counts << QStringLiteral("Punkte gelesen: %1").arg(Count(static_cast<size_t>(std::max(High(*in.P), 0))));
  int64_t merged = 0;
  for (const ExportHorizon* h : {&in.reference, &in.terrain}) {
    if (!h->mesh) continue;
    triangles << QStringLiteral("Dreiecke %1: %2").arg(QString::fromUtf8(h->name)).arg(h->mesh->HowMany);
    merged = std::max(merged, MergedPoints(in, *h));
  }
  if (merged > 0) counts << QStringLiteral("als Duplikat zusammengelegt: %1").arg(merged);
  counts << QStringLiteral("Höhenlinienabstand: %1 m").arg(Q(ShortestNumber(in.contour_interval)));
  pg.Font("DejaVu Sans", 7.5);
  pg.Text(kLeft, y, counts.join(QStringLiteral(" · ")));
  y += 3.5;
  if (!triangles.isEmpty()) {
    pg.Text(kLeft, y, triangles.join(QStringLiteral(" · ")));
    y += 3.5;
  }
  // What the meshes leave of their points' hull, where it is worth a word.
  for (const ExportHorizon* h : {&in.reference, &in.terrain}) {
    if (!h->mesh) continue;
    const std::string loss = Delaunay::OutlineLossText(h->name, Delaunay::MeasureOutline(*h->mesh));
    if (loss.empty()) continue;
    pg.Text(kLeft, y, Q(loss));
    y += 3.5;
  }
  if (in.cut_fill) y = CutFillTable(pg, *in.cut_fill, y + 4);
  return y + 4;
}

bool TriangleRow(const std::string& line) {
  // "  12       1063       1027       1028      69.73      48.77"
  size_t fields = 0, i = 0;
  while (i < line.size()) {
    while (i < line.size() && line[i] == ' ') ++i;
    if (i == line.size()) break;
    const size_t start = i;
    while (i < line.size() && line[i] != ' ') ++i;
    const std::string_view f(line.data() + start, i - start);
    const bool number = f.find_first_not_of("0123456789.-") == std::string_view::npos;
    if (!number || (fields < 4 && f.find('.') != std::string_view::npos)) return false;
    ++fields;
  }
  return fields == 6;
}

}  // namespace

std::vector<ReportLine> ReportProtocol(const std::vector<std::string>& protocol, PdfProtocol mode) {
  std::vector<ReportLine> out;
  if (mode == PdfProtocol::kNone) return out;
  std::string horizon, header;
  size_t left_out = 0;
  auto flush = [&] {
    if (left_out == 0) return;
    out.push_back({Format("      (%zu Maschen, jede einzeln in der Protokolldatei)", left_out),
                   horizon, header});
    left_out = 0;
  };
  for (size_t i = 0; i < protocol.size(); ++i) {
    std::string text = protocol[i];
    // The file's line stays as it is; on paper the height needs its blank.
    if (text.rfind("Höhenbezug", 0) == 0 && text.size() > 11 && text[11] != ' ')
      text = text.substr(0, 11) + ' ' + text.substr(11);
    const bool opens = i + 1 < protocol.size() && protocol[i + 1].rfind("Masche", 0) == 0;
    if (opens) {
      flush();
      horizon = text;
      header = protocol[i + 1];
    }
    const bool row = !horizon.empty() && TriangleRow(text);
    if (row && mode == PdfProtocol::kSummary) {
      ++left_out;
      continue;
    }
    flush();
    out.push_back({text, horizon, header});
    if (text.rfind("Summe", 0) == 0) horizon.clear(), header.clear();
  }
  flush();
  return out;
}

namespace {

int AppendixPages(size_t lines) {
  return static_cast<int>((lines + kProtocolLinesPerPage - 1) / kProtocolLinesPerPage);
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
  const std::vector<ReportLine> protocol = ReportProtocol(*in.run->protocol, in.options.pdf_protocol);
  const size_t lines = protocol.size();
  const int pages = 1 + AppendixPages(lines);
  QPainter& painter = *new QPainter;
  const PainterEnd end(&painter);
  if (!painter.begin(&writer)) throw EInOutError(29);
  Page pg(painter, writer.resolution() / 25.4);

  Plot(pg, in, Head(pg, in));
  Footer(pg, in, 1, pages);

  const QString title = in.options.pdf_protocol == PdfProtocol::kFull
                            ? QStringLiteral("Protokoll")
                            : QStringLiteral("Protokoll (Zusammenfassung)");
  for (int page = 2; page <= pages; ++page) {
    if (!writer.newPage()) throw EInOutError(29);
    const size_t first = static_cast<size_t>(page - 2) * kProtocolLinesPerPage;
    const size_t last = std::min(lines, first + kProtocolLinesPerPage);
    const ReportLine& top = protocol[first];
    // A page that opens inside a table says whose it is and what its
    // columns hold.
    const bool inside = !top.horizon.empty() && top.text != top.horizon && top.text != top.header;
    pg.Font("DejaVu Sans", 11, true);
    painter.setPen(Qt::black);
    pg.Text(kLeft, kTop + 5,
            inside ? title + QStringLiteral(" – ") + Q(top.horizon) + QStringLiteral(" (Fortsetzung)")
                   : title);
    pg.Font("DejaVu Sans Mono", 8);
    if (inside) pg.Text(kLeft, kTop + 10.4, Q(top.header));
    double y = kTop + 14;
    for (size_t i = first; i < last; ++i) {
      pg.Text(kLeft, y, Q(protocol[i].text));
      y += kProtocolLineHeight;
    }
    Footer(pg, in, page, pages);
  }
  if (!painter.end()) throw EInOutError(29);
}

}  // namespace

int ReportPages(const ExportInput& in) {
  return 1 + AppendixPages(ReportProtocol(*in.run->protocol, in.options.pdf_protocol).size());
}

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
  // Qt's PDF writer does not survive running out of memory halfway; ask for
  // what it may need before a byte is written.
  const size_t need = ReportMemoryEstimate(in);
  void* probe = ::mmap(nullptr, need, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (probe == MAP_FAILED)
    throw ELimitError(Format(
        "Für den PDF-Bericht reicht der Speicher nicht: er braucht etwa %zu MB. Mit der "
        "Zusammenfassung des Protokolls oder ohne Protokoll wird der Bericht kleiner.",
        (need >> 20) + 1));
  ::munmap(probe, need);
  WriteExportFile(file, [&](std::ostream& out) { WritePdfReport(in, out); });
}

}  // namespace zelmaro
