#include "volume/run_state.h"

#include "points/reader.h"

namespace zelmaro {

bool RunState::LiesPunkte(const std::string& file_name) {
  if (!read_once_.empty() && file_name == read_once_) {
    read_result = ReadResult::Ok;
    PointsRead();
    return true;
  }
  const bool chosen_for_it = import_file.empty() || import_file == file_name;
  read_result = ReadPointFile(file_name, chosen_for_it ? import_layout : ImportLayout{}, P,
                              &read_report);
  if (read_result != ReadResult::Ok) return false;
  PointsRead();
  return true;
}

bool RunState::LiesPunkteOncePerCommand(const std::string& file_name) {
  read_once_.clear();
  if (!LiesPunkte(file_name)) return false;
  read_once_ = file_name;
  return true;
}

void RunState::PointsRead() {
  GetMinMax(P, bounds.MinX, bounds.MinY, bounds.MinZ, bounds.MaxX, bounds.MaxY, bounds.MaxZ);
}

}  // namespace zelmaro
