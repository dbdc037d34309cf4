// export as zelmaro-cli runs it: the command itself is in the export module,
// loaded here only when it is called (export_module.h says why).
#include <dlfcn.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "cli/commands.h"
#include "cli/export_module.h"

namespace zelmaro::cli {

namespace {

// The module is looked for in the folder of the program file itself, which
// /proc/self/exe names with every symbolic link resolved: a zelmaro-cli
// started through a link, from PATH or from another working folder finds
// the module built beside it. dlopen then gets a full path and searches
// nowhere else. An RPATH of $ORIGIN would give the same folder, but only
// for a bare module name, which dlopen looks up in LD_LIBRARY_PATH first
// and so could load another build's module; and install steps rewrite or
// drop an RPATH. Empty when the program's folder is not known.
std::string ModulePath() {
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec || self.empty()) return {};
  return (self.parent_path() / ZELMARO_EXPORT_MODULE).string();
}

// dlerror's text begins with the file name, which the message names already.
std::string LoadFailure(const std::string& path) {
  const char* error = dlerror();
  std::string text = error ? error : "";
  if (text.rfind(path + ": ", 0) == 0) text.erase(0, path.size() + 2);
  return text;
}

}  // namespace

int CmdExport(const Args& args) {
  const std::string path = ModulePath();
  if (path.empty()) {
    std::fprintf(stderr,
                 "Das Exportmodul '%s' lässt sich nicht laden: der Ordner von zelmaro-cli ist "
                 "unbekannt (/proc/self/exe nicht lesbar).\n",
                 ZELMARO_EXPORT_MODULE);
    return 1;
  }
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) {
    std::fprintf(stderr, "Das Exportmodul '%s' ist nicht vorhanden.\n", path.c_str());
    return 1;
  }
  // All its libraries bound at once, so that a missing one is reported here
  // rather than ending the program in the middle of an export. The module
  // stays loaded to the end of the process: Qt's libraries keep exit
  // handlers that must still find their code.
  void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!module) {
    std::fprintf(stderr, "Das Exportmodul '%s' lässt sich nicht laden: %s\n", path.c_str(),
                 LoadFailure(path).c_str());
    return 1;
  }
  auto* command = reinterpret_cast<ExportCommandFunction*>(dlsym(module, kExportEntryPoint));
  if (!command) {
    std::fprintf(stderr, "Das Exportmodul '%s' enthält den Einsprungpunkt '%s' nicht.\n",
                 path.c_str(), kExportEntryPoint);
    return 1;
  }
  std::vector<const char*> argv;
  argv.reserve(args.size() + 1);
  for (const std::string& a : args) argv.push_back(a.c_str());
  argv.push_back(nullptr);
  return command(static_cast<int>(args.size()), argv.data());
}

}  // namespace zelmaro::cli
