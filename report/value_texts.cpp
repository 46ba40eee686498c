#include "report/value_texts.h"

#include <utility>

#include "core/naming.h"
#include "platform/format.h"

namespace corelens {

using platform::decimal;

namespace {

// A list hands out the shared empty text for "no entry"; an empty name is no name.
std::string name_from(const KeyedStringList* list, int position) {
    if (list == nullptr) return {};
    const char* text = list->text_at(position);
    return text != nullptr ? std::string(text) : std::string();
}

std::string with_name(std::string numbers, const std::string& name) {
    if (name.empty()) return numbers;
    return numbers + " (" + name + ")";
}

}  // namespace

std::string format_cpuid_level(const ProcessorRecord& record) {
    if (record.max_ext_level == 0) return decimal(record.max_level);
    return decimal(record.max_level) + " {" + decimal(record.max_ext_level) + "}";
}

std::string format_family(const ProcessorRecord& record) {
    const std::string name = name_from(name_lists_for(record).family_list, family_index(record.family));
    const bool show_ext = record.ext_family != 0 && record.ext_family != record.family;
    std::string numbers = decimal(record.family);
    if (show_ext) numbers += " {" + decimal(record.ext_family) + "}";
    return with_name(std::move(numbers), name);
}

std::string format_model(const ProcessorRecord& record) {
    const std::string name = name_from(name_lists_for(record).model_list, record.model);
    return with_name(decimal(record.model), name);
}

std::string format_description(const ProcessorRecord& record) {
    if (record.brand_string[0] == '\0') return "(not supported by this cpu)";
    return record_text(record.brand_string);
}

std::string format_speed(float speed_mhz) { return platform::fixed(speed_mhz, 1) + " MHz"; }

std::string format_stepping(const ProcessorRecord& record) { return decimal(record.stepping); }

std::string format_type(const ProcessorRecord& record) {
    return decimal(record.type) + " (" + record_text(record.type_name) + ")";
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
    return platform::unsigned_decimal(kb) + " KB";
}

std::string format_l2_cache(int kb) {
    if (kb < 0) return "(unable to detect)";
    if (kb == 0) return "none";
    return decimal(kb) + " KB";
}

}  // namespace corelens
