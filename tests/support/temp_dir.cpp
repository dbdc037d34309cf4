#include "support/temp_dir.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <stdexcept>

namespace zelmaro::testing {

TempDir::TempDir() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "zelmaro-test-XXXXXX").string();
  if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
  path_ = tmpl;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string TempDir::Write(std::string_view name, std::string_view bytes) const {
  std::string file = File(name);
  std::ofstream out(file, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return file;
}

std::string ReadBytes(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace zelmaro::testing
