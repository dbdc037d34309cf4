#include "points/writer.h"

#include "text/atomic_file.h"
#include "text/format.h"

namespace zelmaro {

std::string PointFileLine(const TPunkt& p) {
  return Format("%16d %5d %12.3f %12.3f %10.3f", p.NR, static_cast<int>(p.Code), p.Y, p.X, p.Z);
}

void WritePointFile(const std::string& file_name, const PointTable& P) {
  AtomicFile file;
  file.Create(file_name, AtomicFile::Existing::Keep);
  for (int i = 1; i <= High(P); ++i) file.Out().WriteLine(PointFileLine(P[static_cast<size_t>(i)]));
  file.Commit();
}

}  // namespace zelmaro
