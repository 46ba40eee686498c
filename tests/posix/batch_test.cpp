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
using app_test::is_text_report;
using app_test::Outcome;
using app_test::read_file;
using Names = std::set<std::string>;

class Batch : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(home_);
        fs::create_directory(work_);
        fs::copy_file(CORELENS_BINARY_DIR "/app/corelens", program_);
        fs::permissions(home_, fs::perms::all, fs::perm_options::remove);
        fs::permissions(home_, fs::perms::owner_read | fs::perms::owner_exec, fs::perm_options::add);
    }
    void TearDown() override { fs::permissions(home_, fs::perms::owner_all, fs::perm_options::add); }

    pid_t start(const std::string& program, const std::vector<std::string>& arguments, const std::string& tag) {
        const std::string work = work_.string();
        return app_test::start_program(program, arguments, scratch_.path(), tag, [work] {
            if (chdir(work.c_str()) != 0) _exit(127);
        });
    }
    Outcome run(const std::vector<std::string>& arguments, const std::string& program = {}) {
        return app_test::finish_program(start(program.empty() ? program_.string() : program, arguments, "run"),
                                        scratch_.path(), "run");
    }
    // The files corelens wrote in the current directory.
    Names written() const { return scratch_.names(work_); }

    app_test::ScratchDirectory scratch_;
    const fs::path home_ = scratch_.path_of("home");
    const fs::path work_ = scratch_.path_of("work");
    const fs::path program_ = home_ / "corelens";
};

bool starts_with(const std::string& text, const std::string& start) {
    return start.empty() ? text.empty() : text.rfind(start, 0) == 0;
}

TEST_F(Batch, CommandLines) {
    const std::string missing = scratch_.path_of("missing");
    const std::string tool = CORELENS_BINARY_DIR "/tools/corelens-cpuid";
    const std::string usage = "usage: corelens [/h] [/p:DIRECTORY] [/f | /f:NAME] [/c]\n";
    struct Case { std::vector<std::string> arguments; std::string program; int status; std::string out, err; Names files; };
    const Case cases[] = {
        {{"--help"}, "", 0, usage, "", {}},
        {{"/f", "-h"}, "", 0, usage, "", {}},
        {{"--version"}, "", 0, "corelens 1.13f\n", "", {}},
        {{"--version"}, tool, 0, "corelens-cpuid 1.13f\n", "", {}},
        {{"foo"}, "", 2, "", "corelens: no switch at the start of any argument\n" + usage, {}},
        {{"report/f", "x/c"}, "", 2, "", "corelens: no switch", {}},
        {{"", ""}, "", 0, "Corelens results:\r\n", "", {}},
        {{"/f"}, "", 0, "", "", {"corelens_results.txt"}},
        {{"/p:" + missing, "/f"}, "", 1, "",
         "corelens: cannot write " + missing + "/corelens_results.txt: No such file or directory\n", {}},
    };
    for (const Case& c : cases) {
        const std::string line = c.arguments.empty() ? "" : c.arguments[0] + " ...";
        const Outcome outcome = run(c.arguments, c.program);
        EXPECT_EQ(c.status, outcome.status) << line << "\n" << outcome.err;
        EXPECT_TRUE(starts_with(outcome.out, c.out)) << line << ": expected " << c.out << "actual " << outcome.out;
        EXPECT_TRUE(starts_with(outcome.err, c.err)) << line << ": expected " << c.err << "actual " << outcome.err;
        EXPECT_EQ(c.files, written()) << line;
        for (const std::string& name : written()) fs::remove(work_ / name);
    }
    EXPECT_EQ(Names{"corelens"}, scratch_.names(home_)) << "nothing beside the program";
    EXPECT_FALSE(fs::exists(missing));
}

TEST_F(Batch, FileSwitchTwiceNumbersAndHtmlSwitchWritesHtml) {
    const Outcome first = run({"/f"});
    EXPECT_EQ(0, first.status) << first.err;
    const std::string first_text = read_file(work_ / "corelens_results.txt");

    const Outcome second = run({"/f"});
    EXPECT_EQ(0, second.status) << second.err;
    EXPECT_EQ((Names{"corelens_results.txt", "corelens_results1.txt"}), written());
    EXPECT_EQ(first_text, read_file(work_ / "corelens_results.txt"));
    EXPECT_EQ("", second.out + second.err);

    EXPECT_EQ(0, run({"/h", "/f"}).status);
    EXPECT_EQ(0u, read_file(work_ / "corelens_results.html").rfind("<HTML>", 0)) << "no HTML file";
}

TEST_F(Batch, TwentySimultaneousRunsNeverShareAFile) {
    constexpr int k_runs = 20;
    std::vector<pid_t> pids;
    for (int i = 0; i < k_runs; ++i) pids.push_back(start(program_.string(), {"/f"}, std::to_string(i)));
    Names expected{"corelens_results.txt"};
    for (int i = 0; i < k_runs; ++i) {
        const Outcome result = app_test::finish_program(pids[i], scratch_.path(), std::to_string(i));
        EXPECT_EQ(0, result.status) << "run " << i << ": " << result.err;
        if (i > 0) expected.insert("corelens_results" + std::to_string(i) + ".txt");
    }
    EXPECT_EQ(expected, written());
    for (const std::string& name : written()) EXPECT_TRUE(is_text_report(read_file(work_ / name))) << name;
}

}  // namespace
}  // namespace corelens
