#pragma once
#include <string>

namespace zelmaro {

// The version text of the program, "1.1", from the build: the window's
// caption and the protocol's head both show it.
std::string VersionText();

}  // namespace zelmaro
