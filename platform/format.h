#pragma once
// The one formatter of the program's numbers and texts. Every build runs this same code, so
// a record reads the same byte for byte wherever it is formatted, and corelens.exe needs no
// C runtime's printf. Each function prints what the C locale's printf conversion beside it
// prints.
#include <cstddef>
#include <cstdint>
#include <string>

namespace corelens::platform {

// "%0*lld": a minus sign for a negative value, then digits, zeros in front up to width
// characters in all.
std::string decimal(std::int64_t value, unsigned width = 0);
// "%0*llu"
std::string unsigned_decimal(std::uint64_t value, unsigned width = 0);
// "%0*llX"
std::string upper_hex(std::uint64_t value, unsigned width = 0);

constexpr unsigned k_max_decimals = 20;
// "%.*f" with up to k_max_decimals places (more are taken as k_max_decimals): the exact
// binary value rounded to the nearest, a tie to the even last digit; a negative value, zero
// included, keeps its sign; "inf" and "nan" for the values without digits.
std::string fixed(double value, unsigned decimals);

// snprintf's "%s" into a buffer of size bytes: as much of text as fits, always NUL-ended.
void copy_text(char* buffer, std::size_t size, const char* text);

}  // namespace corelens::platform
