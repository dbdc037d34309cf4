#pragma once
// What the user chose for the exports beyond the run itself: how much of the
// protocol the report carries, who made it for whom, which layers the
// drawing holds, and the coordinate system the survey lies in.
#include <string>

namespace zelmaro {

enum class PdfProtocol {
  kFull,     // every line of the protocol as an appendix
  kSummary,  // the horizon tables' head and sum lines, not every triangle
  kNone,     // no appendix
};

struct DxfLayers {
  bool labels = true;     // point numbers and heights
  bool triangles = true;  // both meshes as 3D faces
  bool contours = true;
};

struct ExportOptions {
  PdfProtocol pdf_protocol = PdfProtocol::kSummary;
  std::string author;  // author or company, shown in the report's title block
  std::string client;
  DxfLayers dxf_layers;
  int epsg = 0;  // 0: not known
};

// "full", "summary" or "none"; false for anything else.
bool ParsePdfProtocol(const std::string& text, PdfProtocol& out);
// A comma-separated choice of "labels", "triangles", "contours" (or "all");
// false for an unknown word or an empty choice.
bool ParseDxfLayers(const std::string& text, DxfLayers& out);
// A positive EPSG code of at most 6 digits; false otherwise.
bool ParseEpsg(const std::string& text, int& out);

}  // namespace zelmaro
