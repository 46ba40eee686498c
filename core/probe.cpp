#include "core/probe.h"

#include <cstring>

#include "core/clock.h"
#include "core/naming.h"
#include "platform/format.h"
#include "tables/reference_tables.h"

namespace corelens {

namespace {

void store_register_text(char* destination, const CpuidRegisters& regs) {
    const std::uint32_t words[4] = {regs.eax, regs.ebx, regs.ecx, regs.edx};
    for (int word = 0; word < 4; ++word) {
        for (int byte = 0; byte < 4; ++byte) {
            destination[word * 4 + byte] = static_cast<char>((words[word] >> (8 * byte)) & 0xFFu);
        }
    }
}

// What a leaf-2 scan has found so far, across every repetition.
struct LeafTwoScan {
    // The first level-2 descriptor other than 0x40 decides: its table size, or -1 when the
    // table has none (a later descriptor must not speak for a cache it does not describe).
    bool decided = false;
    std::int32_t level2_size = -1;
    bool saw_no_level2 = false;  // descriptor 0x40
};

void classify_leaf_two_byte(std::uint8_t descriptor, ProcessorRecord& record, LeafTwoScan& scan) {
    const CacheDescriptor* row = find_cache_descriptor(descriptor);
    if (row == nullptr) return;
    const std::int32_t size = cache_descriptor_table.value_at(descriptor);
    switch (row->kind) {
        case CacheKind::level1_code:
            record.l1_code_kb = static_cast<std::uint8_t>(size & 0xFF);
            break;
        case CacheKind::level1_data:
            record.l1_data_kb = static_cast<std::uint8_t>(size & 0xFF);
            break;
        case CacheKind::level2:
            if (descriptor == 0x40) {
                scan.saw_no_level2 = true;
            } else if (!scan.decided) {
                scan.decided = true;
                scan.level2_size = cache_descriptor_table.has_position(descriptor) ? size : -1;
            }
            break;
    }
}

void scan_leaf_two(CpuidSource& source, ProcessorRecord& record) {
    CpuidRegisters regs = source.query(2);
    std::uint8_t repeat = static_cast<std::uint8_t>(regs.eax & 0xFFu);  // 0 wraps to 255: 256 scans
    LeafTwoScan scan;
    for (;;) {
        // Every byte is classified, the count byte included; its usual value 1 is in no class.
        for (std::uint32_t word : {regs.eax, regs.ebx, regs.ecx, regs.edx}) {
            for (int byte = 0; byte < 4; ++byte) {
                classify_leaf_two_byte(static_cast<std::uint8_t>((word >> (8 * byte)) & 0xFFu), record, scan);
            }
        }
        --repeat;
        if (repeat == 0) break;
        regs = source.query(2);
    }
    if (scan.decided) {
        record.l2_kb = static_cast<std::int16_t>(scan.level2_size);
    } else if (scan.saw_no_level2) {
        record.l2_kb = 0;
    }
}

void walk_extended_leaves(CpuidSource& source, ProcessorRecord& record) {
    const std::uint32_t max_ext = source.query(0x80000000u).eax;
    record.max_ext_level = static_cast<std::int8_t>(max_ext & 0xFFu);
    if (max_ext < 0x80000001u) return;
    const CpuidRegisters features = source.query(0x80000001u);
    record.ext_features = features.edx;
    record.ext_family = static_cast<std::int8_t>((features.eax >> 8) & 0xFu);
    for (std::uint32_t part = 0; part < 3; ++part) {
        const std::uint32_t leaf = 0x80000002u + part;
        if (max_ext < leaf) return;
        store_register_text(record.brand_string + 16 * part, source.query(leaf));
    }
    record.brand_string[48] = '\0';
    if (max_ext < 0x80000005u) return;
    const CpuidRegisters level1 = source.query(0x80000005u);
    record.l1_data_kb = static_cast<std::uint8_t>(level1.ecx >> 24);
    record.l1_code_kb = static_cast<std::uint8_t>(level1.edx >> 24);
    if (max_ext < 0x80000006u) return;
    const std::uint32_t level2 = source.query(0x80000006u).ecx >> 16;
    // Duron model 3 reports 1 KB for its 64 KB level-2 cache.
    record.l2_kb = static_cast<std::int16_t>(level2 == 1 ? 64 : level2);
}

}  // namespace

int find_vendor_index(ProcessorRecord& record) {
    const int row = vendor_row(record);
    if (row >= 0) record.vendor_index = row;
    return 1;
}

int probe_processor(ProcessorRecord& record, std::int32_t& non_intel_flag, CpuidSource& source,
                    const ClockMeasurement& measure_clock) {
    if (source.has_cpuid() == 0) return 0;

    // Work on a local record; the caller's gets it in one copy at the end.
    std::memset(&record, 0, sizeof record);
    ProcessorRecord local;
    std::memset(&local, 0, sizeof local);
    local.l2_kb = -1;

    const CpuidRegisters leaf0 = source.query(0);
    const std::uint32_t max_level = leaf0.eax;
    local.max_level = static_cast<std::int8_t>(max_level & 0xFFu);
    store_register_text(local.vendor_id, {leaf0.ebx, leaf0.edx, leaf0.ecx, 0});

    if (max_level >= 1) {
        const CpuidRegisters leaf1 = source.query(1);
        local.signature = leaf1.eax;
        local.standard_features = leaf1.edx;
        local.features = leaf1.edx;
        local.brand_index = static_cast<std::uint8_t>(leaf1.ebx & 0xFFu);
        local.ebx_byte2 = static_cast<std::uint8_t>((leaf1.ebx >> 16) & 0xFFu);
        local.stepping = static_cast<std::int8_t>(leaf1.eax & 0xFu);
        local.model = static_cast<std::int8_t>((leaf1.eax >> 4) & 0xFu);
        local.family = static_cast<std::int8_t>((leaf1.eax >> 8) & 0xFu);
        local.type = static_cast<std::int8_t>((leaf1.eax >> 12) & 0x3u);

        if (vendor_row(local) == k_intel_vendor_row) {
            if (max_level >= 2) scan_leaf_two(source, local);
        } else {
            non_intel_flag = 1;
            walk_extended_leaves(source, local);
        }
    }

    local.vendor_id[12] = '\0';
    find_vendor_index(local);
    platform::copy_text(local.type_name, sizeof local.type_name, processor_type_names[local.type & 3]);
    const bool has_time_stamp_counter = (local.features & (1u << 4)) != 0;  // before the merge below
    local.speed_mhz = has_time_stamp_counter ? static_cast<float>(measure_clock()) : 0.0f;
    local.features |= local.ext_features;
    compose_processor_name(local);
    std::memcpy(&record, &local, sizeof record);
    return 1;
}

int probe_processor(ProcessorRecord& record) {
    LiveCpuid live;
    return probe_processor(record, non_intel, live, [] { return measure_clock_mhz(); });
}

}  // namespace corelens
