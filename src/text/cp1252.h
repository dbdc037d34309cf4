#pragma once
// Windows-1252, the code page of point and protocol files. All 256 byte
// values map to a code point: the five bytes the code page leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control of the same number, so
// any file survives a round trip unchanged.
#include <string>
#include <string_view>

namespace zelmaro {

// Code point of a byte.
char32_t Cp1252ToCodePoint(unsigned char byte);
// Byte of a code point; '?' for a code point the code page cannot hold.
unsigned char CodePointToCp1252(char32_t cp);

std::string Cp1252ToUtf8(std::string_view bytes);
// Invalid UTF-8 sequences and unmappable characters become '?'.
std::string Utf8ToCp1252(std::string_view utf8);

}  // namespace zelmaro
