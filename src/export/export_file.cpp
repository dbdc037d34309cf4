#include "export/export_file.h"

#include <cerrno>
#include <fstream>

#include "text/errors.h"

namespace zelmaro {

void BlockWriter::Flush() {
  if (buf_.empty()) return;
  out_.write(buf_.data(), static_cast<std::streamsize>(buf_.size()));
  buf_.clear();
}

void WriteExportFile(const std::string& file, const std::function<void(std::ostream&)>& body) {
  errno = 0;
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  if (!out) throw EInOutError::FromErrno(errno ? errno : EIO);
  body(out);
  out.flush();
  if (!out) throw EInOutError::FromErrno(errno ? errno : EIO);
  out.close();
  if (!out) throw EInOutError::FromErrno(errno ? errno : EIO);
}

}  // namespace zelmaro
