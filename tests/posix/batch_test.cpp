// Runs the built corelens as a user would: a copy in a fresh directory, so the files it
// writes beside itself land there.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace corelens {
namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Starts program with arguments, its output going to files named after tag in scratch.
pid_t start(const fs::path& program, const std::vector<std::string>& arguments, const fs::path& scratch,
            const std::string& tag) {
    std::vector<std::string> words{program.string()};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    const std::string out_path = (scratch / (tag + ".out")).string();
    const std::string err_path = (scratch / (tag + ".err")).string();

    const pid_t pid = fork();
    if (pid == 0) {
        const int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(127);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

Outcome finish(pid_t pid, const fs::path& scratch, const std::string& tag) {
    Outcome run;
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) run.status = WEXITSTATUS(status);
    run.out = read_file(scratch / (tag + ".out"));
    run.err = read_file(scratch / (tag + ".err"));
    return run;
}

class Batch : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/corelens-batch-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        root_ = pattern;
        home_ = root_ / "home";
        scratch_ = root_ / "scratch";
        fs::create_directory(home_);
        fs::create_directory(scratch_);
        program_ = home_ / "corelens";
        fs::copy_file(CORELENS_BINARY_DIR "/app/corelens", program_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }

    Outcome run(const std::vector<std::string>& arguments) {
        return finish(start(program_, arguments, scratch_, "run"), scratch_, "run");
    }

    // Names of the files corelens wrote beside itself, sorted.
    std::vector<std::string> written() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(home_)) {
            if (entry.path() != program_) names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path root_, home_, scratch_, program_;
};

std::string host_short_name() {
    char name[256] = {};
    gethostname(name, sizeof name - 1);
    std::string host = name;
    return host.substr(0, host.find('.'));
}

bool is_text_report(const std::string& text) {
    return text.rfind("Corelens results:\r\n", 0) == 0 && !text.empty() && text.back() == ']';
}

TEST_F(Batch, FileSwitchNumbersInsteadOfOverwriting) {
    Outcome first = run({"/f"});
    EXPECT_EQ(0, first.status) << first.err;
    EXPECT_EQ(std::vector<std::string>{"corelens_results.txt"}, written());
    const std::string first_text = read_file(home_ / "corelens_results.txt");
    EXPECT_TRUE(is_text_report(first_text)) << first_text;

    Outcome second = run({"/f"});
    EXPECT_EQ(0, second.status) << second.err;
    const std::vector<std::string> both{"corelens_results.txt", "corelens_results1.txt"};
    EXPECT_EQ(both, written());
    EXPECT_EQ(first_text, read_file(home_ / "corelens_results.txt")) << "the first file was touched";
    EXPECT_EQ("", second.out + second.err) << "batch mode prints nothing when all is written";
}

TEST_F(Batch, HtmlSwitchWritesHtml) {
    Outcome result = run({"/h", "/f"});
    EXPECT_EQ(0, result.status) << result.err;
    EXPECT_EQ(std::vector<std::string>{"corelens_results.html"}, written());
    const std::string html = read_file(home_ / "corelens_results.html");
    EXPECT_EQ(0u, html.rfind("<HTML>", 0)) << html.substr(0, 80);
}

TEST_F(Batch, NamedAndComputerFiles) {
    Outcome result = run({"/f:name", "/c"});
    EXPECT_EQ(0, result.status) << result.err;
    std::vector<std::string> expected{"name.txt", host_short_name() + ".txt"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, written());
    const std::string report = read_file(home_ / (host_short_name() + ".txt"));
    EXPECT_TRUE(is_text_report(report));
    EXPECT_NE(std::string::npos, report.find("Computer:                 " + host_short_name() + "\r\n"));
}

TEST_F(Batch, DirectoryWithBlanksFromOneArgument) {
    const fs::path target = root_ / "My Results";
    fs::create_directory(target);
    Outcome result = run({"/p:" + target.string(), "/f:cpu", "/c"});
    EXPECT_EQ(0, result.status) << result.err;
    EXPECT_TRUE(written().empty()) << "files belong in the /p: directory";
    EXPECT_TRUE(is_text_report(read_file(target / "cpu.txt")));
    EXPECT_TRUE(is_text_report(read_file(target / (host_short_name() + ".txt"))));
}

TEST_F(Batch, MissingDirectoryFailsWithMessage) {
    const std::string missing = (root_ / "missing").string();
    Outcome result = run({"/p:" + missing, "/f"});
    EXPECT_EQ(1, result.status);
    EXPECT_EQ("corelens: cannot write " + missing + "/corelens_results.txt: No such file or directory\n", result.err);
    EXPECT_EQ("", result.out);
    EXPECT_TRUE(written().empty());
    EXPECT_FALSE(fs::exists(missing));
}

TEST_F(Batch, OneFailureDoesNotStopTheNextSwitch) {
    Outcome result = run({"/f:no/such/dir", "/c"});
    EXPECT_EQ(1, result.status);
    EXPECT_NE(std::string::npos, result.err.find("corelens: cannot write " + home_.string() + "/no/such/dir.txt: "))
        << result.err;
    EXPECT_EQ(std::vector<std::string>{host_short_name() + ".txt"}, written());
}

TEST_F(Batch, EmptyTailPrintsTheReport) {
    Outcome result = run({});
    EXPECT_EQ(0, result.status) << result.err;
    EXPECT_EQ(0u, result.out.rfind("Corelens results:\r\n", 0)) << result.out.substr(0, 80);
    EXPECT_NE(std::string::npos, result.out.find("Processor name:"));
    EXPECT_NE(std::string::npos, result.out.find("[Result file generated by Corelens, version 1.13f]"));
    EXPECT_EQ("", result.err);
    EXPECT_TRUE(written().empty());
}

TEST_F(Batch, SimultaneousRunsNeverShareAFile) {
    constexpr int k_runs = 20;
    std::vector<pid_t> pids;
    for (int i = 0; i < k_runs; ++i) pids.push_back(start(program_, {"/f"}, scratch_, std::to_string(i)));
    for (int i = 0; i < k_runs; ++i) {
        Outcome result = finish(pids[i], scratch_, std::to_string(i));
        EXPECT_EQ(0, result.status) << "run " << i << ": " << result.err;
    }

    std::vector<std::string> expected{"corelens_results.txt"};
    for (int i = 1; i < k_runs; ++i) expected.push_back("corelens_results" + std::to_string(i) + ".txt");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, written());
    for (const std::string& name : written()) {
        EXPECT_TRUE(is_text_report(read_file(home_ / name))) << name << " is not one whole report";
    }
}

}  // namespace
}  // namespace corelens
