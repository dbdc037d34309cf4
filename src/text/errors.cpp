#include "text/errors.h"

#include <cerrno>
#include <new>
#include <stdexcept>

#include "text/format.h"

namespace zelmaro {

namespace {
std::string InOutMessage(int code) {
  switch (code) {
    case 5: return "Dateizugriff verweigert";
    case 112: return "Disk voll";
    default: return Format("E/A-Fehler %d", code);
  }
}
}  // namespace

EInOutError::EInOutError(int code, std::string file_name)
    : EZelmaroError(InOutMessage(code)), code_(code), file_name_(std::move(file_name)) {}

int EInOutError::CodeFromErrno(int err) {
  switch (err) {
    case ENOENT: return 2;    // file not found
    case ENOTDIR: return 3;   // path not found
    case EMFILE:
    case ENFILE: return 4;    // too many open files
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY: return 5;   // access denied
    case EBUSY: return 32;    // sharing violation
    case ENOSPC:
    case EDQUOT: return 112;  // disk full
    case EFBIG: return 112;
    case EIO: return 23;      // data error
    default: return err > 0 ? err : 100;
  }
}

std::string EInOutError::Cause() const {
  switch (errno_) {
    case ENOENT: return "die Datei oder ihr Ordner ist nicht vorhanden";
    case ENOTDIR: return "ein Teil des Pfades ist kein Ordner";
    case ENAMETOOLONG: return "der Dateiname ist zu lang";
    case EISDIR: return "unter diesem Namen steht ein Ordner";
    case EACCES:
    case EPERM: return "keine Berechtigung";
    case EROFS: return "das Laufwerk ist schreibgeschützt";
    case ENOSPC: return "kein Platz mehr auf dem Laufwerk";
    case EDQUOT: return "das Kontingent auf dem Laufwerk ist erschöpft";
    case EFBIG: return "die Datei überschreitet die erlaubte Größe";
    case ELOOP: return "zu viele Verknüpfungen im Pfad";
    case EIO: return "Lesefehler oder Schreibfehler des Laufwerks";
    default: return "";
  }
}

std::string ErrorReport(const std::exception& e) {
  std::string report = ErrorMessage(e);
  const auto* io = dynamic_cast<const EInOutError*>(&e);
  if (!io) return report;
  const std::string cause = io->Cause();
  if (!io->FileName().empty())
    report += "\nDatei '" + io->FileName() + "'" + (cause.empty() ? "" : ": " + cause);
  else if (!cause.empty())
    report += " (" + cause + ")";
  return report;
}

EOutOfMemory::EOutOfMemory()
    : EZelmaroError("Zu wenig Arbeitsspeicher: der Befehl wurde abgebrochen.") {}

std::string ErrorMessage(const std::exception& e) {
  if (dynamic_cast<const EZelmaroError*>(&e)) return e.what();
  if (dynamic_cast<const std::bad_alloc*>(&e)) return EOutOfMemory().what();
  // The standard library's own texts are English; a length or range failure
  // of a container means the same as running out of memory to the user.
  if (dynamic_cast<const std::length_error*>(&e)) return EOutOfMemory().what();
  return std::string("Interner Fehler: ") + e.what();
}

EConvertError EConvertError::NotInteger(const std::string& text) {
  return EConvertError("'" + text + "' ist kein gültiger Integerwert");
}

EConvertError EConvertError::NotFloat(const std::string& text) {
  return EConvertError("'" + text + "' ist kein gültiger Gleitkommawert");
}

}  // namespace zelmaro
