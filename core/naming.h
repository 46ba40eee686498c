#pragma once
// The processor's display name and the name lists that describe a record.
#include <cstdint>

#include "core/processor_record.h"
#include "tables/keyed_string_list.h"

namespace corelens {

// Row of vendor_table whose vendor string is the record's, compared exactly (and never
// past vendor_id); -1 for a vendor outside the table.
int vendor_row(const ProcessorRecord& record);

// Which family and model lists describe this processor; null where no table does.
// The one answer the value texts, reports and windows all use.
struct NameLists {
    const KeyedStringList* family_list = nullptr;  // read with text_at(family_index)
    const KeyedStringList* model_list = nullptr;   // read with text_at(model)
};
NameLists name_lists_for(const ProcessorRecord& record);

// family - 4, a family of 15 counting as 7.
int family_index(int family);

// True when the leaf-1 signature has extended family or model bits: newer than every table.
bool is_beyond_tables(const ProcessorRecord& record);

// vendor, family nibble, model, 0, type, level-2 size code: six hex digits.
std::int32_t processor_name_key(const ProcessorRecord& record);
int l2_size_code(int l2_kb);

// Writes name: vendor short name, a blank, the model text (or the fallback text).
int compose_processor_name(ProcessorRecord& record);

extern const char* const k_name_not_in_database;  // "processor (name not in database)"

}  // namespace corelens
