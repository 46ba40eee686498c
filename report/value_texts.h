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

// A text field of the record up to its NUL, never past the field's end.
template <std::size_t N>
std::string record_text(const char (&field)[N]) {
    const void* end = std::memchr(field, '\0', N);
    return std::string(field, end != nullptr ? static_cast<const char*>(end) - field : N);
}

}  // namespace corelens
