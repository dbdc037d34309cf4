#pragma once
// A window stand-in for computation runs, and a scratch folder to run in.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "volume/number_field.h"
#include "volume/run.h"
#include "workspace/workspace.h"

namespace zelmaro::testing {

class FakeHost : public RunHost {
 public:
  std::string point_file;
  std::string bem;
  NumberFieldModel field;
  std::vector<std::string> pane;
  int show_calls = 0;
  std::map<ResultField, std::string> fields;
  int coincidences = 0;

  std::string PointFileName() override { return point_file; }
  std::string ProjectDesignation() override { return bem; }
  double ReferenceHeight() override { return field.Value(); }
  std::string ReferenceHeightText() override { return field.Text(); }
  void ShowProtocol(const std::vector<std::string>& lines) override {
    pane = lines;
    ++show_calls;
  }
  void SetResultField(ResultField f, const std::string& text) override { fields[f] = text; }
  void Coincidence() override { ++coincidences; }
  bool KeepsMeshes() override { return keeps_meshes; }
  bool keeps_meshes = true;
};

// A fresh folder under the system's temporary folder, removed at the end.
// Optionally the current working folder for its lifetime.
class ScratchDir {
 public:
  explicit ScratchDir(bool enter = false) {
    std::string tmpl = (std::filesystem::temp_directory_path() / "zelmaro-volume-XXXXXX").string();
    path_ = ::mkdtemp(tmpl.data());
    if (enter) {
      old_ = std::filesystem::current_path();
      std::filesystem::current_path(path_);
    }
  }
  ~ScratchDir() {
    if (!old_.empty()) std::filesystem::current_path(old_);
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  std::string operator/(const std::string& name) const { return (path_ / name).string(); }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
  std::filesystem::path old_;
};

inline std::string DataFile(const std::string& name) {
  return std::string(ZELMARO_TEST_DATA) + "/volume/" + name;
}

inline std::string ReadBytes(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary) << bytes;
}

// Copies a point file of tests/data/volume into the folder (the protocol is
// written beside it) and returns the copy's name.
inline std::string CopyData(const ScratchDir& dir, const std::string& name) {
  const std::string to = dir / name;
  WriteBytes(to, ReadBytes(DataFile(name)));
  return to;
}

}  // namespace zelmaro::testing
