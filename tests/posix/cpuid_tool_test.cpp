// corelens-cpuid against the program: its -o file is the file batch mode writes for the
// same processor at the same time, and its flag list is the features window's.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>

#include "tests/support/app_support.h"

namespace corelens {
namespace {

const char* const k_tool = CORELENS_BINARY_DIR "/tools/corelens-cpuid";

// The first group of pattern in report, or "".
std::string found(const std::string& report, const char* pattern) {
    std::smatch match;
    return std::regex_search(report, match, std::regex(pattern)) ? match[1].str() : "";
}

TEST(CpuidTool, OutputFileIsTheBatchFile) {
    app_test::ScratchDirectory scratch;
    const app_test::Outcome dump = app_test::run_program(k_tool, {"dump"}, scratch.path());
    ASSERT_EQ(0, dump.status) << dump.err;
    app_test::write_file(scratch.path_of("this.dump"), dump.out);
    // The report carries the time to the second: a pair of runs that straddles a change of
    // the second is tried again. The measured speed is handed to the replay.
    for (int attempt = 0; attempt < 3; ++attempt) {
        std::filesystem::remove(scratch.path_of("corelens_results.txt"));
        ASSERT_EQ(0, app_test::run_program(CORELENS_BINARY_DIR "/app/corelens", {"/p:" + scratch.path(), "/f"},
                                           scratch.path()).status);
        const std::string batch = app_test::read_file(scratch.path_of("corelens_results.txt"));
        const app_test::Outcome tool = app_test::run_program(
            k_tool, {"report", "--mhz", found(batch, "Speed: *([0-9.]+) MHz"), "-o", scratch.path_of("o.txt"),
                     scratch.path_of("this.dump")}, scratch.path());
        ASSERT_EQ(0, tool.status) << tool.err;
        const std::string output = app_test::read_file(scratch.path_of("o.txt"));
        const char* const time = "Date & Time: *([^\r]*)\r";
        if (found(batch, time) != found(output, time)) continue;
        EXPECT_EQ(batch, output);
        return;
    }
    FAIL() << "three runs straddled a second";
}

TEST(CpuidTool, FlagsListTheWindowRows) {
    const std::string file = CORELENS_DUMPS_DIR "/AuthenticAMD/athlon-thunderbird-644.txt";
    if (!std::filesystem::exists(file)) GTEST_SKIP() << "no shared dumps at " << file;
    app_test::ScratchDirectory scratch;
    const app_test::Outcome flags = app_test::run_program(k_tool, {"flags", file}, scratch.path());
    ASSERT_EQ(0, flags.status) << flags.err;
    const std::string tail = "IA-64\tIA-64 instructions\t30\tno\n3DNow+\tExtended AMD 3DNow\te30\tyes\n"
                             "3DNow\tAMD 3DNow\te31\tyes\n";
    EXPECT_EQ(0u, flags.out.find("FPU\tFloating Point Unit\t0\tyes\n")) << flags.out;
    EXPECT_EQ(flags.out.size() - tail.size(), flags.out.rfind(tail)) << flags.out;
}

}  // namespace
}  // namespace corelens
