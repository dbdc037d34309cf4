#pragma once
// The export command lives in a module of its own, zelmaro-export.so beside
// zelmaro-cli, which loads it only when export runs: Qt and dxflib, which the
// exports draw and write with, cost every other command about 12 MB of
// memory and the start-up of some forty libraries.
//
// The two meet at one C function, so that nothing of C++ (no exception, no
// std::string of the other binary's making) crosses between them. Each
// binary has its own copy of the core and of the command line's shared
// parts; the module exports only its entry point, so neither copy ever binds
// to the other's functions or data. Nothing relies on state that they would
// have to share: the program hands over nothing but the arguments.

// The arguments after "export" as argv[0..argc-1] (plain NUL-terminated
// UTF-8 texts, kept by the caller); returns the command's exit code (0, 1 or
// 2 as every command: commands.h). Errors are reported on stderr inside the
// module; nothing is thrown out of it.
extern "C" int zelmaro_export_command(int argc, const char* const* argv) noexcept;

namespace zelmaro::cli {

using ExportCommandFunction = int(int, const char* const*) noexcept;
inline constexpr const char kExportEntryPoint[] = "zelmaro_export_command";

}  // namespace zelmaro::cli
