// corelens-cpuid against the program: its -o file is the file batch mode writes for the
// same processor at the same time, and its flag list is the features window's.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "tests/support/app_support.h"

namespace corelens {
namespace {

using app_test::Outcome;

const char* const k_tool = CORELENS_BINARY_DIR "/tools/corelens-cpuid";

// The first group of pattern in report, or "".
std::string found(const std::string& report, const char* pattern) {
    std::smatch match;
    return std::regex_search(report, match, std::regex(pattern)) ? match[1].str() : "";
}

class CpuidTool : public ::testing::Test {
protected:
    Outcome run(const std::string& program, const std::vector<std::string>& arguments) {
        return app_test::run_program(program, arguments, scratch_.path());
    }
    std::string write(const std::string& name, const std::string& text) {
        app_test::write_file(scratch_.path_of(name), text);
        return scratch_.path_of(name);
    }
    app_test::ScratchDirectory scratch_;
};

TEST_F(CpuidTool, OutputFileIsTheBatchFile) {
    const Outcome dump = run(k_tool, {"dump"});
    ASSERT_EQ(0, dump.status) << dump.err;
    const std::string dump_file = write("this.dump", dump.out);
    // The report carries the time to the second: a pair of runs that straddles a change of
    // the second is tried again. The measured speed is handed to the replay.
    for (int attempt = 0; attempt < 3; ++attempt) {
        std::filesystem::remove(scratch_.path_of("corelens_results.txt"));
        ASSERT_EQ(0, run(CORELENS_BINARY_DIR "/app/corelens", {"/p:" + scratch_.path(), "/f"}).status);
        const std::string batch = app_test::read_file(scratch_.path_of("corelens_results.txt"));
        const std::string speed = found(batch, "Speed: *([0-9.]+) MHz");
        const Outcome tool = run(k_tool, {"report", "--mhz", speed, "-o", scratch_.path_of("o.txt"), dump_file});
        ASSERT_EQ(0, tool.status) << tool.err;
        EXPECT_EQ("", tool.out);
        const std::string output = app_test::read_file(scratch_.path_of("o.txt"));
        const char* const time = "Date & Time: *([^\r]*)\r";
        if (found(batch, time) != found(output, time)) continue;
        EXPECT_EQ(batch, output);
        return;
    }
    FAIL() << "three runs straddled a second";
}

TEST_F(CpuidTool, FlagsListTheWindowRows) {
    const std::string file = CORELENS_DUMPS_DIR "/AuthenticAMD/athlon-thunderbird-644.txt";
    if (!std::filesystem::exists(file)) GTEST_SKIP() << "no shared dumps at " << file;
    const Outcome flags = run(k_tool, {"flags", file});
    ASSERT_EQ(0, flags.status) << flags.err;
    EXPECT_EQ(0u, flags.out.find("FPU\tFloating Point Unit\t0\tyes\n")) << flags.out;
    const std::string tail = "IA-64\tIA-64 instructions\t30\tno\n3DNow+\tExtended AMD 3DNow\te30\tyes\n"
                             "3DNow\tAMD 3DNow\te31\tyes\n";
    EXPECT_EQ(flags.out.size() - tail.size(), flags.out.rfind(tail)) << flags.out;
    EXPECT_EQ(25, std::count(flags.out.begin(), flags.out.end(), '\n'));
}

TEST_F(CpuidTool, UsageErrorsExitTwo) {
    const std::string good = write("good.txt", "CPUID 00000000: 00000001-756E6547-6C65746E-49656E69\n");
    const std::string bad = write("bad.txt", "# by hand\n" + app_test::read_file(good) + "CPUID 1: 0-ZZ-0-0\n");
    const std::string missing = scratch_.path_of("missing.txt");
    struct Case { const char* name; std::vector<std::string> arguments; std::string in_stderr; };
    const Case cases[] = {
        {"UnreadableFile", {"report", missing}, missing},
        {"MalformedLine", {"report", bad}, bad + ":3:"},
        {"UnknownOption", {"report", "--verbose", good}, "unknown option '--verbose'"},
    };
    for (const Case& c : cases) {
        const Outcome outcome = run(k_tool, c.arguments);
        EXPECT_EQ(2, outcome.status) << c.name;
        EXPECT_NE(std::string::npos, outcome.err.find(c.in_stderr)) << c.name << ": " << outcome.err;
        EXPECT_EQ("", outcome.out) << c.name;
    }
}

}  // namespace
}  // namespace corelens
