// Faults on the batch path that a machine does not produce on request: writes and closes
// interrupted by signals, a write-back failing at the flush or the close.
#include <gtest/gtest.h>

#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "report/renderers.h"
#include "report/result_output.h"
#include "tests/support/app_support.h"

namespace {

// What the replaced write, fsync and close system calls do while armed, one step per call on a
// descriptor above standard error. A signal is raised inside the call, so a handler runs
// in the middle of it; the call then answers as the kernel does when a signal arrives
// before any byte (EINTR) or after part of the transfer (the short count).
enum class Step { interrupt_before, interrupt_after_part, no_progress, fail_sync, fail_close };

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

// A deferred write error (a network file system, a full disk found at write-back), told by
// the flush or by the close; after a close the descriptor is gone all the same.
int fail_late(int fd, Step when, long result) {
    Step step;
    if (!take_step(fd, step) || step != when) return static_cast<int>(result);
    ++faults.next;
    errno = EIO;
    return -1;
}

}  // namespace

// The program's own write, fsync and close, replaced for this test program only.
extern "C" ssize_t write(int fd, const void* data, size_t size) {
    Step step;
    if (!take_step(fd, step) || step > Step::no_progress) return raw_write(fd, data, size);
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
    case Step::no_progress:
        return 0;
    case Step::fail_sync:
    case Step::fail_close:
        break;
    }
    return raw_write(fd, data, size);
}

extern "C" int fsync(int fd) { return fail_late(fd, Step::fail_sync, syscall(SYS_fsync, fd)); }
extern "C" int close(int fd) { return fail_late(fd, Step::fail_close, syscall(SYS_close, fd)); }

namespace corelens {
namespace {

using app_test::read_file;
using app_test::write_file;
using Names = std::set<std::string>;

class FaultInjection : public ::testing::Test {
protected:
    void SetUp() override {
        struct sigaction action{};
        action.sa_handler = count_signal;  // no SA_RESTART: the call is interrupted
        sigaction(SIGALRM, &action, &old_action_);
        signals_handled = 0;
    }
    void TearDown() override {
        faults = SystemCallFaults{};
        sigaction(SIGALRM, &old_action_, nullptr);
    }

    // One batch save with the system-call faults armed for its duration.
    int save_with_faults(const std::vector<Step>& steps, std::string& written, std::string& reason) {
        faults = SystemCallFaults{true, steps, 0};
        const int result =
            save_unique_results(scratch_.path(), "corelens_results.txt", record_, context_, &written, &reason);
        const std::size_t used = faults.next;
        faults = SystemCallFaults{};
        EXPECT_EQ(steps.size(), used) << "not every staged fault was met";
        return result;
    }

    app_test::ScratchDirectory scratch_;
    ProcessorRecord record_{};
    ReportContext context_{};
    struct sigaction old_action_{};
};

TEST_F(FaultInjection, SignalsDuringTheWriteStillGiveTheWholeFile) {
    const std::string expected = render_text_report(record_, context_);
    // A signal after part of the transfer, then one before any byte.
    const std::vector<Step> steps{Step::interrupt_after_part, Step::interrupt_before};
    std::string written, reason;
    EXPECT_EQ(1, save_with_faults(steps, written, reason)) << reason;
    EXPECT_EQ(static_cast<int>(steps.size()), signals_handled);
    EXPECT_EQ(scratch_.path_of("corelens_results.txt"), written);
    EXPECT_EQ(expected, read_file(written));
}

TEST_F(FaultInjection, WriteFlushOrCloseFailingLateLeavesNoPartAndTouchesNothing) {
    write_file(scratch_.path_of("corelens_results.txt"), "the old results");
    struct Case { const char* what; std::vector<Step> steps; int error; };
    const Case cases[] = {
        {"write that makes no progress", {Step::interrupt_after_part, Step::no_progress}, ENOSPC},
        {"flush reporting a deferred error", {Step::fail_sync}, EIO},
        {"close reporting a deferred error", {Step::fail_close}, EIO},
    };
    for (const Case& c : cases) {
        std::string written, reason;
        EXPECT_EQ(0, save_with_faults(c.steps, written, reason)) << c.what;
        EXPECT_EQ(std::strerror(c.error), reason) << c.what;
        EXPECT_EQ(Names{"corelens_results.txt"}, scratch_.names()) << c.what;
        EXPECT_EQ("the old results", read_file(scratch_.path_of("corelens_results.txt"))) << c.what;
    }
}

}  // namespace
}  // namespace corelens
