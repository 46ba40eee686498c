#include "tables/reference_tables.h"

#include <cstdint>

namespace corelens {

// The fourteen lists live in this one translation unit so that their construction order is
// the order of these definitions (arrays element 0 first) and exit destroys them in reverse.
KeyedStringList vendor_table;
KeyedStringList feature_table;
KeyedStringList ext_feature_table;
KeyedStringList intel_family_table;
KeyedStringList amd_family_table;
KeyedStringList intel_model_tables[k_intel_model_lists];
KeyedStringList amd_model_tables[k_amd_model_lists];
KeyedStringList processor_name_table;
KeyedStringList cache_descriptor_table;

namespace {

constexpr char k_no_feature[] = "x";

// A null text in the rows below stands for the shared empty text.
constexpr const char* k_empty = nullptr;

const char* or_empty(const char* text) { return text != nullptr ? text : shared_empty_text; }

struct VendorRow {
    const char* vendor_string;
    const char* short_name;
};

struct FeatureRow {
    const char* long_name;
    const char* short_name;
};

struct IntelModelRow {
    const char* key;
    const char* family_4;
    const char* family_5;
    const char* family_6;
    const char* family_15;
};

struct AmdModelRow {
    const char* key;
    const char* family_4;
    const char* family_5;
    const char* family_6;
};

struct ProcessorNameRow {
    std::int32_t name_key;  // vendor, family nibble, model, 0, type, level-2 size code
    const char* text;
};

// Row 4's vendor string ends in a blank that belongs to its twelve characters.
constexpr VendorRow k_vendors[] = {
    // vendor string    short name
    {"GenuineIntel",    "Intel"},
    {"AuthenticAMD",    "AMD"},
    {"CyrixInstead",    "VIA/Cyrix"},
    {"CentaurHauls",    "IDT/Centaur"},
    {"UMC UMC UMC ",    "UMC"},
    {"NexGenDriven",    "NexGen"},
    {"RiseRiseRise",    "Rise"},
};
static_assert(sizeof k_vendors / sizeof k_vendors[0] == k_vendor_rows);

constexpr FeatureRow k_features[] = {
    // long name                                   short name      bit
    {"Floating Point Unit",                        "FPU"},         //  0
    {"Virtual Mode Extension",                     "VME"},         //  1
    {"Debugging Extension",                        "DE"},          //  2
    {"Page Size Extension",                        "PSE"},         //  3
    {"Time Stamp Counter",                         "TSC"},         //  4
    {"Model Specific Registers",                   "MSR"},         //  5
    {"Physical Address Extension",                 "PAE"},         //  6
    {"Machine Check Exception",                    "MCE"},         //  7
    {"CMPXCHG8 Instruction Supported",             "CX8"},         //  8
    {"On-chip APIC Hardware Supported",            "APIC"},        //  9
    {k_no_feature,                                 k_no_feature},  // 10
    {"Fast System Call",                           "SEP"},         // 11
    {"Memory Type Range Registers",                "MTRR"},        // 12
    {"Page Global Enable",                         "PGE"},         // 13
    {"Machine Check Architecture",                 "MCA"},         // 14
    {"Conditional Move Instruction Supported",     "CMOV"},        // 15
    {"Page Attribute Table",                       "PAT"},         // 16
    {"36-Bit Page Size Extension",                 "PSE-36"},      // 17
    {"Processor Serial Number",                    "PSN"},         // 18
    {k_no_feature,                                 k_no_feature},  // 19
    {k_no_feature,                                 k_no_feature},  // 20
    {k_no_feature,                                 k_no_feature},  // 21
    {k_no_feature,                                 k_no_feature},  // 22
    {"Multimedia Extensions Supported",            "MMX"},         // 23
    {"Fast Floating Point Save And Restore",       "FXSR"},        // 24
    {"Streaming SIMD Extensions Supported",        "SSE"},         // 25
    {"SSE-2 instructions",                         "SSE-2"},       // 26
    {k_no_feature,                                 k_no_feature},  // 27
    {k_no_feature,                                 k_no_feature},  // 28
    {k_no_feature,                                 k_no_feature},  // 29
    {"IA-64 instructions",                         "IA-64"},       // 30
    {k_no_feature,                                 k_no_feature},  // 31
};
static_assert(sizeof k_features / sizeof k_features[0] == 32);

constexpr FeatureRow k_ext_features[] = {
    // long name               short name      bit
    {k_no_feature,             k_no_feature},  //  0
    {k_no_feature,             k_no_feature},  //  1
    {k_no_feature,             k_no_feature},  //  2
    {k_no_feature,             k_no_feature},  //  3
    {k_no_feature,             k_no_feature},  //  4
    {k_no_feature,             k_no_feature},  //  5
    {k_no_feature,             k_no_feature},  //  6
    {k_no_feature,             k_no_feature},  //  7
    {k_no_feature,             k_no_feature},  //  8
    {k_no_feature,             k_no_feature},  //  9
    {k_no_feature,             k_no_feature},  // 10
    {k_no_feature,             k_no_feature},  // 11
    {k_no_feature,             k_no_feature},  // 12
    {k_no_feature,             k_no_feature},  // 13
    {k_no_feature,             k_no_feature},  // 14
    {k_no_feature,             k_no_feature},  // 15
    {k_no_feature,             k_no_feature},  // 16
    {k_no_feature,             k_no_feature},  // 17
    {k_no_feature,             k_no_feature},  // 18
    {k_no_feature,             k_no_feature},  // 19
    {k_no_feature,             k_no_feature},  // 20
    {k_no_feature,             k_no_feature},  // 21
    {k_no_feature,             k_no_feature},  // 22
    {k_no_feature,             k_no_feature},  // 23
    {k_no_feature,             k_no_feature},  // 24
    {k_no_feature,             k_no_feature},  // 25
    {k_no_feature,             k_no_feature},  // 26
    {k_no_feature,             k_no_feature},  // 27
    {k_no_feature,             k_no_feature},  // 28
    {k_no_feature,             k_no_feature},  // 29
    {"Extended AMD 3DNow",     "3DNow+"},      // 30
    {"AMD 3DNow",              "3DNow"},       // 31
};
static_assert(sizeof k_ext_features / sizeof k_ext_features[0] == 32);

// Position = family_index: family 4, 5, 6, then 7 or 15 (Intel only).
constexpr const char* k_intel_families[] = {
    "486",
    "Pentium",
    "Pentium Pro/II/III/Celeron",
    "Pentium IV",
};
constexpr const char* k_amd_families[] = {
    "Am486/Am5x86",
    "K5/K6-series",
    "Athlon",
};

// One column per list of intel_model_tables (families 4, 5, 6, 15); position = model.
constexpr IntelModelRow k_intel_models[] = {
    // key   family 4              family 5         family 6                                  family 15
    {"M0",   "DX",                 k_empty,         "Pentium Pro",                            "Pentium IV"},
    {"M1",   "DX",                 "60 - 66 MHz",   "Pentium Pro",                            "Pentium IV"},
    {"M2",   "SX",                 "75 - 200 MHz",  "Pentium II",                             "Pentium IV"},
    {"M3",   "DX2",                "Overdrive",     "Pentium II (0.28\xB5" "m)",              "Pentium IV"},
    {"M4",   "SL",                 "MMX",           "Pentium II (0.28\xB5" "m)",              "Pentium IV"},
    {"M5",   "SX2",                k_empty,         "Pentium II/Xeon/Celeron",                "Pentium IV"},
    {"M6",   "SX",                 k_empty,         "Pentium II/Celeron",                     "Pentium IV"},
    {"M7",   "DX2 (WB-enhanced)",  k_empty,         "Pentium III/Xeon (0.25\xB5" "m)",        "Pentium IV"},
    {"M8",   "DX4",                k_empty,         "Pentium III/Xeon (0.18\xB5" "m)",        "Pentium IV"},
    {"M9",   k_empty,              k_empty,         k_empty,                                  "Pentium IV"},
};

// One column per list of amd_model_tables (families 4, 5, 6); position = model.
constexpr AmdModelRow k_amd_models[] = {
    // key    family 4   family 5                          family 6
    {"M 0",   "Am486",   "K5",                             "K7"},
    {"M 1",   "Am486",   "K5",                             "Athlon (0.25\xB5" "m)"},
    {"M 2",   "Am486",   "K5",                             "Athlon (0.18\xB5" "m)"},
    {"M 3",   "Am486",   "K5",                             "Duron"},
    {"M 4",   "Am486",   k_empty,                          "Athlon (Thunderbird)"},
    {"M 5",   "Am486",   k_empty,                          "Athlon"},
    {"M 6",   "Am5x86",  "K6 (0.3\xB5" "m)",               "Athlon"},
    {"M 7",   "Am5x86",  "K6 (0.25\xB5" "m)",              "Athlon"},
    {"M 8",   "Am5x86",  "K6-2",                           "Athlon"},
    {"M 9",   "Am5x86",  "K6-III",                         "Athlon"},
    {"M10",   k_empty,   k_empty,                          "Athlon"},
    {"M11",   k_empty,   k_empty,                          "Athlon"},
    {"M12",   k_empty,   k_empty,                          "Athlon"},
    {"M13",   k_empty,   "K6-II+/III+ (0.18\xB5" "m)",     "Athlon"},
    {"M14",   k_empty,   k_empty,                          "Athlon"},
    {"M15",   k_empty,   k_empty,                          "Athlon"},
};

// Only vendor rows 0 (Intel) and 1 (AMD) have names; every other vendor gets the fallback.
constexpr ProcessorNameRow k_processor_names[] = {
    // key       text
    // Intel 486
    {0x040000,   "486 DX"},
    {0x041000,   "486 DX"},
    {0x042000,   "486 SX"},
    {0x043000,   "487 / DX2 / DX2 OverDrive"},
    {0x044000,   "486 SL"},
    {0x045000,   "SX2"},
    {0x047000,   "DX2 (Write-Back Enhanced)"},
    {0x048000,   "DX4"},
    {0x048010,   "DX4 OverDrive"},
    // Intel Pentium
    {0x051000,   "Pentium"},
    {0x051010,   "Pentium OverDrive for Pentium"},
    {0x052000,   "Pentium"},
    {0x052010,   "Pentium OverDrive for Pentium"},
    {0x053010,   "Pentium OverDrive for 486"},
    {0x054000,   "Pentium MMX"},
    {0x054010,   "Pentium MMX OverDrive for Pentium"},
    // Intel P6
    {0x061000,   "Pentium Pro"},
    {0x063000,   "Pentium II"},
    {0x063010,   "Pentium II OverDrive"},
    {0x065000,   "Celeron"},
    {0x065004,   "Pentium II / Xeon"},
    {0x065005,   "Pentium II Xeon"},
    {0x065006,   "Pentium II Xeon"},
    {0x066000,   "Celeron"},
    {0x066002,   "Celeron (128K L2-Cache)"},
    {0x067000,   "Pentium III / Xeon"},
    {0x067003,   "Pentium III / Xeon"},
    {0x067004,   "Pentium III Xeon"},
    {0x067005,   "Pentium III Xeon"},
    {0x067006,   "Pentium III Xeon"},
    {0x068000,   "Pentium III / Xeon / Celeron"},
    {0x068002,   "Celeron"},
    {0x068003,   "Pentium III / Xeon"},
    {0x068004,   "Pentium III Xeon"},
    {0x068005,   "Pentium III Xeon"},
    {0x06A000,   "Pentium III Xeon"},
    {0x06A003,   "Pentium III Xeon"},
    {0x06A004,   "Pentium III Xeon"},
    {0x06A005,   "Pentium III Xeon"},
    {0x06A006,   "Pentium III Xeon"},
    // Intel family 15 (nibble 7)
    {0x070000,   "Pentium IV"},
    {0x070001,   "Pentium IV"},
    {0x070002,   "Pentium IV"},
    {0x070003,   "Pentium IV"},
    {0x070004,   "Pentium IV"},
    {0x070005,   "Pentium IV (Xeon)"},
    {0x070006,   "Pentium IV (Xeon)"},
    // AMD 486 and K5/K6
    {0x140000,   "Am486 / Am5x86"},
    {0x150000,   "K5"},
    {0x151000,   "K5"},
    {0x152000,   "K5"},
    {0x153000,   "K5"},
    {0x156000,   "K6"},
    {0x157000,   "K6"},
    {0x158000,   "K6-2"},
    {0x159003,   "K6-III"},
    {0x15D002,   "K6-II+"},
    {0x15D003,   "K6-III+"},
    // AMD K7
    {0x160004,   "K7 ES"},
    {0x161004,   "Athlon"},
    {0x162004,   "Athlon"},
    {0x163001,   "Duron"},
    {0x164001,   "Duron"},
    {0x164002,   "Athlon"},
    {0x164003,   "Athlon"},
};
static_assert(sizeof k_processor_names / sizeof k_processor_names[0] == 65);

constexpr auto k_code = CacheKind::level1_code;
constexpr auto k_data = CacheKind::level1_data;
constexpr auto k_level2 = CacheKind::level2;
// Level-2 descriptors the vendor documents that the era's table has no size for: coming
// first, one leaves the size undetermined, and a 0x40 beside one means "no level-3 cache"
// (Celeron Willamette lists 0x40 and 0x39, Xeon Irwindale 0x40 and 0x7D).
constexpr std::int32_t k_untabled = -1;

// Leaf-2 descriptor bytes the probe reads, in ascending order; the sized ones are
// cache_descriptor_table's rows in the order they are appended. Sizes in KB, the trace
// caches 0x70-0x72 in thousands of micro-operations. 0x7A to 0x7C carry the sizes the
// vendor documents (256, 512 and 1024 KB); 0x40 (size 0) is "no level-2 cache".
constexpr CacheDescriptor k_cache_descriptors[] = {
    // byte  cache     size
    {0x06,   k_code,   8},
    {0x08,   k_code,   16},
    {0x0A,   k_data,   8},
    {0x0C,   k_data,   16},
    {0x1D,   k_level2, k_untabled},
    {0x21,   k_level2, k_untabled},
    {0x24,   k_level2, k_untabled},
    {0x39,   k_level2, k_untabled},
    {0x3A,   k_level2, k_untabled},
    {0x3B,   k_level2, k_untabled},
    {0x3C,   k_level2, k_untabled},
    {0x3D,   k_level2, k_untabled},
    {0x3E,   k_level2, k_untabled},
    {0x40,   k_level2, 0},
    {0x41,   k_level2, 128},
    {0x42,   k_level2, 256},
    {0x43,   k_level2, 512},
    {0x44,   k_level2, 1024},
    {0x45,   k_level2, 2048},
    {0x48,   k_level2, k_untabled},
    {0x49,   k_level2, k_untabled},
    {0x4E,   k_level2, k_untabled},
    {0x66,   k_data,   8},
    {0x67,   k_data,   16},
    {0x68,   k_data,   32},
    {0x70,   k_code,   12},
    {0x71,   k_code,   16},
    {0x72,   k_code,   32},
    {0x78,   k_level2, k_untabled},
    {0x79,   k_level2, 128},
    {0x7A,   k_level2, 256},
    {0x7B,   k_level2, 512},
    {0x7C,   k_level2, 1024},
    {0x7D,   k_level2, k_untabled},
    {0x7E,   k_level2, k_untabled},
    {0x7F,   k_level2, k_untabled},
    {0x80,   k_level2, k_untabled},
    {0x81,   k_level2, 128},
    {0x82,   k_level2, 256},
    {0x83,   k_level2, 512},
    {0x84,   k_level2, 1024},
    {0x85,   k_level2, 2048},
    {0x86,   k_level2, k_untabled},
    {0x87,   k_level2, k_untabled},
};

template <typename Rows>
void append_features(KeyedStringList& list, const Rows& rows) {
    for (const FeatureRow& row : rows) list.append(row.long_name, row.short_name);
}

template <typename Rows>
void append_families(KeyedStringList& list, const Rows& rows) {
    for (const char* text : rows) list.append(shared_empty_text, text);
}

}  // namespace

const char* const no_feature_mark = k_no_feature;

void build_reference_tables() {
    static bool built = false;  // test programs call this repeatedly; the lists fill once
    if (built) return;
    built = true;

    for (const VendorRow& row : k_vendors) vendor_table.append(row.vendor_string, row.short_name);
    append_features(feature_table, k_features);
    append_features(ext_feature_table, k_ext_features);
    append_families(intel_family_table, k_intel_families);
    append_families(amd_family_table, k_amd_families);

    for (const IntelModelRow& row : k_intel_models) intel_model_tables[0].append(row.key, or_empty(row.family_4));
    for (const IntelModelRow& row : k_intel_models) intel_model_tables[1].append(row.key, or_empty(row.family_5));
    for (const IntelModelRow& row : k_intel_models) intel_model_tables[2].append(row.key, or_empty(row.family_6));
    for (const IntelModelRow& row : k_intel_models) intel_model_tables[3].append(row.key, or_empty(row.family_15));
    for (const AmdModelRow& row : k_amd_models) amd_model_tables[0].append(row.key, or_empty(row.family_4));
    for (const AmdModelRow& row : k_amd_models) amd_model_tables[1].append(row.key, or_empty(row.family_5));
    for (const AmdModelRow& row : k_amd_models) amd_model_tables[2].append(row.key, or_empty(row.family_6));

    for (const ProcessorNameRow& row : k_processor_names) processor_name_table.append_value(row.name_key, row.text);
    for (const CacheDescriptor& row : k_cache_descriptors) {
        if (row.size != k_untabled) cache_descriptor_table.append_at(row.descriptor, row.size);
    }
}

const CacheDescriptor* find_cache_descriptor(std::uint8_t descriptor) {
    for (const CacheDescriptor& row : k_cache_descriptors) {
        if (row.descriptor == descriptor) return &row;
    }
    return nullptr;
}

}  // namespace corelens
