#include "app/strings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace corelens {
namespace {

TEST(CutArgument, QuoteHandling) {
    struct Case { const char* name; const char* source; bool strip_quotes; const char* expected; };
    const Case cases[] = {
        {"StopsAtBlank", "cpu /c", false, "cpu"},
        {"Empty", "", false, ""},
        {"QuotesStripped", "\"D:\\My Results\" /f:cpu /c", true, "D:\\My Results"},
        {"QuotesKept", "\"D:\\My Results\" /f:cpu /c", false, "\"D:\\My Results\""},
        {"QuotesInsideAWord", "a\"b c\"d e", true, "ab cd"},
        // Two quotes in a row: the second is copied and the state stays inside.
        {"DoubledQuote", "x\"\" y\" z", true, "x\" y"},
        {"QuoteAtTheEndStops", "abc\"", true, "abc"},
        {"TabIsNoBlank", "tab\there x", false, "tab\there"},
    };
    for (const Case& c : cases) {
        char destination[260];
        std::memset(destination, 'x', sizeof destination);
        EXPECT_TRUE(cut_argument(c.source, destination, sizeof destination, c.strip_quotes)) << c.name;
        EXPECT_EQ(std::string(c.expected), std::string(destination)) << c.name;
    }
}

TEST(CutArgument, ArgumentBeyondTheBufferIsRefusedNotCut) {
    std::vector<char> destination(261, 'x');
    ASSERT_TRUE(cut_argument((std::string(259, 'a') + " /c").c_str(), destination.data(), 260, false));
    EXPECT_EQ(std::string(259, 'a'), std::string(destination.data()));

    std::fill(destination.begin(), destination.end(), 'x');
    EXPECT_FALSE(cut_argument(std::string(260, 'a').c_str(), destination.data(), 260, false));
    EXPECT_EQ("", std::string(destination.data())) << "a refused argument leaves the empty text";
    EXPECT_EQ('x', destination[260]) << "written past the capacity";

    char small[4];
    EXPECT_FALSE(cut_argument("\"abcd\"", small, sizeof small, true)) << "quotes stripped still too long";
    EXPECT_FALSE(cut_argument(nullptr, small, sizeof small, true));
    EXPECT_FALSE(cut_argument("abc", small, 0, true));
}

TEST(BoundedLength, StopsAtNineThousandNineHundredNinetyNine) {
    const std::vector<char> unterminated(10000, 'b');  // read no further than its end
    EXPECT_EQ(0u, bounded_length(nullptr));
    EXPECT_EQ(3u, bounded_length("abc"));
    EXPECT_EQ(9999u, bounded_length(std::string(9999, 'a').c_str()));
    EXPECT_EQ(9999u, bounded_length(std::string(20000, 'a').c_str()));
    EXPECT_EQ(9999u, bounded_length(unterminated.data()));
}

TEST(BoundedCopy, StopsAtCapacityOrTenThousandAndEndsWithNul) {
    std::vector<char> destination(12001, 'x');
    EXPECT_EQ(7u, bounded_copy("abcdefghij", destination.data(), 8));
    EXPECT_EQ("abcdefg", std::string(destination.data()));
    EXPECT_EQ('x', destination[8]) << "written past the capacity";

    EXPECT_EQ(10000u, bounded_copy(std::string(12000, 'a').c_str(), destination.data(), destination.size()));
    EXPECT_EQ('\0', destination[10000]);
    EXPECT_EQ('x', destination[10001]);
    EXPECT_EQ(0u, bounded_copy(nullptr, destination.data(), 4));
}

}  // namespace
}  // namespace corelens
