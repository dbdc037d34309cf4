// zelmaro-cli: the computation of the desktop program from the command line,
// for batch use and for looking at intermediate results as JSON.
#include <cstdio>
#include <exception>
#include <string>

#include "cli/commands.h"
#include "text/errors.h"

namespace zelmaro::cli {

int Usage(const std::string& problem) {
  if (!problem.empty()) std::fprintf(stderr, "zelmaro-cli: %s\n", problem.c_str());
  std::fputs(
      "Aufruf:\n"
      "  zelmaro-cli points FILE [--json]\n"
      "  zelmaro-cli mesh FILE --horizon reference|terrain --json [--complete-outline]\n"
      "  zelmaro-cli run FILE [--h0 H] [--bem TEXT] [--json] [--complete-outline]\n"
      "  zelmaro-cli balance FILE --horizon reference|terrain [--bem TEXT] [--json]\n"
      "                      [--complete-outline]\n"
      "  zelmaro-cli contours FILE --horizon reference|terrain --interval S --json\n"
      "                       [--complete-outline]\n"
      "  zelmaro-cli cutfill FILE [--h0 H] [--complete-outline]\n"
      "--complete-outline: jede Vermaschung um die Randdreiecke bis zur konvexen Hülle\n"
      "ergänzen.\n",
      stderr);
  return 2;
}

}  // namespace zelmaro::cli

int main(int argc, char** argv) {
  using namespace zelmaro::cli;
  if (argc < 2) return Usage("");
  const std::string command = argv[1];
  Args args(argv + 2, argv + argc);
  try {
    if (command == "points") return CmdPoints(args);
    if (command == "mesh") return CmdMesh(args);
    if (command == "run") return CmdRun(args);
    if (command == "balance") return CmdBalance(args);
    if (command == "contours") return CmdContours(args);
    if (command == "cutfill") return CmdCutFill(args);
    if (command == "--help" || command == "-h") {
      Usage("");
      return 0;
    }
    return Usage("unbekannter Befehl '" + command + "'");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", zelmaro::ErrorMessage(e).c_str());
    return 1;
  }
}
