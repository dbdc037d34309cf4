#include "export/export_file.h"

#include <streambuf>

#include "text/atomic_file.h"

namespace zelmaro {

namespace {

// The stream's bytes into the temporary file, unchanged. A failed write
// throws its EInOutError, which the stream passes on (badbit is in its
// exception mask).
class AtomicFileBuf : public std::streambuf {
 public:
  explicit AtomicFileBuf(TextFileWriter& out) : out_(out) {}

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    const char ch = traits_type::to_char_type(c);
    out_.WriteBytes(std::string_view(&ch, 1));
    return c;
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    out_.WriteBytes(std::string_view(s, static_cast<size_t>(n)));
    return n;
  }

 private:
  TextFileWriter& out_;
};

}  // namespace

void BlockWriter::Flush() {
  if (buf_.empty()) return;
  out_.write(buf_.data(), static_cast<std::streamsize>(buf_.size()));
  buf_.clear();
}

void WriteExportFile(const std::string& file, const std::function<void(std::ostream&)>& body) {
  // Exports are derived files: a link or a second name of the target gets
  // a file of its own rather than being written through.
  AtomicFile target;
  target.Create(file, AtomicFile::Existing::Replace);
  AtomicFileBuf buf(target.Out());
  std::ostream out(&buf);
  out.exceptions(std::ios::badbit | std::ios::failbit);
  body(out);
  out.flush();
  target.Commit();  // until here a failure leaves the former file as it was
}

}  // namespace zelmaro
