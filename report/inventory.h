#pragma once
// Reading result files back, as any build of the program writes them, and the inventory of
// a site: one row per computer from a folder of reports.
#include <cstddef>
#include <string>
#include <vector>

#include "report/fields.h"
#include "report/renderers.h"

namespace corelens {

// No result file comes near this size; a larger file is refused unread.
constexpr std::size_t k_result_file_limit = 64 * 1024;

// The rows of a text report or HTML page: Windows-1252 bytes, CR LF or LF line ends, HTML
// values unescaped. False, with the reason (naming the line), for bytes that are not one.
bool read_result_file(const std::string& bytes, std::vector<ReportRow>& rows, std::string& reason);
// The same, on to the fields; a value not of its row's shape is a reason too.
bool read_result_fields(const std::string& bytes, std::vector<Field>& fields, std::string& reason);

struct InventoryEntry {
    std::string path;  // as the file system names it
    std::vector<Field> fields;
};

// One row per computer (the report's own Computer value; reports without one stay apart),
// sorted by computer: the newest report by its own date, ties going to the path first in byte
// order, with two more fields, "file" and "other_reports" (how many reports it outdated).
// every_report: a row for each report, a computer's newest first, each counting the others.
std::vector<std::vector<Field>> inventory_rows(std::vector<InventoryEntry> entries, bool every_report = false);

// CSV with a header row, or a JSON array of objects one per line; UTF-8.
std::string inventory_csv(const std::vector<std::vector<Field>>& rows);
std::string inventory_json(const std::vector<std::vector<Field>>& rows);

}  // namespace corelens
