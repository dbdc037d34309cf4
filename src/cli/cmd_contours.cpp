#include "cli/commands.h"

namespace zelmaro::cli {

int CmdContours(const Args&) { return Usage("'contours' ist noch nicht verfügbar"); }

}  // namespace zelmaro::cli
