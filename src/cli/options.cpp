#include "cli/options.h"

#include <cstdio>

#include "cli/commands.h"
#include "points/reader.h"
#include "text/convert.h"
#include "text/format.h"
#include "workspace/workspace.h"

namespace zelmaro::cli {

namespace {
constexpr OptionRule kLayoutOptions[] = {{"--columns", true}, {"--separator", true}};

int LayoutOptions(ParsedOptions& out) {
  // Formatted: chains of string + trip a false warning of the compiler.
  const std::string separator = out.Value("--separator");
  if (out.Has("--separator") && !ParseSeparator(separator, out.layout.separator))
    return Usage(Format("'%s' ist kein Trennzeichen (auto, space, semicolon, comma oder tab)",
                        separator.c_str()));
  std::string reason;
  const std::string columns = out.Value("--columns");
  if (out.Has("--columns") && !ParseColumns(columns, out.layout.columns, reason))
    return Usage(Format("--columns %s: %s", columns.c_str(), reason.c_str()));
  return 0;
}

void ReportNote(const ReadReport& report, const std::string& file) {
  const std::string note = report.Note();
  if (!note.empty()) std::fprintf(stderr, "%s: %s\n", file.c_str(), note.c_str());
}
}  // namespace

int ParseOptions(const std::vector<std::string>& args, std::initializer_list<OptionRule> known,
                 ParsedOptions& out) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const OptionRule* match = nullptr;
    for (const OptionRule& s : known)
      if (a == s.name) match = &s;
    for (const OptionRule& s : kLayoutOptions)
      if (a == s.name) match = &s;
    if (match) {
      if (!match->takes_value) {
        out.values[a] = "";
      } else if (i + 1 >= args.size()) {
        return Usage(a + " ohne Wert");
      } else {
        out.values[a] = args[++i];
      }
    } else if (!a.empty() && a[0] == '-') {
      return Usage("unbekannte Option '" + a + "'");
    } else if (out.file.empty()) {
      out.file = a;
    } else {
      return Usage("zu viele Argumente");
    }
  }
  if (out.file.empty()) return Usage("keine Punktdatei angegeben");
  return LayoutOptions(out);
}

int HorizonOption(const ParsedOptions& o, std::string& horizon) {
  horizon = o.Value("--horizon");
  if (horizon == "reference" || horizon == "terrain") return 0;
  if (!o.Has("--horizon")) return Usage("kein Horizont angegeben (--horizon reference|terrain)");
  return Usage(Format("unbekannter Horizont '%s' (--horizon reference|terrain)", horizon.c_str()));
}

bool ReadPointsOrReport(const ParsedOptions& o, Workspace& ws) {
  ws.import_layout = o.layout;
  ws.import_file = o.file;
  ws.LiesPunkteOncePerCommand(o.file);
  if (Reported(ws.read_result, o.file)) return false;
  ReportNote(ws.read_report, o.file);
  return true;
}

bool ReadPointsOrReport(const ParsedOptions& o, PointTable& P) {
  ReadReport report;
  if (Reported(ReadPointFile(o.file, o.layout, P, &report), o.file)) return false;
  ReportNote(report, o.file);
  return true;
}

int NumberOption(const ParsedOptions& o, const std::string& name, const char* what, double& value,
                 bool& given) {
  given = o.Has(name);
  if (!given) return 0;
  const std::string text = o.Value(name);
  if (!TryStrToFloat(Trim(text), value)) return Usage("'" + text + "' ist " + what);
  return 0;
}

std::string IntervalNotPositive(const std::string& text) {
  return "Das Höhenlinienintervall muss positiv sein, nicht '" + text +
         "' (0 lässt das Programm eines wählen).";
}

}  // namespace zelmaro::cli
