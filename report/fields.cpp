#include "report/fields.h"

#include <cstring>

#include "platform/format.h"
#include "platform/platform.h"

namespace corelens {

namespace {

// How a row's shown value splits into fields.
enum class Shape {
    text,      // the value as it is
    date,      // "06.12.2026 01:44:38", kept as shown
    speed,     // "1200.3 MHz"; 0.0 (not measured) is null
    numbered,  // "6", "2 {4}", "6 (Pentium II)", "6 {7} (Name)": number, braced number, name
    flag,      // "yes" or "no"
    size,      // "256 KB"; "none" is 0, "(unable to detect)" null
};

struct FieldRule {
    const char* label;
    Shape shape;
    const char* names[3];  // a numbered value's number, braced number and name; unused parts null
};

// label                        shape             field names
constexpr FieldRule k_rules[] = {
    {"Computer:",                Shape::text,      {"computer"}},
    {"User:",                    Shape::text,      {"user"}},
    {"Date & Time:",             Shape::date,      {"date_time"}},
    {"Processor name:",          Shape::text,      {"processor_name"}},
    {"Speed:",                   Shape::speed,     {"speed_mhz"}},
    {"Internal vendor string:",  Shape::text,      {"vendor_string"}},
    {"Internal description:",    Shape::text,      {"description"}},
    {"CPUID-Level:",             Shape::numbered,  {"cpuid_level", "cpuid_ext_level", nullptr}},
    {"Family:",                  Shape::numbered,  {"family", "ext_family", "family_name"}},
    {"Model:",                   Shape::numbered,  {"model", nullptr, "model_name"}},
    {"Stepping:",                Shape::numbered,  {"stepping", nullptr, nullptr}},
    {"Type:",                    Shape::numbered,  {"type", nullptr, "type_name"}},
    {"MMX:",                     Shape::flag,      {"mmx"}},
    {"3DNow:",                   Shape::flag,      {"three_dnow"}},
    {"ISSE:",                    Shape::flag,      {"isse"}},
    {"Level 1 data cache:",      Shape::size,      {"l1_data_kb"}},
    {"Level 1 instr. cache:",    Shape::size,      {"l1_instruction_kb"}},
    {"Level 2 cache (unified):", Shape::size,      {"l2_kb"}},
};

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Digits at text[at], at most max_digits of them, without their leading zeros ("0" for
// zeros alone); at moves past them. Empty when there are none or too many.
std::string digits_at(const std::string& text, std::size_t& at, std::size_t max_digits) {
    std::size_t end = at;
    while (end < text.size() && is_digit(text[end])) ++end;
    if (end == at || end - at > max_digits) return {};
    std::size_t first = at;
    while (first + 1 < end && text[first] == '0') ++first;
    const std::string digits = text.substr(first, end - first);
    at = end;
    return digits;
}

// A signed integer at text[at] in JSON's form: "-" only before a number that is not 0.
std::string integer_at(const std::string& text, std::size_t& at) {
    std::size_t next = at;
    const bool negative = next < text.size() && text[next] == '-';
    if (negative) ++next;
    const std::string digits = digits_at(text, next, 9);
    if (digits.empty()) return {};
    at = next;
    return negative && digits != "0" ? "-" + digits : digits;
}

bool starts_at(const std::string& text, std::size_t at, const char* prefix) {
    return text.compare(at, std::strlen(prefix), prefix) == 0;
}

// "%0.1f MHz" of any finite float: up to 39 digits before the point.
bool split_speed(const std::string& shown, Field& field) {
    std::size_t at = 0;
    const bool negative = starts_at(shown, 0, "-");
    at += negative ? 1 : 0;
    const std::string whole = digits_at(shown, at, 40);
    if (whole.empty() || !starts_at(shown, at, ".") || !is_digit(shown[at + 1]) ||
        shown.compare(at + 2, std::string::npos, " MHz") != 0) {
        return false;
    }
    const char tenth = shown[at + 1];
    if (whole == "0" && tenth == '0') return field.kind = FieldKind::null, true;
    field.kind = FieldKind::number;
    field.text = (negative ? "-" : "") + whole + "." + tenth;
    return true;
}

bool split_size(const std::string& shown, Field& field) {
    if (shown == "(unable to detect)") return field.kind = FieldKind::null, true;
    field.kind = FieldKind::number;
    if (shown == "none") return field.text = "0", true;
    std::size_t at = 0;
    field.text = integer_at(shown, at);
    return !field.text.empty() && shown.compare(at, std::string::npos, " KB") == 0;
}

// Number, then " {number}" and " (name)" where shown; a part the row has no field for is
// not of the row's shape. Absent parts are null.
bool split_numbered(const std::string& shown, const FieldRule& rule, std::vector<Field>& fields) {
    Field parts[3] = {{rule.names[0], FieldKind::number, {}}, {rule.names[1], FieldKind::null, {}},
                      {rule.names[2], FieldKind::null, {}}};
    std::size_t at = 0;
    parts[0].text = integer_at(shown, at);
    bool ok = !parts[0].text.empty();
    if (ok && starts_at(shown, at, " {")) {
        at += 2;
        parts[1] = {rule.names[1], FieldKind::number, integer_at(shown, at)};
        ok = rule.names[1] != nullptr && !parts[1].text.empty() && starts_at(shown, at, "}");
        ++at;
    }
    if (ok && starts_at(shown, at, " (") && shown.back() == ')') {
        parts[2] = {rule.names[2], FieldKind::text, shown.substr(at + 2, shown.size() - at - 3)};
        ok = rule.names[2] != nullptr;
        at = shown.size();
    }
    ok = ok && at == shown.size();
    for (Field& part : parts) {
        if (part.name == nullptr) continue;
        if (!ok) part = {part.name, FieldKind::null, {}};
        fields.push_back(part);
    }
    return ok;
}

// The value cut to a readable length, with control characters shown as '?'.
std::string quoted(const std::string& value) {
    std::string text = value.substr(0, 40);
    for (char& c : text) c = static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? '?' : c;
    return "'" + text + (value.size() > 40 ? "...'" : "'");
}

// Control characters (C0, DEL and the C1 range, which the five unused Windows-1252 bytes
// become) never reach a terminal raw: JSON escapes them, CSV shows '?'.
std::size_t control_length(const std::string& text, std::size_t at) {
    const auto byte = static_cast<unsigned char>(text[at]);
    if (byte < 0x20 || byte == 0x7F) return 1;
    if (byte == 0xC2 && at + 1 < text.size()) {
        const auto next = static_cast<unsigned char>(text[at + 1]);
        if (next >= 0x80 && next <= 0x9F) return 2;
    }
    return 0;
}

std::string json_string(const std::string& text) {
    std::string out = "\"";
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char c = text[at];
        if (const std::size_t length = control_length(text, at)) {
            const unsigned code = length == 1 ? static_cast<unsigned char>(c) : static_cast<unsigned char>(text[at + 1]);
            out += "\\u" + platform::upper_hex(code, 4);
            at += length - 1;
        } else {
            if (c == '"' || c == '\\') out += '\\';
            out += c;
        }
    }
    return out + "\"";
}

std::string csv_field(const std::string& text) {
    std::string out;
    bool quote = !text.empty() && (text.front() == ' ' || text.back() == ' ');
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (const std::size_t length = control_length(text, at)) {
            out += '?';
            at += length - 1;
            continue;
        }
        quote = quote || text[at] == ',' || text[at] == '"';
        out += text[at] == '"' ? "\"\"" : std::string(1, text[at]);
    }
    return quote ? "\"" + out + "\"" : out;
}

}  // namespace

bool date_time_key(const std::string& shown, unsigned long (&key)[6]) {
    // Shown day, month, year, hour, minute, second; the key runs from the year down.
    static const int k_order[6] = {2, 1, 0, 3, 4, 5};
    static const char k_after[6] = {'.', '.', ' ', ':', ':', '\0'};
    std::size_t at = 0;
    for (int i = 0; i < 6; ++i) {
        const std::string digits = digits_at(shown, at, 9);
        if (digits.empty()) return false;
        key[k_order[i]] = std::strtoul(digits.c_str(), nullptr, 10);
        if (k_after[i] == '\0') break;
        if (at >= shown.size() || shown[at] != k_after[i]) return false;
        ++at;
    }
    return at == shown.size();
}

std::vector<Field> report_fields(const std::vector<ReportRow>& rows, std::string* errors) {
    std::vector<Field> fields;
    for (const FieldRule& rule : k_rules) {
        const ReportRow* row = nullptr;
        for (const ReportRow& candidate : rows) {
            if (candidate.kind == RowKind::value && std::strcmp(candidate.label, rule.label) == 0) row = &candidate;
        }
        const std::string shown = row != nullptr ? row->value : std::string();
        Field field{rule.names[0], FieldKind::text, {}};
        bool ok = row != nullptr;
        unsigned long key[6];
        switch (rule.shape) {
            case Shape::text: field.text = platform::utf8_from_windows1252(shown); break;
            case Shape::date:
                ok = ok && date_time_key(shown, key);
                field.text = shown;
                break;
            case Shape::speed: ok = ok && split_speed(shown, field); break;
            case Shape::flag:
                ok = ok && (shown == "yes" || shown == "no");
                field = {field.name, FieldKind::boolean, shown};
                break;
            case Shape::size: ok = ok && split_size(shown, field); break;
            case Shape::numbered: {
                const std::size_t first = fields.size();
                ok = split_numbered(shown, rule, fields) && ok;
                for (std::size_t i = first; i < fields.size(); ++i) {
                    fields[i].text = platform::utf8_from_windows1252(fields[i].text);
                }
                break;
            }
        }
        if (!ok && errors != nullptr) {
            if (!errors->empty()) *errors += "; ";
            *errors += row != nullptr ? std::string(rule.label) + " unexpected value " + quoted(shown)
                                      : std::string("no ") + rule.label + " row";
        }
        if (rule.shape == Shape::numbered) continue;
        fields.push_back(ok ? field : Field{field.name, FieldKind::null, {}});
    }
    return fields;
}

std::string json_object(const std::vector<Field>& fields, bool one_per_line) {
    std::string out = "{";
    const char* const separator = one_per_line ? ",\n  " : ", ";
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const Field& field = fields[i];
        out += i == 0 ? (one_per_line ? "\n  " : "") : separator;
        out += json_string(field.name) + ": ";
        switch (field.kind) {
            case FieldKind::text: out += json_string(field.text); break;
            case FieldKind::number: out += field.text; break;
            case FieldKind::boolean: out += field.text == "yes" ? "true" : "false"; break;
            case FieldKind::null: out += "null"; break;
        }
    }
    return out + (one_per_line && !fields.empty() ? "\n}" : "}");
}

std::string csv_record(const std::vector<Field>& fields, bool header_only) {
    std::string out;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) out += ',';
        out += csv_field(header_only ? fields[i].name : fields[i].text);
    }
    return out + "\r\n";
}

std::string render_json_report(const ProcessorRecord& record, const ReportContext& context) {
    return json_object(report_fields(report_rows(record, context), nullptr), true) + "\n";
}

}  // namespace corelens
