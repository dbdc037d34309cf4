#include "text/textfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "text/cp1252.h"
#include "text/atomic_file.h"
#include "text/errors.h"

namespace zelmaro {

PointFileLines::PointFileLines(std::string_view bytes, char line_end)
    : bytes_(bytes), line_end_(line_end) {
  const void* eof = std::memchr(bytes.data(), 0x1A, bytes.size());
  end_ = eof ? static_cast<size_t>(static_cast<const char*>(eof) - bytes.data()) : bytes.size();
}

std::string_view PointFileLines::Next() {
  const char* base = bytes_.data();
  size_t start = pos_;
  const void* lf = std::memchr(base + start, line_end_, end_ - start);
  size_t line_end = lf ? static_cast<size_t>(static_cast<const char*>(lf) - base) : end_;
  pos_ = lf ? line_end + 1 : end_;
  const void* cr = std::memchr(base + start, '\r', line_end - start);
  size_t text_end = cr ? static_cast<size_t>(static_cast<const char*>(cr) - base) : line_end;
  return bytes_.substr(start, text_end - start);
}

namespace {
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};
}  // namespace

ReadResult ReadWholeFile(const std::string& file_name, std::string& bytes, size_t max_bytes) {
  struct stat st {};
  if (file_name.empty() || ::stat(file_name.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
    return ReadResult::Missing;
  // Looked at before opening: a FIFO without a writer would block the open.
  if (!S_ISREG(st.st_mode)) return ReadResult::NotRegular;
  // A save that was killed while writing the file over leaves a mix of new
  // and former lines; its former content comes back before it is read.
  RecoverInterruptedSave(file_name);
  if (::stat(file_name.c_str(), &st) != 0) return ReadResult::Missing;
  if (static_cast<uintmax_t>(st.st_size) > max_bytes) return ReadResult::TooLarge;
  // Non-blocking in case the name was swapped for a FIFO meanwhile.
  Descriptor fd(::open(file_name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (fd.get() < 0) return ReadResult::Unopenable;
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return ReadResult::NotRegular;
  if (static_cast<uintmax_t>(st.st_size) > max_bytes) return ReadResult::TooLarge;
  std::string content;
  if (st.st_size > 0) content.reserve(static_cast<size_t>(st.st_size));
  char chunk[1 << 16];
  for (;;) {
    ssize_t n = ::read(fd.get(), chunk, sizeof chunk);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int err = errno;
      throw EInOutError::FromErrno(err, file_name);
    }
    if (n == 0) break;
    // Files of the kernel's and of others that grow while being read say
    // nothing of their size beforehand.
    if (content.size() + static_cast<size_t>(n) > max_bytes) return ReadResult::TooLarge;
    content.append(chunk, static_cast<size_t>(n));
  }
  bytes.swap(content);
  return ReadResult::Ok;
}

TextFileWriter::~TextFileWriter() {
  if (fd_ >= 0) ::close(fd_);
}

void TextFileWriter::Create(const std::string& file_name) {
  if (fd_ >= 0) Close();
  // An empty name cannot be created; the report is that of a missing file.
  if (file_name.empty()) throw EInOutError(2);
  name_ = file_name;
  fd_ = ::open(file_name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd_ < 0) throw EInOutError::FromErrno(errno, name_);
  used_ = 0;
}

void TextFileWriter::Append(std::string_view bytes) {
  if (used_ + bytes.size() > buffer_.size())
    buffer_.resize(std::max(kFlushAt, used_ + bytes.size()) + 4096);
  std::memcpy(buffer_.data() + used_, bytes.data(), bytes.size());
  used_ += bytes.size();
}

void TextFileWriter::Attach(int fd) {
  if (fd_ >= 0) Close();
  name_.clear();  // the caller knows what the descriptor stands for
  fd_ = fd;
  used_ = 0;
}

void TextFileWriter::WriteLine(std::string_view utf8_line) {
  if (fd_ < 0) throw EInOutError(103, name_);  // file not open
  bool ascii = true;
  for (char c : utf8_line)
    if (static_cast<unsigned char>(c) >= 0x80) {
      ascii = false;
      break;
    }
  if (ascii)
    Append(utf8_line);
  else
    Append(Utf8ToCp1252(utf8_line));
  Append("\r\n");
  if (used_ >= kFlushAt) Flush();
}

char* TextFileWriter::BeginLine(size_t max) {
  if (fd_ < 0) throw EInOutError(103);
  if (used_ + max + 2 > buffer_.size()) buffer_.resize(std::max(kFlushAt, used_ + max + 2) + 4096);
  return buffer_.data() + used_;
}

void TextFileWriter::EndLine(char* end) {
  end[0] = '\r';
  end[1] = '\n';
  used_ = static_cast<size_t>(end + 2 - buffer_.data());
  if (used_ >= kFlushAt) Flush();
}

void TextFileWriter::WriteBytes(std::string_view bytes) {
  if (fd_ < 0) throw EInOutError(103);
  if (used_ + bytes.size() < kFlushAt) {
    Append(bytes);
    return;
  }
  // A large block goes out from where it is instead of through the buffer.
  Flush();
  WriteAll(bytes.data(), bytes.size());
}

void TextFileWriter::WriteAll(const char* data, size_t size) {
  size_t done = 0;
  while (done < size) {
    ssize_t n = ::write(fd_, data + done, size - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      int err = errno;
      used_ = 0;
      ::close(fd_);
      fd_ = -1;
      throw EInOutError::FromErrno(err, name_);
    }
    done += static_cast<size_t>(n);
  }
}

void TextFileWriter::Flush() {
  const size_t n = used_;
  used_ = 0;
  WriteAll(buffer_.data(), n);
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
  if (rc != 0) throw EInOutError::FromErrno(errno, name_);
}

}  // namespace zelmaro
