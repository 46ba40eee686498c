#include "app/switches.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "app/batch.h"
#include "app/command_line.h"
#include "report/result_output.h"

namespace corelens {
namespace {

constexpr SwitchSearch k_windows = SwitchSearch::substring;
constexpr SwitchSearch k_posix = SwitchSearch::argument_start;

// One expected file: the path before numbering, mode, and whether it is refused.
struct ExpectedFile {
    std::string path;
    int mode;
    bool refused;
};

struct SwitchCase {
    const char* label;
    SwitchSearch search;
    std::string tail;
    std::string extension;
    std::string directory;
    std::vector<ExpectedFile> files;
};

std::ostream& operator<<(std::ostream& out, const SwitchCase& c) { return out << c.label; }

std::string describe(const std::vector<ExpectedFile>& files) {
    std::string text;
    for (const ExpectedFile& f : files) {
        text += "[" + f.path + " mode " + std::to_string(f.mode) + (f.refused ? " refused" : "") + "] ";
    }
    return text;
}

BatchPlan plan_for(const std::string& tail, SwitchSearch search, const std::string& computer = "WS7") {
    SwitchInputs inputs;
    inputs.tail = tail;
    inputs.program_directory = search == k_windows ? "C:\\Tools" : "/opt/tools";
    inputs.computer_name = [computer] { return computer; };
    inputs.search = search;
    return plan_batch(inputs);
}

std::vector<ExpectedFile> files_of(const BatchPlan& plan, SwitchSearch search) {
    const char separator = search == k_windows ? '\\' : '/';
    std::vector<ExpectedFile> files;
    for (const PlannedFile& f : plan.files) {
        files.push_back({planned_path(f, separator), f.mode, !f.refusal.empty()});
    }
    return files;
}

class SwitchPlan : public ::testing::TestWithParam<SwitchCase> {};

TEST_P(SwitchPlan, Evaluates) {
    const SwitchCase& c = GetParam();
    const BatchPlan plan = plan_for(c.tail, c.search);
    EXPECT_EQ(c.extension, plan.output_extension) << "tail [" << c.tail << "]";
    EXPECT_EQ(c.directory, plan.output_directory) << "tail [" << c.tail << "]";
    EXPECT_EQ(describe(c.files), describe(files_of(plan, c.search))) << "tail [" << c.tail << "]";
}

const std::string k_long_name(260, 'n');

// Each Windows case under the substring rule exactly as the program searches.
INSTANTIATE_TEST_SUITE_P(
    Windows, SwitchPlan,
    ::testing::Values(
        SwitchCase{"WorkedExampleHtml", k_windows, "/h /f", "html", "C:\\Tools",
                   {{"C:\\Tools\\corelens_results.html", k_create_always, false}}},
        SwitchCase{"WorkedExampleQuotedDirectory", k_windows, "/p:\"D:\\My Results\" /f:cpu /c", "txt",
                   "D:\\My Results",
                   {{"D:\\My Results\\cpu.txt", k_create_new, false},
                    {"D:\\My Results\\WS7.txt", k_create_always, false}}},
        SwitchCase{"EmptyTailWritesNothing", k_windows, "", "txt", "C:\\Tools", {}},
        SwitchCase{"UnrecognisedWordWritesNothing", k_windows, "report", "txt", "C:\\Tools", {}},
        SwitchCase{"UpperCaseSwitchIsIgnored", k_windows, "/F /H /C", "txt", "C:\\Tools", {}},
        SwitchCase{"NameSwitchWinsOverPlainF", k_windows, "/f /f:cpu", "txt", "C:\\Tools",
                   {{"C:\\Tools\\cpu.txt", k_create_new, false}}},
        SwitchCase{"NameSwitchWithoutName", k_windows, "/f:", "txt", "C:\\Tools",
                   {{"C:\\Tools\\.txt", k_create_new, false}}},
        SwitchCase{"HtmlAfterEverything", k_windows, "/f /c /h", "html", "C:\\Tools",
                   {{"C:\\Tools\\corelens_results.html", k_create_always, false},
                    {"C:\\Tools\\WS7.html", k_create_always, false}}},
        SwitchCase{"DirectoryAfterEverything", k_windows, "/c /f /p:E:\\out", "txt", "E:\\out",
                   {{"E:\\out\\corelens_results.txt", k_create_always, false},
                    {"E:\\out\\WS7.txt", k_create_always, false}}},
        SwitchCase{"EmptyDirectoryGivesRootPath", k_windows, "/p: /f", "txt", "",
                   {{"\\corelens_results.txt", k_create_always, false}}},
        SwitchCase{"DirectoryEndingInSeparator", k_windows, "/p:E:\\out\\ /f", "txt", "E:\\out\\",
                   {{"E:\\out\\\\corelens_results.txt", k_create_always, false}}},
        SwitchCase{"ExtensionAlwaysAppended", k_windows, "/f:report.html", "txt", "C:\\Tools",
                   {{"C:\\Tools\\report.html.txt", k_create_new, false}}},
        SwitchCase{"NameWithDriveStaysInDirectory", k_windows, "/f:D:\\cpu", "txt", "C:\\Tools",
                   {{"C:\\Tools\\D:\\cpu.txt", k_create_new, false}}},
        SwitchCase{"QuotedNameKeepsQuotes", k_windows, "/f:\"my cpu\" /h", "html", "C:\\Tools",
                   {{"C:\\Tools\\\"my cpu\".html", k_create_new, false}}},
        SwitchCase{"SwitchLettersInsideDirectoryCount", k_windows, "/p:C:/cache/fonts", "txt", "C:/cache/fonts",
                   {{"C:/cache/fonts\\corelens_results.txt", k_create_always, false},
                    {"C:/cache/fonts\\WS7.txt", k_create_always, false}}},
        SwitchCase{"HomeDirectoryMeansHtml", k_windows, "/p:/home/user /f", "html", "/home/user",
                   {{"/home/user\\corelens_results.html", k_create_always, false}}},
        SwitchCase{"OverLongNameRefused", k_windows, "/f:" + k_long_name + " /c", "txt", "C:\\Tools",
                   {{"C:\\Tools\\" + k_long_name + ".txt", k_create_new, true},
                    {"C:\\Tools\\WS7.txt", k_create_always, false}}},
        SwitchCase{"OverLongDirectoryRefusesEveryFile", k_windows, "/p:" + k_long_name + " /f /c", "txt",
                   k_long_name,
                   {{k_long_name + "\\corelens_results.txt", k_create_always, true},
                    {k_long_name + "\\WS7.txt", k_create_always, true}}}),
    [](const ::testing::TestParamInfo<SwitchCase>& info) { return std::string(info.param.label); });

// The same situations under the POSIX rule: a switch counts only where an argument begins.
INSTANTIATE_TEST_SUITE_P(
    Posix, SwitchPlan,
    ::testing::Values(
        SwitchCase{"WorkedExampleHtml", k_posix, "/h /f", "html", "/opt/tools",
                   {{"/opt/tools/corelens_results.html", k_create_always, false}}},
        SwitchCase{"WorkedExampleQuotedDirectory", k_posix, "/p:\"/srv/My Results\" /f:cpu /c", "txt",
                   "/srv/My Results",
                   {{"/srv/My Results/cpu.txt", k_create_new, false},
                    {"/srv/My Results/WS7.txt", k_create_always, false}}},
        SwitchCase{"UnrecognisedWordWritesNothing", k_posix, "report", "txt", "/opt/tools", {}},
        SwitchCase{"PathsAreNotSwitches", k_posix, "/p:/home/cache/fonts", "txt", "/home/cache/fonts", {}},
        SwitchCase{"HomeDirectoryStaysText", k_posix, "/p:/home/user /f", "txt", "/home/user",
                   {{"/home/user/corelens_results.txt", k_create_always, false}}},
        SwitchCase{"SwitchInsideQuotesIsNotOne", k_posix, "/p:\"/tmp/a /c b\" /f", "txt", "/tmp/a /c b",
                   {{"/tmp/a /c b/corelens_results.txt", k_create_always, false}}},
        SwitchCase{"NameInsideDirectoryIsNotOne", k_posix, "/p:/x/f:y /f", "txt", "/x/f:y",
                   {{"/x/f:y/corelens_results.txt", k_create_always, false}}},
        SwitchCase{"SwitchGluedToAWordIsNotOne", k_posix, "x/fy", "txt", "/opt/tools", {}},
        SwitchCase{"NameSwitchWinsOverPlainF", k_posix, "/f:cpu /f", "txt", "/opt/tools",
                   {{"/opt/tools/cpu.txt", k_create_new, false}}},
        SwitchCase{"NameSwitchWithoutName", k_posix, "/f: /h", "html", "/opt/tools",
                   {{"/opt/tools/.html", k_create_new, false}}},
        SwitchCase{"HtmlAfterEverything", k_posix, "/c /h", "html", "/opt/tools",
                   {{"/opt/tools/WS7.html", k_create_always, false}}},
        SwitchCase{"EmptyDirectoryGivesRootPath", k_posix, "/f /p:", "txt", "",
                   {{"/corelens_results.txt", k_create_always, false}}},
        SwitchCase{"DirectoryEndingInSeparator", k_posix, "/p:/tmp/out/ /f", "txt", "/tmp/out/",
                   {{"/tmp/out//corelens_results.txt", k_create_always, false}}},
        SwitchCase{"QuotedNameKeepsQuotes", k_posix, "/f:\"my cpu\"", "txt", "/opt/tools",
                   {{"/opt/tools/\"my cpu\".txt", k_create_new, false}}},
        SwitchCase{"OverLongNameRefused", k_posix, "/f:" + k_long_name, "txt", "/opt/tools",
                   {{"/opt/tools/" + k_long_name + ".txt", k_create_new, true}}},
        SwitchCase{"OverLongDirectoryRefusesEveryFile", k_posix, "/p:\"" + k_long_name + " x\" /c", "txt",
                   k_long_name + " x", {{k_long_name + " x/WS7.txt", k_create_always, true}}}),
    [](const ::testing::TestParamInfo<SwitchCase>& info) { return std::string(info.param.label); });

TEST(SwitchPlanLimits, LongestPathThatFitsIsPlanned) {
    // "/opt/tools/" is 11 characters: a name of 244 plus ".txt" makes 259.
    const std::string fits(244, 'a');
    const BatchPlan plan = plan_for("/f:" + fits, k_posix);
    ASSERT_EQ(1u, plan.files.size());
    EXPECT_EQ("", plan.files[0].refusal) << "a 259-character path fits";

    const BatchPlan longer = plan_for("/f:" + fits + "a", k_posix);
    ASSERT_EQ(1u, longer.files.size());
    EXPECT_EQ(std::string(k_refused_too_long), longer.files[0].refusal) << "a 260-character path does not";
}

TEST(SwitchPlanLimits, OverLongComputerNameRefused) {
    const BatchPlan plan = plan_for("/c /f", k_windows, std::string(300, 'w'));
    ASSERT_EQ(2u, plan.files.size());
    EXPECT_EQ("", plan.files[0].refusal);
    EXPECT_EQ(std::string(k_refused_too_long), plan.files[1].refusal);
}

TEST(FindSwitch, FirstOccurrenceUnderEachRule) {
    struct Case {
        std::string tail;
        const char* name;
        SwitchSearch search;
        std::size_t expected;
    } cases[] = {
        {"/p:/cache /c", "/c", k_windows, 3},
        {"/p:/cache /c", "/c", k_posix, 10},
        {"/p:\"a /c\" /c", "/c", k_posix, 10},
        {"  /h", "/h", k_posix, 2},
        {"/hx", "/h", k_posix, 0},
        {"a\"b /h", "/h", k_posix, std::string::npos},  // an unclosed quote protects the rest
        {"/f:x", "/f", k_windows, 0},
        {"", "/f", k_windows, std::string::npos},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, find_switch(c.tail, c.name, c.search)) << "[" << c.tail << "] " << c.name;
    }
}

TEST(CommandTail, PosixArgumentsJoinedAndQuoted) {
    struct Case {
        std::vector<std::string> arguments;
        std::string tail;
    } cases[] = {
        {{}, ""},
        {{"/h", "/f"}, "/h /f"},
        {{"/p:/tmp/My Results", "/f:cpu", "/c"}, "/p:\"/tmp/My Results\" /f:cpu /c"},
        {{"/f:my cpu"}, "/f:\"my cpu\""},
        {{"my word", "/f"}, "\"my word\" /f"},
        {{"/c x"}, "\"/c x\""},
        {{"/p:"}, "/p:"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.tail, posix_command_tail(c.arguments));
    }
}

TEST(CommandTail, PosixTailWithBlanksKeepsDirectoryWhole) {
    SwitchInputs inputs;
    inputs.tail = posix_command_tail({"/f", "/p:/tmp/a /c b/home"});
    inputs.search = k_posix;
    inputs.computer_name = [] { return std::string("host"); };
    const BatchPlan plan = plan_batch(inputs);
    EXPECT_EQ("/tmp/a /c b/home", plan.output_directory);
    EXPECT_EQ("txt", plan.output_extension);
    ASSERT_EQ(1u, plan.files.size()) << "the /c inside the directory is no switch";
    EXPECT_EQ("/tmp/a /c b/home/corelens_results.txt", planned_path(plan.files[0], '/'));
}

TEST(CommandTail, WindowsTailAfterProgramName) {
    struct Case {
        const char* command_line;
        std::string tail;
    } cases[] = {
        {"\"C:\\My Tools\\corelens.exe\" /h /f", "/h /f"},
        {"\"C:\\My Tools\\corelens.exe\"/f", "/f"},
        {"C:\\Tools\\corelens.exe   ", ""},
        {"corelens.exe\t\r\n/f  /c ", "/f  /c "},
        {"corelens", ""},
        {"\"unclosed name /f", ""},
        {"", ""},
        {nullptr, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.tail, windows_command_tail(c.command_line)) << (c.command_line ? c.command_line : "(null)");
    }
}

TEST(ProgramDirectory, EverythingBeforeTheLastSeparator) {
    struct Case {
        const char* path;
        char separator;
        std::string directory;
    } cases[] = {
        {"C:\\Tools\\corelens.exe", '\\', "C:\\Tools"},
        {"C:\\corelens.exe", '\\', "C:"},
        {"\\corelens.exe", '\\', ""},
        {"corelens.exe", '\\', ""},
        {"/usr/local/bin/corelens", '/', "/usr/local/bin"},
        {"/usr/bin/corelens", '\\', ""},
        {"", '/', ""},
        {nullptr, '/', ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.directory, program_directory_of(c.path, c.separator)) << (c.path ? c.path : "(null)");
    }
}

// Records what would be written; names listed in fail_names fail.
class RecordingFiles final : public ResultFiles {
public:
    std::vector<std::string> fail_names;
    std::vector<std::string> written;

    bool write(const std::string& directory, const std::string& name, int mode, std::string& path,
               std::string& reason) override {
        path = directory + "/" + name;
        for (const std::string& fail : fail_names) {
            if (fail == name) {
                reason = "No such file or directory";
                return false;
            }
        }
        written.push_back(path + " mode " + std::to_string(mode));
        return true;
    }
};

TEST(BatchRun, WritesEveryPlannedFileAndRecordsFailures) {
    RecordingFiles files;
    files.fail_names = {"cpu.txt"};
    const BatchPlan plan = plan_for("/f:cpu /c", k_posix);
    const std::vector<BatchFailure> failures = run_batch_plan(plan, files, '/');

    ASSERT_EQ(1u, failures.size());
    EXPECT_EQ("corelens: cannot write /opt/tools/cpu.txt: No such file or directory", failure_message(failures[0]));
    const std::vector<std::string> expected_written = {"/opt/tools/WS7.txt mode 2"};
    EXPECT_EQ(expected_written, files.written) << "a failure does not stop the next switch";
    EXPECT_EQ(1, batch_exit_status(failures));
}

TEST(BatchRun, RefusedFilesNeverReachTheWriter) {
    RecordingFiles files;
    const BatchPlan plan = plan_for("/p:" + k_long_name + " /f /c", k_posix);
    const std::vector<BatchFailure> failures = run_batch_plan(plan, files, '/');
    EXPECT_TRUE(files.written.empty());
    ASSERT_EQ(2u, failures.size());
    EXPECT_EQ(k_long_name + "/corelens_results.txt", failures[0].path);
    EXPECT_EQ(std::string(k_refused_too_long), failures[0].reason);
    EXPECT_EQ(1, batch_exit_status(failures));
}

TEST(BatchRun, ExitStatusZeroWhenAllWrittenOrNoneRequested) {
    RecordingFiles files;
    EXPECT_EQ(0, batch_exit_status(run_batch_plan(plan_for("/h /f /c", k_windows), files, '\\')));
    EXPECT_EQ(2u, files.written.size());
    RecordingFiles none;
    EXPECT_EQ(0, batch_exit_status(run_batch_plan(plan_for("hello", k_windows), none, '\\')));
    EXPECT_TRUE(none.written.empty());
}

}  // namespace
}  // namespace corelens
