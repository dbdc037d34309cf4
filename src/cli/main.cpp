// zelmaro-cli: the computation of the desktop program from the command line,
// for batch use and for looking at intermediate results as JSON.
#include <string>

#include "cli/commands.h"
#include "text/temp_files.h"

int main(int argc, char** argv) {
  using namespace zelmaro::cli;
  zelmaro::StopSignalsRemoveTempFiles();
  if (argc < 2) return Usage("");
  const std::string command = argv[1];
  const Args args(argv + 2, argv + argc);
  return OutputChecked(Guarded([&] {
    if (command == "points") return CmdPoints(args);
    if (command == "mesh") return CmdMesh(args);
    if (command == "run") return CmdRun(args);
    if (command == "balance") return CmdBalance(args);
    if (command == "contours") return CmdContours(args);
    if (command == "cutfill") return CmdCutFill(args);
    if (command == "bands") return CmdBands(args);
    if (command == "export") return CmdExport(args);
    if (command == "--help" || command == "-h") {
      Usage("");
      return 0;
    }
    return Usage("unbekannter Befehl '" + command + "'");
  }));
}
