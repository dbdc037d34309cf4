#pragma once
// Taking a survey file's lines apart, shared by the layout detection and the
// reader.
#include <string_view>
#include <vector>

#include "points/layout.h"

namespace zelmaro {

// A file's text past what is no line content: a UTF-8 byte order mark at its
// start, and the end at a byte 0x1A. Lines end at LF, or at CR in a file
// that has no LF at all.
struct FileText {
  std::string_view text;
  bool byte_order_mark = false;
  char line_end = '\n';
};
FileText PrepareText(std::string_view bytes);

// Blanks (and tabs) alone, or nothing.
bool IsBlank(std::string_view line);
// "#" or "//" first, after blanks.
bool IsComment(std::string_view line);

// The fields of a line. Space: runs of blanks separate, as in the program's
// own point file; otherwise each separator ends a field and the blanks and
// tabs around a field are dropped.
void SplitFields(std::string_view line, Separator s, std::vector<std::string_view>& fields);
std::vector<std::string_view> SplitFields(std::string_view line, Separator s);

// A real as the point file has it: "." or the field's first "," as the
// decimal point (a comma only where the comma does not separate fields).
bool ReadReal(std::string_view field, Separator s, double& value);

}  // namespace zelmaro
