// The built programs under valgrind's memcheck: no invalid access, no use of undefined
// values, no definite or indirect leak. Skipped without valgrind, and in the sanitizer
// build, whose programs valgrind cannot run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/app_support.h"

namespace corelens {
namespace {

namespace fs = std::filesystem;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool k_sanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool k_sanitized = true;
#else
constexpr bool k_sanitized = false;
#endif
#else
constexpr bool k_sanitized = false;
#endif

// Runs at most this many valgrind processes at once: the machine's cores are shared.
constexpr std::size_t k_parallel_runs = 2;

class Valgrind : public ::testing::Test {
protected:
    void SetUp() override {
        if (k_sanitized) GTEST_SKIP() << "sanitizer build: valgrind cannot run its programs";
        if (std::system("command -v valgrind > /dev/null") != 0) GTEST_SKIP() << "valgrind is not installed";
    }

    // Runs each command (a program and its arguments) under memcheck, a few at a time, and
    // expects every run to end with status 0 and an empty valgrind log.
    void expect_clean(const std::vector<std::vector<std::string>>& commands) {
        for (std::size_t first = 0; first < commands.size(); first += k_parallel_runs) {
            const std::size_t end = std::min(commands.size(), first + k_parallel_runs);
            std::vector<pid_t> pids;
            for (std::size_t i = first; i < end; ++i) {
                std::vector<std::string> words{"valgrind", "-q", "--error-exitcode=99", "--leak-check=full",
                                               "--show-leak-kinds=definite,indirect",
                                               "--errors-for-leak-kinds=definite,indirect",
                                               "--log-file=" + log_of(i)};
                words.insert(words.end(), commands[i].begin(), commands[i].end());
                const std::string tag = std::to_string(i);
                pids.push_back(app_test::start_program("/usr/bin/env", words, scratch_.path(), tag));
            }
            for (std::size_t i = first; i < end; ++i) {
                const std::string tag = std::to_string(i);
                const int status = app_test::finish_program(pids[i - first], scratch_.path(), tag).status;
                const std::string log = app_test::read_file(log_of(i));
                EXPECT_TRUE(status == 0 && log.empty())
                    << commands[i].back() << ": status " << status << "\n" << log;
            }
        }
    }
    std::string log_of(std::size_t run) const { return scratch_.path_of(std::to_string(run) + ".log"); }

    app_test::ScratchDirectory scratch_;
};

TEST_F(Valgrind, BatchRunsAndTheTerminalReportAreClean) {
    const fs::path home = scratch_.path_of("home");
    fs::create_directory(home);
    const std::string program = (home / "corelens").string();
    fs::copy_file(CORELENS_BINARY_DIR "/app/corelens", program);
    const std::string here = "/p:" + home.string();
    expect_clean({{program, here, "/f"}, {program, here, "/h", "/f:named", "/c"}, {program}});
    EXPECT_TRUE(fs::exists(home / "corelens_results.txt"));
    EXPECT_TRUE(fs::exists(home / "named.html"));
}

TEST_F(Valgrind, DumpReportsAreClean) {
    const fs::path dumps = CORELENS_DUMPS_DIR;
    if (!fs::is_directory(dumps)) GTEST_SKIP() << "no shared dumps at " << dumps;
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(dumps)) {
        if (entry.is_regular_file() && entry.path().extension() == ".txt") files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    ASSERT_FALSE(files.empty());

    // One valgrind process per dump costs about a second of processor time, so every
    // second dump of each vendor is run (its first always); CORELENS_VALGRIND_ALL_DUMPS=1
    // runs them all. Half of the runs render HTML.
    const char* all = std::getenv("CORELENS_VALGRIND_ALL_DUMPS");
    const bool every_dump = all != nullptr && std::string(all) == "1";
    std::vector<std::vector<std::string>> commands;
    fs::path vendor;
    std::size_t in_vendor = 0;
    for (const fs::path& file : files) {
        in_vendor = file.parent_path() == vendor ? in_vendor + 1 : 0;
        vendor = file.parent_path();
        if (!every_dump && in_vendor % 2 == 1) continue;
        std::vector<std::string> command{CORELENS_BINARY_DIR "/tools/corelens-cpuid", "report"};
        if (commands.size() % 2 == 1) command.push_back("--html");
        command.push_back(file.string());
        commands.push_back(command);
    }
    expect_clean(commands);
}

}  // namespace
}  // namespace corelens
