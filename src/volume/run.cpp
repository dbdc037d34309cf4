#include "volume/run.h"

#include "text/convert.h"
#include "text/errors.h"
#include "text/format.h"
#include "text/textfile.h"
#include "volume/horizon.h"

namespace zelmaro {

namespace {
using ext = long double;

// Start of the last n characters of UTF-8 text (a character's continuation
// bytes are 10xxxxxx), or npos when the text has fewer.
size_t LastCharsStart(const std::string& s, int n) {
  size_t pos = s.size();
  while (n > 0) {
    if (pos == 0) return std::string::npos;
    --pos;
    while (pos > 0 && (static_cast<unsigned char>(s[pos]) & 0xC0) == 0x80) --pos;
    --n;
  }
  return pos;
}
}  // namespace

std::string ProtocolFileName(const std::string& point_file) {
  const size_t start = LastCharsStart(point_file, 3);
  if (start == std::string::npos) return "LST";
  return point_file.substr(0, start) + "LST";
}

bool ProtocolWouldOverwrite(const std::string& point_file) {
  const size_t start = LastCharsStart(point_file, 3);
  if (start == std::string::npos || point_file.size() - start != 3) return false;
  auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
  return upper(point_file[start]) == 'L' && upper(point_file[start + 1]) == 'S' &&
         upper(point_file[start + 2]) == 'T';
}

void ToolButton1Click(Workspace& ws, RunHost& host) {
  const std::string point_file = host.PointFileName();
  // Its protocol would be the point file itself, emptied before it is read.
  if (ProtocolWouldOverwrite(point_file))
    throw ELimitError("Die Punktdatei '" + point_file +
                      "' endet auf LST und würde von ihrer eigenen Protokolldatei "
                      "überschrieben. Die Berechnung wird nicht ausgeführt; bitte die "
                      "Punktdatei umbenennen.");

  TextFileWriter f1;
  f1.Create(ProtocolFileName(point_file));  // a failure here changes nothing

  std::vector<std::string> pane;  // the cleared pane, shown in one step
  ProtocolOutput out(f1, pane);
  HorizonResult reference, terrain;
  try {
    out.Lines({"Massenberechnung Zelmaro Ver. " + VersionText(), host.ProjectDesignation()});
    ws.LiesPunkte(point_file);
    out.Line("Höhenbezug" + host.ReferenceHeightText() + " m");
    reference = CalcHorizon(ws, kReferenceHorizon, host, out);
    ws.m0 = reference.volume;
    terrain = CalcHorizon(ws, kTerrain, host, out);
    ws.m1 = terrain.volume;
    out.Line("");
    out.Line(Format("Differenz Gelände - Bezugshorizont:   %10.2Lf %10.2Lf",
                    ext(ws.SumA1) - ws.sumA0, ext(ws.m1) - ws.m0));
    f1.Close();
  } catch (...) {
    // What was written so far stays, in the file as in the pane. After a
    // failed write the file is closed already and this does nothing.
    try {
      f1.Close();
    } catch (const EInOutError&) {
      // The first failure is the one reported.
    }
    host.ShowProtocol(pane);
    throw;
  }
  host.ShowProtocol(pane);

  host.SetResultField(ResultField::EditM2, Format("%10.2Lf", ext(ws.m1) - ws.m0));
  // The difference of the areas as displayed, not of the unrounded sums.
  const double a = StrToFloat(Trim(terrain.area_text));
  const double b = StrToFloat(Trim(reference.area_text));
  host.SetResultField(ResultField::EditA2, Format("%10.2Lf", ext(a) - b));
}

}  // namespace zelmaro
