#include "app/switches.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/batch.h"
#include "app/strings.h"
#include "app/command_line.h"
#include "app/startup.h"

namespace corelens {
namespace {

constexpr SwitchSearch k_windows = SwitchSearch::substring;
constexpr SwitchSearch k_posix = SwitchSearch::argument_start;

BatchPlan plan_for(const std::string& tail, SwitchSearch search, bool program_path_too_long = false) {
    return plan_batch({tail, search == k_windows ? "C:\\Tools" : "/opt/tools", [] { return std::string("WS7"); }, search,
                       program_path_too_long});
}

// "extension | directory | path[ refused]; ..." in the order the files are written.
std::string describe(const BatchPlan& plan, SwitchSearch search) {
    std::string text = plan.output_extension + " | " + plan.output_directory + " |";
    for (const PlannedFile& f : plan.files) {
        text += " " + planned_path(f, search == k_windows ? '\\' : '/') + (f.refusal.empty() ? ";" : " refused;");
    }
    return text;
}

TEST(SwitchPlan, EvaluatesEachRule) {
    struct Case { SwitchSearch search; std::string tail; std::string expected; bool program_path_too_long = false; };
    const Case cases[] = {
        // Windows: a case-sensitive substring search of the whole tail.
        {k_windows, "/h /f", "html | C:\\Tools | C:\\Tools\\corelens_results.html;"},
        {k_windows, "/p:\"D:\\My Results\" /f:cpu /c",
         "txt | D:\\My Results | D:\\My Results\\cpu.txt; D:\\My Results\\WS7.txt;"},
        {k_windows, "report /F /H", "txt | C:\\Tools |"},
        {k_windows, "/f:\"my cpu\"", "txt | C:\\Tools | C:\\Tools\\\"my cpu\".txt;"},
        {k_windows, "/p:C:/cache/fonts",
         "txt | C:/cache/fonts | C:/cache/fonts\\corelens_results.txt; C:/cache/fonts\\WS7.txt;"},
        // A program path too long for its buffer refuses the files beside the program only.
        {k_windows, "/f:x /c", "txt | C:\\Tools | C:\\Tools\\x.txt refused; C:\\Tools\\WS7.txt refused;", true},
        {k_windows, "/p:D: /f", "txt | D: | D:\\corelens_results.txt;", true},
        // POSIX: the same search, but only where an argument begins; blank-holding arguments
        // are quoted when joined, so their /c and /home are no switches.
        {k_posix, "/p:/home/cache/fonts", "txt | /home/cache/fonts |"},
        {k_posix, posix_command_tail({"", " "}), "txt | /opt/tools |"},
        {k_posix, "x/fy /p:/x/f:y", "txt | /x/f:y |"},
        {k_posix, posix_command_tail({"/f:my report"}), "txt | /opt/tools | /opt/tools/my report.txt;"},
        {k_posix, posix_command_tail({"/f", "/p:/tmp/a /c b/home"}),
         "txt | /tmp/a /c b/home | /tmp/a /c b/home/corelens_results.txt;"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, describe(plan_for(c.tail, c.search, c.program_path_too_long), c.search)) << c.tail;
    }
}

// Records the names it writes; cpu.txt fails.
struct RecordingFiles final : ResultFiles {
    std::string written;
    bool write(const std::string& directory, const std::string& name, std::string& path,
               std::string& reason) override {
        path = directory + "/" + name;
        reason = name == "cpu.txt" ? "No such file or directory" : "";
        if (reason.empty()) written += name + ";";
        return reason.empty();
    }
};

// A failure does not stop the next file, a refused file never reaches the writer, and any
// failure fails the run.
TEST(BatchRun, FailuresAndRefusals) {
    const struct { std::string tail, written; std::size_t failures; int status; bool program_path_too_long; } cases[] = {
        {"/f:cpu /c", "WS7.txt;", 1, 1, false},
        {"/f /c", "", 2, 1, true},
        {"/h /f /c", "corelens_results.html;WS7.html;", 0, 0, false},
    };
    for (const auto& c : cases) {
        RecordingFiles files;
        const std::vector<BatchFailure> failures =
            run_batch_plan(plan_for(c.tail, k_posix, c.program_path_too_long), files, '/');
        EXPECT_EQ(c.written, files.written) << c.tail;
        EXPECT_EQ(c.failures, failures.size()) << c.tail;
        EXPECT_EQ(c.status, batch_exit_status(failures)) << c.tail;
    }
}

// An argument ends at the first blank outside quotes, and is whole however long.
TEST(CutArgument, QuoteHandling) {
    const std::string a300(300, 'a');
    const struct { std::string source; bool strip_quotes; std::string expected; } cases[] = {
        {"cpu /c", false, "cpu"},
        {"\"D:\\My Results\" /f:cpu /c", true, "D:\\My Results"},
        {"a\"b c\"d e", true, "ab cd"},
        {"x\"\" y\" z", true, "x\" y"},  // the second of two quotes is copied, still inside
        {"\"a b\"c d", false, "\"a b\"c"},
        {a300 + " /c", false, a300},
    };
    for (const auto& c : cases) EXPECT_EQ(c.expected, cut_argument(c.source.c_str(), c.strip_quotes)) << c.source;
    EXPECT_EQ("", cut_argument(nullptr, true));
}

// Start-up decides whether the program's path fits its buffer; a cut one would name another
// directory. (Wine starts no program whose path is that long.)
TEST(StartUp, ProgramPathTooLongForItsBuffer) {
    for (const std::size_t length : {259, 260}) {
        const std::string path = "C:\\" + std::string(length - 16, 'd') + "\\corelens.exe";
        EXPECT_EQ(length == 260, start_up(path.c_str(), '\\', [] { return 1; }).program_path_too_long) << length;
    }
}

TEST(BoundedLength, StopsAtNineThousandNineHundredNinetyNine) {
    const std::vector<char> unterminated(10000, 'b');  // read no further than its end
    EXPECT_EQ(0u, bounded_length(nullptr));
    EXPECT_EQ(9999u, bounded_length(std::string(9999, 'a').c_str()));
    EXPECT_EQ(9999u, bounded_length(unterminated.data()));
}

}  // namespace
}  // namespace corelens
