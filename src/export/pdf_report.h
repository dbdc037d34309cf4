#pragma once
// The report for the client: A4 pages with the title block, the results,
// the plot of both meshes and their contour lines, and the protocol.
// Drawn with Qt's PDF writer; a QGuiApplication must exist (offscreen will
// do).
#include <ostream>
#include <string>
#include <vector>

#include "export/export_input.h"

namespace zelmaro {

void WritePdfReport(const ExportInput& in, std::ostream& out);
void WritePdfReport(const ExportInput& in, const std::string& file);

// Lines of the protocol on one page after the first.
inline constexpr int kProtocolLinesPerPage = 66;

// One line of the report's protocol appendix, with the horizon table it
// stands in (empty outside a table): a page that starts inside a table
// repeats the horizon's name and the column header.
struct ReportLine {
  std::string text;
  std::string horizon;
  std::string header;
};

// The protocol as the report's appendix carries it: every line, or the
// tables' head and sum lines with one line for the triangles left out, or
// nothing.
std::vector<ReportLine> ReportProtocol(const std::vector<std::string>& protocol, PdfProtocol mode);

// Pages of the report: the first with the results and the plot, then the
// appendix.
int ReportPages(const ExportInput& in);

// Bytes the PDF writer may need for the report, from its pages and what the
// plot draws; the writer keeps every page until the end.
size_t ReportMemoryEstimate(const ExportInput& in);

// The length of the scale bar for a plot of this many metres across: the
// largest 1, 2 or 5 times a power of ten that is at most a quarter of it.
double ScaleBarLength(double metres_across);

}  // namespace zelmaro
