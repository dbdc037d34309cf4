#pragma once
// Writing an export file. The content is produced onto a stream; failures
// throw EInOutError with the user's report.
#include <functional>
#include <ostream>
#include <string>

namespace zelmaro {

void WriteExportFile(const std::string& file, const std::function<void(std::ostream&)>& body);

// Appends to a memory buffer and hands it to the stream in large blocks:
// a survey of some 100,000 points gives millions of small pieces. The writer
// calls Flush after its last piece. Nothing is written on destruction: the
// stream throws on a failed write, and a throw from a destructor, above all
// while an earlier failure unwinds, would end the program.
class BlockWriter {
 public:
  explicit BlockWriter(std::ostream& out) : out_(out) { buf_.reserve(kBlock + 4096); }
  BlockWriter(const BlockWriter&) = delete;
  BlockWriter& operator=(const BlockWriter&) = delete;

  BlockWriter& operator<<(std::string_view s) {
    buf_.append(s);
    if (buf_.size() >= kBlock) Flush();
    return *this;
  }
  BlockWriter& operator<<(char c) {
    buf_.push_back(c);
    return *this;
  }
  void Flush();

 private:
  static constexpr size_t kBlock = 1 << 20;
  std::ostream& out_;
  std::string buf_;
};

}  // namespace zelmaro
