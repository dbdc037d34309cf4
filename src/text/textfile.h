#pragma once
// Reading and writing the program's text files: Windows-1252 bytes, lines
// ended by CR LF.
#include <cstdio>
#include <string>
#include <string_view>

namespace zelmaro {

// Splits a point file's bytes into lines: LF ends a line, the text of a line
// ends at its first CR (what follows up to the LF is skipped), a byte 0x1A
// ends the file, and a last line without line end counts. Lines are handed
// out as views into the buffer, still in Windows-1252. A file written with
// CR alone after each line is split at CR instead (line_end '\r').
class PointFileLines {
 public:
  explicit PointFileLines(std::string_view bytes, char line_end = '\n');
  // True when no further line is to be read (the test comes before each line).
  bool Eof() const { return pos_ >= end_; }
  std::string_view Next();

 private:
  std::string_view bytes_;
  size_t pos_ = 0;
  size_t end_ = 0;
  char line_end_ = '\n';
};

enum class ReadResult { Ok, Missing, Unopenable, NotRegular, TooLarge, NotPointFile };

// Reads a whole file. Missing: no such file, or the name is a folder.
// Unopenable: it exists but cannot be opened. NotRegular: a FIFO, device or
// socket, which is never read (it could block or never end). TooLarge: more
// than max_bytes, found before reading or, for files whose size is not known
// beforehand, on the way. A read error after opening throws EInOutError.
// Only with Ok are the bytes changed.
ReadResult ReadWholeFile(const std::string& file_name, std::string& bytes,
                         size_t max_bytes = static_cast<size_t>(-1));

// A text file created or emptied on opening and written in large blocks.
// Lines are UTF-8 inside the program and Windows-1252 on disk, each ended by
// CR LF. Every failure throws EInOutError with the matching report.
class TextFileWriter {
 public:
  TextFileWriter() = default;
  ~TextFileWriter();
  TextFileWriter(const TextFileWriter&) = delete;
  TextFileWriter& operator=(const TextFileWriter&) = delete;

  void Create(const std::string& file_name);  // rewrite
  // Writes to a descriptor opened elsewhere, which the writer then owns.
  void Attach(int fd);
  void WriteLine(std::string_view utf8_line);
  // Room for one line of at most max bytes, formatted in place: plain ASCII,
  // which is the same in both encodings. EndLine takes the end of the text
  // and adds CR LF. Spares a large protocol a string per line.
  char* BeginLine(size_t max);
  void EndLine(char* end);
  // Bytes as they are: no code page conversion, no line end.
  void WriteBytes(std::string_view bytes);
  void Close();  // flushes; a failed flush throws
  // Flushes and hands the descriptor back, still open; the writer is closed.
  int Detach();
  bool IsOpen() const { return fd_ >= 0; }

 private:
  static constexpr size_t kFlushAt = size_t{1} << 20;
  void Append(std::string_view bytes);
  void Flush();
  void WriteAll(const char* data, size_t size);
  int fd_ = -1;
  std::string name_;  // for the reports
  std::string buffer_;  // buffer_[0 .. used_) waits to be written
  size_t used_ = 0;
};

}  // namespace zelmaro
