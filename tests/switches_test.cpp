#include "app/switches.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/strings.h"
#include "app/startup.h"

namespace corelens {
namespace {

PlanInputs inputs_for(char separator, bool program_path_too_long = false) {
    return {separator == '\\' ? "C:\\Tools" : "/opt/tools", [] { return std::string("WS7"); }, program_path_too_long};
}

// "extension | directory | path[ refused]; ..." in the order the files are written.
std::string describe(const Switches& switches, char separator, bool program_path_too_long = false) {
    const BatchPlan plan = plan_batch(switches, inputs_for(separator, program_path_too_long));
    std::string text = plan.output_extension + " | " + plan.output_directory + " |";
    for (const PlannedFile& f : plan.files) {
        text += " " + planned_path(f, separator) + (f.refusal.empty() ? ";" : " refused;");
    }
    return text;
}

// Windows: a case-sensitive substring search of the whole tail.
TEST(SwitchPlan, WindowsSearchesTheTail) {
    const struct { std::string tail; std::string expected; bool program_path_too_long = false; } cases[] = {
        {"/h /f", "html | C:\\Tools | C:\\Tools\\corelens_results.html;"},
        {"/p:\"D:\\My Results\" /f:cpu /c", "txt | D:\\My Results | D:\\My Results\\cpu.txt; D:\\My Results\\WS7.txt;"},
        {"report /F /H", "txt | C:\\Tools |"},
        // An argument ends at the first blank outside quotes; a directory loses its quotes (the
        // character after each copied as it is, so two in a row give one), a name keeps them.
        {"/f:\"my cpu\"s x /p:a\"b c\"d\"\" y\" z", "txt | ab cd\" y | ab cd\" y\\\"my cpu\"s.txt;"},
        {"/f:" + std::string(300, 'a'), "txt | C:\\Tools | C:\\Tools\\" + std::string(300, 'a') + ".txt;"},
        {"/p:C:/cache/fonts", "txt | C:/cache/fonts | C:/cache/fonts\\corelens_results.txt; C:/cache/fonts\\WS7.txt;"},
        // A program path too long for its buffer refuses the files beside the program only.
        {"/f:x /c", "txt | C:\\Tools | C:\\Tools\\x.txt refused; C:\\Tools\\WS7.txt refused;", true},
        {"/p:D: /f", "txt | D: | D:\\corelens_results.txt;", true},
    };
    for (const auto& c : cases) EXPECT_EQ(c.expected, describe(find_switches(c.tail), '\\', c.program_path_too_long)) << c.tail;
}

// POSIX: each argument one switch, its argument whole; anything else names itself.
TEST(SwitchPlan, PosixReadsEachArgument) {
    const struct { std::vector<std::string> arguments; std::string expected; } cases[] = {
        {{}, "report"},
        {{"/f:a\"b", "/c", "/p:x\" /h", "/h"}, "html | x\" /h | x\" /h/a\"b.html; x\" /h/WS7.html;"},
        {{"/f", "/f:my report", "/p:/a", "/p:/b", "/f:second"}, "txt | /a | /a/my report.txt;"},
        {{"/p:/home/cache", "/f", "--version", "/x"}, "version"},
        {{"/f", "/hello", "--help"}, "unknown switch '/hello'"},
        {{"--json"}, "json"},
        {{"/f", "--json"}, "--json takes no switches"},
    };
    for (const auto& c : cases) {
        const Arguments read = read_arguments(c.arguments);
        const char* const actions[] = {"report", "batch", "help", "version", "usage error", "json"};
        std::string actual = actions[static_cast<int>(read.action)];
        if (read.action == Arguments::Action::batch) actual = describe(read.switches, '/');
        if (read.action == Arguments::Action::usage_error) actual = read.error;
        EXPECT_EQ(c.expected, actual) << (c.arguments.empty() ? "" : c.arguments[0]);
    }
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
