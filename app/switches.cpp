#include "app/switches.h"

#include <vector>

#include "app/strings.h"
#include "report/result_output.h"

namespace corelens {

const char* const k_refused_too_long = "File name too long";

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

bool holds_switch(const std::string& tail, SwitchSearch search) {
    // "/p:" and "/f:" begin with "/p" and "/f"; "/p" alone is no switch.
    for (const char* name : {"/h", "/p:", "/f", "/c"}) {
        if (find_switch(tail, name, search) != std::string::npos) return true;
    }
    return false;
}

namespace {

// One argument after a switch, cut into a buffer of the size the program uses. On a
// refusal, whole holds the argument as given, for the message.
struct Argument {
    bool fits = false;
    std::string text;
    std::string whole;
};

Argument take_argument(const std::string& tail, std::size_t from, bool strip_quotes) {
    const char* source = tail.c_str() + from;
    Argument argument;
    char buffer[k_path_capacity] = {};
    argument.fits = cut_argument(source, buffer, sizeof buffer, strip_quotes);
    if (argument.fits) {
        argument.text = buffer;
        argument.whole = buffer;
    } else {
        // Any argument fits a buffer as long as the tail itself.
        std::vector<char> unbounded(tail.size() + 1);
        cut_argument(source, unbounded.data(), unbounded.size(), strip_quotes);
        argument.whole = unbounded.data();
    }
    return argument;
}

bool fits_path(const std::string& text) { return text.size() < k_path_capacity; }

void add_file(BatchPlan& plan, const char* switch_name, const std::string& name, int mode,
              bool name_fits, bool directory_fits) {
    PlannedFile file;
    file.switch_name = switch_name;
    file.directory = plan.output_directory;
    file.name = name;
    file.mode = mode;
    // The numbered path is checked again when the file is made; a path that cannot fit
    // before numbering is refused here already.
    const bool path_fits = fits_path(file.directory + '/' + file.name);
    if (!name_fits || !directory_fits || !path_fits) file.refusal = k_refused_too_long;
    plan.files.push_back(std::move(file));
}

}  // namespace

BatchPlan plan_batch(const SwitchInputs& inputs) {
    const std::string& tail = inputs.tail;
    const auto find = [&](const char* name) { return find_switch(tail, name, inputs.search); };

    BatchPlan plan;
    plan.output_directory = inputs.program_directory;
    bool directory_fits = fits_path(plan.output_directory);

    if (find("/h") != std::string::npos) plan.output_extension = "html";

    const std::size_t directory_at = find("/p:");
    if (directory_at != std::string::npos) {
        const Argument directory = take_argument(tail, directory_at + 3, true);
        plan.output_directory = directory.whole;
        directory_fits = directory.fits;
    }

    const std::size_t name_at = find("/f:");
    if (name_at != std::string::npos) {
        // On POSIX the quotes around a name are the tail formation's, never part of the name.
        const Argument name = take_argument(tail, name_at + 3, inputs.search == SwitchSearch::argument_start);
        const std::string file_name = name.whole + '.' + plan.output_extension;
        add_file(plan, "/f:", file_name, k_create_new, name.fits && fits_path(file_name), directory_fits);
    } else if (find("/f") != std::string::npos) {
        add_file(plan, "/f", "corelens_results." + plan.output_extension, k_create_always, true,
                 directory_fits);
    }

    if (find("/c") != std::string::npos) {
        const std::string computer = inputs.computer_name ? inputs.computer_name() : std::string();
        const std::string file_name = computer + '.' + plan.output_extension;
        add_file(plan, "/c", file_name, k_create_always, fits_path(computer) && fits_path(file_name),
                 directory_fits);
    }
    return plan;
}

std::string planned_path(const PlannedFile& file, char separator) {
    return file.directory + separator + file.name;
}

}  // namespace corelens
