#include "core/naming.h"

#include <cstring>
#include <string>

#include "platform/format.h"
#include "tables/reference_tables.h"

namespace corelens {

const char* const k_name_not_in_database = "processor (name not in database)";

namespace {

// The vendor string without leading and trailing blanks, "Unknown" when nothing remains.
std::string trimmed_vendor(const ProcessorRecord& record) {
    const std::size_t length = strnlen(record.vendor_id, sizeof record.vendor_id);
    std::string vendor(record.vendor_id, length);
    const std::size_t first = vendor.find_first_not_of(' ');
    if (first == std::string::npos) return "Unknown";
    const std::size_t last = vendor.find_last_not_of(' ');
    return vendor.substr(first, last - first + 1);
}

}  // namespace

int vendor_row(const ProcessorRecord& record) {
    for (int row = 0; row < k_vendor_rows; ++row) {
        if (std::strncmp(record.vendor_id, vendor_table.key_at(row), sizeof record.vendor_id) == 0) return row;
    }
    return -1;
}

int family_index(int family) { return family == 15 ? 3 : family - 4; }

bool is_beyond_tables(const ProcessorRecord& record) { return (record.signature & 0x0FFF0000u) != 0; }

NameLists name_lists_for(const ProcessorRecord& record) {
    NameLists lists;
    if (is_beyond_tables(record)) return lists;
    const int index = family_index(record.family);
    const int vendor = vendor_row(record);
    if (vendor == k_intel_vendor_row) {
        lists.family_list = &intel_family_table;
        if (index >= 0 && index < k_intel_model_lists) lists.model_list = &intel_model_tables[index];
    } else if (vendor == k_amd_vendor_row) {
        lists.family_list = &amd_family_table;
        if (index >= 0 && index < k_amd_model_lists) lists.model_list = &amd_model_tables[index];
    }
    return lists;
}

int l2_size_code(int l2_kb) {
    switch (l2_kb) {
        case 64: return 1;
        case 128: return 2;
        case 256: return 3;
        case 512: return 4;
        case 1024: return 5;
        case 2048: return 6;
        default: return 0;
    }
}

std::int32_t processor_name_key(const ProcessorRecord& record) {
    const std::int32_t family_nibble = record.family == 15 ? 7 : record.family;
    std::int32_t key = record.vendor_index;
    for (std::int32_t field : {family_nibble, static_cast<std::int32_t>(record.model), 0,
                               static_cast<std::int32_t>(record.type),
                               static_cast<std::int32_t>(l2_size_code(record.l2_kb))}) {
        key = key * 16 + field;
    }
    return key;
}

int compose_processor_name(ProcessorRecord& record) {
    std::string vendor;
    const char* model_text = k_name_not_in_database;
    if (vendor_row(record) < 0) {
        // An unknown vendor is not "Intel": name it by its own string.
        vendor = trimmed_vendor(record);
    } else {
        vendor = vendor_table.text_at(record.vendor_index);
        if (!is_beyond_tables(record)) {
            const char* found = processor_name_table.text_for_value(processor_name_key(record));
            if (found != nullptr && found[0] != '\0') model_text = found;
        }
    }
    platform::copy_text(record.name, sizeof record.name, (vendor + " " + model_text).c_str());
    return 1;
}

}  // namespace corelens
