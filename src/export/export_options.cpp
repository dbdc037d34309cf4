#include "export/export_options.h"

#include <charconv>

namespace zelmaro {

bool ParsePdfProtocol(const std::string& text, PdfProtocol& out) {
  if (text == "full") out = PdfProtocol::kFull;
  else if (text == "summary") out = PdfProtocol::kSummary;
  else if (text == "none") out = PdfProtocol::kNone;
  else return false;
  return true;
}

bool ParseDxfLayers(const std::string& text, DxfLayers& out) {
  DxfLayers l{false, false, false};
  size_t start = 0;
  bool any = false;
  while (start <= text.size()) {
    const size_t comma = text.find(',', start);
    const std::string word =
        text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    if (word == "labels") l.labels = true;
    else if (word == "triangles") l.triangles = true;
    else if (word == "contours") l.contours = true;
    else if (word == "all") l = DxfLayers{};
    else return false;
    any = true;
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  if (!any) return false;
  out = l;
  return true;
}

bool ParseEpsg(const std::string& text, int& out) {
  int v = 0;
  const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
  if (r.ec != std::errc() || r.ptr != text.data() + text.size() || v <= 0 || v > 999999)
    return false;
  out = v;
  return true;
}

}  // namespace zelmaro
