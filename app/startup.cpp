#include "app/startup.h"

#include <cstring>

#include "app/command_line.h"
#include "core/probe.h"
#include "core/processor_record.h"
#include "report/result_output.h"
#include "tables/reference_tables.h"

namespace corelens {

StartupState start_up(const char* program_path, char separator, const std::function<int()>& probe) {
    build_reference_tables();

    StartupState state;
    state.program_directory = program_directory_of(program_path, separator);
    // A directory too long for the buffer stays whole here; batch mode refuses it. So it
    // does when the program's path alone is too long: the whole path stands in for the
    // directory, never a cut or empty one (the root of the drive).
    const std::size_t length = program_path != nullptr ? std::strlen(program_path) : 0;
    state.output_directory = length < k_path_capacity ? state.program_directory : std::string(program_path, length);

    state.cpu_supported = probe && probe() != 0;
    return state;
}

StartupState start_up(const char* program_path, char separator) {
    return start_up(program_path, separator, [] { return probe_processor(processor_record); });
}

}  // namespace corelens
