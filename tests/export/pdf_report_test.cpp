// The PDF report rendered and read by poppler: the six figures in its text,
// a page for every 66 protocol lines, page numbers, and a drawn plot.
#include <gtest/gtest.h>

#include <QImage>
#include <QString>
#include <algorithm>

#include "export/pdf_report.h"
#include "mesh/outline.h"
#include "text/convert.h"
#include "export_support.h"

namespace zelmaro::testing {
namespace {

// Runs of blanks and line ends as one blank.
std::string Squeezed(const std::string& s) {
  std::string out;
  for (char c : s) {
    const bool blank = c == ' ' || c == '\n' || c == '\r' || c == '\f';
    if (blank && (out.empty() || out.back() == ' ')) continue;
    out += blank ? ' ' : c;
  }
  return out;
}

TEST(PdfReport, PopplerFindsTheFiguresPagesAndPlot) {
  std::string why;
  if (!HaveTool("pdftotext -v", why) || !HaveTool("pdftoppm -v", why)) GTEST_SKIP() << why;
  ExportRun run(SurveyText(20), 0.5);
  run.in.options.pdf_protocol = PdfProtocol::kFull;
  run.in.options.author = "Vermessung Süd";
  run.in.options.client = "Gemeinde Nord";
  run.in.options.epsg = 25832;
  ASSERT_NE(run.in.cut_fill, nullptr);
  const std::string fill = Format("%.2f", run.in.cut_fill->between.fill);
  const std::string below = Format("%.2f", run.in.cut_fill->terrain.below);
  const std::string file = run.dir / "bericht.pdf";
  WritePdfReport(run.in, file);

  std::string text;
  ASSERT_EQ(RunCommand("pdftotext -layout " + file + " - 2>&1", text), 0) << text;
  for (const std::string& field : run.record->fields) {
    const std::string figure(Trim(field));
    ASSERT_FALSE(figure.empty());
    EXPECT_NE(text.find(figure), std::string::npos) << figure;
  }
  for (const char* expected : {"Zelmaro Ver. 1.1", "Bezugshorizont", "Gelände", "Differenz",
                               "Fläche m2", "Masse m3", "Bezugshöhe H0", "04.05.2026 03:02",
                               "Auf- und Abtrag", fill.c_str(), below.c_str(), "Protokoll", "Maßstab 1 :",
                               "Verfasser", "Vermessung Süd", "Auftraggeber", "Gemeinde Nord",
                               "EPSG:25832", "Punkte gelesen: 400", "Höhenlinienabstand: 0.5 m",
                               "Höhenlinien Gelände", "Höhenbezug 2",
                               // A page that opens inside the terrain's table says so.
                               "Protokoll – Gelände (Fortsetzung)"})
    EXPECT_NE(text.find(expected), std::string::npos) << expected;
  EXPECT_NE(text.find(run.host.bem), std::string::npos);
  EXPECT_NE(text.find(run.record->h0_text + " m"), std::string::npos);
  // The protocol's lines, the last one included (the text layout may space
  // the columns differently).
  const std::string flat = Squeezed(text);
  EXPECT_NE(flat.find(Squeezed(run.record->protocol->back())), std::string::npos);
  EXPECT_NE(flat.find(Squeezed((*run.record->protocol)[run.record->protocol->size() / 2])),
            std::string::npos);

  // The area difference as the protocol's last line has it.
  const std::string& diff = run.record->protocol->back();
  const std::string area = Squeezed(diff.substr(diff.find(':') + 1));
  EXPECT_NE(flat.find("Differenz " + area), std::string::npos) << area;

  const size_t lines = run.record->protocol->size();
  const size_t pages = 1 + (lines + kProtocolLinesPerPage - 1) / kProtocolLinesPerPage;
  ASSERT_GT(pages, 3u);
  const std::string last = "Seite " + std::to_string(pages) + " von " + std::to_string(pages);
  EXPECT_NE(text.find("Seite 1 von " + std::to_string(pages)), std::string::npos);
  EXPECT_NE(text.find(last), std::string::npos);
  EXPECT_EQ(text.find("Seite " + std::to_string(pages + 1)), std::string::npos);

  // The first page rendered: blue and red mesh lines in the plot.
  std::string out;
  ASSERT_EQ(RunCommand("pdftoppm -r 50 -f 1 -l 1 -png " + file + " " + (run.dir / "page") + " 2>&1",
                  out),
            0)
      << out;
  QImage page;
  ASSERT_TRUE(page.load(QString::fromStdString(run.dir / "page-1.png")) ||
              page.load(QString::fromStdString(run.dir / "page-01.png")));
  EXPECT_NEAR(page.width() / double(page.height()), 210.0 / 297.0, 0.01);  // A4
  long blue = 0, red = 0;
  for (int y = page.height() / 3; y < page.height(); ++y)
    for (int x = 0; x < page.width(); ++x) {
      const QColor c = page.pixelColor(x, y);
      if (c.blue() > 150 && c.red() < 120 && c.green() < 120) ++blue;
      if (c.red() > 150 && c.blue() < 120 && c.green() < 120) ++red;
    }
  EXPECT_GT(blue, 50);
  EXPECT_GT(red, 50);
}

// Points spread at random over a square kilometre, every third on the
// reference horizon: at the scale the page allows, the triangles are
// smaller than half a millimetre.
std::string SpreadSurvey(int n) {
  std::string text;
  uint64_t r = 12345;
  auto next = [&] {
    r = r * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<double>(r >> 11) / 9007199254740992.0;
  };
  for (int i = 1; i <= n; ++i) {
    const double x = next() * 1000, y = next() * 1000;
    const double z = 280 + 15 * (1 - ((x - 500) * (x - 500) + (y - 500) * (y - 500)) / 5e5);
    text += Format("%16d %5d %12.3f %12.3f %10.3f\r\n", i, i % 3 == 0 ? 1 : 0, 3486000 + y,
                   5656000 + x, z);
  }
  return text;
}

TEST(PdfReport, ASurveyGivesAShortReportWithItsOutlineAndThinnedPoints) {
  std::string why;
  if (!HaveTool("pdfinfo -v", why) || !HaveTool("pdftotext -v", why)) GTEST_SKIP() << why;
  ExportRun run(SpreadSurvey(30000), 0.1);
  const std::string file = run.dir / "survey.pdf";
  WritePdfReport(run.in, file);  // the summary, by default
  std::string info, text;
  ASSERT_EQ(RunCommand("pdfinfo " + file + " 2>&1", info), 0) << info;
  const int pages = std::stoi(info.substr(info.find("Pages:") + 6));
  EXPECT_LE(pages, 10);
  EXPECT_EQ(pages, ReportPages(run.in));
  EXPECT_LE(ReadBytes(file).size(), 5u << 20);
  ASSERT_EQ(RunCommand("pdftotext -layout " + file + " - 2>&1", text), 0) << text;
  EXPECT_NE(text.find("nur der Umriss gezeichnet"), std::string::npos);
  EXPECT_NE(text.find("von 30000 gezeichnet"), std::string::npos);
  // Lines 0.1 m apart in height lie closer than the paper shows: the plot
  // keeps the round levels, and says which.
  EXPECT_NE(text.find("Gelände alle 0.5 m"), std::string::npos);
  EXPECT_NE(text.find("(im Abstand 0.1 m zu dicht)"), std::string::npos);
  EXPECT_NE(text.find("Protokoll (Zusammenfassung)"), std::string::npos);
  // Random points leave thin triangles along the outline out; the report
  // says how many.
  const std::string loss = Delaunay::OutlineLossText("Gelände", Delaunay::MeasureOutline(*run.ws.Mesh1));
  ASSERT_FALSE(loss.empty());
  EXPECT_NE(Squeezed(text).find(loss), std::string::npos) << loss;

  // The summary: every line but the triangles', which one line counts.
  const std::vector<std::string>& protocol = *run.record->protocol;
  const auto summary = ReportProtocol(protocol, PdfProtocol::kSummary);
  std::vector<std::string> kept;
  for (const ReportLine& l : summary) kept.push_back(l.text);
  const int32_t triangles[] = {run.ws.Mesh0->HowMany, run.ws.Mesh1->HowMany};
  EXPECT_EQ(kept.size(), protocol.size() - triangles[0] - triangles[1] + 2);
  for (int32_t n : triangles)
    EXPECT_NE(std::find(kept.begin(), kept.end(),
                        Format("      (%d Maschen, jede einzeln in der Protokolldatei)", n)),
              kept.end());
  for (const std::string& line : protocol) {
    if (line.rfind("Summe", 0) == 0 || line.rfind("Masche", 0) == 0 ||
        line.rfind("Differenz", 0) == 0) {
      EXPECT_NE(std::find(kept.begin(), kept.end(), line), kept.end()) << line;
    }
  }
  EXPECT_TRUE(ReportProtocol(protocol, PdfProtocol::kNone).empty());
  EXPECT_EQ(ReportProtocol(protocol, PdfProtocol::kFull).size(), protocol.size());
  // A survey's full protocol would be hundreds of pages; the bound on
  // memory follows the pages.
  run.in.options.pdf_protocol = PdfProtocol::kFull;
  EXPECT_GT(ReportPages(run.in), 1000);
  EXPECT_GT(ReportMemoryEstimate(run.in), size_t{1000} * (16 << 10));
}

TEST(PdfReport, ScaleBarIsARoundQuarterOfThePlot) {
  EXPECT_EQ(ScaleBarLength(100), 20);
  EXPECT_EQ(ScaleBarLength(19.9), 2);
  EXPECT_EQ(ScaleBarLength(21), 5);
  EXPECT_EQ(ScaleBarLength(4000), 1000);
  EXPECT_DOUBLE_EQ(ScaleBarLength(0.3), 0.05);
  EXPECT_EQ(ScaleBarLength(0), 0);
}

}  // namespace
}  // namespace zelmaro::testing
