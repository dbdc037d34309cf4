#include "text/textfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "text/cp1252.h"
#include "text/errors.h"

namespace zelmaro {

PointFileLines::PointFileLines(std::string_view bytes) : bytes_(bytes) {
  const void* eof = std::memchr(bytes.data(), 0x1A, bytes.size());
  end_ = eof ? static_cast<size_t>(static_cast<const char*>(eof) - bytes.data()) : bytes.size();
}

std::string_view PointFileLines::Next() {
  const char* base = bytes_.data();
  size_t start = pos_;
  const void* lf = std::memchr(base + start, '\n', end_ - start);
  size_t line_end = lf ? static_cast<size_t>(static_cast<const char*>(lf) - base) : end_;
  pos_ = lf ? line_end + 1 : end_;
  const void* cr = std::memchr(base + start, '\r', line_end - start);
  size_t text_end = cr ? static_cast<size_t>(static_cast<const char*>(cr) - base) : line_end;
  return bytes_.substr(start, text_end - start);
}

ReadResult ReadWholeFile(const std::string& file_name, std::string& bytes) {
  struct stat st {};
  if (file_name.empty() || ::stat(file_name.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
    return ReadResult::Missing;
  int fd = ::open(file_name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return ReadResult::Unopenable;
  bytes.clear();
  if (S_ISREG(st.st_mode) && st.st_size > 0) bytes.reserve(static_cast<size_t>(st.st_size));
  char chunk[1 << 16];
  for (;;) {
    ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0) {
      if (errno == EINTR) continue;
      int err = errno;
      ::close(fd);
      throw EInOutError::FromErrno(err);
    }
    if (n == 0) break;
    bytes.append(chunk, static_cast<size_t>(n));
  }
  ::close(fd);
  return ReadResult::Ok;
}

TextFileWriter::~TextFileWriter() {
  if (fd_ >= 0) ::close(fd_);
}

void TextFileWriter::Create(const std::string& file_name) {
  if (fd_ >= 0) Close();
  // An empty name cannot be created; the report is that of a missing file.
  if (file_name.empty()) throw EInOutError(2);
  fd_ = ::open(file_name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd_ < 0) throw EInOutError::FromErrno(errno);
  buffer_.clear();
}

void TextFileWriter::Attach(int fd) {
  if (fd_ >= 0) Close();
  fd_ = fd;
  buffer_.clear();
}

void TextFileWriter::WriteBytes(std::string_view bytes) {
  if (fd_ < 0) throw EInOutError(103);  // file not open
  buffer_.append(bytes);
  if (buffer_.size() >= (1u << 20)) Flush();
}

void TextFileWriter::WriteLine(std::string_view utf8_line) {
  if (fd_ < 0) throw EInOutError(103);  // file not open
  bool ascii = true;
  for (char c : utf8_line)
    if (static_cast<unsigned char>(c) >= 0x80) {
      ascii = false;
      break;
    }
  if (ascii)
    buffer_.append(utf8_line);
  else
    buffer_.append(Utf8ToCp1252(utf8_line));
  buffer_.append("\r\n");
  if (buffer_.size() >= (1u << 20)) Flush();
}

void TextFileWriter::Flush() {
  size_t done = 0;
  while (done < buffer_.size()) {
    ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      int err = errno;
      buffer_.clear();
      ::close(fd_);
      fd_ = -1;
      throw EInOutError::FromErrno(err);
    }
    done += static_cast<size_t>(n);
  }
  buffer_.clear();
}

int TextFileWriter::Detach() {
  if (fd_ < 0) throw EInOutError(103);
  Flush();
  const int fd = fd_;
  fd_ = -1;
  return fd;
}

void TextFileWriter::Close() {
  if (fd_ < 0) return;
  Flush();
  int rc = ::close(fd_);
  fd_ = -1;
  if (rc != 0) throw EInOutError::FromErrno(errno);
}

}  // namespace zelmaro
