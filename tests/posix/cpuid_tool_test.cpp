// corelens-cpuid against the live program: a dump of this processor, replayed, must give
// the report corelens prints for it.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "tests/support/app_support.h"

namespace corelens {
namespace {

using app_test::Outcome;

const char* const k_tool = CORELENS_BINARY_DIR "/tools/corelens-cpuid";

// The one line that depends on the moment, left out.
std::string timeless(const std::string& report) {
    return std::regex_replace(report, std::regex("Date & Time: *[^\r]*\r\n"), "");
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

TEST_F(CpuidTool, ReplayedDumpGivesTheLiveReport) {
    const Outcome dump = run(k_tool, {"dump"});
    ASSERT_EQ(0, dump.status) << dump.err;

    const Outcome live = run(CORELENS_BINARY_DIR "/app/corelens", {});
    ASSERT_EQ(0, live.status) << live.err;
    // The speed measured live, given back to the replay so every other line must agree.
    std::smatch speed;
    ASSERT_TRUE(std::regex_search(live.out, speed, std::regex("Speed: *([0-9.]+) MHz\r\n"))) << live.out;
    const Outcome replay = run(k_tool, {"report", "--mhz", speed[1].str(), write("this.txt", dump.out)});
    ASSERT_EQ(0, replay.status) << replay.err;
    EXPECT_EQ(timeless(live.out), timeless(replay.out));
}

TEST_F(CpuidTool, EveryRecordedProcessorReportsTheSameTwice) {
    namespace fs = std::filesystem;
    const fs::path dumps = CORELENS_DUMPS_DIR;
    if (!fs::is_directory(dumps)) GTEST_SKIP() << "no shared dumps at " << dumps;
    int reported = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dumps)) {
        if (!entry.is_regular_file() || entry.path().extension() != ".txt") continue;
        const std::string file = entry.path().string();
        const Outcome first = run(k_tool, {"report", "--mhz", "733", file});
        const Outcome second = run(k_tool, {"report", "--mhz", "733", file});
        ASSERT_EQ(0, first.status) << file << ": " << first.err;
        EXPECT_EQ(timeless(first.out), timeless(second.out)) << file;
        ++reported;
    }
    EXPECT_GT(reported, 100);
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
