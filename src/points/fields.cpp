#include "points/fields.h"

#include <cstring>
#include <string>

#include "text/convert.h"

namespace zelmaro {

FileText PrepareText(std::string_view bytes) {
  FileText t;
  const void* eof = std::memchr(bytes.data(), 0x1A, bytes.size());
  if (eof) bytes = bytes.substr(0, static_cast<size_t>(static_cast<const char*>(eof) - bytes.data()));
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
    bytes.remove_prefix(3);
    t.byte_order_mark = true;
  }
  // Old Macintosh programs end lines with CR alone; the file would be one line.
  if (!std::memchr(bytes.data(), '\n', bytes.size()) && std::memchr(bytes.data(), '\r', bytes.size()))
    t.line_end = '\r';
  t.text = bytes;
  return t;
}

bool IsBlank(std::string_view line) {
  for (char c : line)
    if (c != ' ' && c != '\t') return false;
  return true;
}

bool IsComment(std::string_view line) {
  size_t b = 0;
  while (b < line.size() && (line[b] == ' ' || line[b] == '\t')) ++b;
  line.remove_prefix(b);
  return (!line.empty() && line[0] == '#') || line.substr(0, 2) == "//";
}

void SplitFields(std::string_view line, Separator s, std::vector<std::string_view>& fields) {
  fields.clear();
  if (s == Separator::Space || s == Separator::Auto) {
    size_t i = 0;
    while (true) {
      while (i < line.size() && line[i] == ' ') ++i;
      if (i >= line.size()) return;
      const size_t end = std::min(line.find(' ', i), line.size());
      fields.push_back(line.substr(i, end - i));
      i = end;
    }
  }
  const char sep = s == Separator::Semicolon ? ';' : s == Separator::Comma ? ',' : '\t';
  while (true) {
    const size_t end = line.find(sep);
    std::string_view field = line.substr(0, end);
    while (!field.empty() && (field.front() == ' ' || field.front() == '\t')) field.remove_prefix(1);
    while (!field.empty() && (field.back() == ' ' || field.back() == '\t')) field.remove_suffix(1);
    fields.push_back(field);
    if (end == std::string_view::npos) return;
    line.remove_prefix(end + 1);
  }
}

std::vector<std::string_view> SplitFields(std::string_view line, Separator s) {
  std::vector<std::string_view> fields;
  SplitFields(line, s, fields);
  return fields;
}

bool ReadReal(std::string_view field, Separator s, double& value) {
  const size_t comma = s == Separator::Comma ? std::string_view::npos : field.find(',');
  if (comma == std::string_view::npos) return TryStrToFloat(field, value);
  // Longer than any real: the text would not be one anyway.
  char buffer[64];
  std::string long_field;
  char* copy = buffer;
  if (field.size() > sizeof buffer) {
    long_field.assign(field);
    copy = long_field.data();
  } else {
    std::memcpy(copy, field.data(), field.size());
  }
  copy[comma] = '.';
  return TryStrToFloat(std::string_view(copy, field.size()), value);
}

}  // namespace zelmaro
