#include "app/batch.h"

#include "report/result_output.h"

namespace corelens {

bool ReportFiles::write(const std::string& directory, const std::string& name, std::string& path,
                        std::string& reason) {
    return save_unique_results(directory, name, &path, &reason) == 1;
}

std::vector<BatchFailure> run_batch_plan(const BatchPlan& plan, ResultFiles& files, char separator) {
    std::vector<BatchFailure> failures;
    for (const PlannedFile& file : plan.files) {
        if (!file.refusal.empty()) {
            failures.push_back({planned_path(file, separator), file.refusal});
            continue;
        }
        std::string path;
        std::string reason;
        if (!files.write(file.directory, file.name, path, reason)) {
            if (path.empty()) path = planned_path(file, separator);
            if (reason.empty()) reason = "not written";
            failures.push_back({path, reason});
        }
    }
    return failures;
}

int batch_exit_status(const std::vector<BatchFailure>& failures) { return failures.empty() ? 0 : 1; }

}  // namespace corelens
