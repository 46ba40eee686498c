#include "app/switches.h"

#include "app/strings.h"

namespace corelens {

const char* const k_program_path_too_long = "the program's path is longer than 259 characters";

namespace {

void add_file(BatchPlan& plan, const char* switch_name, const std::string& name, const std::string& refusal) {
    plan.files.push_back({switch_name, plan.output_directory, name, refusal});
}

Arguments usage_error(const std::string& error) {
    Arguments result;
    result.action = Arguments::Action::usage_error;
    result.error = error;
    return result;
}

}  // namespace

Switches find_switches(const std::string& tail) {
    Switches found;
    const auto after = [&](const char* name) -> const char* {
        const std::size_t at = tail.find(name);
        return at == std::string::npos ? nullptr : tail.c_str() + at + std::string(name).size();
    };
    found.html = after("/h") != nullptr;
    if (const char* directory = after("/p:")) found.directory = cut_argument(directory, true);
    if (const char* name = after("/f:")) found.name = cut_argument(name, false);
    found.results = after("/f") != nullptr;
    found.computer = after("/c") != nullptr;
    return found;
}

Arguments read_arguments(const std::vector<std::string>& arguments) {
    Arguments result;
    Switches& switches = result.switches;
    bool json = false;
    for (const std::string& argument : arguments) {
        const std::string rest = argument.size() > 3 ? argument.substr(3) : std::string();
        const std::string prefix = argument.substr(0, 3);
        if (argument == "-h" || argument == "--help") {
            result.action = Arguments::Action::help;
            return result;
        } else if (argument == "--version") {
            result.action = Arguments::Action::version;
            return result;
        } else if (argument == "--json") {
            json = true;
            continue;
        } else if (argument == "/h") {
            switches.html = true;
        } else if (argument == "/f") {
            switches.results = true;
        } else if (argument == "/c") {
            switches.computer = true;
        } else if (prefix == "/p:" || prefix == "/f:") {
            // An empty directory would be the file system's root, an empty name a hidden file.
            if (rest.empty()) return usage_error(prefix + (prefix == "/p:" ? " needs a directory" : " needs a name"));
            std::optional<std::string>& value = prefix == "/p:" ? switches.directory : switches.name;
            if (!value) value = rest;
        } else {
            return usage_error("unknown switch '" + argument + "'");
        }
        result.action = Arguments::Action::batch;
    }
    if (json) {
        // The JSON goes to standard output; result files are batch mode's.
        if (result.action == Arguments::Action::batch) return usage_error("--json takes no switches");
        result.action = Arguments::Action::json;
    }
    return result;
}

BatchPlan plan_batch(const Switches& switches, const PlanInputs& inputs) {
    BatchPlan plan;
    plan.output_directory = inputs.program_directory;
    std::string refusal = inputs.program_path_too_long ? k_program_path_too_long : "";

    if (switches.html) plan.output_extension = "html";
    if (switches.directory) {
        plan.output_directory = *switches.directory;
        refusal.clear();
    }
    if (switches.name) {
        add_file(plan, "/f:", *switches.name + '.' + plan.output_extension, refusal);
    } else if (switches.results) {
        add_file(plan, "/f", "corelens_results." + plan.output_extension, refusal);
    }
    if (switches.computer) {
        const std::string computer = inputs.computer_name ? inputs.computer_name() : std::string();
        add_file(plan, "/c", computer + '.' + plan.output_extension, refusal);
    }
    return plan;
}

std::string planned_path(const PlannedFile& file, char separator) {
    return file.directory + separator + file.name;
}

}  // namespace corelens
