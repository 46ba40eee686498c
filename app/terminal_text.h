#pragma once
// Reports are Windows-1252 bytes; a terminal expects UTF-8.
#include <string>

namespace corelens {

// Every byte becomes its Windows-1252 character; the five bytes that code page leaves
// undefined keep their own code points (U+0081 and so on), so nothing is lost.
std::string windows1252_to_utf8(const std::string& text);

}  // namespace corelens
