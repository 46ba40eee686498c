#include "app/startup.h"

#include "app/command_line.h"
#include "core/probe.h"
#include "core/processor_record.h"
#include "platform/platform.h"
#include "tables/reference_tables.h"

namespace corelens {

StartupState start_up(const char* program_path, char separator, const std::function<int()>& probe) {
    build_reference_tables();

    StartupState state;
    state.program_directory = program_directory_of(program_path, separator);
    state.program_path_too_long = program_path != nullptr && !platform::path_fits(program_path);

    state.cpu_supported = probe && probe() != 0;
    return state;
}

StartupState start_up(const char* program_path, char separator) {
    return start_up(program_path, separator, [] { return probe_processor(processor_record); });
}

}  // namespace corelens
