// Command lines of any bytes through the tail formation, the switch evaluation under both
// search rules, and a batch run whose writer records where each file would go.
//
// Input, split at line feeds: an options line (first byte odd: POSIX arguments, else a
// Windows command line; the next four bytes: which name lookups find a file, the four
// after: which writes fail), the program's directory, the computer's name, then the
// Windows command line (the rest, line feeds kept) or one POSIX argument per line.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/batch.h"
#include "app/command_line.h"
#include "app/switches.h"
#include "fuzz/fuzz_check.h"
#include "platform/platform.h"
#include "report/result_output.h"

namespace corelens::fuzz {
namespace {

constexpr char k_separator = platform::k_path_separator;

std::vector<std::string> split_lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            return lines;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

std::uint32_t word_at(const std::string& text, std::size_t at) {
    std::uint32_t word = 0;
    for (std::size_t i = at; i < at + 4 && i < text.size(); ++i) {
        word = (word << 8) | static_cast<unsigned char>(text[i]);
    }
    return word;
}

// A weaker reading of the switch rules than the program's: a switch can only be present
// where its letters stand (at an argument start, for the POSIX rule), and one at the very
// start of the tail always is.
bool could_be_present(const std::string& tail, const std::string& name, SwitchSearch search) {
    for (std::size_t i = tail.find(name); i != std::string::npos; i = tail.find(name, i + 1)) {
        if (search == SwitchSearch::substring || i == 0 || tail[i - 1] == ' ') return true;
    }
    return false;
}
bool surely_present(const std::string& tail, const std::string& name) {
    return tail.compare(0, name.size(), name) == 0;
}

// True when leaf is name, or name numbered: the base, a counter from 1, the extension.
bool is_numbering_of(const std::string& leaf, const std::string& name) {
    if (leaf == name) return true;
    const std::size_t dot = name.rfind('.');
    const std::string base = dot == std::string::npos ? name : name.substr(0, dot);
    const std::string extension = dot == std::string::npos ? std::string() : name.substr(dot);
    if (leaf.size() <= base.size() + extension.size()) return false;
    if (!starts_with(leaf, base) || !ends_with(leaf, extension)) return false;
    const std::string counter = leaf.substr(base.size(), leaf.size() - base.size() - extension.size());
    if (counter[0] == '0') return false;
    for (char c : counter) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

struct WriteCall {
    std::string directory;
    std::string name;
    int mode = 0;
};

// Numbers each name against a directory whose taken names the input chooses, the way the
// program's writer does, and fails the writes the input chooses.
class RecordingFiles final : public ResultFiles {
public:
    RecordingFiles(std::uint32_t taken, std::uint32_t failing) : taken_(taken), failing_(failing) {}

    bool write(const std::string& directory, const std::string& name, int mode, std::string& path,
               std::string& reason) override {
        calls.push_back({directory, name, mode});
        OutputFileSystem file_system;
        int lookups = 0;
        file_system.name_exists = [&](const std::string& in, const std::string&) {
            check(in == directory, "numbering looked in another directory", in + " / " + directory);
            const bool taken = lookups < 32 && ((taken_ >> lookups) & 1u) != 0;
            ++lookups;
            return taken;
        };
        std::string numbered = name;
        if (make_unique_file_name(directory, numbered, file_system) != 1) {
            check(numbered == name, "a refused numbering changed the name", numbered);
            reason = "too long once numbered";
            results.push_back(false);
            return false;
        }
        check(numbered.size() < k_path_capacity, "numbered path over 259 characters", numbered);
        const std::string prefix = directory + k_separator;
        check(starts_with(numbered, prefix), "file outside the output directory", numbered);
        check(is_numbering_of(numbered.substr(prefix.size()), name), "not a numbering of the name",
              numbered + " from " + name);
        path = numbered;
        const bool fails = ((failing_ >> (calls.size() - 1) % 32) & 1u) != 0;
        if (fails) reason = "staged failure";
        results.push_back(!fails);
        return !fails;
    }

    std::vector<WriteCall> calls;
    std::vector<bool> results;  // what each call answered

private:
    std::uint32_t taken_;
    std::uint32_t failing_;
};

void check_plan(const std::string& tail, const std::string& program_directory,
                const std::string& computer, SwitchSearch search, std::uint32_t taken,
                std::uint32_t failing) {
    SwitchInputs inputs;
    inputs.tail = tail;
    inputs.program_directory = program_directory;
    int computer_reads = 0;
    inputs.computer_name = [&] {
        ++computer_reads;
        return computer;
    };
    inputs.search = search;
    const BatchPlan plan = plan_batch(inputs);

    const std::string extension = plan.output_extension;
    check(extension == "txt" || extension == "html", "unknown extension", extension);
    check((extension == "html") <= could_be_present(tail, "/h", search), "html without /h", tail);
    if (surely_present(tail, "/h")) check(extension == "html", "/h at the start ignored", tail);
    if (!could_be_present(tail, "/p:", search)) {
        check(plan.output_directory == program_directory, "directory changed without /p:", tail);
    }

    int named = 0, plain = 0, computer_files = 0;
    for (std::size_t i = 0; i < plan.files.size(); ++i) {
        const PlannedFile& file = plan.files[i];
        const std::string path = planned_path(file, k_separator);
        check(file.directory == plan.output_directory, "file planned outside the output directory", path);
        check(ends_with(file.name, "." + extension), "name without the run's extension", file.name);
        // Refused exactly when the unnumbered path cannot fit: never cut to fit.
        check(file.refusal.empty() == (path.size() < k_path_capacity), "refusal does not follow the length",
              std::to_string(path.size()) + " " + file.refusal);
        if (file.switch_name == "/f:") {
            ++named;
            check(file.mode == k_create_new, "/f: not created new");
            check(i == 0, "/f: not first");
            const std::string base = file.name.substr(0, file.name.size() - extension.size() - 1);
            const std::size_t at = find_switch(tail, "/f:", search) + 3;
            if (search == SwitchSearch::substring) {
                // The name is the whole argument after "/f:", as it stands in the tail.
                check(tail.compare(at, base.size(), base) == 0, "/f: name is not the argument", base);
                const std::size_t after = at + base.size();
                check(after == tail.size() || tail[after] == ' ' || tail[after] == '\0', "/f: name cut short", base);
            } else {
                // POSIX drops the quotes; what is left stands in the tail in order.
                std::size_t next = at;
                bool in_order = true;
                for (const char c : base) {
                    const std::size_t found = in_order ? tail.find(c, next) : std::string::npos;
                    in_order = found != std::string::npos;
                    next = found + 1;
                }
                check(in_order, "/f: name is not from the argument", base);
            }
        } else if (file.switch_name == "/f") {
            ++plain;
            check(file.mode == k_create_always && i == 0, "/f planned wrongly");
            check(file.name == "corelens_results." + extension, "/f name", file.name);
        } else if (file.switch_name == "/c") {
            ++computer_files;
            check(file.mode == k_create_always && i + 1 == plan.files.size(), "/c planned wrongly");
            check(file.name == computer + "." + extension, "/c name", file.name);
        } else {
            check(false, "unknown switch planned", file.switch_name);
        }
    }
    check(named + plain <= 1, "both /f: and /f planned", tail);
    if (named + plain == 1) check(could_be_present(tail, "/f", search), "file without /f", tail);
    if (surely_present(tail, "/f")) check(named + plain == 1, "/f at the start ignored", tail);
    check(computer_files <= 1 && computer_files == computer_reads, "/c evaluated more than once", tail);
    if (computer_files == 1) check(could_be_present(tail, "/c", search), "/c without /c", tail);
    if (surely_present(tail, "/c")) check(computer_files == 1, "/c at the start ignored", tail);

    RecordingFiles files(taken, failing);
    const std::vector<BatchFailure> failures = run_batch_plan(plan, files, k_separator);
    std::size_t call = 0, failure = 0;
    for (const PlannedFile& file : plan.files) {
        if (!file.refusal.empty()) {
            check(failure < failures.size() && failures[failure].path == planned_path(file, k_separator) &&
                      failures[failure].reason == file.refusal,
                  "refused file not reported as failed", planned_path(file, k_separator));
            ++failure;
            continue;
        }
        check(call < files.calls.size() && files.calls[call].name == file.name &&
                  files.calls[call].directory == file.directory && files.calls[call].mode == file.mode,
              "planned file not handed to the writer", file.name);
        if (!files.results[call]) {
            check(failure < failures.size() && !failures[failure].reason.empty(), "failed write not reported",
                  file.name);
            ++failure;
        }
        ++call;
    }
    check(call == files.calls.size(), "writer called for a refused file");
    check(failure == failures.size(), "failures reported for files that were written");
    for (const BatchFailure& each : failures) {
        check(!each.path.empty() && !each.reason.empty(), "failure without path or reason", each.path);
    }
    check(batch_exit_status(failures) == (failures.empty() ? 0 : 1), "exit status");
}

}  // namespace
}  // namespace corelens::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace corelens;
    const std::vector<std::string> lines =
        fuzz::split_lines(std::string(reinterpret_cast<const char*>(data), size));
    if (lines.size() < 4) return 0;
    const std::string& options = lines[0];
    const bool posix = !options.empty() && (static_cast<unsigned char>(options[0]) & 1u) != 0;
    const std::uint32_t taken = fuzz::word_at(options, 1);
    const std::uint32_t failing = fuzz::word_at(options, 5);

    std::string tail;
    if (posix) {
        tail = posix_command_tail(std::vector<std::string>(lines.begin() + 3, lines.end()));
    } else {
        std::string command_line = lines[3];
        for (std::size_t i = 4; i < lines.size(); ++i) command_line += '\n' + lines[i];
        tail = windows_command_tail(command_line.c_str());
    }
    for (const SwitchSearch search : {SwitchSearch::substring, SwitchSearch::argument_start}) {
        fuzz::check_plan(tail, lines[1], lines[2], search, taken, failing);
    }
    return 0;
}
