// Faults on the batch path that a machine does not produce on request: a disk that fills
// while the real program writes, a directory that goes away between the name test and the
// creation, writes and closes interrupted by signals or failing late.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "app/batch.h"
#include "app/switches.h"
#include "platform/platform.h"
#include "report/renderers.h"
#include "report/result_output.h"

namespace {

// What the replaced write and close system calls do while armed, one step per call on a
// descriptor above standard error. A signal is raised inside the call, so a handler runs
// in the middle of it; the call then answers as the kernel does when a signal arrives
// before any byte (EINTR) or after part of the transfer (the short count).
enum class Step { interrupt_before, interrupt_after_part, fail_eio, no_progress, fail_close };

struct SystemCallFaults {
    bool armed = false;
    std::vector<Step> steps;
    std::size_t next = 0;
};
SystemCallFaults faults;
volatile std::sig_atomic_t signals_handled = 0;

void count_signal(int) { signals_handled = signals_handled + 1; }

bool take_step(int fd, Step& step) {
    if (!faults.armed || fd <= 2 || faults.next >= faults.steps.size()) return false;
    step = faults.steps[faults.next];
    return true;
}

ssize_t raw_write(int fd, const void* data, size_t size) { return syscall(SYS_write, fd, data, size); }

}  // namespace

// The program's own write and close, replaced for this test program only.
extern "C" ssize_t write(int fd, const void* data, size_t size) {
    Step step;
    if (!take_step(fd, step) || step == Step::fail_close) return raw_write(fd, data, size);
    ++faults.next;
    switch (step) {
    case Step::interrupt_before:
        raise(SIGALRM);
        errno = EINTR;
        return -1;
    case Step::interrupt_after_part: {
        const ssize_t written = raw_write(fd, data, std::min<size_t>(size, 7));
        raise(SIGALRM);
        return written;
    }
    case Step::fail_eio:
        errno = EIO;
        return -1;
    case Step::no_progress:
        return 0;
    case Step::fail_close:
        break;
    }
    return raw_write(fd, data, size);
}

extern "C" int close(int fd) {
    Step step;
    const long result = syscall(SYS_close, fd);
    if (!take_step(fd, step) || step != Step::fail_close) return static_cast<int>(result);
    // A deferred write error (a network file system, a full disk found at the flush): the
    // descriptor is gone all the same.
    ++faults.next;
    errno = EIO;
    return -1;
}

namespace corelens {
namespace {

namespace fs = std::filesystem;

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string host_short_name() {
    char name[256] = {};
    gethostname(name, sizeof name - 1);
    const std::string host = name;
    return host.substr(0, host.find('.'));
}

class FaultInjection : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/corelens-inject-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        root_ = pattern;
        directory_ = root_ / "out";
        fs::create_directory(directory_);
        struct sigaction action{};
        action.sa_handler = count_signal;  // no SA_RESTART: the call is interrupted
        sigaction(SIGALRM, &action, &old_action_);
        signals_handled = 0;
    }
    void TearDown() override {
        faults = SystemCallFaults{};
        sigaction(SIGALRM, &old_action_, nullptr);
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }

    std::set<std::string> names_in(const fs::path& directory) const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(directory)) names.insert(entry.path().filename().string());
        return names;
    }

    // One batch save with the system-call faults armed for its duration.
    int save_with_faults(const std::vector<Step>& steps, std::string& written, std::string& reason) {
        faults = SystemCallFaults{true, steps, 0};
        const int result = save_unique_results(directory_.string(), "corelens_results.txt", k_create_always, record_,
                                               context_, &written, &reason);
        const std::size_t used = faults.next;
        faults = SystemCallFaults{};
        EXPECT_EQ(steps.size(), used) << "not every staged fault was met";
        return result;
    }

    fs::path root_, directory_;
    ProcessorRecord record_{};
    ReportContext context_{};
    struct sigaction old_action_{};
};

TEST_F(FaultInjection, DiskFillingWhileTheProgramWritesFailsEveryFileAndLeavesNoPart) {
    const fs::path home = root_ / "home";
    fs::create_directory(home);
    const fs::path program = home / "corelens";
    fs::copy_file(CORELENS_BINARY_DIR "/app/corelens", program);
    std::ofstream(home / "corelens_results.txt") << "the old results";

    // The messages go through a pipe: a file would meet the same size limit.
    int messages[2];
    ASSERT_EQ(0, pipe(messages));
    const pid_t child = fork();
    if (child == 0) {
        close(messages[0]);
        const int null = open("/dev/null", O_WRONLY);
        if (null < 0 || dup2(null, 1) < 0 || dup2(messages[1], 2) < 0) _exit(127);
        std::signal(SIGXFSZ, SIG_IGN);  // stays ignored across exec: writes fail with EFBIG
        const rlimit limit{100, 100};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(127);
        const std::string path = program.string();
        char slash_f[] = "/f";
        char slash_c[] = "/c";
        char* argv[] = {const_cast<char*>(path.c_str()), slash_f, slash_c, nullptr};
        execv(argv[0], argv);
        _exit(127);
    }
    close(messages[1]);
    std::string errors;
    char buffer[512];
    ssize_t got;
    while ((got = read(messages[0], buffer, sizeof buffer)) > 0) errors.append(buffer, static_cast<std::size_t>(got));
    close(messages[0]);
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    ASSERT_TRUE(WIFEXITED(status)) << "the program did not end by itself";

    EXPECT_EQ(1, WEXITSTATUS(status));
    const std::string too_large = std::strerror(EFBIG);
    EXPECT_EQ("corelens: cannot write " + (home / "corelens_results1.txt").string() + ": " + too_large + "\n" +
                  "corelens: cannot write " + (home / (host_short_name() + ".txt")).string() + ": " + too_large + "\n",
              errors);
    EXPECT_EQ((std::set<std::string>{"corelens", "corelens_results.txt"}), names_in(home));
    EXPECT_EQ("the old results", read_file(home / "corelens_results.txt"));
}

// The program's writer with a directory lookup that changes the directory right after
// answering, as another program could between the name test and the creation.
class RacedReportFiles final : public ResultFiles {
public:
    RacedReportFiles(const ProcessorRecord& record, const ReportContext& context,
                     std::function<void(const fs::path&)> change)
        : record_(record), context_(context), change_(std::move(change)) {}
    bool write(const std::string& directory, const std::string& name, int mode, std::string& path,
               std::string& reason) override {
        OutputFileSystem file_system;
        file_system.name_exists = [&](const std::string& in, const std::string& candidate) {
            const bool exists = platform::name_exists_in(in, candidate);
            if (!exists && !changed_) {
                change_(in);
                changed_ = true;
            }
            return exists;
        };
        return save_unique_results(directory, name, mode, record_, context_, &path, &reason, file_system) == 1;
    }

private:
    const ProcessorRecord& record_;
    const ReportContext& context_;
    std::function<void(const fs::path&)> change_;
    bool changed_ = false;
};

TEST_F(FaultInjection, DirectoryChangedAfterTheNameTestIsNeverWrittenThrough) {
    const fs::path elsewhere = root_ / "elsewhere";
    fs::create_directory(elsewhere);
    std::ofstream(elsewhere / "corelens_results.txt") << "someone else's results";
    const std::string host_file = host_short_name() + ".txt";

    struct Case {
        const char* what;
        std::function<void(const fs::path&)> change;
        int error;                             // 0: written, numbered past the taken name
        std::set<std::string> elsewhere_after;  // names in the other directory afterwards
    };
    const Case cases[] = {
        {"removed", [](const fs::path& d) { fs::remove_all(d); }, ENOENT, {"corelens_results.txt"}},
        {"replaced by a file",
         [](const fs::path& d) {
             fs::remove_all(d);
             std::ofstream(d) << "a file";
         },
         ENOTDIR, {"corelens_results.txt"}},
        {"replaced by a link to a directory holding the name",
         [&](const fs::path& d) {
             fs::remove_all(d);
             fs::create_directory_symlink(elsewhere, d);
         },
         0, {"corelens_results.txt", "corelens_results1.txt", host_file}},
    };
    for (const Case& c : cases) {
        std::error_code ignored;
        fs::remove_all(directory_, ignored);
        fs::create_directory(directory_);
        for (const std::string& name : names_in(elsewhere)) {
            if (name != "corelens_results.txt") fs::remove(elsewhere / name);
        }

        SwitchInputs inputs;
        inputs.tail = "/f /c";
        inputs.program_directory = directory_.string();
        inputs.computer_name = host_short_name;
        RacedReportFiles files(record_, context_, c.change);
        const std::vector<BatchFailure> failures = run_batch_plan(plan_batch(inputs), files, '/');

        EXPECT_EQ(c.elsewhere_after, names_in(elsewhere)) << c.what;
        EXPECT_EQ("someone else's results", read_file(elsewhere / "corelens_results.txt")) << c.what;
        if (c.error == 0) {
            EXPECT_EQ(0, batch_exit_status(failures)) << c.what;
            continue;
        }
        EXPECT_EQ(1, batch_exit_status(failures)) << c.what;
        ASSERT_EQ(2u, failures.size()) << c.what;
        EXPECT_EQ((directory_ / "corelens_results.txt").string(), failures[0].path) << c.what;
        EXPECT_EQ((directory_ / host_file).string(), failures[1].path) << c.what;
        for (const BatchFailure& failure : failures) EXPECT_EQ(std::strerror(c.error), failure.reason) << c.what;
        EXPECT_FALSE(fs::is_directory(directory_)) << c.what << ": the directory was made again";
    }
}

TEST_F(FaultInjection, SignalsDuringTheWriteStillGiveTheWholeFile) {
    const std::string expected = render_text_report(record_, context_);
    struct Case {
        const char* what;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        {"interrupted before any byte", {Step::interrupt_before}},
        {"interrupted after part, twice", {Step::interrupt_after_part, Step::interrupt_after_part}},
        {"after part, then before the rest", {Step::interrupt_after_part, Step::interrupt_before}},
    };
    for (const Case& c : cases) {
        for (const std::string& name : names_in(directory_)) fs::remove(directory_ / name);
        signals_handled = 0;
        std::string written, reason;
        EXPECT_EQ(1, save_with_faults(c.steps, written, reason)) << c.what << ": " << reason;
        EXPECT_EQ(static_cast<int>(c.steps.size()), signals_handled) << c.what;
        EXPECT_EQ((directory_ / "corelens_results.txt").string(), written) << c.what;
        EXPECT_EQ(expected, read_file(written)) << c.what;
    }
}

TEST_F(FaultInjection, WriteOrCloseFailingLateLeavesNoPartAndTouchesNothing) {
    std::ofstream(directory_ / "corelens_results.txt") << "the old results";
    struct Case {
        const char* what;
        std::vector<Step> steps;
        int error;
    };
    const Case cases[] = {
        {"error after a signal and part of the report", {Step::interrupt_after_part, Step::fail_eio}, EIO},
        {"write that makes no progress", {Step::interrupt_after_part, Step::no_progress}, ENOSPC},
        {"close reporting a deferred error", {Step::fail_close}, EIO},
    };
    for (const Case& c : cases) {
        std::string written, reason;
        EXPECT_EQ(0, save_with_faults(c.steps, written, reason)) << c.what;
        EXPECT_EQ(std::strerror(c.error), reason) << c.what;
        EXPECT_EQ((directory_ / "corelens_results1.txt").string(), written) << c.what << ": the path that failed";
        EXPECT_EQ(std::set<std::string>{"corelens_results.txt"}, names_in(directory_)) << c.what;
        EXPECT_EQ("the old results", read_file(directory_ / "corelens_results.txt")) << c.what;
    }
}

}  // namespace
}  // namespace corelens
