#pragma once
// The program's vocabulary: global lists, constructed empty before main in this order
// (and so destroyed in reverse), filled once by build_reference_tables.
#include <cstdint>

#include "tables/keyed_string_list.h"

namespace corelens {

extern KeyedStringList vendor_table;
extern KeyedStringList feature_table;
extern KeyedStringList ext_feature_table;
extern KeyedStringList intel_family_table;
extern KeyedStringList amd_family_table;
extern KeyedStringList intel_model_tables[4];  // families 4, 5, 6, 15
extern KeyedStringList amd_model_tables[3];    // families 4, 5, 6
extern KeyedStringList processor_name_table;
extern KeyedStringList cache_descriptor_table;

constexpr int k_vendor_rows = 7;
constexpr int k_intel_vendor_row = 0;  // "GenuineIntel"
constexpr int k_amd_vendor_row = 1;    // "AuthenticAMD"
constexpr int k_intel_model_lists = 4;
constexpr int k_amd_model_lists = 3;

// Marks a feature bit without a named feature; such rows are not listed.
extern const char* const no_feature_mark;

// A leaf-2 descriptor byte the probe reads: the cache it describes and, for the sized ones,
// the row it gets in cache_descriptor_table. A level-2 byte without a row there is one the
// vendor documents that the era's table has no size for.
enum class CacheKind { level1_code, level1_data, level2 };
struct CacheDescriptor {
    std::uint8_t descriptor;
    CacheKind kind;
    std::int32_t size;
};
// The row of a descriptor byte; null for a byte the probe ignores.
const CacheDescriptor* find_cache_descriptor(std::uint8_t descriptor);

// Fills every list in the fixed order; a second call changes nothing.
void build_reference_tables();

}  // namespace corelens
