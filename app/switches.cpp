#include "app/switches.h"

#include "app/strings.h"

namespace corelens {

const char* const k_program_path_too_long = "the program's path is longer than 259 characters";

namespace {

// Where a switch begins in tail, or std::string::npos.
std::size_t find_switch(const std::string& tail, const std::string& name, SwitchSearch search) {
    if (search == SwitchSearch::substring) return tail.find(name);

    bool inside_quotes = false;
    for (std::size_t i = 0; i < tail.size(); ++i) {
        const bool starts_argument = i == 0 || (tail[i - 1] == ' ' && !inside_quotes);
        if (starts_argument && tail.compare(i, name.size(), name) == 0) return i;
        if (tail[i] == '"') inside_quotes = !inside_quotes;
    }
    return std::string::npos;
}

void add_file(BatchPlan& plan, const char* switch_name, const std::string& name, const std::string& refusal) {
    plan.files.push_back({switch_name, plan.output_directory, name, refusal});
}

}  // namespace

bool holds_switch(const std::string& tail, SwitchSearch search) {
    // "/p:" and "/f:" begin with "/p" and "/f"; "/p" alone is no switch.
    for (const char* name : {"/h", "/p:", "/f", "/c"}) {
        if (find_switch(tail, name, search) != std::string::npos) return true;
    }
    return false;
}

BatchPlan plan_batch(const SwitchInputs& inputs) {
    const std::string& tail = inputs.tail;
    const auto find = [&](const char* name) { return find_switch(tail, name, inputs.search); };

    BatchPlan plan;
    plan.output_directory = inputs.program_directory;
    std::string refusal = inputs.program_path_too_long ? k_program_path_too_long : "";

    if (find("/h") != std::string::npos) plan.output_extension = "html";

    const std::size_t directory_at = find("/p:");
    if (directory_at != std::string::npos) {
        plan.output_directory = cut_argument(tail.c_str() + directory_at + 3, true);
        refusal.clear();
    }

    const std::size_t name_at = find("/f:");
    if (name_at != std::string::npos) {
        // On POSIX the quotes around a name are the tail formation's, never part of the name.
        const std::string name = cut_argument(tail.c_str() + name_at + 3, inputs.search == SwitchSearch::argument_start);
        add_file(plan, "/f:", name + '.' + plan.output_extension, refusal);
    } else if (find("/f") != std::string::npos) {
        add_file(plan, "/f", "corelens_results." + plan.output_extension, refusal);
    }

    if (find("/c") != std::string::npos) {
        const std::string computer = inputs.computer_name ? inputs.computer_name() : std::string();
        add_file(plan, "/c", computer + '.' + plan.output_extension, refusal);
    }
    return plan;
}

std::string planned_path(const PlannedFile& file, char separator) {
    return file.directory + separator + file.name;
}

}  // namespace corelens
