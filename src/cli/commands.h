#pragma once
// The subcommands of zelmaro-cli. Each takes the arguments after its name and
// returns the exit code: 0 done, 1 failed (German message on stderr), 2 usage.
#include <functional>
#include <string>
#include <vector>

#include "cli/json.h"
#include "text/textfile.h"
#include "volume/cut_fill.h"

namespace zelmaro::cli {

using Args = std::vector<std::string>;

int CmdPoints(const Args& args);
int CmdMesh(const Args& args);
int CmdRun(const Args& args);
int CmdBalance(const Args& args);
int CmdContours(const Args& args);
int CmdCutFill(const Args& args);
int CmdBands(const Args& args);

// The figures of run --json's "cutFill", and the readable table of cutfill.
void CutFillJson(JsonWriter& w, const CutFill& c);
std::string CutFillTable(const CutFill& c);
// Loads the export module beside the program and runs the command there;
// exit code 1 with the reason when the module cannot be loaded.
int CmdExport(const Args& args);

// Prints the usage to stderr and returns 2.
int Usage(const std::string& problem);

// The program computes quietly on the former table when a point file is not
// read; a batch call that names a file wants to hear why.
// Prints why a point file was not read to stderr and returns true; false,
// quietly, when it was read.
bool Reported(ReadResult result, const std::string& file);

// The line a triangulation's coincident points give: once as it happens
// (ReportCoincidence), or counted at the end of a run (ReportCoincidences,
// silent for none).
void ReportCoincidence();
void ReportCoincidences(long count);

// Runs a command and returns its exit code; an error it throws is printed
// as its German message and gives 1.
int Guarded(const std::function<int()>& command);

// The exit code of a command whose output on stdout was all written: rc,
// or 1 with the German report when stdout took not all of it.
int OutputChecked(int rc);

}  // namespace zelmaro::cli
