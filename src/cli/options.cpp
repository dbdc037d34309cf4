#include "cli/options.h"

#include "cli/commands.h"
#include "text/convert.h"

namespace zelmaro::cli {

int ParseOptions(const std::vector<std::string>& args, std::initializer_list<OptionRule> known,
                 ParsedOptions& out) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const OptionRule* match = nullptr;
    for (const OptionRule& s : known)
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
  return 0;
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
