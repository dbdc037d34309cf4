#include "cli/commands.h"

namespace zelmaro::cli {

int CmdRun(const Args&) { return Usage("'run' ist noch nicht verfügbar"); }
int CmdBalance(const Args&) { return Usage("'balance' ist noch nicht verfügbar"); }

}  // namespace zelmaro::cli
