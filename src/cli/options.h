#pragma once
// The command line's option parser: named options, with or without a
// value, and one point file. Usage errors are reported the same way for
// every command.
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

namespace zelmaro::cli {

struct OptionRule {
  const char* name;  // "--h0"
  bool takes_value;
};

struct ParsedOptions {
  std::string file;  // the point file
  std::map<std::string, std::string> values;  // option -> value ("" for a flag)

  bool Has(const std::string& name) const { return values.count(name) != 0; }
  std::string Value(const std::string& name) const {
    auto it = values.find(name);
    return it == values.end() ? std::string() : it->second;
  }
};

// Returns 0 when every argument is one of the known options or the one
// point file, and a point file is named; else the usage exit code (the
// problem printed with the usage). A later repetition of an option replaces
// its value.
int ParseOptions(const std::vector<std::string>& args, std::initializer_list<OptionRule> known,
                 ParsedOptions& out);

// The value of a numeric option, when given. Returns 0, or the usage exit
// code when the value is no number.
int NumberOption(const ParsedOptions& o, const std::string& name, const char* what, double& value,
                 bool& given);

// The report of a negative contour interval (0 lets the program choose one).
std::string IntervalNotPositive(const std::string& text);

}  // namespace zelmaro::cli
