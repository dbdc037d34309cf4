#pragma once
// Small JSON output helpers for the command line.
#include <charconv>
#include <cstdio>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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

// The length of the well-formed UTF-8 sequence at the start of s, 0 when
// there is none (a stray byte, an overlong form, a surrogate, beyond U+10FFFF).
inline size_t Utf8SequenceLength(std::string_view s) {
  const auto b = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
  const auto cont = [&](size_t i) { return i < s.size() && (b(i) & 0xC0) == 0x80; };
  if (s.empty()) return 0;
  const unsigned char c = b(0);
  if (c < 0x80) return 1;
  if (c >= 0xC2 && c <= 0xDF) return cont(1) ? 2 : 0;
  if (c >= 0xE0 && c <= 0xEF) {
    if (!cont(1) || !cont(2)) return 0;
    if (c == 0xE0 && b(1) < 0xA0) return 0;   // overlong
    if (c == 0xED && b(1) >= 0xA0) return 0;  // surrogate
    return 3;
  }
  if (c >= 0xF0 && c <= 0xF4) {
    if (!cont(1) || !cont(2) || !cont(3)) return 0;
    if (c == 0xF0 && b(1) < 0x90) return 0;   // overlong
    if (c == 0xF4 && b(1) >= 0x90) return 0;  // beyond U+10FFFF
    return 4;
  }
  return 0;
}

// A JSON string literal of text that is UTF-8 where it can be: a byte that
// starts no well-formed sequence (a file name in Latin-1, say) is taken as
// the Latin-1 character of that number, so the output is always UTF-8.
inline std::string JsonString(std::string_view s) {
  std::string out = "\"";
  for (size_t i = 0; i < s.size();) {
    const char c = s[i];
    auto b = static_cast<unsigned char>(c);
    if (b >= 0x80) {
      const size_t n = Utf8SequenceLength(s.substr(i));
      if (n > 0) {
        out.append(s.substr(i, n));
        i += n;
      } else {
        char esc[8];
        std::snprintf(esc, sizeof esc, "\\u%04x", b);
        out += esc;
        ++i;
      }
      continue;
    }
    ++i;
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

// Builds one JSON text, compact, members in the order written; it puts the
// commas, so that no command counts them itself.
//   JsonWriter w;
//   w.Object().Key("n").Number(1).Key("a").Array().Number(2).End().End();
class JsonWriter {
 public:
  JsonWriter& Object() { return Open('{', '}'); }
  JsonWriter& Array() { return Open('[', ']'); }
  // Closes the innermost object or array.
  JsonWriter& End() {
    out_ += closers_.back();
    closers_.pop_back();
    first_ = false;
    return *this;
  }
  JsonWriter& Key(std::string_view name) {
    Separate();
    out_ += JsonString(name);
    out_ += ':';
    first_ = true;
    return *this;
  }
  JsonWriter& Number(double v) { return Value(JsonNumber(v)); }
  JsonWriter& Number(int64_t v) { return Value(JsonNumber(v)); }
  JsonWriter& Number(int32_t v) { return Value(JsonNumber(v)); }
  JsonWriter& String(std::string_view s) { return Value(JsonString(s)); }

  void Reserve(size_t bytes) { out_.reserve(bytes); }
  // The text written so far.
  const std::string& Text() const { return out_; }

 private:
  JsonWriter& Open(char open, char close) {
    Separate();
    out_ += open;
    closers_.push_back(close);
    first_ = true;
    return *this;
  }
  JsonWriter& Value(const std::string& text) {
    Separate();
    out_ += text;
    return *this;
  }
  void Separate() {
    if (!first_) out_ += ',';
    first_ = false;
  }

  std::string out_;
  std::vector<char> closers_;
  bool first_ = true;  // nothing yet in the innermost object or array, or a key just written
};

}  // namespace zelmaro::cli
