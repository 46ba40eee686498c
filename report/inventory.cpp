#include "report/inventory.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/format.h"
#include "platform/platform.h"

namespace corelens {

namespace {

// Stands for every value of a template page; no fixed text of either report holds it.
constexpr char k_marker = '\x01';

std::string with_line_feeds(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] != '\r' || at + 1 >= text.size() || text[at + 1] != '\n') out += text[at];
    }
    return out;
}

// The rows of a report with every value empty: the layout both formats dress.
const std::vector<ReportRow>& layout() {
    static const std::vector<ReportRow> rows = [] {
        std::vector<ReportRow> blank = report_rows(ProcessorRecord{}, ReportContext{});
        for (ReportRow& row : blank) row.value.clear();
        return blank;
    }();
    return rows;
}

// A report rendered with the marker for every value and for the version, cut at the markers:
// the fixed texts a file must hold between its values, the version last.
std::vector<std::string> template_segments(bool html) {
    std::vector<ReportRow> rows = layout();
    for (ReportRow& row : rows) {
        if (row.kind == RowKind::value) row.value = std::string(1, k_marker);
    }
    const std::string marker(1, k_marker);
    const std::string page = with_line_feeds(html ? render_html_rows(rows, marker) : render_text_rows(rows, marker));
    std::vector<std::string> segments(1);
    for (const char c : page) {
        if (c == k_marker) segments.emplace_back(); else segments.back() += c;
    }
    return segments;
}

std::string html_unescaped(const std::string& value) {
    static const std::pair<const char*, char> k_entities[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}};
    std::string out;
    for (std::size_t at = 0; at < value.size();) {
        bool replaced = false;
        for (const auto& [entity, c] : k_entities) {
            if (value.compare(at, std::strlen(entity), entity) == 0) {
                out += c;
                at += std::strlen(entity);
                replaced = true;
                break;
            }
        }
        if (!replaced) out += value[at++];
    }
    return out;
}

std::size_t line_of(const std::string& text, std::size_t at) {
    return 1 + static_cast<std::size_t>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
}

const Field* find_field(const std::vector<Field>& fields, const char* name) {
    for (const Field& field : fields) {
        if (std::strcmp(field.name, name) == 0) return &field;
    }
    return nullptr;
}

struct Dated {
    InventoryEntry entry;
    std::string computer;
    unsigned long date[6];
};

}  // namespace

bool read_result_file(const std::string& bytes, std::vector<ReportRow>& rows, std::string& reason) {
    const std::string text = with_line_feeds(bytes);
    const bool html = text.compare(0, 6, "<HTML>") == 0;
    if (!html && text.compare(0, 17, "Corelens results:") != 0) {
        reason = "it starts with neither \"Corelens results:\" nor \"<HTML>\"";
        return false;
    }
    static const std::vector<std::string> text_segments = template_segments(false);
    static const std::vector<std::string> html_segments = template_segments(true);
    const std::vector<std::string>& segments = html ? html_segments : text_segments;
    rows = layout();
    std::vector<std::size_t> value_rows;  // segment k comes before the value of value_rows[k]
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].kind == RowKind::value) value_rows.push_back(i);
    }
    std::size_t at = 0;
    for (std::size_t k = 0; k < segments.size(); ++k) {
        const std::string& segment = segments[k];
        // A value ends where the next fixed text begins: at a line end in text, at a tag in
        // HTML, where values hold neither.
        std::size_t end = k == 0 ? 0 : std::min(text.find(segment[0], at), text.size());
        if (text.compare(end, segment.size(), segment) != 0) {
            std::size_t differs = end;
            while (differs < text.size() && differs - end < segment.size() && text[differs] == segment[differs - end]) {
                ++differs;
            }
            const std::string expected =
                k < value_rows.size() ? std::string("the \"") + rows[value_rows[k]].label + "\" row" : "the closing line";
            reason = "line " + platform::unsigned_decimal(line_of(text, differs)) +
                     (differs < text.size() ? ": expected " : ": the file ends before ") + expected;
            return false;
        }
        // The value after the last row is the version of the program that wrote the file: any will do.
        if (k > 0 && k - 1 < value_rows.size()) {
            const std::string value = text.substr(at, end - at);
            // No report value holds a line end; an HTML cell that does was not written by a report.
            if (value.find('\n') != std::string::npos) {
                reason = "line " + platform::unsigned_decimal(line_of(text, at)) + ": the \"" + rows[value_rows[k - 1]].label +
                         "\" value runs over more than one line";
                return false;
            }
            rows[value_rows[k - 1]].value = html ? html_unescaped(value) : value;
        }
        at = end + segment.size();
    }
    // The printed report (corelens-cpuid report > file) ends with one more line end.
    const std::size_t after = text.find_first_not_of(" \t\n", at);
    if (after != std::string::npos) {
        reason = "line " + platform::unsigned_decimal(line_of(text, after)) + ": text after the closing line";
        return false;
    }
    return true;
}

bool read_result_fields(const std::string& bytes, std::vector<Field>& fields, std::string& reason) {
    std::vector<ReportRow> rows;
    if (!read_result_file(bytes, rows, reason)) return false;
    reason.clear();
    fields = report_fields(rows, &reason);
    return reason.empty();
}

std::vector<std::vector<Field>> inventory_rows(std::vector<InventoryEntry> entries, bool every_report) {
    std::vector<Dated> dated;
    dated.reserve(entries.size());
    for (InventoryEntry& entry : entries) {
        Dated item{std::move(entry), {}, {}};
        const Field* computer = find_field(item.entry.fields, "computer");
        const Field* date = find_field(item.entry.fields, "date_time");
        if (computer != nullptr) item.computer = computer->text;
        if (date == nullptr || !date_time_key(date->text, item.date)) std::fill(item.date, item.date + 6, 0ul);
        dated.push_back(std::move(item));
    }
    std::sort(dated.begin(), dated.end(), [](const Dated& a, const Dated& b) {
        if (a.computer != b.computer) return a.computer < b.computer;
        if (!std::equal(a.date, a.date + 6, b.date)) return std::lexicographical_compare(b.date, b.date + 6, a.date, a.date + 6);
        return a.entry.path < b.entry.path;
    });
    std::vector<std::vector<Field>> rows;
    for (std::size_t first = 0; first < dated.size();) {
        // Reports without a computer name are not taken for one computer's.
        std::size_t next = first + 1;
        while (!dated[first].computer.empty() && next < dated.size() && dated[next].computer == dated[first].computer) {
            ++next;
        }
        for (std::size_t shown = first; shown < (every_report ? next : first + 1); ++shown) {
            std::vector<Field> row = std::move(dated[shown].entry.fields);
            row.push_back({"file", FieldKind::text, platform::utf8_from_file_name(dated[shown].entry.path)});
            row.push_back({"other_reports", FieldKind::number, platform::unsigned_decimal(next - first - 1)});
            rows.push_back(std::move(row));
        }
        first = next;
    }
    return rows;
}

std::string inventory_csv(const std::vector<std::vector<Field>>& rows) {
    std::vector<Field> header = report_fields({}, nullptr);
    header.push_back({"file", FieldKind::null, {}});
    header.push_back({"other_reports", FieldKind::null, {}});
    std::string out = csv_record(header, true);
    for (const std::vector<Field>& row : rows) out += csv_record(row, false);
    return out;
}

std::string inventory_json(const std::vector<std::vector<Field>>& rows) {
    std::string out = "[";
    for (std::size_t i = 0; i < rows.size(); ++i) out += (i == 0 ? "\n  " : ",\n  ") + json_object(rows[i], false);
    return out + (rows.empty() ? "]\n" : "\n]\n");
}

}  // namespace corelens
