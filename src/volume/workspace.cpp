#include "volume/workspace.h"

#include "points/reader.h"

namespace zelmaro {

bool Workspace::LiesPunkte(const std::string& file_name) {
  if (!read_once_.empty() && file_name == read_once_) {
    read_result = ReadResult::Ok;
    SetMinMaxOffset();
    return true;
  }
  const bool chosen_for_it = import_file.empty() || import_file == file_name;
  read_result = ReadPointFile(file_name, chosen_for_it ? import_layout : ImportLayout{}, P,
                              &read_report);
  if (read_result != ReadResult::Ok) return false;
  SetMinMaxOffset();
  return true;
}

bool Workspace::LiesPunkteOncePerCommand(const std::string& file_name) {
  read_once_.clear();
  if (!LiesPunkte(file_name)) return false;
  read_once_ = file_name;
  return true;
}

void Workspace::SetMinMaxOffset() {
  const int h = image_height ? image_height() : kDefaultImageHeight;
  zelmaro::SetMinMaxOffset(P, bounds, view, h);
}

}  // namespace zelmaro
