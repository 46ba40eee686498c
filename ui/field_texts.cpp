#include "ui/field_texts.h"

#include <cstdio>

#include "report/value_texts.h"
#include "resources/resource.h"

namespace corelens {

const char* const k_unknown_speed_text = "(unable to determine speed)";

std::string format_speed(float speed_mhz) {
    if (speed_mhz == 0.0f) return k_unknown_speed_text;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%0.1f MHz", static_cast<double>(speed_mhz));
    return buffer;
}

std::vector<FieldText> main_field_texts(const ProcessorRecord& record) {
    char number[16];
    std::snprintf(number, sizeof number, "%d", record.stepping);
    const std::string stepping = number;
    const std::string type = std::to_string(record.type) + " (" + record_text(record.type_name) + ")";

    return {
        {IDC_MAIN_NAME, record_text(record.name), true},
        {IDC_MAIN_VENDOR, record_text(record.vendor_id), true},
        {IDC_MAIN_DESCRIPTION, format_description(record), record.brand_string[0] != '\0'},
        {IDC_MAIN_MODEL, format_model(record), true},
        {IDC_MAIN_FAMILY, format_family(record), true},
        {IDC_MAIN_SPEED, format_speed(record.speed_mhz), record.speed_mhz != 0.0f},
        {IDC_MAIN_STEPPING, stepping, true},
        {IDC_MAIN_TYPE, type, true},
        {IDC_MAIN_LEVEL, format_cpuid_level(record), true},
    };
}

std::vector<FieldText> features_field_texts(const ProcessorRecord& record) {
    return {
        {IDC_FEAT_MMX, format_feature(record, Feature::mmx), true},
        {IDC_FEAT_3DNOW, format_feature(record, Feature::three_dnow), true},
        {IDC_FEAT_SIMD, format_feature(record, Feature::isse), true},
        {IDC_FEAT_L1_DATA, format_l1_cache(record.l1_data_kb), record.l1_data_kb != 0},
        {IDC_FEAT_L1_CODE, format_l1_cache(record.l1_code_kb), record.l1_code_kb != 0},
        // Level 2 "none" is a real answer and stays enabled; only "unknown" is greyed.
        {IDC_FEAT_L2, format_l2_cache(record.l2_kb), record.l2_kb >= 0},
    };
}

}  // namespace corelens
