#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "core/clock.h"
#include "core/cpuid_source.h"
#include "core/naming.h"
#include "core/probe.h"
#include "core/processor_record.h"
#include "tables/reference_tables.h"

namespace corelens {
namespace {

// --- Clock -------------------------------------------------------------------------------

// Simulated time: every millisecond read advances it by step_us; the time-stamp counter
// runs at mhz ticks per microsecond from its start value.
struct FakeCounters {
    std::uint32_t start_ms = 0;
    std::uint64_t start_ticks = 0;
    std::uint64_t mhz = 0;
    std::uint64_t step_us = 1000;
    std::uint64_t now_us = 0;

    MillisecondCounter milliseconds() {
        return [this] {
            now_us += step_us;
            return static_cast<std::uint32_t>(start_ms + now_us / 1000);
        };
    }
    TimeStampCounter time_stamp() {
        return [this] { return start_ticks + now_us * mhz; };
    }
};

TEST(Clock, CountsTicksOverOneSecondOfTheMillisecondCounter) {
    struct Case {
        const char* name;
        std::uint32_t start_ms;
        std::uint64_t start_ticks;
        std::uint64_t mhz;
        double expected;
    };
    const Case cases[] = {
        {"733 MHz", 5000, 0, 733, 733.0},
        {"4.5 GHz: more than 2^32 ticks in the window", 5000, 0, 4500, 4500.0},
        {"millisecond counter wraps in the window", 0xFFFFFE00u, 0, 733, 733.0},
        {"time-stamp counter crosses 2^32 in the window", 77, 0xFFFFFFFFull - 100000000ull, 733, 733.0},
        {"time-stamp counter wraps at 2^64", 77, ~0ull - 1000ull, 733, 733.0},
    };
    for (const Case& c : cases) {
        FakeCounters counters;
        counters.start_ms = c.start_ms;
        counters.start_ticks = c.start_ticks;
        counters.mhz = c.mhz;
        EXPECT_DOUBLE_EQ(measure_clock_mhz(counters.milliseconds(), counters.time_stamp()), c.expected) << c.name;
    }
}

TEST(Clock, WindowStartsJustAfterATick) {
    // Reads every 0.25 ms: the window opens on the first read after a tick and closes on the
    // first read 1000 ms later, so it is one read short of 1000 ms, never longer.
    FakeCounters counters;
    counters.start_ms = 100;
    counters.mhz = 1000;
    counters.step_us = 250;
    EXPECT_DOUBLE_EQ(measure_clock_mhz(counters.milliseconds(), counters.time_stamp()), 999.75);
}

// --- A CPUID source that answers from a table and logs the queries -----------------------

class FakeCpuid final : public CpuidSource {
public:
    int cpuid = 1;
    std::map<std::uint32_t, std::vector<CpuidRegisters>> answers;
    std::vector<std::uint32_t> queried;

    int has_cpuid() override { return cpuid; }
    CpuidRegisters query(std::uint32_t leaf) override {
        queried.push_back(leaf);
        auto found = answers.find(leaf);
        if (found == answers.end() || found->second.empty()) return {};
        const std::size_t index = std::min(next_[leaf]++, found->second.size() - 1);
        return found->second[index];
    }
    int times_queried(std::uint32_t leaf) const {
        int n = 0;
        for (std::uint32_t q : queried) n += q == leaf;
        return n;
    }

private:
    std::map<std::uint32_t, std::size_t> next_;
};

std::uint32_t text_word(const char* four) {
    std::uint32_t word = 0;
    for (int i = 3; i >= 0; --i) word = (word << 8) | static_cast<unsigned char>(four[i]);
    return word;
}

// Leaf 0 with the given maximum and a 12-character vendor string.
CpuidRegisters vendor_leaf(std::uint32_t max_level, const char* vendor) {
    return {max_level, text_word(vendor), text_word(vendor + 8), text_word(vendor + 4)};
}

// Leaf-2 registers from their bytes, lowest byte first.
CpuidRegisters descriptor_bytes(std::vector<std::uint8_t> bytes) {
    bytes.resize(16, 0);
    std::uint32_t words[4] = {};
    for (int i = 15; i >= 0; --i) words[i / 4] = (words[i / 4] << 8) | bytes[static_cast<std::size_t>(i)];
    return {words[0], words[1], words[2], words[3]};
}

constexpr std::uint32_t k_tsc_flag = 1u << 4;

class Probe : public ::testing::Test {
protected:
    void SetUp() override { build_reference_tables(); }

    // Runs the probe with a clock that counts its calls and reads 733.
    int probe(FakeCpuid& source) {
        return probe_processor(record, flag, source, [this] {
            ++clock_calls;
            return 733.0;
        });
    }
    FakeCpuid intel(std::uint32_t max_level, std::uint32_t signature) {
        FakeCpuid source;
        source.answers[0] = {vendor_leaf(max_level, "GenuineIntel")};
        source.answers[1] = {{signature, 0, 0, k_tsc_flag}};
        return source;
    }
    FakeCpuid extended(const char* vendor, std::uint32_t max_ext) {
        FakeCpuid source;
        source.answers[0] = {vendor_leaf(1, vendor)};
        source.answers[1] = {{0x662, 0, 0, 0}};
        source.answers[0x80000000u] = {{max_ext, 0, 0, 0}};
        source.answers[0x80000001u] = {{0x761, 0, 0, 0xC0000000u}};
        source.answers[0x80000002u] = {{text_word("AMD "), text_word("Athl"), text_word("on(t"), text_word("m) X")}};
        source.answers[0x80000003u] = {{text_word("P 18"), text_word("00+ "), 0, 0}};
        source.answers[0x80000004u] = {{0, 0, 0, 0}};
        source.answers[0x80000005u] = {{0, 0, 0x40020140u, 0x40020140u}};
        source.answers[0x80000006u] = {{0, 0, 0x01008140u, 0}};
        return source;
    }

    ProcessorRecord record{};
    std::int32_t flag = 0;
    int clock_calls = 0;
};

TEST_F(Probe, NoCpuidLeavesTheRecordUntouched) {
    std::memset(&record, 0xAB, sizeof record);
    ProcessorRecord before;
    std::memcpy(&before, &record, sizeof record);
    FakeCpuid source = intel(2, 0x673);
    source.cpuid = 0;
    EXPECT_EQ(probe(source), 0);
    EXPECT_EQ(std::memcmp(&before, &record, sizeof record), 0);
    EXPECT_TRUE(source.queried.empty());
    EXPECT_EQ(clock_calls, 0);
    EXPECT_EQ(flag, 0);
}

TEST_F(Probe, HighestLeafZeroReadsOnlyTheVendor) {
    FakeCpuid source;
    source.answers[0] = {vendor_leaf(0, "AuthenticAMD")};
    source.answers[1] = {{0x662, 0, 0, k_tsc_flag}};
    ASSERT_EQ(probe(source), 1);
    EXPECT_EQ(source.queried, std::vector<std::uint32_t>{0});
    EXPECT_EQ(record.max_level, 0);
    EXPECT_STREQ(record.vendor_id, "AuthenticAMD");
    EXPECT_EQ(flag, 0) << "no vendor test without leaf 1";
    EXPECT_EQ(record.vendor_index, 1);
    EXPECT_STREQ(record.type_name, "Original OEM");
    EXPECT_EQ(record.speed_mhz, 0.0f);
    EXPECT_EQ(clock_calls, 0);
    EXPECT_EQ(record.l2_kb, -1);
    EXPECT_EQ(record.family, 0);
    EXPECT_EQ(record.model, 0);
    EXPECT_EQ(record.stepping, 0);
    EXPECT_STREQ(record.name, "AMD processor (name not in database)");
}

TEST_F(Probe, IntelWithHighestLeafOneHasNoCacheSizes) {
    FakeCpuid source = intel(1, 0x543);
    source.answers[2] = {descriptor_bytes({0x01, 0x43, 0x08, 0x0C})};
    source.answers[0x80000000u] = {{0x80000008u, 0, 0, 0}};
    ASSERT_EQ(probe(source), 1);
    EXPECT_EQ(source.queried, (std::vector<std::uint32_t>{0, 1}));
    EXPECT_EQ(record.l1_data_kb, 0);
    EXPECT_EQ(record.l1_code_kb, 0);
    EXPECT_EQ(record.l2_kb, -1);
    EXPECT_STREQ(record.brand_string, "");
    EXPECT_EQ(record.max_ext_level, 0);
    EXPECT_EQ(flag, 0);
    EXPECT_EQ(record.family, 5);
    EXPECT_EQ(record.model, 4);
    EXPECT_EQ(record.stepping, 3);
    EXPECT_EQ(record.signature, 0x543u);
    EXPECT_FLOAT_EQ(record.speed_mhz, 733.0f);
    EXPECT_STREQ(record.name, "Intel Pentium MMX");
}

TEST_F(Probe, LeafTwoDescriptors) {
    struct Case {
        const char* name;
        std::vector<std::vector<std::uint8_t>> scans;  // one leaf-2 answer per scan
        int l1_code, l1_data, l2;
    };
    const Case cases[] = {
        {"Pentium II: 0x43, 0x08, 0x0C", {{0x01, 0x01, 0x02, 0x03, 0, 0, 0, 0, 0, 0, 0, 0, 0x43, 0x08, 0x04, 0x0C}},
         16, 16, 512},
        {"Pentium 4: 0x40 then 0x7A names 256 KB",
         {{0x01, 0x50, 0x5B, 0x66, 0, 0, 0, 0, 0, 0, 0, 0, 0x40, 0x70, 0x7A, 0x00}}, 12, 8, 256},
        {"0x40 alone is no level-2 cache", {{0x01, 0x40, 0x08, 0x0C}}, 16, 16, 0},
        {"0x40 beside an untabled level-2 descriptor leaves the size open", {{0x01, 0x40, 0x39, 0x66}}, 0, 8, -1},
        {"untabled level-2 descriptor alone", {{0x01, 0x7D, 0x30, 0x2C}}, 0, 0, -1},
        {"first sized level-2 descriptor wins", {{0x01, 0x41, 0x43, 0x40}}, 0, 0, 128},
        {"level-1 bytes: the last wins", {{0x01, 0x06, 0x0A, 0x08, 0x0C, 0x66}}, 16, 8, -1},
        {"trace cache counts in the code field", {{0x01, 0x72, 0x68}}, 32, 32, -1},
        {"two scans: level 1 from the last, level 2 from the first",
         {{0x02, 0x06, 0x0A, 0x41}, {0x02, 0x08, 0x0C, 0x43}}, 16, 16, 128},
        {"two scans: 0x40 in the first, a size in the second", {{0x02, 0x40}, {0x02, 0x44}}, 0, 0, 1024},
        {"top bit of a register is not tested", {{0x01, 0, 0, 0, 0x43, 0, 0, 0x80}}, 0, 0, 512},
    };
    for (const Case& c : cases) {
        FakeCpuid source = intel(2, 0xF24);
        for (const auto& scan : c.scans) source.answers[2].push_back(descriptor_bytes(scan));
        ASSERT_EQ(probe(source), 1) << c.name;
        EXPECT_EQ(record.l1_code_kb, c.l1_code) << c.name;
        EXPECT_EQ(record.l1_data_kb, c.l1_data) << c.name;
        EXPECT_EQ(record.l2_kb, c.l2) << c.name;
        EXPECT_EQ(source.times_queried(2), static_cast<int>(c.scans.size())) << c.name;
        EXPECT_EQ(flag, 0) << c.name;
        EXPECT_EQ(source.times_queried(0x80000000u), 0) << c.name;
    }
}

TEST_F(Probe, LeafTwoCountZeroScans256Times) {
    FakeCpuid source = intel(2, 0x673);
    source.answers[2] = {descriptor_bytes({0x00, 0x43})};
    ASSERT_EQ(probe(source), 1);
    EXPECT_EQ(source.times_queried(2), 256);
    EXPECT_EQ(record.l2_kb, 512);
}

TEST_F(Probe, ExtendedLadderStopsAtTheFirstLeafBeyondTheMaximum) {
    struct Case {
        std::uint32_t max_ext;
        int leaves_read;  // extended leaves queried after 0x80000000
        std::int8_t max_ext_level;
        const char* brand;
        int l1_data;
        int l2;
    };
    const Case cases[] = {
        {0x00000000u, 0, 0, "", 0, -1},
        {0x80000000u, 0, 0, "", 0, -1},
        {0x80000001u, 1, 1, "", 0, -1},
        {0x80000002u, 2, 2, "AMD Athlon(tm) X", 0, -1},
        {0x80000003u, 3, 3, "AMD Athlon(tm) XP 1800+ ", 0, -1},
        {0x80000004u, 4, 4, "AMD Athlon(tm) XP 1800+ ", 0, -1},
        {0x80000005u, 5, 5, "AMD Athlon(tm) XP 1800+ ", 64, -1},
        {0x80000006u, 6, 6, "AMD Athlon(tm) XP 1800+ ", 64, 256},
        {0x80000008u, 6, 8, "AMD Athlon(tm) XP 1800+ ", 64, 256},
    };
    for (const Case& c : cases) {
        FakeCpuid source = extended("AuthenticAMD", c.max_ext);
        flag = 0;
        ASSERT_EQ(probe(source), 1);
        const std::string at = format_dump_line(0x80000000u, {c.max_ext, 0, 0, 0});
        EXPECT_EQ(flag, 1) << at;
        EXPECT_EQ(source.times_queried(2), 0) << at;
        int read = 0;
        for (std::uint32_t leaf = 0x80000001u; leaf <= 0x80000008u; ++leaf) read += source.times_queried(leaf);
        EXPECT_EQ(read, c.leaves_read) << at;
        EXPECT_EQ(record.max_ext_level, c.max_ext_level) << at;
        EXPECT_EQ(record.ext_features, c.leaves_read >= 1 ? 0xC0000000u : 0u) << at;
        EXPECT_EQ(record.ext_family, c.leaves_read >= 1 ? 7 : 0) << at;
        EXPECT_STREQ(record.brand_string, c.brand) << at;
        EXPECT_EQ(record.l1_data_kb, c.l1_data) << at;
        EXPECT_EQ(record.l1_code_kb, c.l1_data) << at;
        EXPECT_EQ(record.l2_kb, c.l2) << at;
    }
}

TEST_F(Probe, ExtendedCacheSizes) {
    struct Case {
        std::uint32_t ecx5, edx5, ecx6;
        int l1_data, l1_code, l2;
    };
    const Case cases[] = {
        {0x40020140u, 0x40020140u, 0x00010000u, 64, 64, 64},    // Duron's 1 KB is 64 KB
        {0x40020140u, 0x40020140u, 0x00000000u, 64, 64, 0},
        {0x40020140u, 0x40020140u, 0x00400000u, 64, 64, 64},
        {0x40080120u, 0x80040140u, 0x04004180u, 64, 128, 1024},  // Efficeon: 128 KB reads 128
        {0xFF000000u, 0x00000000u, 0x02000000u, 255, 0, 512},
    };
    for (const Case& c : cases) {
        FakeCpuid source = extended("GenuineTMx86", 0x80000006u);
        source.answers[0x80000005u] = {{0, 0, c.ecx5, c.edx5}};
        source.answers[0x80000006u] = {{0, 0, c.ecx6, 0}};
        ASSERT_EQ(probe(source), 1);
        EXPECT_EQ(record.l1_data_kb, c.l1_data) << std::hex << c.ecx5;
        EXPECT_EQ(record.l1_code_kb, c.l1_code) << std::hex << c.edx5;
        EXPECT_EQ(record.l2_kb, c.l2) << std::hex << c.ecx6;
    }
}

TEST_F(Probe, UnknownVendorKeepsIndexZeroAndTakesTheExtendedPath) {
    FakeCpuid source = extended("Geode by NSC", 0x80000000u);
    ASSERT_EQ(probe(source), 1);
    EXPECT_EQ(record.vendor_index, 0);
    EXPECT_EQ(flag, 1);
    EXPECT_STREQ(record.name, "Geode by NSC processor (name not in database)");
}

TEST_F(Probe, ClockOnlyWithLeafOneTimeStampCounterAndFeaturesMergedAfter) {
    FakeCpuid source = extended("AuthenticAMD", 0x80000001u);
    source.answers[1] = {{0x662, 0, 0, 0x00800001u}};
    source.answers[0x80000001u] = {{0x761, 0, 0, 0xC0000010u}};  // the extended word has bit 4
    ASSERT_EQ(probe(source), 1);
    EXPECT_EQ(clock_calls, 0);
    EXPECT_EQ(record.speed_mhz, 0.0f);
    EXPECT_EQ(record.features, 0xC0800011u);
    EXPECT_EQ(record.ext_features, 0xC0000010u);

    source = extended("AuthenticAMD", 0x80000001u);
    source.answers[1] = {{0x662, 0, 0, k_tsc_flag}};
    ASSERT_EQ(probe(source), 1);
    EXPECT_EQ(clock_calls, 1);
    EXPECT_FLOAT_EQ(record.speed_mhz, 733.0f);
}

TEST_F(Probe, LeafOneFields) {
    FakeCpuid source = intel(1, 0x00002632u);
    source.answers[1] = {{0x00002632u, 0x00AB00CDu, 0, 0}};
    ASSERT_EQ(probe(source), 1);
    EXPECT_EQ(record.type, 2);
    EXPECT_STREQ(record.type_name, "Dual processor");
    EXPECT_EQ(record.family, 6);
    EXPECT_EQ(record.model, 3);
    EXPECT_EQ(record.stepping, 2);
    EXPECT_EQ(record.brand_index, 0xCD);
    EXPECT_EQ(record.ebx_byte2, 0xAB);
    EXPECT_STREQ(record.name, "Intel processor (name not in database)") << "no row for a dual-processor part";
}

TEST_F(Probe, FindVendorIndexMatchesExactly) {
    struct Case {
        const char* vendor;
        int expected;
    };
    const Case cases[] = {
        {"GenuineIntel", 0}, {"AuthenticAMD", 1}, {"CyrixInstead", 2}, {"CentaurHauls", 3},
        {"UMC UMC UMC ", 4}, {"NexGenDriven", 5}, {"RiseRiseRise", 6},
        {"UMC UMC UMC", 9},  {"authenticamd", 9}, {"AuthenticAMD ", 9}, {"", 9},
    };
    for (const Case& c : cases) {
        ProcessorRecord r{};
        r.vendor_index = 9;  // a miss leaves the index alone
        std::snprintf(r.vendor_id, sizeof r.vendor_id, "%s", c.vendor);
        EXPECT_EQ(find_vendor_index(r), 1);
        EXPECT_EQ(r.vendor_index, c.expected) << '"' << c.vendor << '"';
    }
}

// --- Naming ------------------------------------------------------------------------------

struct NameCase {
    const char* vendor;
    int family, model, type, l2_kb;
    std::uint32_t signature;
    std::int32_t key;
    const char* name;
};

ProcessorRecord record_for(const NameCase& c) {
    ProcessorRecord r{};
    std::snprintf(r.vendor_id, sizeof r.vendor_id, "%s", c.vendor);
    find_vendor_index(r);
    r.family = static_cast<std::int8_t>(c.family);
    r.model = static_cast<std::int8_t>(c.model);
    r.type = static_cast<std::int8_t>(c.type);
    r.l2_kb = static_cast<std::int16_t>(c.l2_kb);
    r.signature = c.signature;
    return r;
}

TEST(Naming, KeysAndNames) {
    build_reference_tables();
    const NameCase cases[] = {
        {"GenuineIntel", 6, 8, 0, 256, 0x683, 0x068003, "Intel Pentium III / Xeon"},
        {"GenuineIntel", 6, 8, 0, 128, 0x683, 0x068002, "Intel Celeron"},
        {"GenuineIntel", 6, 8, 0, 512, 0x683, 0x068004, "Intel Pentium III Xeon"},
        {"GenuineIntel", 6, 8, 0, 1024, 0x683, 0x068005, "Intel Pentium III Xeon"},
        {"GenuineIntel", 6, 8, 0, -1, 0x683, 0x068000, "Intel Pentium III / Xeon / Celeron"},
        {"GenuineIntel", 6, 8, 0, 96, 0x683, 0x068000, "Intel Pentium III / Xeon / Celeron"},
        {"GenuineIntel", 6, 8, 0, 2048, 0x683, 0x068006, "Intel processor (name not in database)"},
        {"GenuineIntel", 6, 5, 0, 512, 0x651, 0x065004, "Intel Pentium II / Xeon"},
        {"GenuineIntel", 6, 5, 0, 2048, 0x651, 0x065006, "Intel Pentium II Xeon"},
        {"GenuineIntel", 6, 10, 0, 256, 0x6A4, 0x06A003, "Intel Pentium III Xeon"},
        {"GenuineIntel", 15, 0, 0, 0, 0xF0A, 0x070000, "Intel Pentium IV"},
        {"GenuineIntel", 15, 2, 0, 512, 0xF24, 0x072004, "Intel processor (name not in database)"},
        {"GenuineIntel", 6, 3, 2, 512, 0x2633, 0x063024, "Intel processor (name not in database)"},
        {"AuthenticAMD", 6, 3, 0, 64, 0x630, 0x163001, "AMD Duron"},
        {"AuthenticAMD", 5, 13, 0, 128, 0x5D4, 0x15D002, "AMD K6-II+"},
        {"AuthenticAMD", 5, 13, 0, 256, 0x5D0, 0x15D003, "AMD K6-III+"},
        {"AuthenticAMD", 5, 13, 0, 512, 0x5D0, 0x15D004, "AMD processor (name not in database)"},
        {"CentaurHauls", 6, 7, 0, 64, 0x673, 0x367001, "IDT/Centaur processor (name not in database)"},
        {"CyrixInstead", 5, 2, 0, -1, 0x520, 0x252000, "VIA/Cyrix processor (name not in database)"},
        // Extended family or model bits: newer than every table.
        {"GenuineIntel", 6, 7, 0, 256, 0x90672, 0x067003, "Intel processor (name not in database)"},
        {"AuthenticAMD", 15, 1, 0, 512, 0xA20F10, 0x171004, "AMD processor (name not in database)"},
        // Vendors outside vendor_table keep index 0 but are named by their own string.
        {"GenuineTMx86", 6, 8, 0, 256, 0x683, 0x068003, "GenuineTMx86 processor (name not in database)"},
        {"  Shanghai  ", 6, 8, 0, 256, 0x683, 0x068003, "Shanghai processor (name not in database)"},
        {"            ", 6, 8, 0, 256, 0x683, 0x068003, "Unknown processor (name not in database)"},
        {"", 4, 0, 0, -1, 0x400, 0x040000, "Unknown processor (name not in database)"},
    };
    for (const NameCase& c : cases) {
        ProcessorRecord r = record_for(c);
        EXPECT_EQ(processor_name_key(r), c.key) << c.vendor << " " << c.family << "/" << c.model;
        EXPECT_EQ(compose_processor_name(r), 1);
        EXPECT_STREQ(r.name, c.name) << "key 0x" << std::hex << c.key << ", signature 0x" << c.signature;
    }
}

TEST(Naming, FamilyIndex) {
    const int families[][2] = {{4, 0}, {5, 1}, {6, 2}, {7, 3}, {15, 3}, {3, -1}, {8, 4}};
    for (const auto& f : families) EXPECT_EQ(family_index(f[0]), f[1]) << "family " << f[0];
}

TEST(Naming, ListsChosenByVendor) {
    build_reference_tables();
    struct Case {
        const char* vendor;
        int family;
        std::uint32_t signature;
        const KeyedStringList* family_list;
        const KeyedStringList* model_list;
    };
    const Case cases[] = {
        {"GenuineIntel", 4, 0x480, &intel_family_table, &intel_model_tables[0]},
        {"GenuineIntel", 6, 0x683, &intel_family_table, &intel_model_tables[2]},
        {"GenuineIntel", 7, 0x700, &intel_family_table, &intel_model_tables[3]},
        {"GenuineIntel", 15, 0xF24, &intel_family_table, &intel_model_tables[3]},
        {"GenuineIntel", 3, 0x300, &intel_family_table, nullptr},
        {"AuthenticAMD", 6, 0x662, &amd_family_table, &amd_model_tables[2]},
        {"AuthenticAMD", 15, 0xF00, &amd_family_table, nullptr},
        {"CentaurHauls", 6, 0x673, nullptr, nullptr},
        {"CyrixInstead", 6, 0x600, nullptr, nullptr},
        {"GenuineTMx86", 5, 0x543, nullptr, nullptr},
        {"GenuineIntel", 6, 0x906EC, nullptr, nullptr},
        {"AuthenticAMD", 15, 0xA20F10, nullptr, nullptr},
    };
    for (const Case& c : cases) {
        ProcessorRecord r{};
        std::snprintf(r.vendor_id, sizeof r.vendor_id, "%s", c.vendor);
        r.family = static_cast<std::int8_t>(c.family);
        r.signature = c.signature;
        const NameLists lists = name_lists_for(r);
        EXPECT_EQ(lists.family_list, c.family_list) << c.vendor << " 0x" << std::hex << c.signature;
        EXPECT_EQ(lists.model_list, c.model_list) << c.vendor << " 0x" << std::hex << c.signature;
    }
}

// --- Recorded dumps ----------------------------------------------------------------------

TEST(RecordedCpuid, ReplaysLeavesInOrderAndRepeatsTheLast) {
    const std::string text =
        "# a comment line\r\n"
        "CPUID 00000000: 00000002-756E6547-6C65746E-49656E69\r\n"
        "CPUID 00000002: 03020102-00000000-00000000-0C040843\r\n"
        "cpuid 00000001: lower-case lines do not start with CPUID\r\n"
        "CPUID 00000002: 03020102-00000000-00000000-0C040844\r\n"
        "\r\n"
        "CPUID 80000001: 00000722-00000000-00000000-c1c3f9ff";
    RecordedCpuid dump;
    RecordedCpuid::ParseError error;
    ASSERT_TRUE(dump.parse(text, "dump.txt", error)) << error.what();
    EXPECT_EQ(dump.query(0).ebx, 0x756E6547u);
    EXPECT_EQ(dump.query(2).edx, 0x0C040843u);
    EXPECT_EQ(dump.query(2).edx, 0x0C040844u);
    EXPECT_EQ(dump.query(2).edx, 0x0C040844u) << "the last answer repeats";
    EXPECT_EQ(dump.query(0x80000001u).edx, 0xC1C3F9FFu);
    const CpuidRegisters absent = dump.query(1);
    EXPECT_EQ(absent.eax | absent.ebx | absent.ecx | absent.edx, 0u);
    dump.rewind();
    EXPECT_EQ(dump.query(2).edx, 0x0C040843u);
    EXPECT_NE(dump.has_cpuid(), 0);
}

TEST(RecordedCpuid, MalformedLineNamesFileAndLine) {
    struct Case {
        const char* line;
    };
    const Case cases[] = {
        {"CPUID 0000000: 00000002-756E6547-6C65746E-49656E69"},
        {"CPUID 00000000: 00000002-756E6547-6C65746E"},
        {"CPUID 00000000 00000002-756E6547-6C65746E-49656E69"},
        {"CPUID 00000000: 0000000G-756E6547-6C65746E-49656E69"},
        {"CPUID 00000000: 00000002-756E6547-6C65746E-49656E69 trailing"},
        {"CPUID"},
    };
    for (const Case& c : cases) {
        RecordedCpuid dump;
        RecordedCpuid::ParseError error;
        ASSERT_TRUE(dump.parse("CPUID 00000000: 00000001-00000000-00000000-00000000\n", "good.txt", error));
        const std::string text = std::string("CPUID 00000001: 00000001-00000000-00000000-00000000\nnote\n") + c.line + "\n";
        EXPECT_FALSE(dump.parse(text, "bad.txt", error)) << c.line;
        EXPECT_EQ(error.file, "bad.txt");
        EXPECT_EQ(error.line, 3) << c.line;
        EXPECT_EQ(error.what().rfind("bad.txt:3: ", 0), 0u) << error.what();
        EXPECT_EQ(dump.query(0).eax, 1u) << "a failed parse keeps the earlier answers";
    }
}

TEST(RecordedCpuid, MissingFileIsAnError) {
    RecordedCpuid dump;
    RecordedCpuid::ParseError error;
    EXPECT_FALSE(dump.load_file("no-such-dir/no-such-dump.txt", error));
    EXPECT_EQ(error.line, 0);
    EXPECT_EQ(error.what().rfind("no-such-dir/no-such-dump.txt: ", 0), 0u) << error.what();
}

TEST(DumpFormat, LineIsUpperCaseHex) {
    EXPECT_EQ(format_dump_line(0x80000001u, {0x722, 0, 0, 0xC1C3F9FFu}),
              "CPUID 80000001: 00000722-00000000-00000000-C1C3F9FF");
}

TEST(DumpFormat, PrintsTheLeavesTheProbeReads) {
    struct Case {
        const char* name;
        std::uint32_t max_level;
        std::uint32_t count_byte;
        std::uint32_t max_ext;
        std::vector<std::uint32_t> leaves;
    };
    std::vector<std::uint32_t> ext_all = {0, 1, 2, 2, 0x80000000u};
    for (std::uint32_t leaf = 0x80000001u; leaf <= 0x80000008u; ++leaf) ext_all.push_back(leaf);
    const Case cases[] = {
        {"leaf 2 twice, extended leaves capped at 0x80000008", 2, 2, 0x8000001Fu, ext_all},
        {"no leaf 2 below maximum 2", 1, 1, 0x80000001u, {0, 1, 0x80000000u, 0x80000001u}},
        {"maximum 0: only leaf 0 and 0x80000000", 0, 1, 0, {0, 0x80000000u}},
    };
    for (const Case& c : cases) {
        FakeCpuid source;
        source.answers[0] = {vendor_leaf(c.max_level, "AuthenticAMD")};
        source.answers[2] = {{c.count_byte, 0, 0, 0}};
        source.answers[0x80000000u] = {{c.max_ext, 0, 0, 0}};
        const std::string dump = format_dump(source);
        std::string expected;
        for (std::uint32_t leaf : c.leaves) expected += format_dump_line(leaf, source.answers[leaf].empty() ? CpuidRegisters{} : source.answers[leaf][0]) + "\n";
        EXPECT_EQ(dump, expected) << c.name;
    }

    FakeCpuid zero_count;
    zero_count.answers[0] = {vendor_leaf(2, "GenuineIntel")};
    zero_count.answers[2] = {{0x00, 0, 0, 0}};
    const std::string dump = format_dump(zero_count);
    EXPECT_EQ(zero_count.times_queried(2), 1) << "count byte 0 is printed once";
    RecordedCpuid replay;
    RecordedCpuid::ParseError error;
    ASSERT_TRUE(replay.parse(dump, "zero-count", error)) << error.what();
    for (int scan = 0; scan < 256; ++scan) EXPECT_EQ(replay.query(2).eax, 0u) << "the replay repeats it";
}

#if defined(__i386__) || defined(__x86_64__)
TEST(LiveCpuid, ThisProcessorAnswers) {
    EXPECT_NE(has_cpuid(), 0);
    const CpuidRegisters leaf0 = execute_cpuid(0);
    EXPECT_NE(leaf0.ebx | leaf0.ecx | leaf0.edx, 0u) << "a vendor string";
    build_reference_tables();
    ProcessorRecord r{};
    std::int32_t flag = 0;
    LiveCpuid live;
    ASSERT_EQ(probe_processor(r, flag, live, [] { return 1.0; }), 1);
    EXPECT_NE(r.vendor_id[0], '\0');
    EXPECT_NE(r.name[0], '\0');
}
#endif

}  // namespace
}  // namespace corelens
