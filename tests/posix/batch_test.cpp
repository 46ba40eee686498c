// Runs the built corelens as a user would: a copy in a fresh directory, so the files it
// writes beside itself land there.
#include <gtest/gtest.h>

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
        fs::copy_file(CORELENS_BINARY_DIR "/app/corelens", program_);
    }
    Outcome run(const std::vector<std::string>& arguments) {
        return app_test::run_program(program_.string(), arguments, scratch_.path());
    }
    // The files corelens wrote beside itself.
    Names written() const { return scratch_.names(home_, "corelens"); }

    app_test::ScratchDirectory scratch_;
    const fs::path home_ = scratch_.path_of("home");
    const fs::path program_ = home_ / "corelens";
};

TEST_F(Batch, FileSwitchTwiceNumbersAndHtmlSwitchWritesHtml) {
    const Outcome first = run({"/f"});
    EXPECT_EQ(0, first.status) << first.err;
    const std::string first_text = read_file(home_ / "corelens_results.txt");

    const Outcome second = run({"/f"});
    EXPECT_EQ(0, second.status) << second.err;
    EXPECT_EQ((Names{"corelens_results.txt", "corelens_results1.txt"}), written());
    EXPECT_EQ(first_text, read_file(home_ / "corelens_results.txt"));
    EXPECT_EQ("", second.out + second.err);

    EXPECT_EQ(0, run({"/h", "/f"}).status);
    EXPECT_EQ(0u, read_file(home_ / "corelens_results.html").rfind("<HTML>", 0)) << "no HTML file";
}

TEST_F(Batch, MissingDirectoryExitsOneWithAMessage) {
    const std::string missing = scratch_.path_of("missing");
    const Outcome result = run({"/p:" + missing, "/f"});
    EXPECT_EQ(1, result.status);
    EXPECT_EQ("corelens: cannot write " + missing + "/corelens_results.txt: No such file or directory\n",
              result.err);
    EXPECT_EQ("", result.out);
    EXPECT_FALSE(fs::exists(missing));
}

TEST_F(Batch, EmptyTailPrintsTheReport) {
    const Outcome result = run({});
    EXPECT_EQ(0, result.status) << result.err;
    EXPECT_EQ(0u, result.out.rfind("Corelens results:\r\n", 0)) << result.out.substr(0, 80);
    EXPECT_EQ("", result.err);
    EXPECT_TRUE(written().empty());
}

TEST_F(Batch, TwentySimultaneousRunsNeverShareAFile) {
    constexpr int k_runs = 20;
    std::vector<pid_t> pids;
    for (int i = 0; i < k_runs; ++i) {
        const std::string tag = std::to_string(i);
        pids.push_back(app_test::start_program(program_.string(), {"/f"}, scratch_.path(), tag));
    }
    Names expected{"corelens_results.txt"};
    for (int i = 0; i < k_runs; ++i) {
        const Outcome result = app_test::finish_program(pids[i], scratch_.path(), std::to_string(i));
        EXPECT_EQ(0, result.status) << "run " << i << ": " << result.err;
        if (i > 0) expected.insert("corelens_results" + std::to_string(i) + ".txt");
    }
    EXPECT_EQ(expected, written());
    for (const std::string& name : written()) EXPECT_TRUE(is_text_report(read_file(home_ / name))) << name;
}

}  // namespace
}  // namespace corelens
