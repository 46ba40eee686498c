// Faults only a POSIX system stages on request: a file-size limit that makes writes
// fail half-way, directories and dangling links where a result file should go.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <string>

#include "platform/platform.h"
#include "report/renderers.h"
#include "report/result_output.h"

namespace corelens {
namespace {

namespace fs = std::filesystem;

struct ChildOutcome {
    int result = -1;
    std::string reason;
};

// Runs save in a child whose files may not grow past limit bytes; SIGXFSZ is ignored so
// that the write fails with EFBIG instead of ending the process.
ChildOutcome run_with_file_size_limit(rlim_t limit, const std::function<int(std::string*)>& save) {
    int pipe_ends[2];
    if (pipe(pipe_ends) != 0) return {};
    const pid_t child = fork();
    if (child == 0) {
        close(pipe_ends[0]);
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit size_limit{limit, limit};
        if (setrlimit(RLIMIT_FSIZE, &size_limit) != 0) _exit(100);
        std::string reason;
        const int result = save(&reason);
        if (write(pipe_ends[1], reason.data(), reason.size()) < 0) _exit(101);
        _exit(result);
    }
    close(pipe_ends[1]);
    ChildOutcome outcome;
    char buffer[256];
    ssize_t got;
    while ((got = read(pipe_ends[0], buffer, sizeof buffer)) > 0) {
        outcome.reason.append(buffer, static_cast<std::size_t>(got));
    }
    close(pipe_ends[0]);
    int status = 0;
    if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status)) {
        outcome.result = WEXITSTATUS(status);
    }
    return outcome;
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class OutputFaults : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/corelens-faults-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        directory_ = pattern;
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(directory_, ignored);
    }
    std::string path_of(const std::string& name) const { return directory_ + "/" + name; }
    std::set<std::string> names_in_directory() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(directory_)) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }

    std::string directory_;
    ProcessorRecord record_{};
    ReportContext context_{};
};

TEST_F(OutputFaults, FileSizeLimitFailsTheSaveAndLeavesNoPart) {
    const std::string existing = path_of("existing.txt");
    std::ofstream(existing) << "the old results";
    ASSERT_GT(render_text_report(record_, context_).size(), 100u);

    struct Case {
        const char* what;
        std::function<int(std::string*)> save;
    };
    const Case cases[] = {
        {"replace an existing file",
         [&](std::string* reason) {
             return save_results(existing, k_create_always, record_, context_, reason);
         }},
        {"create a new file",
         [&](std::string* reason) {
             return save_results(path_of("new.html"), k_create_new, record_, context_, reason);
         }},
        {"batch save",
         [&](std::string* reason) {
             return save_unique_results(directory_, "existing.txt", k_create_always, record_,
                                        context_, nullptr, reason);
         }},
    };
    for (const Case& c : cases) {
        const ChildOutcome outcome = run_with_file_size_limit(100, c.save);
        EXPECT_EQ(0, outcome.result) << c.what;
        EXPECT_EQ(std::strerror(EFBIG), outcome.reason) << c.what;
        EXPECT_EQ(std::set<std::string>{"existing.txt"}, names_in_directory()) << c.what;
        EXPECT_EQ("the old results", read_file(existing)) << c.what;
    }
}

TEST_F(OutputFaults, ReasonTextsNameTheSystemError) {
    std::ofstream(path_of("plain")) << "x";
    struct Case {
        const char* what;
        std::string path;
        int mode;
        int error;
    };
    const Case cases[] = {
        {"missing directory", path_of("missing/r.txt"), k_create_always, ENOENT},
        {"through a regular file", path_of("plain/r.txt"), k_create_new, ENOTDIR},
        {"existing file, create new", path_of("plain"), k_create_new, EEXIST},
        {"device that exists, create new", "/dev/full", k_create_new, EEXIST},
    };
    for (const Case& c : cases) {
        std::string reason;
        EXPECT_EQ(0, save_results(c.path, c.mode, record_, context_, &reason)) << c.what;
        EXPECT_EQ(std::strerror(c.error), reason) << c.what;
    }
    EXPECT_EQ(std::set<std::string>{"plain"}, names_in_directory());
}

TEST_F(OutputFaults, DirectoryInPlaceOfTheTargetStaysAndNoTemporaryRemains) {
    fs::create_directory(path_of("corelens_results.txt"));
    std::string reason;
    EXPECT_EQ(0, save_results(path_of("corelens_results.txt"), k_create_always, record_, context_,
                              &reason));
    EXPECT_EQ(std::strerror(EISDIR), reason);
    EXPECT_TRUE(fs::is_directory(path_of("corelens_results.txt")));
    EXPECT_EQ(std::set<std::string>{"corelens_results.txt"}, names_in_directory());
}

TEST_F(OutputFaults, DanglingLinkCountsAsATakenName) {
    ASSERT_EQ(0, symlink("nowhere", path_of("corelens_results.txt").c_str()));
    EXPECT_TRUE(platform::name_exists_in(directory_, "corelens_results.txt"));
    std::string written;
    std::string reason;
    ASSERT_EQ(1, save_unique_results(directory_, "corelens_results.txt", k_create_always, record_,
                                     context_, &written, &reason))
        << reason;
    EXPECT_EQ(path_of("corelens_results1.txt"), written);
    EXPECT_FALSE(fs::exists(path_of("nowhere"))) << "the link was followed";
}

}  // namespace
}  // namespace corelens
