// Runs the built programs as a user would. corelens: a copy in a directory it cannot write
// to (as an installed program is), started in another directory where its files land, with
// limits, broken outputs and a host name of its own where a row asks.
// corelens-cpuid: its -o file is the file batch mode writes for the same processor at the
// same time.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "tests/support/app_support.h"

namespace corelens {
namespace {

namespace fs = std::filesystem;
using Names = std::set<std::string>;

const char* const k_tool = CORELENS_BINARY_DIR "/tools/corelens-cpuid";
const char* const k_program = CORELENS_BINARY_DIR "/app/corelens";

// The first group of pattern in report, or "".
std::string found(const std::string& report, const char* pattern) {
    std::smatch match;
    return std::regex_search(report, match, std::regex(pattern)) ? match[1].str() : "";
}

TEST(Batch, ToolOutputFileIsTheBatchFile) {
    app_test::ScratchDirectory scratch;
    const app_test::Outcome dump = app_test::run_program(k_tool, {"dump"}, scratch.path());
    ASSERT_EQ(0, dump.status) << dump.err;
    app_test::write_file(scratch.path_of("this.dump"), dump.out);
    // The report carries the time to the second: a pair of runs that straddles a change of
    // the second is tried again. The measured speed is handed to the replay.
    for (int attempt = 0; attempt < 3; ++attempt) {
        std::filesystem::remove(scratch.path_of("corelens_results.txt"));
        ASSERT_EQ(0, app_test::run_program(k_program, {"/p:" + scratch.path(), "/f"},
                                           scratch.path()).status);
        const std::string batch = app_test::read_file(scratch.path_of("corelens_results.txt"));
        const app_test::Outcome tool = app_test::run_program(
            k_tool, {"report", "--mhz", found(batch, "Speed: *([0-9.]+) MHz"), "-o", scratch.path_of("o.txt"),
                     scratch.path_of("this.dump")}, scratch.path());
        ASSERT_EQ(0, tool.status) << tool.err;
        const std::string output = app_test::read_file(scratch.path_of("o.txt"));
        const char* const time = "Date & Time: *([^\r]*)\r";
        if (found(batch, time) != found(output, time)) continue;
        EXPECT_EQ(batch, output);
        return;
    }
    FAIL() << "three runs straddled a second";
}

TEST(Batch, CommandLines) {
    app_test::ScratchDirectory scratch;
    const fs::path home = scratch.path_of("home"), work = scratch.path_of("work"), program = home / "corelens";
    fs::create_directory(home);
    fs::create_directory(work);
    fs::copy_file(k_program, program);
    fs::permissions(home, fs::perms::owner_read | fs::perms::owner_exec);
    // A brand string that would set the terminal's title and forge a line.
    const std::string dump = scratch.path_of("brand.dump"), link = scratch.path_of("link"), fifo = scratch.path_of("fifo");
    app_test::write_file(dump, "CPUID 00000000: 00000001-00000000-00000000-00000000\nCPUID 80000000: 80000002-00000000-"
                               "00000000-00000000\nCPUID 80000002: 3B305D1B-0A0D0778-65657053-39203A64\n");
    fs::create_symlink(dump, link);
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
    const std::string host(64, 'h'), usage = "usage: corelens [/h] [/p:DIRECTORY] [/f | /f:NAME] [/c]\n";
    // The shell runs the program as its last command, limits and redirections in place; a host
    // name of its own needs a namespace of its own, which only root may make (77: skipped).
    const std::string own_host = "unshare -u true || exit 77; exec unshare -u sh -c 'hostname " + host + " && exec \"$0\" \"$@\"'";
    struct Case { std::vector<std::string> arguments; std::string program; int status; std::string out, err; Names files; std::string shell = "exec"; };
    const Case cases[] = {
        // The feature rows of a made-up K7: IA-64 from leaf 1, the 3DNow rows from 0x80000001.
        {{"flags", CORELENS_GOLDEN_DIR "/../../fuzz/seeds/dump/amd_k7"}, k_tool, 0,
         "IA-64\tIA-64 instructions\t30\tno\n3DNow+\tExtended AMD 3DNow\te30\tyes\n", "", {}},
        // A report read back as CSV; a file that is none named and skipped.
        {{"inventory", CORELENS_GOLDEN_DIR "/amd_athlon.txt", CORELENS_GOLDEN_DIR "/README.md"}, k_tool, 1,
         "\r\nBUILDHOST,\"Tom & \"\"Jerry\"\" <admin>\",06.12.2026 01:44:38,AMD Athlon,1200.3,AuthenticAMD,",
         "README.md: not a Corelens result file: it starts with neither", {}},
        // A folder's reports, the .htm a save from the window may leave among them.
        {{"inventory", "."}, k_tool, 0, "\r\nBUILDHOST,", "", {"x.HTM"}, "cp " CORELENS_GOLDEN_DIR "/amd_athlon.html x.HTM; exec"},
        {{"/f", "/fast"}, "", 2, "", "corelens: unknown switch '/fast'\n" + usage, {}},
        {{"/x\n"}, "", 2, "", "corelens: unknown switch '/x\\n'\n", {}},
        {{"/p:", "/f"}, "", 2, "", "corelens: /p: needs a directory\n", {}},
        {{"/f:"}, "", 2, "", "corelens: /f: needs a name\n", {}},
        {{}, "", 0, "Corelens results:\n***", "", {}},
        {{"/f"}, "", 0, "", "", {"corelens_results.txt"}},
        {{"/p:x\"y", "/f"}, "", 1, "", "corelens: cannot write x\"y/corelens_results.txt: No such file or directory\n", {}},
        {{"/f:a\"b", "/h", "/c"}, "", 0, "", "", {"a\"b.html", host + ".html"}, own_host},
        {{"/h", "/f"}, "", 1, "", "corelens: cannot write ./corelens_results.html: File too large\n", {}, "ulimit -f 1; exec"},
        {{}, "", 1, "", "corelens: write error: No space left on device\n", {}, "exec >/dev/full; exec"},
        {{"--help"}, k_tool, 1, "", "corelens-cpuid: write error: No space left on device\n", {}, "exec >/dev/full; exec"},
        {{"report", "-"}, k_tool, 0, "Internal description:     ?]0;x???Speed: 9\n", "", {}, "exec <" + dump + "; exec"},
        {{"report", "-o", link, dump}, k_tool, 2, "", "corelens-cpuid: -o " + link + " is the dump itself\n", {}},
        {{"report", "/dev/null"}, k_tool, 2, "", "corelens-cpuid: /dev/null: no CPUID line: not a dump\n", {}},
        {{"report", "/dev/zero"}, k_tool, 2, "", "corelens-cpuid: /dev/zero: larger than 4 MB: not a dump\n", {}},
        {{"report", "-o", fifo, dump}, k_tool, 1, "", "corelens-cpuid: cannot write " + fifo + ": not a regular file\n", {}},
        {{"report", "-o", "/dev/null", dump}, k_tool, 1, "", "corelens-cpuid: cannot write /dev/null: not a regular file\n", {}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> words{"-c", c.shell + " \"$0\" \"$@\"", c.program.empty() ? program.string() : c.program};
        words.insert(words.end(), c.arguments.begin(), c.arguments.end());
        const std::string w = work.string();
        const app_test::Outcome outcome = app_test::finish_program(
            app_test::start_program("/bin/sh", words, scratch.path(), "run", [w] {
                alarm(60);  // an open that blocks ends the program, not the suite
                if (chdir(w.c_str()) != 0) _exit(127);
            }), scratch.path(), "run");
        const std::string line = c.arguments.empty() ? "(no arguments)" : c.arguments[0] + " ...";
        if (outcome.status == 77) continue;  // not root: no host name of its own
        EXPECT_EQ(c.status, outcome.status) << line << "\n" << outcome.err;
        // Output holds the expected text; where none is expected there must be none.
        const auto holds = [](const std::string& text, const std::string& expected) {
            return expected.empty() ? text.empty() : text.find(expected) != std::string::npos;
        };
        EXPECT_TRUE(holds(outcome.out, c.out)) << line << ": expected " << c.out << "actual " << outcome.out;
        EXPECT_TRUE(holds(outcome.err, c.err)) << line << ": expected " << c.err << "actual " << outcome.err;
        EXPECT_EQ(c.files, scratch.names(work)) << line;
        for (const std::string& name : scratch.names(work)) fs::remove(work / name);
    }
    EXPECT_EQ(Names{"corelens"}, scratch.names(home)) << "nothing beside the program";
    fs::permissions(home, fs::perms::owner_all);
}

}  // namespace
}  // namespace corelens
