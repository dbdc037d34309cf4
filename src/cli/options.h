#pragma once
// The command line's option parser: named options, with or without a
// value, and one point file. Usage errors are reported the same way for
// every command. Every command reads a point file, so every command takes
// the options that say how its lines are laid out (--columns, --separator).
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "points/layout.h"
#include "points/point_table.h"

namespace zelmaro {
struct Workspace;
}

namespace zelmaro::cli {

struct OptionRule {
  const char* name;  // "--h0"
  bool takes_value;
};

struct ParsedOptions {
  std::string file;  // the point file
  ImportLayout layout;  // from --columns and --separator; Auto and empty: found from the file
  std::map<std::string, std::string> values;  // option -> value ("" for a flag)

  bool Has(const std::string& name) const { return values.count(name) != 0; }
  std::string Value(const std::string& name) const {
    auto it = values.find(name);
    return it == values.end() ? std::string() : it->second;
  }
};

// Returns 0 when every argument is one of the known options, --columns,
// --separator or the one point file, and a point file is named; else the
// usage exit code (the problem printed with the usage). A later repetition
// of an option replaces its value.
int ParseOptions(const std::vector<std::string>& args, std::initializer_list<OptionRule> known,
                 ParsedOptions& out);

// The value of a numeric option, when given. Returns 0, or the usage exit
// code when the value is no number.
int NumberOption(const ParsedOptions& o, const std::string& name, const char* what, double& value,
                 bool& given);

// --horizon reference|terrain: "reference" or "terrain", or the usage exit
// code when it is missing or names neither.
int HorizonOption(const ParsedOptions& o, std::string& horizon);

// Reads the command's point file in the layout of its options, into the
// workspace (whose later reads, a run's, take the same layout) or into a
// table. What the reading passed over goes to stderr. False, with the reason
// on stderr, when the file was not read.
bool ReadPointsOrReport(const ParsedOptions& o, Workspace& ws);
bool ReadPointsOrReport(const ParsedOptions& o, PointTable& P);

// The report of a negative contour interval (0 lets the program choose one).
std::string IntervalNotPositive(const std::string& text);

}  // namespace zelmaro::cli
