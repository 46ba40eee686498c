#pragma once
// Start-up shared by both entry points: tables, directories and the probe, in that order.
#include <functional>
#include <string>

namespace corelens {

struct StartupState {
    std::string program_directory;  // no trailing separator; empty when the path has none
    // The program's path does not fit platform::k_path_capacity: batch mode refuses the
    // files it would write beside the program, never writing them anywhere else.
    bool program_path_too_long = false;
    bool cpu_supported = false;
};

// Builds the reference tables, works out the directories from the program's path, then
// runs probe (which fills the program's record and answers 0 without CPUID).
StartupState start_up(const char* program_path, char separator, const std::function<int()>& probe);
// The same with the program's own probe.
StartupState start_up(const char* program_path, char separator);

}  // namespace corelens
