#pragma once
// A report's values as named fields for scripts: numbers as numbers, an undetermined size or
// speed as null, and the JSON and CSV that carry them. The field names are one contract for
// `corelens --json`, `corelens-cpuid report --json` and `corelens-cpuid inventory`.
#include <string>
#include <vector>

#include "core/processor_record.h"
#include "report/renderers.h"

namespace corelens {

enum class FieldKind { text, number, boolean, null };

struct Field {
    const char* name;
    FieldKind kind;
    std::string text;  // UTF-8; a number in JSON's form; "yes" or "no"; empty for null
};

// The fields of a report's value rows, in row order. A value that does not have the shape its
// row gives it (a Family that is no number) becomes null, and errors names it (may be null).
std::vector<Field> report_fields(const std::vector<ReportRow>& rows, std::string* errors);

// The date and time field as year, month, day, hour, minute, second; false when it is not
// one. Reports are dated day first.
bool date_time_key(const std::string& shown, unsigned long (&key)[6]);

// One JSON object. one_per_line puts each field on a line of its own, indented by two blanks;
// otherwise the object is one line. No line end after the closing brace.
std::string json_object(const std::vector<Field>& fields, bool one_per_line);
// One CSV record (RFC 4180) and its line end; header_only writes the field names instead.
std::string csv_record(const std::vector<Field>& fields, bool header_only);

// The record as `corelens --json` prints it: one object, UTF-8, a line end after it.
std::string render_json_report(const ProcessorRecord& record, const ReportContext& context);

}  // namespace corelens
