#pragma once
// What the main and features windows write into their value fields, in fill order, and
// which fields are greyed. The same for every windowing toolkit.
#include <string>
#include <vector>

#include "core/processor_record.h"

namespace corelens {

struct FieldText {
    int id;            // control id in the window's template
    std::string text;
    bool enabled;      // false: the field is greyed before its text is set
};

extern const char* const k_unknown_speed_text;  // "(unable to determine speed)"

// Speed: "%0.1f MHz", or the unknown-speed text (greyed) when the clock was not measured.
std::string format_speed(float speed_mhz);

// Fields 1028, 1004, 1011, 1005, 1007, 1013, 1006, 1009, 1025, in that order.
std::vector<FieldText> main_field_texts(const ProcessorRecord& record);
// Fields 1012, 1013, 1023, 1020, 1021, 1025, in that order.
std::vector<FieldText> features_field_texts(const ProcessorRecord& record);

}  // namespace corelens
