#pragma once
// Text and HTML reports: pure functions of the record and a context the caller gathers.
#include <string>
#include <vector>

#include "core/processor_record.h"

namespace corelens {

struct ReportContext {
    unsigned day = 0, month = 0, year = 0;
    unsigned hour = 0, minute = 0, second = 0;
    std::string user_name;      // Windows-1252 bytes
    std::string computer_name;  // Windows-1252 bytes
};

extern const char* const k_version_text;  // "1.13f"

enum class RowKind { value, section, spacer };

struct ReportRow {
    RowKind kind;
    const char* label;  // label of a value row ("Speed:"), heading of a section row
    std::string value;  // what a value row shows, Windows-1252 bytes
};

// The rows every report shows, in order: the text report, the HTML page, the JSON object
// and the reader of result files all walk this one list.
std::vector<ReportRow> report_rows(const ProcessorRecord& record, const ReportContext& context);

// Windows-1252 bytes, "\r\n" line ends, no line end after the closing bracket.
std::string render_text_report(const ProcessorRecord& record, const ReportContext& context);
// Values are HTML-escaped; fixed texts stay as they are.
std::string render_html_report(const ProcessorRecord& record, const ReportContext& context);

// The same dress over given rows, with the version the closing line names.
std::string render_text_rows(const std::vector<ReportRow>& rows, const std::string& version);
std::string render_html_rows(const std::vector<ReportRow>& rows, const std::string& version);

}  // namespace corelens
