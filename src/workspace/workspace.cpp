#include "workspace/workspace.h"

namespace zelmaro {

void Workspace::SetMinMaxOffset() {
  const int h = image_height ? image_height() : kDefaultImageHeight;
  zelmaro::SetMinMaxOffset(P, bounds, view, h);
}

}  // namespace zelmaro
