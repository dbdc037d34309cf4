#include "volume/run_record.h"

namespace zelmaro {

std::string RecordingHost::PointFileName() {
  record_.point_file = inner_.PointFileName();
  return record_.point_file;
}

std::string RecordingHost::ProjectDesignation() {
  record_.project = inner_.ProjectDesignation();
  return record_.project;
}

double RecordingHost::ReferenceHeight() {
  record_.H0 = inner_.ReferenceHeight();
  return record_.H0;
}

std::string RecordingHost::ReferenceHeightText() {
  record_.h0_text = inner_.ReferenceHeightText();
  return record_.h0_text;
}

void RecordingHost::SetResultField(ResultField field, const std::string& text) {
  record_.fields[static_cast<size_t>(field)] = text;
  inner_.SetResultField(field, text);
}

}  // namespace zelmaro
