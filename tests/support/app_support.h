#pragma once
// Scaffolding shared by the output, switch and batch tests: a scratch directory, whole-file
// reads and writes, and running a built program to capture its exit status and output.
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace corelens::app_test {

namespace fs = std::filesystem;

inline std::string read_file(const fs::path& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

inline void write_file(const fs::path& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

// A fresh directory, removed with everything in it when the object goes.
class ScratchDirectory {
public:
    ScratchDirectory() {
        std::random_device random;
        path_ = (fs::temp_directory_path() / ("corelens-test-" + std::to_string(random()) + "-" +
                                              std::to_string(random()))).string();
        fs::create_directories(path_);
    }
    ~ScratchDirectory() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    const std::string& path() const { return path_; }
    std::string path_of(const std::string& name) const {
        return path_ + static_cast<char>(fs::path::preferred_separator) + name;
    }
    // Names directly inside, except the one given.
    std::set<std::string> names(const fs::path& directory = {}, const std::string& except = {}) const {
        std::set<std::string> found;
        for (const auto& entry : fs::directory_iterator(directory.empty() ? fs::path(path_) : directory)) {
            const std::string name = entry.path().filename().string();
            if (name != except) found.insert(name);
        }
        return found;
    }
    // Removes everything inside, keeping the directory.
    void clear() const {
        std::error_code ignored;
        for (const auto& entry : fs::directory_iterator(path_)) fs::remove_all(entry.path(), ignored);
    }

private:
    std::string path_;
};

struct Outcome {
    int status = -1;  // the exit status, -1 when the program did not end normally
    std::string out, err;
};

#ifndef _WIN32
// Starts program with arguments; its output goes to files named after tag in scratch.
// in_child runs in the child just before the program starts (to change directory).
inline pid_t start_program(const std::string& program, std::vector<std::string> arguments,
                           const fs::path& scratch, const std::string& tag,
                           const std::function<void()>& in_child = {}) {
    arguments.insert(arguments.begin(), program);
    std::vector<char*> argv;
    for (std::string& word : arguments) argv.push_back(word.data());
    argv.push_back(nullptr);
    const std::string out_path = (scratch / (tag + ".out")).string();
    const std::string err_path = (scratch / (tag + ".err")).string();
    const pid_t pid = fork();
    if (pid == 0) {
        const int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(127);
        if (in_child) in_child();
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

inline Outcome finish_program(pid_t pid, const fs::path& scratch, const std::string& tag) {
    int status = 0;
    const bool exited = pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status);
    return {exited ? WEXITSTATUS(status) : -1, read_file(scratch / (tag + ".out")),
            read_file(scratch / (tag + ".err"))};
}

inline Outcome run_program(const std::string& program, const std::vector<std::string>& arguments,
                           const fs::path& scratch) {
    return finish_program(start_program(program, arguments, scratch, "run"), scratch, "run");
}
#else
// Starts program with tail after its quoted name, in directory; the exit code, or -1.
inline long run_program(const std::string& program, const std::string& tail, const std::string& directory) {
    std::string command_line = "\"" + program + "\" " + tail;
    std::vector<char> buffer(command_line.begin(), command_line.end());
    buffer.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, directory.c_str(),
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
#endif

}  // namespace corelens::app_test
