// The built programs under valgrind's memcheck: no invalid access, no use of undefined
// values, no definite or indirect leak. Skipped without valgrind, and in the sanitizer
// build, whose programs valgrind cannot run.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

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
constexpr int k_error_status = 99;

std::string valgrind_path() {
    const char* path = std::getenv("PATH");
    std::istringstream directories(path != nullptr ? path : "/usr/bin:/bin");
    std::string directory;
    while (std::getline(directories, directory, ':')) {
        const std::string candidate = directory + "/valgrind";
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return {};
}

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct MemcheckRun {
    std::string what;
    std::vector<std::string> command;  // the program and its arguments
    fs::path directory;                // where it runs
    fs::path log;                      // valgrind's report
    pid_t pid = -1;
    int status = -1;
};

void start(MemcheckRun& run, const std::string& valgrind) {
    std::vector<std::string> words{valgrind,
                                   "-q",
                                   "--error-exitcode=" + std::to_string(k_error_status),
                                   "--leak-check=full",
                                   "--show-leak-kinds=definite,indirect",
                                   "--errors-for-leak-kinds=definite,indirect",
                                   "--log-file=" + run.log.string()};
    words.insert(words.end(), run.command.begin(), run.command.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    run.pid = fork();
    if (run.pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        if (null < 0 || dup2(null, 1) < 0 || dup2(null, 2) < 0 || chdir(run.directory.c_str()) != 0) _exit(127);
        execv(argv[0], argv.data());
        _exit(127);
    }
}

void finish(MemcheckRun& run) {
    int status = 0;
    if (run.pid > 0 && waitpid(run.pid, &status, 0) == run.pid && WIFEXITED(status)) run.status = WEXITSTATUS(status);
}

// Runs every command under memcheck, a few at a time, and checks each came out clean.
void expect_clean(std::vector<MemcheckRun>& runs, const std::string& valgrind) {
    for (std::size_t first = 0; first < runs.size(); first += k_parallel_runs) {
        const std::size_t end = std::min(runs.size(), first + k_parallel_runs);
        for (std::size_t i = first; i < end; ++i) start(runs[i], valgrind);
        for (std::size_t i = first; i < end; ++i) finish(runs[i]);
    }
    for (const MemcheckRun& run : runs) {
        EXPECT_EQ(0, run.status) << run.what << (run.status == k_error_status ? ": memcheck found errors" : "")
                                 << "\n" << read_file(run.log);
        EXPECT_EQ("", read_file(run.log)) << run.what;
    }
}

class Valgrind : public ::testing::Test {
protected:
    void SetUp() override {
        if (k_sanitized) GTEST_SKIP() << "sanitizer build: valgrind cannot run its programs";
        valgrind_ = valgrind_path();
        if (valgrind_.empty()) GTEST_SKIP() << "valgrind is not installed";
        char pattern[] = "/tmp/corelens-valgrind-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        root_ = pattern;
    }
    void TearDown() override {
        std::error_code ignored;
        if (!root_.empty()) fs::remove_all(root_, ignored);
    }

    std::string valgrind_;
    fs::path root_;
};

TEST_F(Valgrind, BatchRunsAndTheTerminalReportAreClean) {
    const fs::path home = root_ / "home";
    fs::create_directory(home);
    const fs::path program = home / "corelens";
    fs::copy_file(CORELENS_BINARY_DIR "/app/corelens", program);

    std::vector<MemcheckRun> runs;
    const std::vector<std::vector<std::string>> switch_sets{{"/f"}, {"/h", "/f:named", "/c"}, {}};
    for (const std::vector<std::string>& switches : switch_sets) {
        MemcheckRun run;
        run.what = "corelens";
        for (const std::string& word : switches) run.what += " " + word;
        run.command = {program.string()};
        run.command.insert(run.command.end(), switches.begin(), switches.end());
        run.directory = root_;
        run.log = root_ / ("corelens" + std::to_string(runs.size()) + ".log");
        runs.push_back(run);
    }
    expect_clean(runs, valgrind_);
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
    std::vector<MemcheckRun> runs;
    fs::path vendor;
    std::size_t in_vendor = 0;
    for (const fs::path& file : files) {
        in_vendor = file.parent_path() == vendor ? in_vendor + 1 : 0;
        vendor = file.parent_path();
        if (!every_dump && in_vendor % 2 == 1) continue;
        MemcheckRun run;
        const bool html = runs.size() % 2 == 1;
        run.what = "corelens-cpuid report " + std::string(html ? "--html " : "") + file.string();
        run.command = {CORELENS_BINARY_DIR "/tools/corelens-cpuid", "report"};
        if (html) run.command.push_back("--html");
        run.command.push_back(file.string());
        run.directory = root_;
        run.log = root_ / ("dump" + std::to_string(runs.size()) + ".log");
        runs.push_back(run);
    }
    expect_clean(runs, valgrind_);
}

}  // namespace
}  // namespace corelens
