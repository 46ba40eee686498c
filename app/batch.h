#pragma once
// Carrying out a batch plan: every planned file is written under a name no file has yet,
// and every file that could not be written is recorded for the exit status.
#include <string>
#include <vector>

#include "app/switches.h"

namespace corelens {

// Where the files of a plan go. The program's writer renders and creates them; tests
// use one that records what would be written.
class ResultFiles {
public:
    virtual ~ResultFiles() = default;
    // Writes the report to a unique numbering of name in directory, never replacing a
    // file. Returns true when written; path receives the path written or tried, reason
    // why not.
    virtual bool write(const std::string& directory, const std::string& name, std::string& path,
                       std::string& reason) = 0;
};

// The program's writer: the processor record rendered with the local time and names.
class ReportFiles final : public ResultFiles {
public:
    bool write(const std::string& directory, const std::string& name, std::string& path,
               std::string& reason) override;
};

struct BatchFailure {
    std::string path;
    std::string reason;
};

// Writes the plan's files in order; a file that fails does not stop the next one.
std::vector<BatchFailure> run_batch_plan(const BatchPlan& plan, ResultFiles& files, char separator);

// 0 when every requested file was written (also when none was requested), 1 otherwise.
int batch_exit_status(const std::vector<BatchFailure>& failures);

}  // namespace corelens
