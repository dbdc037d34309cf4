#include "text/version.h"
#include "zelmaro_version.h"

namespace zelmaro {

std::string VersionText() { return ZELMARO_VERSION_TEXT; }

}  // namespace zelmaro
