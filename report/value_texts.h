#pragma once
// The words every view shows for a record's values: the text report, the HTML page,
// the main window and the features window read the same rules.
#include <cstring>
#include <string>

#include "core/processor_record.h"

namespace corelens {

std::string format_cpuid_level(const ProcessorRecord& record);
std::string format_family(const ProcessorRecord& record);
std::string format_model(const ProcessorRecord& record);
std::string format_description(const ProcessorRecord& record);
std::string format_speed(float speed_mhz);  // "%0.1f MHz"
std::string format_stepping(const ProcessorRecord& record);
std::string format_type(const ProcessorRecord& record);  // number and name, always both

enum class Feature { mmx, three_dnow, isse };
std::string format_feature(const ProcessorRecord& record, Feature feature);

std::string format_l1_cache(unsigned kb);  // l1_data_kb or l1_code_kb
std::string format_l2_cache(int kb);       // l2_kb

// A text field of the record up to its NUL, never past the field's end; every view reads
// the record's texts through here. The processor or a dump fills them, so a control
// character (below 0x20, and 0x7F) shows as '?': no value can steer a terminal or forge a
// report line.
template <std::size_t N>
std::string record_text(const char (&field)[N]) {
    const void* end = std::memchr(field, '\0', N);
    std::string text(field, end != nullptr ? static_cast<const char*>(end) - field : N);
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    }
    return text;
}

}  // namespace corelens
