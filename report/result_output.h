#pragma once
// Delivering a rendered report: result files with unique names, the clipboard, the
// save-file dialog.
#include <string>

#include "core/processor_record.h"
#include "report/renderers.h"

namespace corelens {

using WindowHandle = void*;  // HWND on Windows

constexpr int k_create_new = 1;     // fails when the file exists
constexpr int k_create_always = 2;  // creates, or replaces an existing file
constexpr std::size_t k_path_capacity = 260;  // bytes, NUL included

// True when name is longer than extension and ends with exactly its characters.
bool has_extension(const std::string& extension, const std::string& name);

// Numbers name (base, counter, extension) until no file of that name is in directory,
// then rewrites name as directory, separator, candidate. Returns 1; returns 0 and leaves
// name alone when the result would not fit k_path_capacity.
int make_unique_file_name(const std::string& directory, std::string& name);

// Renders the HTML report when path ends in "html", the text report otherwise, and writes
// all of it or nothing. Returns 1 when written; on 0, reason says why.
int save_results(const std::string& path, int mode, const ProcessorRecord& record,
                 const ReportContext& context, std::string* reason = nullptr);
// The program's record, with the local time and names read from the platform now.
int save_results(const std::string& path, int mode, std::string* reason = nullptr);

// The local time, user and computer names, as the reports need them.
ReportContext gather_report_context();

// Windows: the text report onto the clipboard as CF_TEXT; a message box on failure.
void copy_results_to_clipboard(WindowHandle owner);
// Windows: the save-file dialog. path holds the proposed name, and on 1 the chosen path.
int choose_save_file(WindowHandle owner, const std::string& initial_directory, std::string& path);

}  // namespace corelens
