#pragma once
// Small JSON output helpers for the command line.
#include <charconv>
#include <cstdio>
#include <cstdint>
#include <string>
#include <string_view>

namespace zelmaro::cli {

// Shortest text that reads back as the same double.
inline std::string JsonNumber(double v) {
  char buf[64];
  auto [p, ec] = std::to_chars(buf, buf + sizeof buf, v);
  (void)ec;
  return std::string(buf, p);
}

inline std::string JsonNumber(int64_t v) { return std::to_string(v); }
inline std::string JsonNumber(int32_t v) { return std::to_string(v); }

// A JSON string literal of UTF-8 text.
inline std::string JsonString(std::string_view s) {
  std::string out = "\"";
  for (char c : s) {
    auto b = static_cast<unsigned char>(c);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (b < 0x20) {
          char esc[8];
          std::snprintf(esc, sizeof esc, "\\u%04x", b);
          out += esc;
        } else {
          out.push_back(c);
        }
    }
  }
  out += '"';
  return out;
}

}  // namespace zelmaro::cli
