// Runs the built corelens.exe as Windows starts it: a copy in a fresh directory, a command
// line with the program's name first, and its exit code.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace corelens {
namespace {

namespace fs = std::filesystem;

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string computer_name() {
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof name;
    if (!GetComputerNameA(name, &size)) return {};
    return name;
}

bool is_text_report(const std::string& text) {
    return text.rfind("Corelens results:\r\n", 0) == 0 && !text.empty() && text.back() == ']';
}

class BatchWin32 : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH] = {};
        ASSERT_NE(0u, GetTempPathA(sizeof temp, temp));
        home_ = fs::path(temp) / ("corelens-batch-" + std::to_string(GetCurrentProcessId()) + "-" +
                                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::error_code ignored;
        fs::remove_all(home_, ignored);
        ASSERT_TRUE(fs::create_directories(home_));
        program_ = home_ / "corelens.exe";
        fs::copy_file(CORELENS_BINARY_DIR "/app/corelens.exe", program_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(home_, ignored);
    }

    // Starts the copy with tail after its quoted name; the exit code, or -1.
    long run(const std::string& tail) {
        std::string command_line = "\"" + program_.string() + "\" " + tail;
        std::vector<char> buffer(command_line.begin(), command_line.end());
        buffer.push_back('\0');
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        if (!CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, home_.string().c_str(),
                            &startup, &process)) {
            return -1;
        }
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return static_cast<long>(code);
    }

    std::vector<std::string> written(const fs::path& directory) const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(directory)) {
            if (entry.path().filename() != "corelens.exe") names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path home_, program_;
};

TEST_F(BatchWin32, FileAndComputerSwitchesWrite) {
    EXPECT_EQ(0, run("/f /c"));
    std::vector<std::string> expected{"corelens_results.txt", computer_name() + ".txt"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, written(home_));
    EXPECT_TRUE(is_text_report(read_file(home_ / "corelens_results.txt")));

    // A second run numbers instead of replacing.
    EXPECT_EQ(0, run("/h /f"));
    EXPECT_EQ(0u, read_file(home_ / "corelens_results.html").rfind("<HTML>", 0));
    EXPECT_EQ(0, run("/f"));
    EXPECT_TRUE(fs::exists(home_ / "corelens_results1.txt"));
}

TEST_F(BatchWin32, WorkedExampleWithQuotedDirectory) {
    const fs::path target = home_ / "My Results";
    fs::create_directory(target);
    EXPECT_EQ(0, run("/p:\"" + target.string() + "\" /f:cpu /c"));
    std::vector<std::string> expected{"cpu.txt", computer_name() + ".txt"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, written(target));
    EXPECT_TRUE(written(home_) == std::vector<std::string>{"My Results"});
}

TEST_F(BatchWin32, MissingDirectoryFails) {
    EXPECT_EQ(1, run("/p:" + (home_ / "missing").string() + " /f"));
    EXPECT_TRUE(written(home_).empty());
}

TEST_F(BatchWin32, QuotedNameCannotBeWritten) {
    // The quotes stay in a "/f:" name, and Windows names cannot hold them.
    EXPECT_EQ(1, run("/f:\"my cpu\""));
    EXPECT_TRUE(written(home_).empty());
}

TEST_F(BatchWin32, UnrecognisedWordWritesNothing) {
    EXPECT_EQ(0, run("report"));
    EXPECT_TRUE(written(home_).empty());
}

}  // namespace
}  // namespace corelens
