#pragma once
// Small string routines of the command line. An argument is taken whole, however long
// (whether its path fits is decided when the file is written); a length looks at no more
// than 10,000 bytes.
#include <cstddef>
#include <string>

namespace corelens {

constexpr std::size_t k_bounded_limit = 10000;

// One argument of source: up to the first blank outside double quotes. With strip_quotes
// the quote characters are left out and the character after each one is copied without
// being tested as a quote. Empty for a null pointer.
std::string cut_argument(const char* source, bool strip_quotes);

// Characters before the first NUL, looking at no more than 10,000 bytes; 9,999 when
// those hold no NUL. 0 for a null pointer.
std::size_t bounded_length(const char* text);

}  // namespace corelens
