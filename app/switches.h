#pragma once
// Batch mode's switches as pure evaluation, in two steps: which switches a command line
// holds (Windows searches its tail, POSIX reads its arguments one by one), then one
// planner that turns them into the files to write. Nothing here touches the file system,
// so both steps can be checked (and fuzzed) without writing anything.
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace corelens {

// The switches of a command line, each with its argument.
struct Switches {
    bool html = false;                     // "/h"
    std::optional<std::string> directory;  // "/p:"
    std::optional<std::string> name;       // "/f:", the name without its extension
    bool results = false;                  // "/f"
    bool computer = false;                 // "/c"
};

// Windows: each switch found by a case-sensitive substring search of the whole tail, its
// first occurrence used; "/c" inside a "/p:" directory counts. A "/p:" directory loses its
// quotes, a "/f:" name keeps them.
Switches find_switches(const std::string& tail);

// What a POSIX argument list asks for. Each argument is exactly one switch: "/h", "/f",
// "/c", "/p:DIR" or "/f:NAME" (DIR and NAME the rest of the argument, whole), or one of
// "-h", "--help", "--version"; the first of a switch given twice counts.
struct Arguments {
    enum class Action { report, batch, help, version, usage_error, json };
    Action action = Action::report;  // report: no arguments at all; json: "--json" alone
    Switches switches;
    std::string error;  // for usage_error: "unknown switch '/x'", "/p: needs a directory"
};
Arguments read_arguments(const std::vector<std::string>& arguments);

// Batch mode creates every file exclusively, numbering a taken name, whatever the switch;
// whether its path fits is decided when it is written.
struct PlannedFile {
    std::string switch_name;  // "/f:", "/f" or "/c"
    std::string directory;    // output directory, before the separator
    std::string name;         // file name with its extension, before numbering
    // Non-empty when the file cannot be written as asked (it would go beside a program
    // whose path is too long): nothing is written for it and the run fails.
    std::string refusal;
};

struct BatchPlan {
    std::string output_extension = "txt";
    std::string output_directory;
    std::vector<PlannedFile> files;  // in the order they are written
};

struct PlanInputs {
    std::string program_directory;  // the output directory unless "/p:" replaces it
    // The computer's name as a file name; read only for "/c".
    std::function<std::string()> computer_name;
    // The program's own path did not fit platform::k_path_capacity, so its directory is
    // not known for sure: files that would go there are refused.
    bool program_path_too_long = false;
};

extern const char* const k_program_path_too_long;  // refusal text for files beside such a program

// "/h", "/p:", "/f:", "/f" (only without "/f:") and "/c", in that order.
BatchPlan plan_batch(const Switches& switches, const PlanInputs& inputs);

// The path a planned file would have before numbering, for messages.
std::string planned_path(const PlannedFile& file, char separator);

}  // namespace corelens
