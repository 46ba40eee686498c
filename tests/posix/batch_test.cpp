// Runs the built corelens as a user would: a copy in a directory it cannot write to (as an
// installed program is), started in another directory where its files land.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "tests/support/app_support.h"

namespace corelens {
namespace {

namespace fs = std::filesystem;
using Names = std::set<std::string>;

TEST(Batch, CommandLines) {
    app_test::ScratchDirectory scratch;
    const fs::path home = scratch.path_of("home"), work = scratch.path_of("work"), program = home / "corelens";
    fs::create_directory(home);
    fs::create_directory(work);
    fs::copy_file(CORELENS_BINARY_DIR "/app/corelens", program);
    fs::permissions(home, fs::perms::owner_read | fs::perms::owner_exec);
    const std::string missing = scratch.path_of("missing");
    const std::string usage = "usage: corelens [/h] [/p:DIRECTORY] [/f | /f:NAME] [/c]\n";
    struct Case { std::vector<std::string> arguments; std::string program; int status; std::string out, err; Names files; };
    const Case cases[] = {
        {{"--help"}, "", 0, usage, "", {}},
        {{"--version"}, "", 0, "corelens 1.13f\n", "", {}},
        {{"--version"}, CORELENS_BINARY_DIR "/tools/corelens-cpuid", 0, "corelens-cpuid 1.13f\n", "", {}},
        {{"foo"}, "", 2, "", "corelens: no switch at the start of any argument\n" + usage, {}},
        {{"", ""}, "", 0, "Corelens results:\r\n", "", {}},
        {{"/f"}, "", 0, "", "", {"corelens_results.txt"}},
        {{"/p:" + missing, "/f"}, "", 1, "",
         "corelens: cannot write " + missing + "/corelens_results.txt: No such file or directory\n", {}},
    };
    for (const Case& c : cases) {
        const std::string w = work.string();
        const app_test::Outcome outcome = app_test::finish_program(
            app_test::start_program(c.program.empty() ? program.string() : c.program, c.arguments, scratch.path(), "run",
                                    [w] { if (chdir(w.c_str()) != 0) _exit(127); }),
            scratch.path(), "run");
        const std::string line = c.arguments[0] + " ...";
        EXPECT_EQ(c.status, outcome.status) << line << "\n" << outcome.err;
        // Output is compared by its start; where none is expected there must be none.
        const auto start = [](const std::string& text, const std::string& expected) {
            return text.substr(0, expected.empty() ? std::string::npos : expected.size());
        };
        EXPECT_EQ(c.out, start(outcome.out, c.out)) << line;
        EXPECT_EQ(c.err, start(outcome.err, c.err)) << line;
        EXPECT_EQ(c.files, scratch.names(work)) << line;
        for (const std::string& name : scratch.names(work)) fs::remove(work / name);
    }
    EXPECT_EQ(Names{"corelens"}, scratch.names(home)) << "nothing beside the program";
    fs::permissions(home, fs::perms::owner_all);
}

}  // namespace
}  // namespace corelens
