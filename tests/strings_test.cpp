#include "app/strings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>


namespace corelens {
namespace {

struct CutCase {
    const char* source;
    bool strip_quotes;
    const char* expected;
};

class CutArgumentCopies : public ::testing::TestWithParam<CutCase> {};

TEST_P(CutArgumentCopies, OneArgument) {
    const CutCase& c = GetParam();
    char destination[260];
    std::memset(destination, 'x', sizeof destination);
    EXPECT_TRUE(cut_argument(c.source, destination, sizeof destination, c.strip_quotes));
    EXPECT_EQ(std::string(c.expected), std::string(destination))
        << "source [" << c.source << "] strip_quotes " << c.strip_quotes;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CutArgumentCopies,
    ::testing::Values(
        CutCase{"cpu /c", false, "cpu"},
        CutCase{"cpu", false, "cpu"},
        CutCase{"", false, ""},
        CutCase{" /c", false, ""},
        CutCase{"\"D:\\My Results\" /f:cpu /c", true, "D:\\My Results"},
        CutCase{"\"D:\\My Results\" /f:cpu /c", false, "\"D:\\My Results\""},
        CutCase{"\"my name\"x y", false, "\"my name\"x"},
        CutCase{"a\"b c\"d e", true, "ab cd"},
        // Two quotes in a row: the second is copied and the state stays inside.
        CutCase{"\"\"a b", true, "\"a b"},
        CutCase{"x\"\" y\" z", true, "x\" y"},
        CutCase{"\"\"a b", false, "\"\"a"},
        // A quote at the very end stops the copy.
        CutCase{"abc\"", true, "abc"},
        CutCase{"\"", true, ""},
        CutCase{"abc\"", false, "abc\""},
        // The character after a stripped closing quote is tested only as a blank.
        CutCase{"\"a\" b", true, "a"},
        CutCase{"tab\there x", false, "tab\there"}));

TEST(CutArgument, ArgumentFillingTheBufferExactlyFits) {
    const std::string argument(259, 'a');
    char destination[260];
    ASSERT_TRUE(cut_argument((argument + " /c").c_str(), destination, sizeof destination, false));
    EXPECT_EQ(argument, std::string(destination));
}

TEST(CutArgument, ArgumentBeyondTheBufferIsRefusedNotCut) {
    const std::string argument(260, 'a');
    std::vector<char> destination(261, 'x');
    EXPECT_FALSE(cut_argument(argument.c_str(), destination.data(), 260, false));
    EXPECT_EQ(std::string(), std::string(destination.data())) << "a refused argument leaves the empty text";
    EXPECT_EQ('x', destination[260]) << "nothing written past the capacity";

    char small[4];
    EXPECT_FALSE(cut_argument("\"abcd\"", small, sizeof small, true));
    EXPECT_EQ(std::string(), std::string(small));
    EXPECT_TRUE(cut_argument("\"abc\"", small, sizeof small, true));
    EXPECT_EQ(std::string("abc"), std::string(small));
}

TEST(CutArgument, NullPointersAndNoCapacityDoNothing) {
    char destination[8] = "keep";
    EXPECT_FALSE(cut_argument(nullptr, destination, sizeof destination, true));
    EXPECT_EQ(std::string("keep"), std::string(destination));
    EXPECT_FALSE(cut_argument("abc", nullptr, 8, true));
    EXPECT_FALSE(cut_argument("abc", destination, 0, true));
    EXPECT_EQ(std::string("keep"), std::string(destination));
}

TEST(BoundedLength, CountsUpToTheFirstNul) {
    EXPECT_EQ(0u, bounded_length(""));
    EXPECT_EQ(3u, bounded_length("abc"));
    EXPECT_EQ(0u, bounded_length(nullptr));
    const std::string text(9999, 'a');
    EXPECT_EQ(9999u, bounded_length(text.c_str()));
}

TEST(BoundedLength, AnswersNineThousandNineHundredNinetyNineWithoutNulInTheLimit) {
    // The NUL sits at 10,000, just beyond what is looked at.
    const std::string exact(10000, 'a');
    EXPECT_EQ(9999u, bounded_length(exact.c_str()));
    const std::string longer(20000, 'a');
    EXPECT_EQ(9999u, bounded_length(longer.c_str()));
    // A buffer of exactly 10,000 bytes with no NUL is read no further.
    std::vector<char> unterminated(10000, 'b');
    EXPECT_EQ(9999u, bounded_length(unterminated.data()));
}

TEST(BoundedCopy, CopiesAndAlwaysEndsWithNul) {
    char destination[16];
    std::memset(destination, 'x', sizeof destination);
    EXPECT_EQ(5u, bounded_copy("hello", destination, sizeof destination));
    EXPECT_EQ(std::string("hello"), std::string(destination));
    EXPECT_EQ(0u, bounded_copy("", destination, sizeof destination));
    EXPECT_EQ(std::string(), std::string(destination));
    EXPECT_EQ(0u, bounded_copy(nullptr, destination, sizeof destination));
    EXPECT_EQ(0u, bounded_copy("x", nullptr, 4));
}

TEST(BoundedCopy, StopsAtTheDestinationsCapacity) {
    std::vector<char> destination(9, 'x');
    EXPECT_EQ(7u, bounded_copy("abcdefghij", destination.data(), 8));
    EXPECT_EQ(std::string("abcdefg"), std::string(destination.data()));
    EXPECT_EQ('x', destination[8]) << "nothing written past the capacity";
}

TEST(BoundedCopy, StopsAtTenThousandCharacters) {
    const std::string source(12000, 'a');
    std::vector<char> destination(12001, 'x');
    EXPECT_EQ(10000u, bounded_copy(source.c_str(), destination.data(), destination.size()));
    EXPECT_EQ('\0', destination[10000]);
    EXPECT_EQ('x', destination[10001]);
}

}  // namespace
}  // namespace corelens
