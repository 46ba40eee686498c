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

TEST(Valgrind, BatchRunsTerminalReportAndDumpReportsAreClean) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "sanitizer build: valgrind cannot run its programs";
#endif
    if (std::system("command -v valgrind > /dev/null") != 0) GTEST_SKIP() << "valgrind is not installed";
    app_test::ScratchDirectory scratch;
    const fs::path home = scratch.path_of("home");
    fs::create_directory(home);
    const std::string program = (home / "corelens").string();
    fs::copy_file(CORELENS_BINARY_DIR "/app/corelens", program);
    const std::string here = "/p:" + home.string();
    std::vector<std::vector<std::string>> commands = {{program, here, "/f"}, {program, here, "/h", "/f:named", "/c"}, {program}};

    // One valgrind process per dump costs about a second of processor time, so every second
    // dump runs, half of them as HTML; CORELENS_VALGRIND_ALL_DUMPS=1 runs them all.
    std::vector<fs::path> files;
    if (fs::is_directory(CORELENS_DUMPS_DIR)) {
        for (const auto& entry : fs::recursive_directory_iterator(CORELENS_DUMPS_DIR)) {
            if (entry.path().extension() == ".txt") files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    const char* all = std::getenv("CORELENS_VALGRIND_ALL_DUMPS");
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (i % 2 == 1 && !(all != nullptr && std::string(all) == "1")) continue;
        std::vector<std::string> command{CORELENS_BINARY_DIR "/tools/corelens-cpuid", "report"};
        if (commands.size() % 2 == 0) command.push_back("--html");
        command.push_back(files[i].string());
        commands.push_back(command);
    }

    // Two valgrind processes at a time: the machine's cores are shared.
    for (std::size_t first = 0; first < commands.size(); first += 2) {
        std::vector<pid_t> pids;
        for (std::size_t i = first; i < std::min(commands.size(), first + 2); ++i) {
            std::vector<std::string> words{"valgrind", "-q", "--error-exitcode=99", "--leak-check=full",
                                           "--show-leak-kinds=definite,indirect",
                                           "--errors-for-leak-kinds=definite,indirect",
                                           "--log-file=" + scratch.path_of(std::to_string(i) + ".log")};
            words.insert(words.end(), commands[i].begin(), commands[i].end());
            pids.push_back(app_test::start_program("/usr/bin/env", words, scratch.path(), std::to_string(i)));
        }
        for (std::size_t i = first; i < first + pids.size(); ++i) {
            const int status = app_test::finish_program(pids[i - first], scratch.path(), std::to_string(i)).status;
            const std::string log = app_test::read_file(scratch.path_of(std::to_string(i) + ".log"));
            EXPECT_TRUE(status == 0 && log.empty()) << commands[i].back() << ": status " << status << "\n" << log;
        }
    }
    EXPECT_TRUE(fs::exists(home / "corelens_results.txt") && fs::exists(home / "named.html"));
}

}  // namespace
}  // namespace corelens
