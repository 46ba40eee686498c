#include "app/strings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace corelens {
namespace {

// An argument that does not fit is refused, not cut, and nothing lands past the capacity.
TEST(CutArgument, QuoteHandlingAndCapacity) {
    const std::string a259(259, 'a'), a260(260, 'a');
    struct Case { std::string source; std::size_t capacity; bool strip_quotes, fits; std::string expected; };
    const Case cases[] = {
        {"cpu /c", 260, false, true, "cpu"},
        {"tab\there x", 260, false, true, "tab\there"},
        {"\"D:\\My Results\" /f:cpu /c", 260, true, true, "D:\\My Results"},
        {"\"D:\\My Results\" /f:cpu /c", 260, false, true, "\"D:\\My Results\""},
        {"a\"b c\"d e", 260, true, true, "ab cd"},
        {"x\"\" y\" z", 260, true, true, "x\" y"},  // the second of two quotes is copied, still inside
        {a259 + " /c", 260, false, true, a259},
        {a260, 260, false, false, ""},
        {"\"abcd\"", 4, true, false, ""},
    };
    for (const Case& c : cases) {
        std::vector<char> destination(c.capacity + 1, 'x');
        EXPECT_EQ(c.fits, cut_argument(c.source.c_str(), destination.data(), c.capacity, c.strip_quotes)) << c.source;
        EXPECT_EQ(c.expected, std::string(destination.data())) << c.source;
        EXPECT_EQ('x', destination[c.capacity]) << c.source << ": written past the capacity";
    }
    char small[4];
    EXPECT_FALSE(cut_argument(nullptr, small, sizeof small, true));
}

TEST(BoundedLength, StopsAtNineThousandNineHundredNinetyNine) {
    const std::vector<char> unterminated(10000, 'b');  // read no further than its end
    EXPECT_EQ(0u, bounded_length(nullptr));
    EXPECT_EQ(9999u, bounded_length(std::string(9999, 'a').c_str()));
    EXPECT_EQ(9999u, bounded_length(unterminated.data()));
}

}  // namespace
}  // namespace corelens
