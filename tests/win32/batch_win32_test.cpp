// Runs the built corelens.exe as Windows starts it: a copy in a fresh directory, a command
// line with the program's name first, and its exit code.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "tests/support/app_support.h"

namespace corelens {
namespace {

namespace fs = std::filesystem;
using Names = std::set<std::string>;

std::string computer_name() {
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof name;
    return GetComputerNameA(name, &size) ? name : "";
}

class BatchWin32 : public ::testing::Test {
protected:
    void SetUp() override { fs::copy_file(CORELENS_BINARY_DIR "/app/corelens.exe", program_); }
    long run(const std::string& tail) { return app_test::run_program(program_, tail, home_.path()); }
    Names written(const fs::path& directory = {}) const { return home_.names(directory, "corelens.exe"); }

    app_test::ScratchDirectory home_;
    const std::string program_ = home_.path_of("corelens.exe");
};

TEST_F(BatchWin32, SwitchesWriteNumberAndReportFailures) {
    EXPECT_EQ(0, run("/f /c"));
    EXPECT_EQ((Names{"corelens_results.txt", computer_name() + ".txt"}), written());
    EXPECT_EQ(0u, app_test::read_file(home_.path_of("corelens_results.txt")).rfind("Corelens results:\r\n", 0));
    const std::string target = home_.path_of("My Results");
    fs::create_directory(target);
    EXPECT_EQ(0, run("/p:\"" + target + "\" /f:cpu /f"));
    EXPECT_EQ((Names{"cpu.txt"}), written(target)) << "/f: wins over /f";
    EXPECT_EQ(0, run("/f"));
    EXPECT_TRUE(fs::exists(home_.path_of("corelens_results1.txt"))) << "a second run must number";
    EXPECT_EQ(1, run("/p:" + home_.path_of("missing") + " /f"));
}

}  // namespace
}  // namespace corelens
