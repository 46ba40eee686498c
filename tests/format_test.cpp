// The formatter every build shares; where the C library is glibc, whose printf the reports
// have always matched, it is also checked against that printf over many values.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "platform/format.h"

namespace corelens::platform {
namespace {

// The whole buffer after the copy, its NULs shown as '|'.
std::string cut(const char* text, std::size_t size) {
    char buffer[6] = "xxxxx";
    copy_text(buffer, size, text);
    std::string shown(buffer, sizeof buffer);
    for (char& c : shown) c = c == '\0' ? '|' : c;
    return shown;
}

TEST(Format, Rows) {
    using limits = std::numeric_limits<double>;
    const struct { std::string actual; const char* expected; } rows[] = {
        // Speeds: the exact binary value decides, a tie goes to the even digit.
        {fixed(1999.95f, 1), "1999.9"}, {fixed(266.35f, 1), "266.4"}, {fixed(0.25, 1), "0.2"},
        {fixed(0.75, 1), "0.8"}, {fixed(2.5, 0), "2"}, {fixed(3.5, 0), "4"}, {fixed(0.0, 1), "0.0"},
        {fixed(-0.04, 1), "-0.0"}, {fixed(-0.0, 1), "-0.0"}, {fixed(-1.25, 1), "-1.2"},
        {fixed(0.1, 25), "0.10000000000000000555"}, {fixed(4.9e-324, 1), "0.0"},
        {fixed(std::numeric_limits<float>::max(), 1), "340282346638528859811704183484516925440.0"},
        {fixed(limits::infinity(), 1), "inf"}, {fixed(-limits::infinity(), 1), "-inf"},
        {fixed(limits::quiet_NaN(), 1), "nan"}, {fixed(-limits::quiet_NaN(), 1), "-nan"},
        // Dates, levels, bit positions, dump words: widths, zeros, signs.
        {unsigned_decimal(7, 2), "07"}, {unsigned_decimal(2026, 2), "2026"}, {unsigned_decimal(0), "0"},
        {unsigned_decimal(UINT64_MAX), "18446744073709551615"}, {decimal(-42, 5), "-0042"},
        {decimal(-128), "-128"}, {decimal(INT64_MIN), "-9223372036854775808"},
        {upper_hex(0x722, 8), "00000722"}, {upper_hex(0xC1C3F9FF, 8), "C1C3F9FF"},
        {upper_hex(UINT64_MAX, 18), "00FFFFFFFFFFFFFFFF"},
        // Texts cut to their buffer, always ended, nothing written past it.
        {cut("abcdef", 4), "abc|x|"}, {cut("ab", 4), "ab|xx|"}, {cut("z", 1), "|xxxx|"}, {cut("z", 0), "xxxxx|"},
    };
    for (const auto& row : rows) EXPECT_EQ(row.expected, row.actual);
}

#ifdef __GLIBC__
// Any bits: floats as the record keeps the speed, doubles of every magnitude.
TEST(Format, PrintsWhatGlibcPrints) {
    std::mt19937_64 random(21);
    for (int i = 0; i < 60000; ++i) {
        const std::uint64_t bits = random();
        float narrow = 0;
        double wide = 0;
        std::memcpy(&narrow, &bits, sizeof narrow);
        std::memcpy(&wide, &bits, sizeof wide);
        for (const double value : {static_cast<double>(narrow), wide}) {
            char expected[400];  // the 309 digits of the largest double and the decimals
            std::snprintf(expected, sizeof expected, "%.*f", static_cast<int>(bits % 4), value);
            ASSERT_EQ(expected, fixed(value, bits % 4)) << std::hexfloat << value;
        }
    }
}
#endif

}  // namespace
}  // namespace corelens::platform
