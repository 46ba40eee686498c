#pragma once
// Writing rendered reports to files: result files with unique names, and the save that
// replaces a chosen file. No window: ui/ asks the user.
#include <cstddef>
#include <functional>
#include <string>

#include "core/processor_record.h"
#include "platform/platform.h"
#include "report/renderers.h"

namespace corelens {

constexpr int k_create_new = 1;     // fails when the file exists
constexpr int k_create_always = 2;  // creates, or empties an existing file in place
constexpr std::size_t k_path_capacity = 260;  // bytes, NUL included
constexpr std::size_t k_save_path_limit = 255;  // longest path save_results accepts

// The open file a save writes to, as OutputFileSystem::write_all sees it.
class OutputSink {
public:
    virtual ~OutputSink() = default;
    virtual bool write_all(const char* data, std::size_t size, std::string* reason) = 0;
};

// The file-system steps result output takes, replaceable so that tests can stage what the
// machine will not do on request: a name taken right after the existence test, a write
// that fails half-way. An empty member means the platform's own.
struct OutputFileSystem {
    // True when a file (of any kind) of this name is in that directory.
    std::function<bool(const std::string& directory, const std::string& name)> name_exists;
    // Writes size bytes to the open file; false (and reason) when not all were written.
    std::function<bool(OutputSink& sink, const char* data, std::size_t size,
                       std::string* reason)>
        write_all;
};

// True when name is longer than extension and ends with exactly its characters.
bool has_extension(const std::string& extension, const std::string& name);

// Numbers name (base, counter, extension) until no file of that name is in directory,
// then rewrites name as directory, separator, candidate. Returns 1; returns 0 and leaves
// name alone when the result would not fit k_path_capacity.
int make_unique_file_name(const std::string& directory, std::string& name);
int make_unique_file_name(const std::string& directory, std::string& name,
                          const OutputFileSystem& file_system);

// Renders the HTML report when path ends in "html", the text report otherwise, and writes
// all of it or reports the failure: returns 1 when written; on 0, reason says why, and a
// file the save created is removed again (one it emptied stays).
int save_results(const std::string& path, int mode, const ProcessorRecord& record,
                 const ReportContext& context, std::string* reason = nullptr);
int save_results(const std::string& path, int mode, const ProcessorRecord& record,
                 const ReportContext& context, std::string* reason,
                 const OutputFileSystem& file_system);
// The program's record, with the local time and names read from the platform now.
int save_results(const std::string& path, int mode, std::string* reason = nullptr);

// Batch mode: numbers name in directory as make_unique_file_name does and creates the file
// exclusively whatever the mode; a name taken between the existence test and the creation
// makes the numbering go on. Never overwrites. Returns 1 and the full path in
// written_path when written; on 0, reason says why (written_path then holds the path that
// failed, or the unnumbered one when none could be formed).
int save_unique_results(const std::string& directory, const std::string& name, int mode,
                        const ProcessorRecord& record, const ReportContext& context,
                        std::string* written_path = nullptr, std::string* reason = nullptr);
int save_unique_results(const std::string& directory, const std::string& name, int mode,
                        const ProcessorRecord& record, const ReportContext& context,
                        std::string* written_path, std::string* reason,
                        const OutputFileSystem& file_system);
// The program's record, with the local time and names read from the platform now.
int save_unique_results(const std::string& directory, const std::string& name, int mode,
                        std::string* written_path = nullptr, std::string* reason = nullptr);

// The local time, user and computer names, as the reports need them.
ReportContext gather_report_context();

}  // namespace corelens
