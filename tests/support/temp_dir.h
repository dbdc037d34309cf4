#pragma once
// A fresh folder for a test's files, removed with everything in it at the end.
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "support/command.h"

namespace zelmaro::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string File(std::string_view name) const { return (path_ / name).string(); }
  // Writes the bytes as they are (no line-end conversion) and returns the path.
  std::string Write(std::string_view name, std::string_view bytes) const;

 private:
  std::filesystem::path path_;
};

// The whole content of a file as bytes.
std::string ReadBytes(const std::string& file);

}  // namespace zelmaro::testing
