#include "app/strings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace corelens {
namespace {

TEST(CutArgument, QuoteHandling) {
    struct Case { const char* source; bool strip_quotes; const char* expected; };
    const Case cases[] = {
        {"cpu /c", false, "cpu"}, {"", false, ""}, {"abc\"", true, "abc"},
        {"tab\there x", false, "tab\there"},
        {"\"D:\\My Results\" /f:cpu /c", true, "D:\\My Results"},
        {"\"D:\\My Results\" /f:cpu /c", false, "\"D:\\My Results\""},
        {"a\"b c\"d e", true, "ab cd"},
        {"x\"\" y\" z", true, "x\" y"},  // the second of two quotes is copied, still inside
    };
    for (const Case& c : cases) {
        char destination[260];
        std::memset(destination, 'x', sizeof destination);
        EXPECT_TRUE(cut_argument(c.source, destination, sizeof destination, c.strip_quotes)) << c.source;
        EXPECT_EQ(std::string(c.expected), std::string(destination)) << c.source;
    }
}

TEST(CutArgument, ArgumentBeyondTheBufferIsRefusedNotCut) {
    std::vector<char> destination(261, 'x');
    ASSERT_TRUE(cut_argument((std::string(259, 'a') + " /c").c_str(), destination.data(), 260, false));
    EXPECT_EQ(std::string(259, 'a'), std::string(destination.data()));

    destination.assign(261, 'x');
    EXPECT_FALSE(cut_argument(std::string(260, 'a').c_str(), destination.data(), 260, false));
    EXPECT_EQ("", std::string(destination.data()));
    EXPECT_EQ('x', destination[260]) << "written past the capacity";

    char small[4];
    EXPECT_FALSE(cut_argument("\"abcd\"", small, sizeof small, true)) << "quotes stripped still too long";
    EXPECT_FALSE(cut_argument(nullptr, small, sizeof small, true));
}

TEST(BoundedLength, StopsAtNineThousandNineHundredNinetyNine) {
    const std::vector<char> unterminated(10000, 'b');  // read no further than its end
    EXPECT_EQ(0u, bounded_length(nullptr));
    EXPECT_EQ(3u, bounded_length("abc"));
    EXPECT_EQ(9999u, bounded_length(std::string(9999, 'a').c_str()));
    EXPECT_EQ(9999u, bounded_length(unterminated.data()));
}

}  // namespace
}  // namespace corelens
