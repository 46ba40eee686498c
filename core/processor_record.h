#pragma once
// Everything detection learns about the processor. Plain bytes: a cleared record is the
// initial state, and it is copied whole.
#include <cstdint>

namespace corelens {

struct ProcessorRecord {
    std::uint32_t features;      // leaf-1 EDX, OR'd with ext_features at the end of the probe
    std::uint32_t ext_features;  // leaf 0x80000001 EDX (non-Intel path)
    std::int8_t max_level;
    std::int8_t max_ext_level;   // low byte of the highest extended leaf
    float speed_mhz;             // 0 without a time-stamp counter
    std::int32_t vendor_index;
    char vendor_id[16];
    char name[64];
    char brand_string[64];
    char type_name[76];
    std::uint8_t brand_index;
    std::uint8_t ebx_byte2;
    std::int8_t family;
    std::int8_t ext_family;
    std::int8_t model;
    std::int8_t stepping;
    std::int8_t type;
    std::uint8_t l1_data_kb;     // unsigned: a 128 KB cache is 128, not -128
    std::uint8_t l1_code_kb;     // for a trace cache: thousands of micro-operations
    std::int16_t l2_kb;          // -1 not determined, 0 no level-2 cache
    std::uint32_t signature;     // leaf-1 EAX as read
    std::uint32_t standard_features;  // leaf-1 EDX as read, before the merge into features
};

// The program's one record: zero at start, filled once by the probe, then read-only.
extern ProcessorRecord processor_record;

// 1 when the probe took the extended (non-Intel) path; 0 at start, never reset.
extern std::int32_t non_intel;

// Texts for the processor type field (leaf-1 EAX bits 12-13).
extern const char* const processor_type_names[4];

}  // namespace corelens
