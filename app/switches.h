#pragma once
// Batch mode's switches as a pure evaluation: from the command-line tail to the plan of
// files to write. Nothing here touches the file system, so the plan can be checked (and
// fuzzed) without writing anything.
#include <functional>
#include <string>
#include <vector>

namespace corelens {

// How a switch is found in the tail.
enum class SwitchSearch {
    // Windows: a case-sensitive substring search of the whole tail, first occurrence;
    // "/c" inside a "/p:" directory counts.
    substring,
    // POSIX: the same, but only where an argument begins (start of the tail, or after a
    // blank outside double quotes), so "/p:/home/x" holds no "/h"; a "/f:" name loses its
    // quotes as a "/p:" directory does.
    argument_start,
};

// True when any of "/h", "/p:", "/f:", "/f" or "/c" is found in tail.
bool holds_switch(const std::string& tail, SwitchSearch search);

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

struct SwitchInputs {
    std::string tail;
    std::string program_directory;  // the output directory unless "/p:" replaces it
    std::function<std::string()> computer_name;  // read only for "/c"
    SwitchSearch search = SwitchSearch::substring;
    // The program's own path did not fit platform::k_path_capacity, so its directory is
    // not known for sure: files that would go there are refused.
    bool program_path_too_long = false;
};

extern const char* const k_program_path_too_long;  // refusal text for files beside such a program

// Evaluates "/h", "/p:", "/f:", "/f" (only without "/f:") and "/c" in that order.
BatchPlan plan_batch(const SwitchInputs& inputs);

// The path a planned file would have before numbering, for messages.
std::string planned_path(const PlannedFile& file, char separator);

}  // namespace corelens
