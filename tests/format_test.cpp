// The formatter every build shares; where the C library is glibc, whose printf the reports
// have always matched, it is also checked against that printf over many values.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "platform/format.h"

namespace corelens::platform {
namespace {

TEST(Format, Rows) {
    const struct { std::string actual; const char* expected; } rows[] = {
        // Speeds: the exact binary value decides, a tie goes to the even digit.
        {fixed(1999.95f, 1), "1999.9"}, {fixed(266.35f, 1), "266.4"}, {fixed(0.25, 1), "0.2"},
        {fixed(0.75, 1), "0.8"}, {fixed(2.5, 0), "2"}, {fixed(3.5, 0), "4"}, {fixed(0.0, 1), "0.0"},
        {fixed(-0.04, 1), "-0.0"}, {fixed(-0.0, 1), "-0.0"}, {fixed(-1.25, 1), "-1.2"},
        {fixed(0.1, 25), "0.10000000000000000555"}, {fixed(4.9e-324, 1), "0.0"},
        {fixed(std::numeric_limits<float>::max(), 1), "340282346638528859811704183484516925440.0"},
        {fixed(std::numeric_limits<double>::infinity(), 1), "inf"},
        {fixed(-std::numeric_limits<double>::infinity(), 1), "-inf"},
        {fixed(std::numeric_limits<double>::quiet_NaN(), 1), "nan"},
        {fixed(-std::numeric_limits<double>::quiet_NaN(), 1), "-nan"},
        // Dates, levels, bit positions, dump words: widths, zeros, signs.
        {unsigned_decimal(7, 2), "07"}, {unsigned_decimal(2026, 2), "2026"}, {unsigned_decimal(0), "0"},
        {unsigned_decimal(UINT64_MAX), "18446744073709551615"}, {decimal(-42, 5), "-0042"},
        {decimal(-128), "-128"}, {decimal(INT64_MIN), "-9223372036854775808"},
        {upper_hex(0x722, 8), "00000722"}, {upper_hex(0xC1C3F9FF, 8), "C1C3F9FF"},
        {upper_hex(UINT64_MAX, 18), "00FFFFFFFFFFFFFFFF"},
    };
    for (const auto& row : rows) EXPECT_EQ(row.expected, row.actual);
}

TEST(Format, CopyTextCutsWithinTheBuffer) {
    char buffer[6] = "xxxxx";
    copy_text(buffer, 4, "abcdef");
    EXPECT_EQ(0, std::memcmp(buffer, "abc\0x", 6));
    copy_text(buffer, 0, "z");
    copy_text(buffer + 1, 1, "z");
    EXPECT_EQ(0, std::memcmp(buffer, "a\0c\0x", 6));
}

#ifdef __GLIBC__
std::string printed(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string printed(const char* format, ...) {
    char buffer[400];  // the 309 digits of the largest double and the decimals
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

// Any bits: floats as the record keeps the speed, doubles of every magnitude.
TEST(Format, PrintsWhatGlibcPrints) {
    std::mt19937_64 random(21);
    for (int i = 0; i < 60000; ++i) {
        const std::uint64_t bits = random();
        const int decimals = static_cast<int>(bits % 4), width = static_cast<int>(bits >> 59);
        float narrow = 0;
        double wide = 0;
        const std::uint32_t low = static_cast<std::uint32_t>(bits);
        std::memcpy(&narrow, &low, sizeof narrow);
        std::memcpy(&wide, &bits, sizeof wide);
        for (const double value : {static_cast<double>(narrow), wide}) {
            ASSERT_EQ(printed("%.*f", decimals, value), fixed(value, decimals)) << std::hexfloat << value;
        }
        const std::int64_t value = static_cast<std::int64_t>(bits) >> (bits % 64);
        ASSERT_EQ(printed("%0*" PRId64, width, value), decimal(value, width));
        ASSERT_EQ(printed("%0*" PRIu64, width, bits), unsigned_decimal(bits, width));
        ASSERT_EQ(printed("%0*" PRIX64, width, bits), upper_hex(bits, width));
    }
}
#endif

}  // namespace
}  // namespace corelens::platform
