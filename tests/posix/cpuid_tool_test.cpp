// corelens-cpuid against the live program: a dump of this processor, replayed, must give
// the report corelens prints for it.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace corelens {
namespace {

namespace fs = std::filesystem;

const char* const k_tool = CORELENS_BINARY_DIR "/tools/corelens-cpuid";
const char* const k_program = CORELENS_BINARY_DIR "/app/corelens";

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class CpuidTool : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/corelens-cpuid-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        scratch_ = pattern;
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(scratch_, ignored);
    }

    Outcome run(const std::string& program, std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), program);
        std::vector<char*> argv;
        for (std::string& word : arguments) argv.push_back(word.data());
        argv.push_back(nullptr);
        const std::string out_path = (scratch_ / "out").string();
        const std::string err_path = (scratch_ / "err").string();

        const pid_t pid = fork();
        if (pid == 0) {
            const int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(127);
            execv(argv[0], argv.data());
            _exit(127);
        }
        Outcome outcome;
        int status = 0;
        if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) outcome.status = WEXITSTATUS(status);
        outcome.out = read_file(out_path);
        outcome.err = read_file(err_path);
        return outcome;
    }

    fs::path write(const std::string& name, const std::string& text) {
        const fs::path path = scratch_ / name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    fs::path scratch_;
};

// The report without its one line that depends on the moment it was made.
std::string without_time(const std::string& report) {
    return std::regex_replace(report, std::regex("Date & Time: *[^\r]*\r\n"), "");
}

std::string line_value(const std::string& report, const std::string& label) {
    std::smatch match;
    if (!std::regex_search(report, match, std::regex(label + " *([^\r]*)\r\n"))) return "(no " + label + " line)";
    return match[1];
}

TEST_F(CpuidTool, ReplayedDumpGivesTheLiveReport) {
    const Outcome dump = run(k_tool, {"dump"});
    ASSERT_EQ(0, dump.status) << dump.err;
    const std::regex line("CPUID [0-9A-F]{8}: [0-9A-F]{8}-[0-9A-F]{8}-[0-9A-F]{8}-[0-9A-F]{8}");
    std::istringstream lines(dump.out);
    int count = 0;
    for (std::string text; std::getline(lines, text); ++count) {
        EXPECT_TRUE(std::regex_match(text, line)) << "line " << count + 1 << ": " << text;
    }
    EXPECT_GE(count, 2) << dump.out;
    const fs::path dump_file = write("this.txt", dump.out);

    const Outcome live = run(k_program, {});
    ASSERT_EQ(0, live.status) << live.err;
    // The speed measured live, given back to the replay so every other line must agree.
    std::string speed = line_value(live.out, "Speed:");
    ASSERT_NE(std::string::npos, speed.find(" MHz")) << speed;
    speed = speed.substr(0, speed.find(" MHz"));

    const Outcome replay = run(k_tool, {"report", "--mhz", speed, dump_file.string()});
    ASSERT_EQ(0, replay.status) << replay.err;
    EXPECT_EQ(without_time(live.out), without_time(replay.out));
    EXPECT_EQ("", replay.err);
}

TEST_F(CpuidTool, HtmlReportOfTheDump) {
    const Outcome dump = run(k_tool, {"dump"});
    ASSERT_EQ(0, dump.status) << dump.err;
    const fs::path dump_file = write("this.txt", dump.out);
    const Outcome text = run(k_tool, {"report", dump_file.string()});
    const Outcome html = run(k_tool, {"report", "--html", dump_file.string()});
    ASSERT_EQ(0, html.status) << html.err;
    EXPECT_EQ(0u, html.out.rfind("<HTML>", 0)) << html.out.substr(0, 80);
    EXPECT_EQ("0.0 MHz", line_value(text.out, "Speed:")) << "without --mhz the speed is 0";
    const std::string vendor = line_value(text.out, "Internal vendor string:");
    EXPECT_NE(std::string::npos, html.out.find(vendor)) << vendor;
}

TEST_F(CpuidTool, UsageErrorsExitTwo) {
    const fs::path good = write("good.txt", "CPUID 00000000: 00000001-756E6547-6C65746E-49656E69\n");
    const fs::path bad = write("bad.txt",
                               "# recorded by hand\n"
                               "CPUID 00000000: 00000001-756E6547-6C65746E-49656E69\n"
                               "CPUID 00000001: 00000673-ZZ-0-0\n");
    const std::string missing = (scratch_ / "missing.txt").string();
    struct Case {
        std::vector<std::string> arguments;
        std::string message;  // must appear on standard error
    } cases[] = {
        {{"report", missing}, missing},
        {{"report", bad.string()}, bad.string() + ":3:"},
        {{"report", "--verbose", good.string()}, "unknown option '--verbose'"},
        {{"report", good.string(), "--mhz"}, "--mhz needs a value"},
        {{"report", "--mhz", "fast", good.string()}, "bad --mhz value 'fast'"},
        {{"report", "--mhz", "-5", good.string()}, "bad --mhz value '-5'"},
        {{"report"}, "report needs a dump file"},
        {{"report", good.string(), good.string()}, "one dump file only"},
        {{"frobnicate"}, "unknown command 'frobnicate'"},
        {{"dump", "extra"}, "dump takes no arguments"},
        {{}, "usage: corelens-cpuid"},
    };
    for (const Case& c : cases) {
        const Outcome outcome = run(k_tool, c.arguments);
        std::string shown;
        for (const std::string& a : c.arguments) shown += a + " ";
        EXPECT_EQ(2, outcome.status) << shown;
        EXPECT_NE(std::string::npos, outcome.err.find(c.message)) << shown << "\nstderr: " << outcome.err;
        EXPECT_EQ("", outcome.out) << shown;
    }
}

TEST_F(CpuidTool, HelpPrintsUsage) {
    const Outcome help = run(k_tool, {"--help"});
    EXPECT_EQ(0, help.status);
    EXPECT_NE(std::string::npos, help.out.find("corelens-cpuid report [--html] [--mhz N] FILE")) << help.out;
}

TEST_F(CpuidTool, SharedDumpNamesTheProcessor) {
    const fs::path dump = fs::path(CORELENS_DUMPS_DIR) / "GenuineIntel" / "pentium-iii-katmai-673.txt";
    if (!fs::exists(dump)) GTEST_SKIP() << "no shared dumps at " << dump;
    const Outcome report = run(k_tool, {"report", "--mhz", "500", dump.string()});
    ASSERT_EQ(0, report.status) << report.err;
    EXPECT_EQ(0u, line_value(report.out, "Processor name:").rfind("Intel Pentium III", 0))
        << line_value(report.out, "Processor name:");
    EXPECT_EQ("500.0 MHz", line_value(report.out, "Speed:"));
    EXPECT_EQ("GenuineIntel", line_value(report.out, "Internal vendor string:"));
    // The micro sign of the model name reaches the terminal as UTF-8.
    EXPECT_NE(std::string::npos, line_value(report.out, "Model:").find("0.25\xC2\xB5m")) << line_value(report.out, "Model:");
}

}  // namespace
}  // namespace corelens
