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

std::string line_value(const std::string& report, const std::string& label) {
    std::smatch match;
    if (!std::regex_search(report, match, std::regex(label + " *([^\r]*)\r\n"))) return "(no " + label + " line)";
    return match[1];
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
    const std::regex line("(CPUID [0-9A-F]{8}: [0-9A-F]{8}-[0-9A-F]{8}-[0-9A-F]{8}-[0-9A-F]{8}\n){2,}");
    EXPECT_TRUE(std::regex_match(dump.out, line)) << dump.out;

    const Outcome live = run(CORELENS_BINARY_DIR "/app/corelens", {});
    ASSERT_EQ(0, live.status) << live.err;
    // The speed measured live, given back to the replay so every other line must agree.
    std::string speed = line_value(live.out, "Speed:");
    ASSERT_NE(std::string::npos, speed.find(" MHz")) << speed;
    speed = speed.substr(0, speed.find(" MHz"));

    const Outcome replay = run(k_tool, {"report", "--mhz", speed, write("this.txt", dump.out)});
    ASSERT_EQ(0, replay.status) << replay.err;
    const std::regex time("Date & Time: *[^\r]*\r\n");  // the one line that depends on the moment
    EXPECT_EQ(std::regex_replace(live.out, time, ""), std::regex_replace(replay.out, time, ""));
    EXPECT_EQ("", replay.err);

    const Outcome html = run(k_tool, {"report", "--html", scratch_.path_of("this.txt")});
    EXPECT_EQ(0u, html.out.rfind("<HTML>", 0)) << html.out.substr(0, 80);
}

TEST_F(CpuidTool, EveryRecordedProcessorReportsTheSameTwice) {
    namespace fs = std::filesystem;
    const fs::path dumps = CORELENS_DUMPS_DIR;
    if (!fs::is_directory(dumps)) GTEST_SKIP() << "no shared dumps at " << dumps;
    const std::regex time("Date & Time: *[^\r]*\r\n");
    int reported = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dumps)) {
        if (!entry.is_regular_file() || entry.path().extension() != ".txt") continue;
        const std::string file = entry.path().string();
        const Outcome first = run(k_tool, {"report", "--mhz", "733", file});
        const Outcome second = run(k_tool, {"report", "--mhz", "733", file});
        ASSERT_EQ(0, first.status) << file << ": " << first.err;
        EXPECT_EQ(std::regex_replace(first.out, time, ""), std::regex_replace(second.out, time, "")) << file;
        // The given speed, or none where the processor has no time-stamp counter.
        const std::string speed = line_value(first.out, "Speed:");
        EXPECT_TRUE(speed == "733.0 MHz" || speed == "0.0 MHz") << file << ": " << speed;
        ++reported;
    }
    EXPECT_GT(reported, 100);
}

TEST_F(CpuidTool, UsageErrorsExitTwo) {
    const std::string good = write("good.txt", "CPUID 00000000: 00000001-756E6547-6C65746E-49656E69\n");
    const std::string bad = write("bad.txt",
                                  "# recorded by hand\n"
                                  "CPUID 00000000: 00000001-756E6547-6C65746E-49656E69\n"
                                  "CPUID 00000001: 00000673-ZZ-0-0\n");
    const std::string missing = scratch_.path_of("missing.txt");
    struct Case { const char* name; std::vector<std::string> arguments; std::string in_stderr; };
    const Case cases[] = {
        {"UnreadableFile", {"report", missing}, missing},
        {"MalformedLine", {"report", bad}, bad + ":3:"},
        {"UnknownOption", {"report", "--verbose", good}, "unknown option '--verbose'"},
        {"BadSpeed", {"report", "--mhz", "-5", good}, "bad --mhz value '-5'"},
        {"NoFile", {"report"}, "report needs a dump file"},
        {"UnknownCommand", {"frobnicate"}, "unknown command 'frobnicate'"},
        {"NoCommand", {}, "usage: corelens-cpuid"},
    };
    for (const Case& c : cases) {
        const Outcome outcome = run(k_tool, c.arguments);
        EXPECT_EQ(2, outcome.status) << c.name;
        EXPECT_NE(std::string::npos, outcome.err.find(c.in_stderr)) << c.name << ", stderr: " << outcome.err;
        EXPECT_EQ("", outcome.out) << c.name;
    }
    const Outcome help = run(k_tool, {"--help"});
    EXPECT_EQ(0, help.status);
    EXPECT_NE(std::string::npos, help.out.find("corelens-cpuid report [--html] [--mhz N] FILE")) << help.out;
}

}  // namespace
}  // namespace corelens
