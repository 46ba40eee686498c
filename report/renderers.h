#pragma once
// Text and HTML reports: pure functions of the record and a context the caller gathers.
#include <string>

#include "core/processor_record.h"

namespace corelens {

struct ReportContext {
    unsigned day = 0, month = 0, year = 0;
    unsigned hour = 0, minute = 0, second = 0;
    std::string user_name;      // Windows-1252 bytes
    std::string computer_name;  // Windows-1252 bytes
};

extern const char* const k_version_text;  // "1.13f"

// Windows-1252 bytes, "\r\n" line ends, no line end after the closing bracket.
std::string render_text_report(const ProcessorRecord& record, const ReportContext& context);
// Values are HTML-escaped; fixed texts stay as they are.
std::string render_html_report(const ProcessorRecord& record, const ReportContext& context);

}  // namespace corelens
