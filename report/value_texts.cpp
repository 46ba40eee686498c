#include "report/value_texts.h"

#include <cstdio>

#include "core/naming.h"

namespace corelens {

namespace {

// A list hands out the shared empty text for "no entry"; an empty name is no name.
std::string name_from(const KeyedStringList* list, int position) {
    if (list == nullptr) return {};
    const char* text = list->text_at(position);
    return text != nullptr ? std::string(text) : std::string();
}

}  // namespace

std::string format_cpuid_level(const ProcessorRecord& record) {
    char buffer[32];
    if (record.max_ext_level != 0) {
        std::snprintf(buffer, sizeof buffer, "%d {%d}", record.max_level, record.max_ext_level);
    } else {
        std::snprintf(buffer, sizeof buffer, "%d", record.max_level);
    }
    return buffer;
}

std::string format_family(const ProcessorRecord& record) {
    const std::string name = name_from(name_lists_for(record).family_list, family_index(record.family));
    const bool show_ext = record.ext_family != 0 && record.ext_family != record.family;
    char numbers[32];
    if (show_ext) {
        std::snprintf(numbers, sizeof numbers, "%d {%d}", record.family, record.ext_family);
    } else {
        std::snprintf(numbers, sizeof numbers, "%d", record.family);
    }
    if (name.empty()) return numbers;
    return std::string(numbers) + " (" + name + ")";
}

std::string format_model(const ProcessorRecord& record) {
    const std::string name = name_from(name_lists_for(record).model_list, record.model);
    char number[16];
    std::snprintf(number, sizeof number, "%d", record.model);
    if (name.empty()) return number;
    return std::string(number) + " (" + name + ")";
}

std::string format_description(const ProcessorRecord& record) {
    if (record.brand_string[0] == '\0') return "(not supported by this cpu)";
    return record_text(record.brand_string);
}

std::string format_speed(float speed_mhz) {
    // Wide enough for any float in fixed notation.
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%0.1f MHz", static_cast<double>(speed_mhz));
    return buffer;
}

std::string format_stepping(const ProcessorRecord& record) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%d", record.stepping);
    return buffer;
}

std::string format_type(const ProcessorRecord& record) {
    char number[16];
    std::snprintf(number, sizeof number, "%d", record.type);
    return std::string(number) + " (" + record_text(record.type_name) + ")";
}

std::string format_feature(const ProcessorRecord& record, Feature feature) {
    bool present = false;
    switch (feature) {
        case Feature::mmx: present = (record.features >> 23) & 1u; break;
        case Feature::three_dnow: present = (record.ext_features >> 31) & 1u; break;
        case Feature::isse: present = (record.features >> 25) & 1u; break;
    }
    return present ? "yes" : "no";
}

std::string format_l1_cache(unsigned kb) {
    if (kb == 0) return "(unable to detect)";
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "%u KB", kb);
    return buffer;
}

std::string format_l2_cache(int kb) {
    if (kb < 0) return "(unable to detect)";
    if (kb == 0) return "none";
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "%d KB", kb);
    return buffer;
}

}  // namespace corelens
