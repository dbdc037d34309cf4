#pragma once
// LandXML 1.2: both horizons as TIN surfaces, for CAD and road-design
// programs.
#include <ostream>
#include <string>

#include "export/export_input.h"

namespace zelmaro {

void WriteLandXml(const ExportInput& in, std::ostream& out);
void WriteLandXml(const ExportInput& in, const std::string& file);

// Text as XML character data or attribute value: markup characters escaped,
// bytes that are no UTF-8 and characters XML does not allow replaced by U+FFFD.
std::string XmlText(std::string_view s);

}  // namespace zelmaro
