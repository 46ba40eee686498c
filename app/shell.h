#pragma once
// What both entry points do after start-up in batch mode, and the POSIX program's run.
#include <string>
#include <vector>

#include "app/batch.h"
#include "app/switches.h"

namespace corelens {

// Plans the files of switches and writes them through files, into output_directory unless
// "/p:" names another (refused there when program_path_too_long). Returns the failed
// files; the exit status follows from them.
std::vector<BatchFailure> run_switches(const Switches& switches, const std::string& output_directory,
                                       bool program_path_too_long, ResultFiles& files);

#ifndef _WIN32
// The POSIX program: --help, --version and usage errors answered at once; otherwise
// start-up, then the report on standard output without arguments or the switches, writing
// to the current directory unless "/p:" names one. Returns the exit status.
int run_posix(int argc, char** argv);
#endif

}  // namespace corelens
