// Faults only a POSIX system stages on request: a file-size limit that makes writes fail
// half-way, directories and dangling links where a result file should go.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>
#include <set>
#include <string>

#include "report/result_output.h"
#include "tests/support/app_support.h"

namespace corelens {
namespace {

namespace fs = std::filesystem;
using Names = std::set<std::string>;

// Runs save with files limited to limit bytes, SIGXFSZ ignored so that the write fails
// with EFBIG instead of ending the process; only the soft limit moves, so it goes back.
int with_file_size_limit(rlim_t limit, const std::function<int()>& save) {
    rlimit before{};
    getrlimit(RLIMIT_FSIZE, &before);
    rlimit lowered = before;
    lowered.rlim_cur = limit;
    const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &lowered);
    const int result = save();
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, old_handler);
    return result;
}

class OutputFaults : public ::testing::Test {
protected:
    std::string path_of(const std::string& name) const { return scratch_.path_of(name); }
    app_test::ScratchDirectory scratch_;
    ProcessorRecord record_{};
    ReportContext context_{};
};

TEST_F(OutputFaults, FileSizeLimitFailsTheSaveAndLeavesNoPart) {
    app_test::write_file(path_of("existing.txt"), "the old results");
    std::string reason;
    struct Case { const char* what; std::function<int()> save; };
    const Case cases[] = {
        {"replace", [&] { return save_results(path_of("existing.txt"), k_create_always, record_, context_, &reason); }},
        {"create new", [&] { return save_results(path_of("new.html"), k_create_new, record_, context_, &reason); }},
        {"batch", [&] {
             return save_unique_results(scratch_.path(), "existing.txt", k_create_always, record_, context_, nullptr, &reason);
         }},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(0, with_file_size_limit(100, c.save)) << c.what;
        EXPECT_EQ(std::strerror(EFBIG), reason) << c.what;
        EXPECT_EQ(Names{"existing.txt"}, scratch_.names()) << c.what;
        EXPECT_EQ("the old results", app_test::read_file(path_of("existing.txt"))) << c.what;
    }
}

TEST_F(OutputFaults, ReasonTextsNameTheSystemError) {
    app_test::write_file(path_of("plain"), "x");
    fs::create_directory(path_of("dir.txt"));
    struct Case { const char* what; std::string path; int mode; int error; };
    const Case cases[] = {
        {"missing directory", path_of("missing/r.txt"), k_create_always, ENOENT},
        {"through a regular file", path_of("plain/r.txt"), k_create_new, ENOTDIR},
        {"directory in place of the file", path_of("dir.txt"), k_create_always, EISDIR},
        {"device that exists, create new", "/dev/full", k_create_new, EEXIST},
    };
    for (const Case& c : cases) {
        std::string reason;
        EXPECT_EQ(0, save_results(c.path, c.mode, record_, context_, &reason)) << c.what;
        EXPECT_EQ(std::strerror(c.error), reason) << c.what;
    }
    EXPECT_EQ((Names{"dir.txt", "plain"}), scratch_.names()) << "a temporary stayed";
}

TEST_F(OutputFaults, DanglingLinkCountsAsATakenName) {
    ASSERT_EQ(0, symlink("nowhere", path_of("corelens_results.txt").c_str()));
    std::string written, reason;
    ASSERT_EQ(1, save_unique_results(scratch_.path(), "corelens_results.txt", k_create_always, record_, context_,
                                     &written, &reason))
        << reason;
    EXPECT_EQ(path_of("corelens_results1.txt"), written);
    EXPECT_FALSE(fs::exists(path_of("nowhere"))) << "the link was followed";
}

}  // namespace
}  // namespace corelens
