#include "app/shell.h"

#include <cstdio>

#include "app/command_line.h"
#include "app/startup.h"
#include "core/processor_record.h"
#include "platform/platform.h"
#include "report/renderers.h"
#include "report/result_output.h"

namespace corelens {

std::vector<BatchFailure> run_switches(const std::string& tail, const std::string& output_directory,
                                       SwitchSearch search, ResultFiles& files) {
    SwitchInputs inputs;
    inputs.tail = tail;
    inputs.program_directory = output_directory;
    inputs.computer_name = [] { return platform::computer_name(); };
    inputs.search = search;
    return run_batch_plan(plan_batch(inputs), files, platform::k_path_separator);
}

#ifndef _WIN32
int run_posix(int argc, char** argv) {
    const std::string path = platform::program_path(argc > 0 && argv[0] != nullptr ? argv[0] : "");
    const StartupState state = start_up(path.c_str(), platform::k_path_separator);
    if (!state.cpu_supported) {
        std::fprintf(stderr, "%s\n", k_unsupported_cpu_text);
        return 1;
    }

    const std::string tail = posix_command_tail(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
    if (tail.empty()) {
        // No window on POSIX yet: the report goes to standard output.
        const std::string report =
            platform::terminal_text(render_text_report(processor_record, gather_report_context()) + "\r\n");
        std::fwrite(report.data(), 1, report.size(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }

    ReportFiles files;
    const std::vector<BatchFailure> failures =
        run_switches(tail, state.output_directory, SwitchSearch::argument_start, files);
    for (const BatchFailure& failure : failures) std::fprintf(stderr, "%s\n", failure_message(failure).c_str());
    return batch_exit_status(failures);
}
#endif

}  // namespace corelens
