#include "app/shell.h"

#include <cstdio>

#include "app/startup.h"
#include "core/processor_record.h"
#include "platform/platform.h"
#include "report/fields.h"
#include "report/renderers.h"
#include "report/result_output.h"
#include "ui/view_model.h"

namespace corelens {

std::vector<BatchFailure> run_switches(const Switches& switches, const std::string& output_directory,
                                       bool program_path_too_long, ResultFiles& files) {
    const PlanInputs inputs{output_directory, [] { return platform::computer_file_name(); }, program_path_too_long};
    return run_batch_plan(plan_batch(switches, inputs), files, platform::k_path_separator);
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
    "Each argument is one switch, written exactly as above; NAME and DIRECTORY are\n"
    "the rest of their argument, blanks included. Files go to the current directory\n"
    "unless /p: names another. No file is ever overwritten: a taken name is numbered\n"
    "(corelens_results1.txt, ...). The exit status is 0 when every file was written,\n"
    "1 when one was not or the output failed (each failure is named on standard\n"
    "error), 2 for a usage error (anything else on the command line).\n";

// Result files without "/p:" go here: an installed program's own directory is not writable.
const char* const k_current_directory = ".";
const char* const k_program = "corelens";

// 0 when all of text reached standard output, 1 after a message saying why not.
int print(const std::string& text) {
    std::string reason;
    if (platform::write_standard_output(text, &reason)) return 0;
    platform::print_error(k_program, "write error: " + reason);
    return 1;
}

}  // namespace

int run_posix(int argc, char** argv) {
    platform::prepare_process();
    const Arguments arguments = read_arguments({argv + (argc > 0 ? 1 : 0), argv + argc});
    switch (arguments.action) {
    case Arguments::Action::help:
        return print(k_usage);
    case Arguments::Action::version:
        return print(std::string("corelens ") + k_version_text + "\n");
    case Arguments::Action::usage_error:
        // Answered before the probe, so a mistyped command line answers at once.
        platform::print_error(k_program, arguments.error);
        std::fputs(k_usage, stderr);
        return 2;
    case Arguments::Action::report:
    case Arguments::Action::json:
    case Arguments::Action::batch:
        break;
    }

    const std::string path = platform::program_path(argc > 0 && argv[0] != nullptr ? argv[0] : "");
    const StartupState state = start_up(path.c_str(), platform::k_path_separator);
    if (!state.cpu_supported) {
        std::fprintf(stderr, "%s\n", k_unsupported_cpu_message.text);
        return 1;
    }

    if (arguments.action == Arguments::Action::json) {
        return print(render_json_report(processor_record, gather_report_context()));
    }
    if (arguments.action == Arguments::Action::report) {
        // The command-line program has no window (corelens-gui has): the report goes to
        // standard output.
        return print(platform::terminal_text(render_text_report(processor_record, gather_report_context()) + "\r\n"));
    }

    ReportFiles files;
    const std::vector<BatchFailure> failures = run_switches(arguments.switches, k_current_directory, false, files);
    for (const BatchFailure& failure : failures) {
        platform::print_error(k_program, "cannot write " + failure.path + ": " + failure.reason);
    }
    return batch_exit_status(failures);
}
#endif

}  // namespace corelens
