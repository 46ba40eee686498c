#include "app/shell.h"

#include <cstdio>

#include "app/command_line.h"
#include "app/startup.h"
#include "core/processor_record.h"
#include "platform/platform.h"
#include "report/fields.h"
#include "report/renderers.h"
#include "report/result_output.h"
#include "ui/view_model.h"

namespace corelens {

std::vector<BatchFailure> run_switches(const std::string& tail, const std::string& output_directory,
                                       bool program_path_too_long, SwitchSearch search, ResultFiles& files) {
    SwitchInputs inputs;
    inputs.tail = tail;
    inputs.program_directory = output_directory;
    inputs.computer_name = [] { return platform::computer_name(); };
    inputs.search = search;
    inputs.program_path_too_long = program_path_too_long;
    return run_batch_plan(plan_batch(inputs), files, platform::k_path_separator);
}

#ifndef _WIN32
namespace {

const char* const k_usage =
    "usage: corelens [/h] [/p:DIRECTORY] [/f | /f:NAME] [/c]\n"
    "       corelens --json | -h | --help | --version\n"
    "\n"
    "Without arguments, corelens prints this processor's report on standard output\n"
    "(with --json as one JSON object).\n"
    "With switches it writes result files instead:\n"
    "  /f            the report as corelens_results.txt\n"
    "  /f:NAME       the report as NAME.txt\n"
    "  /c            the report named after this computer, COMPUTER.txt\n"
    "  /h            HTML files (.html) instead of text\n"
    "  /p:DIRECTORY  the files go to DIRECTORY instead of the current directory\n"
    "\n"
    "Files go to the current directory unless /p: names another. No file is ever\n"
    "overwritten: a taken name is numbered (corelens_results1.txt, ...). The exit\n"
    "status is 0 when every file was written, 1 when one was not (each failure is\n"
    "named on standard error), 2 for a command line without a switch.\n";

// Result files without "/p:" go here: an installed program's own directory is not writable.
const char* const k_current_directory = ".";

}  // namespace

int run_posix(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    for (const std::string& argument : arguments) {
        if (argument == "-h" || argument == "--help") {
            std::fputs(k_usage, stdout);
            return 0;
        }
        if (argument == "--version") {
            std::printf("corelens %s\n", k_version_text);
            return 0;
        }
    }
    // --json alone: the report as JSON instead of text.
    const bool json = arguments.size() == 1 && arguments[0] == "--json";
    const std::string tail = json ? std::string() : posix_command_tail(arguments);
    // Checked before the probe, so a mistyped command line answers at once.
    if (!tail.empty() && !holds_switch(tail, SwitchSearch::argument_start)) {
        std::fprintf(stderr, "corelens: no switch at the start of any argument\n%s", k_usage);
        return 2;
    }

    const std::string path = platform::program_path(argc > 0 && argv[0] != nullptr ? argv[0] : "");
    const StartupState state = start_up(path.c_str(), platform::k_path_separator);
    if (!state.cpu_supported) {
        std::fprintf(stderr, "%s\n", k_unsupported_cpu_message.text);
        return 1;
    }

    if (tail.empty()) {
        // The command-line program has no window (corelens-gui has): the report goes to
        // standard output.
        const std::string report =
            json ? render_json_report(processor_record, gather_report_context())
                 : platform::terminal_text(render_text_report(processor_record, gather_report_context()) + "\r\n");
        std::fwrite(report.data(), 1, report.size(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }

    ReportFiles files;
    const std::vector<BatchFailure> failures =
        run_switches(tail, k_current_directory, false, SwitchSearch::argument_start, files);
    for (const BatchFailure& failure : failures) std::fprintf(stderr, "%s\n", failure_message(failure).c_str());
    return batch_exit_status(failures);
}
#endif

}  // namespace corelens
