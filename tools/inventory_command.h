#pragma once
// corelens-cpuid inventory: result files and folders in, one row per computer out.
#include <string>
#include <vector>

namespace corelens {

// The arguments after "inventory"; returns the exit status (0, 1 when a file was skipped,
// 2 for a usage error).
int inventory_command(const std::vector<std::string>& arguments);

}  // namespace corelens
