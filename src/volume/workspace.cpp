#include "volume/workspace.h"

#include "points/reader.h"

namespace zelmaro {

bool Workspace::LiesPunkte(const std::string& file_name) {
  read_result = ReadPointFile(file_name, P);
  if (read_result != ReadResult::Ok) return false;
  SetMinMaxOffset();
  return true;
}

void Workspace::SetMinMaxOffset() {
  const int h = image_height ? image_height() : kDefaultImageHeight;
  zelmaro::SetMinMaxOffset(P, bounds, view, h);
}

}  // namespace zelmaro
