#include "app/switches.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/batch.h"
#include "app/command_line.h"

namespace corelens {
namespace {

constexpr SwitchSearch k_windows = SwitchSearch::substring;
constexpr SwitchSearch k_posix = SwitchSearch::argument_start;

BatchPlan plan_for(const std::string& tail, SwitchSearch search) {
    SwitchInputs inputs;
    inputs.tail = tail;
    inputs.program_directory = search == k_windows ? "C:\\Tools" : "/opt/tools";
    inputs.computer_name = [] { return std::string("WS7"); };
    inputs.search = search;
    return plan_batch(inputs);
}

// "extension | directory | path mode[ refused]; ..." in the order the files are written.
std::string describe(const BatchPlan& plan, SwitchSearch search) {
    std::string text = plan.output_extension + " | " + plan.output_directory + " |";
    for (const PlannedFile& f : plan.files) {
        text += " " + planned_path(f, search == k_windows ? '\\' : '/') + " " + std::to_string(f.mode) +
                (f.refusal.empty() ? ";" : " refused;");
    }
    return text;
}

TEST(SwitchPlan, EvaluatesEachRule) {
    const std::string n260(260, 'n');
    struct Case { SwitchSearch search; std::string tail; std::string expected; };
    const Case cases[] = {
        // Windows: a case-sensitive substring search of the whole tail.
        {k_windows, "/h /f", "html | C:\\Tools | C:\\Tools\\corelens_results.html 2;"},
        {k_windows, "/p:\"D:\\My Results\" /f:cpu /c",
         "txt | D:\\My Results | D:\\My Results\\cpu.txt 1; D:\\My Results\\WS7.txt 2;"},
        {k_windows, "report /F /H", "txt | C:\\Tools |"},
        {k_windows, "/f /f:cpu", "txt | C:\\Tools | C:\\Tools\\cpu.txt 1;"},
        {k_windows, "/f:\"my cpu\"", "txt | C:\\Tools | C:\\Tools\\\"my cpu\".txt 1;"},
        {k_windows, "/p:C:/cache/fonts",
         "txt | C:/cache/fonts | C:/cache/fonts\\corelens_results.txt 2; C:/cache/fonts\\WS7.txt 2;"},
        {k_windows, "/f:" + n260 + " /c",
         "txt | C:\\Tools | C:\\Tools\\" + n260 + ".txt 1 refused; C:\\Tools\\WS7.txt 2;"},
        {k_windows, "/p:" + n260 + " /f",
         "txt | " + n260 + " | " + n260 + "\\corelens_results.txt 2 refused;"},
        // POSIX: the same search, but only where an argument begins; blank-holding arguments
        // are quoted when joined, so their /c and /home are no switches.
        {k_posix, "/p:/home/cache/fonts", "txt | /home/cache/fonts |"},
        {k_posix, "x/fy /p:/x/f:y", "txt | /x/f:y |"},
        {k_posix, posix_command_tail({"/f:my report"}), "txt | /opt/tools | /opt/tools/my report.txt 1;"},
        {k_posix, posix_command_tail({"/f", "/p:/tmp/a /c b/home"}),
         "txt | /tmp/a /c b/home | /tmp/a /c b/home/corelens_results.txt 2;"},
        {k_posix, "/c /h", "html | /opt/tools | /opt/tools/WS7.html 2;"},
        {k_posix, "/f:" + n260, "txt | /opt/tools | /opt/tools/" + n260 + ".txt 1 refused;"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, describe(plan_for(c.tail, c.search), c.search)) << c.tail;
    }
}

TEST(CommandTail, PosixArgumentsJoinedAndQuoted) {
    EXPECT_EQ("", posix_command_tail({}));
    EXPECT_EQ("", posix_command_tail({"", " "}));
    EXPECT_EQ("/p:\"/tmp/My Results\" /f:\"my cpu\" /c",
              posix_command_tail({"/p:/tmp/My Results", "/f:my cpu", "/c"}));
}

// Records what would be written; a name equal to fail_name fails.
struct RecordingFiles final : ResultFiles {
    std::string fail_name;
    std::vector<std::string> written;

    bool write(const std::string& directory, const std::string& name, int mode, std::string& path,
               std::string& reason) override {
        path = directory + "/" + name;
        reason = name == fail_name ? "No such file or directory" : "";
        if (reason.empty()) written.push_back(path + " mode " + std::to_string(mode));
        return reason.empty();
    }
};

// A failure does not stop the next file, and a refused file never reaches the writer.
TEST(BatchRun, FailuresAndRefusals) {
    RecordingFiles files;
    files.fail_name = "cpu.txt";
    std::vector<BatchFailure> failures = run_batch_plan(plan_for("/f:cpu /c", k_posix), files, '/');
    ASSERT_EQ(1u, failures.size());
    EXPECT_EQ(std::vector<std::string>{"/opt/tools/WS7.txt mode 2"}, files.written);
    EXPECT_EQ(1, batch_exit_status(failures));

    failures = run_batch_plan(plan_for("/p:" + std::string(260, 'n') + " /f /c", k_posix), files, '/');
    EXPECT_EQ(1u, files.written.size());
    ASSERT_EQ(2u, failures.size());
    EXPECT_EQ(std::string(k_refused_too_long), failures[0].reason);
    EXPECT_EQ(0, batch_exit_status(run_batch_plan(plan_for("/h /f /c", k_windows), files, '\\')));
}

}  // namespace
}  // namespace corelens
