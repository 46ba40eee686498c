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

// save_results' modes are the platform's creation modes.
using platform::k_create_always;
using platform::k_create_new;

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

// Why a path was not written: it does not fit platform::k_path_capacity as asked, or
// only a numbered one was free and that one would not.
extern const char* const k_path_too_long;           // "the path is longer than 259 characters"
extern const char* const k_numbered_path_too_long;

enum class ReportFormat { text, html };

// What a result file's name asks for: HTML when it ends in "html", text otherwise.
ReportFormat format_of(const std::string& path);

// Renders the report in the format path's name asks for and writes all of it or reports the
// failure: returns 1 when written; on 0, reason says why, and a file the save created is
// removed again (one it emptied stays).
int save_results(const std::string& path, int mode, const ProcessorRecord& record,
                 const ReportContext& context, std::string* reason = nullptr,
                 const OutputFileSystem& file_system = {});
// The program's record in format, with the local time and names read from the platform now.
int save_results(const std::string& path, int mode, ReportFormat format, std::string* reason = nullptr);

// Batch mode: the first of name, then base, counter, extension (split at the last dot, the
// counter from 1) that no file in directory has, created exclusively; a name taken between
// the existence test and the creation makes the numbering go on. Never overwrites. Returns
// 1 and the full path in written_path when written; on 0, reason says why (written_path
// then holds the path that failed, or the unnumbered one when none could be formed).
int save_unique_results(const std::string& directory, const std::string& name,
                        const ProcessorRecord& record, const ReportContext& context,
                        std::string* written_path = nullptr, std::string* reason = nullptr,
                        const OutputFileSystem& file_system = {});
// The program's record, with the local time and names read from the platform now.
int save_unique_results(const std::string& directory, const std::string& name,
                        std::string* written_path = nullptr, std::string* reason = nullptr);

// The local time, user and computer names, as the reports need them.
ReportContext gather_report_context();

}  // namespace corelens
