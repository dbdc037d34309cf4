#include "cli/commands.h"

namespace zelmaro::cli {

int CmdMesh(const Args&) { return Usage("'mesh' ist noch nicht verfügbar"); }

}  // namespace zelmaro::cli
