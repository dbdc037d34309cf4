#pragma once
// The subcommands of zelmaro-cli. Each takes the arguments after its name and
// returns the exit code: 0 done, 1 failed (German message on stderr), 2 usage.
#include <string>
#include <vector>

#include "volume/cut_fill.h"

namespace zelmaro::cli {

using Args = std::vector<std::string>;

int CmdPoints(const Args& args);
int CmdMesh(const Args& args);
int CmdRun(const Args& args);
int CmdBalance(const Args& args);
int CmdContours(const Args& args);
int CmdCutFill(const Args& args);

// The figures of run --json's "cutFill", and the readable table of cutfill.
std::string CutFillJson(const CutFill& c);
std::string CutFillTable(const CutFill& c);

// Prints the usage to stderr and returns 2.
int Usage(const std::string& problem);

}  // namespace zelmaro::cli
