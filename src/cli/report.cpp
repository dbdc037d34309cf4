// How every command of zelmaro-cli reports wrong usage and failures, so
// that each tells its problems in the same words.
#include <cerrno>
#include <cstdio>
#include <exception>
#include <string>

#include "cli/commands.h"
#include "points/reader.h"
#include "text/errors.h"

namespace zelmaro::cli {

int Usage(const std::string& problem) {
  if (!problem.empty()) std::fprintf(stderr, "zelmaro-cli: %s\n", problem.c_str());
  std::fputs(
      "Aufruf:\n"
      "  zelmaro-cli points FILE [--json]\n"
      "  zelmaro-cli mesh FILE --horizon reference|terrain --json [--complete-outline]\n"
      "  zelmaro-cli run FILE [--h0 H] [--bem TEXT] [--json] [--complete-outline]\n"
      "                  [--boundary B | --boundary-points NR,NR,...] [--breaklines L]\n"
      "  zelmaro-cli balance FILE --horizon reference|terrain [--bem TEXT] [--json]\n"
      "                      [--complete-outline]\n"
      "  zelmaro-cli contours FILE --horizon reference|terrain --interval S --json\n"
      "                       [--complete-outline]\n"
      "  zelmaro-cli bands FILE --horizon reference|terrain --step S [--h0 H] [--json]\n"
      "                    [--complete-outline] [--breaklines L]\n"
      "  zelmaro-cli cutfill FILE [--h0 H] [--complete-outline]\n"
      "  zelmaro-cli export FILE [--h0 H] [--interval S] [--bem TEXT] [--complete-outline]\n"
      "                     [--landxml OUT] [--dxf OUT] [--pdf OUT]\n"
      "--complete-outline: jede Vermaschung um die Randdreiecke bis zur konvexen Hülle\n"
      "ergänzen.\n"
      "Jeder Befehl nimmt auch [--columns P,C,E,N,Z] [--separator auto|space|semicolon|comma|tab]:\n"
      "die Spalten der Punktdatei (P Nummer, C Code, E Rechtswert Y, N Hochwert X, Z Höhe,\n"
      "- übergehen) und ihr Trennzeichen; ohne sie wird der Aufbau aus den ersten Zeilen erkannt.\n",
      stderr);
  return 2;
}

bool Reported(ReadResult result, const std::string& file) {
  if (result == ReadResult::Ok) return false;
  std::fprintf(stderr, "%s\n", ReadFailureMessage(result, file).c_str());
  return true;
}

void ReportCoincidence() { std::fputs("INCIRCUM - F - Points are coincident !!\n", stderr); }

void ReportCoincidences(long count) {
  if (count > 0)
    std::fprintf(stderr, "INCIRCUM - F - Points are coincident !! (%ld mal)\n", count);
}

int Guarded(const std::function<int()>& command) {
  try {
    return command();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", ErrorReport(e).c_str());
    return 1;
  }
}

int OutputChecked(int rc) {
  // A result that did not reach its reader (a full disk, /dev/full) is no
  // result: the command fails.
  errno = 0;
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    const int err = errno;
    std::fprintf(stderr, "Die Ausgabe des Befehls konnte nicht geschrieben werden: %s\n",
                 ErrorReport(EInOutError::FromErrno(err != 0 ? err : EIO)).c_str());
    return 1;
  }
  return rc;
}

}  // namespace zelmaro::cli
