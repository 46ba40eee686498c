#pragma once
// Small string routines of the command line: bounded by the source's 10,000-byte limit
// and by the destination's capacity, so nothing is ever written past a buffer.
#include <cstddef>

namespace corelens {

constexpr std::size_t k_bounded_limit = 10000;

// Copies one argument of source (up to the first blank outside double quotes) into
// destination and ends it with a NUL. With strip_quotes the quote characters are left
// out and the character after each one is copied without being tested as a quote.
// Returns true when the whole argument fit. An argument that does not fit capacity is
// refused: destination then holds the empty text. Does nothing (false) when a pointer is
// null or capacity is 0.
bool cut_argument(const char* source, char* destination, std::size_t capacity, bool strip_quotes);

// Characters before the first NUL, looking at no more than 10,000 bytes; 9,999 when
// those hold no NUL. 0 for a null pointer.
std::size_t bounded_length(const char* text);

}  // namespace corelens
