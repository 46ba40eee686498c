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
#include "tests/support/core_probe.h"

namespace corelens {
namespace {

TEST(Clock, CountsTicksOverOneSecondOfTheMillisecondCounter) {
    // Simulated time: each millisecond read advances it by step_us; the time-stamp counter
    // runs at mhz ticks per microsecond from start_ticks.
    const struct { const char* name; std::uint32_t start_ms; std::uint64_t start_ticks, mhz, step_us; double mhz_read; }
        cases[] = {
            {"733 MHz", 5000, 0, 733, 1000, 733.0},
            {"4500 MHz: more than 2^32 ticks in the window", 5000, 0, 4500, 1000, 4500.0},
            {"millisecond counter wraps", 0xFFFFFE00u, 0, 733, 1000, 733.0},
            {"low 32 bits of the time-stamp counter wrap", 77, 0xFFFFFFFFull - 100000000ull, 733, 1000, 733.0},
            // The window runs from the first read after a tick to the first read 1000 ms later.
            {"reads every 0.25 ms: one read short of a second", 100, 0, 1000, 250, 999.75},
        };
    for (const auto& c : cases) {
        std::uint64_t now_us = 0;
        const double got = measure_clock_mhz(
            [&] { return static_cast<std::uint32_t>(c.start_ms + (now_us += c.step_us) / 1000); },
            [&] { return c.start_ticks + now_us * c.mhz; });
        EXPECT_DOUBLE_EQ(got, c.mhz_read) << c.name;
    }
}

// Answers from a table, the last answer of a leaf repeating, and logs the queries.
class FakeCpuid final : public CpuidSource {
public:
    int cpuid = 1;
    std::map<std::uint32_t, std::vector<CpuidRegisters>> answers;
    std::vector<std::uint32_t> queried;

    int has_cpuid() override { return cpuid; }
    CpuidRegisters query(std::uint32_t leaf) override {
        const std::vector<CpuidRegisters>& list = answers[leaf];
        const auto seen = static_cast<std::size_t>(times_queried(leaf));
        queried.push_back(leaf);
        return list.empty() ? CpuidRegisters{} : list[std::min(seen, list.size() - 1)];
    }
    int times_queried(std::uint32_t leaf) const {
        return static_cast<int>(std::count(queried.begin(), queried.end(), leaf));
    }
};

// Registers from their bytes, lowest byte of EAX first (x86 hosts are little-endian).
CpuidRegisters register_bytes(const void* bytes, std::size_t size = 16) {
    CpuidRegisters regs;
    std::memcpy(&regs, bytes, std::min<std::size_t>(size, sizeof regs));
    return regs;
}
CpuidRegisters descriptor_bytes(const std::vector<std::uint8_t>& bytes) {
    return register_bytes(bytes.data(), bytes.size());
}
CpuidRegisters vendor_leaf(std::uint32_t max_level, const char* vendor) {
    const CpuidRegisters text = register_bytes(vendor, 12);  // EBX, EDX, ECX order
    return {max_level, text.eax, text.ecx, text.ebx};
}

FakeCpuid intel(std::uint32_t max_level, std::uint32_t signature, std::uint32_t features = 1u << 4) {
    FakeCpuid source;
    source.answers[0] = {vendor_leaf(max_level, "GenuineIntel")};
    source.answers[1] = {{signature, 0x00AB00CDu, 0, features}};
    return source;
}

// An Athlon XP's extended leaves up to max_ext; its leaf 1 has no time-stamp counter, its
// leaf 0x80000001 has bit 4.
FakeCpuid extended(const char* vendor, std::uint32_t max_ext) {
    FakeCpuid source;
    source.answers[0] = {vendor_leaf(1, vendor)};
    source.answers[1] = {{0x662, 0, 0, 0x00800001u}};
    source.answers[0x80000000u] = {{max_ext, 0, 0, 0}};
    source.answers[0x80000001u] = {{0x761, 0, 0, 0xC0000010u}};
    source.answers[0x80000002u] = {register_bytes("AMD Athlon(tm) X")};
    source.answers[0x80000003u] = {register_bytes("P 1800+ \0\0\0\0\0\0\0")};
    source.answers[0x80000005u] = {{0, 0, 0x40020140u, 0x40020140u}};
    source.answers[0x80000006u] = {{0, 0, 0x01008140u, 0}};
    return source;
}

TEST(Probe, NoCpuidLeavesTheRecordUntouched) {
    ProcessorRecord record;
    std::memset(&record, 0xAB, sizeof record);
    const ProcessorRecord before = record;
    std::int32_t flag = 0;
    FakeCpuid source = intel(2, 0x673);
    source.cpuid = 0;
    EXPECT_EQ(probe_processor(record, flag, source, [] { return 733.0; }), 0);
    EXPECT_EQ(std::memcmp(&before, &record, sizeof record), 0);
    EXPECT_TRUE(source.queried.empty());
}

TEST(Probe, HighestLeafZeroReadsOnlyTheVendor) {
    FakeCpuid source = intel(0, 0x662);
    source.answers[0] = {vendor_leaf(0, "AuthenticAMD")};
    const Probed p = probe_source(source);
    ASSERT_EQ(p.result, 1);
    EXPECT_EQ(source.queried, std::vector<std::uint32_t>{0});
    EXPECT_EQ(p.flag, 0) << "no vendor test without leaf 1";
    EXPECT_EQ(p.record.vendor_index, 1);
}

TEST(Probe, GenuineIntelWithHighestLeafOneReadsNoCaches) {
    FakeCpuid source = intel(1, 0x2543, 0);
    source.answers[2] = {descriptor_bytes({0x01, 0x43, 0x08, 0x0C})};
    source.answers[0x80000000u] = {{0x80000008u, 0, 0, 0}};
    int clock_calls = 0;
    const Probed p = probe_source(source, [&] { return ++clock_calls, 733.0; });
    EXPECT_EQ(source.queried, (std::vector<std::uint32_t>{0, 1}));
    EXPECT_EQ(cache_sizes(p.record), (std::vector<int>{0, 0, -1}));
    EXPECT_EQ(clock_calls, 0) << "no time-stamp counter, no clock";
}

TEST(Probe, LeafTwoDescriptors) {
    // Sizes: level-1 data, level-1 code, level 2.
    const struct { const char* name; std::vector<std::vector<std::uint8_t>> scans; std::vector<int> sizes; } cases[] = {
        {"0x40 then 0x7B names 512 KB; trace cache in the code field", {{0x01, 0x50, 0x40, 0x70, 0x7B, 0x66}},
         {8, 12, 512}},
        {"0x40 alone is no level-2 cache", {{0x01, 0x40, 0x08, 0x0C}}, {16, 16, 0}},
        {"0x40 beside an untabled level-2 descriptor", {{0x01, 0x40, 0x39, 0x66}}, {8, 0, -1}},
        {"level 2: the first sized descriptor wins", {{0x01, 0x41, 0x43, 0x40}}, {0, 0, 128}},
        {"level 2: an untabled first descriptor decides", {{0x01, 0x40, 0x7D, 0x41}}, {0, 0, -1}},
        {"level 1: the last descriptor wins", {{0x01, 0x06, 0x0A, 0x08, 0x0C}}, {16, 16, -1}},
        {"two scans: level 1 from the last, level 2 from the first", {{0x02, 0x06, 0x0A, 0x41}, {0x02, 0x08, 0x0C, 0x43}},
         {16, 16, 128}},
        {"two scans: 0x40 in the first, a size in the second", {{0x02, 0x40}, {0x02, 0x44}}, {0, 0, 1024}},
        {"the top bit of a register is not tested", {{0x01, 0, 0, 0, 0x43, 0, 0, 0x80}}, {0, 0, 512}},
    };
    for (const auto& c : cases) {
        FakeCpuid source = intel(2, 0xF24);
        for (const auto& scan : c.scans) source.answers[2].push_back(descriptor_bytes(scan));
        EXPECT_EQ(cache_sizes(probe_source(source).record), c.sizes) << c.name;
        EXPECT_EQ(source.times_queried(2), static_cast<int>(c.scans.size())) << c.name;
    }
}

TEST(Probe, LeafTwoCountByteZeroScans256Times) {
    FakeCpuid source = intel(2, 0x673);
    source.answers[2] = {descriptor_bytes({0x00, 0x43})};
    EXPECT_EQ(probe_source(source).record.l2_kb, 512);
    EXPECT_EQ(source.times_queried(2), 256);
}

TEST(Probe, ExtendedLadderStopsAtTheFirstLeafBeyondTheMaximum) {
    const char* const brand = "AMD Athlon(tm) XP 1800+ ";
    const struct { std::uint32_t max_ext; int leaves_read; const char* brand; std::vector<int> sizes; } cases[] = {
        {0x00000000u, 0, "", {0, 0, -1}},
        {0x80000000u, 0, "", {0, 0, -1}},
        {0x80000002u, 2, "AMD Athlon(tm) X", {0, 0, -1}},
        {0x80000005u, 5, brand, {64, 64, -1}},
        {0x80000008u, 6, brand, {64, 64, 256}},
    };
    for (const auto& c : cases) {
        FakeCpuid source = extended("AuthenticAMD", c.max_ext);
        const Probed p = probe_source(source);
        const std::string at = format_dump_line(0x80000000u, {c.max_ext, 0, 0, 0});
        int read = 0;
        for (std::uint32_t leaf = 0x80000001u; leaf <= 0x80000008u; ++leaf) read += source.times_queried(leaf);
        EXPECT_EQ(read, c.leaves_read) << at;
        EXPECT_STREQ(p.record.brand_string, c.brand) << at;
        EXPECT_EQ(cache_sizes(p.record), c.sizes) << at;
    }
}

TEST(Probe, ExtendedCacheSizes) {
    const struct { const char* name; std::uint32_t ecx5, edx5, ecx6; std::vector<int> sizes; } cases[] = {
        {"a level-2 value of 1 (Duron) reads 64", 0x40020140u, 0x40020140u, 0x00010000u, {64, 64, 64}},
        {"128 KB instruction cache (Efficeon)", 0x40080120u, 0x80040140u, 0x04004180u, {64, 128, 1024}},
    };
    for (const auto& c : cases) {
        FakeCpuid source = extended("GenuineTMx86", 0x80000006u);
        source.answers[0x80000005u] = {{0, 0, c.ecx5, c.edx5}};
        source.answers[0x80000006u] = {{0, 0, c.ecx6, 0}};
        EXPECT_EQ(cache_sizes(probe_source(source).record), c.sizes) << c.name;
    }
}

TEST(Probe, UnknownVendorKeepsIndexZeroAndTakesTheExtendedPath) {
    FakeCpuid source = extended("Geode by NSC", 0x80000001u);
    int clock_calls = 0;
    const Probed p = probe_source(source, [&] { return ++clock_calls, 733.0; });
    EXPECT_EQ(p.record.vendor_index, 0);
    EXPECT_EQ(p.flag, 1);
    // The clock follows leaf 1 alone; the extended features are merged in afterwards.
    EXPECT_EQ(clock_calls, 0);
    EXPECT_EQ(p.record.features, 0xC0800011u);
}

ProcessorRecord named_record(const char* vendor, int family, int model, int type, int l2_kb, std::uint32_t signature) {
    ProcessorRecord r{};
    std::snprintf(r.vendor_id, sizeof r.vendor_id, "%s", vendor);
    find_vendor_index(r);
    r.family = static_cast<std::int8_t>(family);
    r.model = static_cast<std::int8_t>(model);
    r.type = static_cast<std::int8_t>(type);
    r.l2_kb = static_cast<std::int16_t>(l2_kb);
    r.signature = signature;
    return r;
}

TEST(Naming, KeysAndNames) {
    build_reference_tables();
    const std::string none = " processor (name not in database)";
    const struct { const char* vendor; int family, model, type, l2_kb; std::uint32_t signature; std::int32_t key;
                   std::string name; } cases[] = {
        {"GenuineIntel", 6, 8, 0, 256, 0x683, 0x068003, "Intel Pentium III / Xeon"},
        {"GenuineIntel", 6, 8, 0, 128, 0x683, 0x068002, "Intel Celeron"},
        {"GenuineIntel", 15, 0, 0, 0, 0xF0A, 0x070000, "Intel Pentium IV"},
        {"GenuineIntel", 6, 3, 2, 512, 0x2633, 0x063024, "Intel" + none},
        {"AuthenticAMD", 6, 3, 0, 64, 0x630, 0x163001, "AMD Duron"},
        // Extended family or model bits: newer than every table.
        {"GenuineIntel", 6, 7, 0, 256, 0x90672, 0x067003, "Intel" + none},
        {"AuthenticAMD", 15, 1, 0, 512, 0xA20F10, 0x171004, "AMD" + none},
        // Vendors outside vendor_table (matched exactly) are named by their own string, trimmed.
        {"GenuineTMx86", 6, 8, 0, 256, 0x683, 0x068003, "GenuineTMx86" + none},
        {"authenticamd", 6, 3, 0, 64, 0x630, 0x063001, "authenticamd" + none},
        {"  Shanghai  ", 6, 8, 0, 256, 0x683, 0x068003, "Shanghai" + none},
        {"            ", 6, 8, 0, 256, 0x683, 0x068003, "Unknown" + none},
    };
    for (const auto& c : cases) {
        ProcessorRecord r = named_record(c.vendor, c.family, c.model, c.type, c.l2_kb, c.signature);
        EXPECT_EQ(processor_name_key(r), c.key) << c.vendor << " 0x" << std::hex << c.signature;
        compose_processor_name(r);
        EXPECT_EQ(r.name, c.name) << c.vendor << " 0x" << std::hex << c.signature;
    }
}

TEST(Naming, ListsChosenByVendorAndFamily) {
    build_reference_tables();
    const struct { const char* vendor; int family; std::uint32_t signature; const KeyedStringList *family_list, *model_list; }
        cases[] = {
            {"GenuineIntel", 15, 0xF24, &intel_family_table, &intel_model_tables[3]},
            {"AuthenticAMD", 6, 0x662, &amd_family_table, &amd_model_tables[2]},
            {"CentaurHauls", 6, 0x673, nullptr, nullptr},
            {"GenuineIntel", 6, 0x906EC, nullptr, nullptr},
        };
    for (const auto& c : cases) {
        const NameLists lists = name_lists_for(named_record(c.vendor, c.family, 0, 0, 0, c.signature));
        EXPECT_EQ(lists.family_list, c.family_list) << c.vendor << " 0x" << std::hex << c.signature;
        EXPECT_EQ(lists.model_list, c.model_list) << c.vendor << " 0x" << std::hex << c.signature;
    }
}

TEST(RecordedCpuid, ReplaysInOrderAndNamesFileAndLineOfAnError) {
    RecordedCpuid dump;
    RecordedCpuid::ParseError error;
    ASSERT_TRUE(dump.parse("# comment\r\nCPUID 00000002: 03020102-00000000-00000000-0C040843\r\n"
                           "cpuid 00000001: lower-case lines are not CPUID lines\r\n\r\n"
                           "CPUID 00000002: 03020102-00000000-00000000-c1c3f9ff",
                           "dump.txt", error)) << error.what();
    const std::vector<std::uint32_t> edx = {dump.query(2).edx, dump.query(2).edx, dump.query(2).edx, dump.query(1).edx};
    EXPECT_EQ(edx, (std::vector<std::uint32_t>{0x0C040843u, 0xC1C3F9FFu, 0xC1C3F9FFu, 0}));
    for (const char* line : {"CPUID 0000000: 00000002-756E6547-6C65746E-49656E69",
                             "CPUID 00000000: 0000000G-756E6547-6C65746E-49656E69",
                             "CPUID 00000000: 00000002-756E6547-6C65746E-49656E69 x"}) {
        EXPECT_FALSE(dump.parse(std::string("\nnote\n") + line, "bad.txt", error)) << line;
        EXPECT_EQ(error.what().rfind("bad.txt:3: ", 0), 0u) << line << " -> " << error.what();
        dump.rewind();
        EXPECT_EQ(dump.query(2).edx, 0x0C040843u) << "a failed parse keeps the earlier answers";
    }
    EXPECT_FALSE(dump.load_file("no-such-dir/no-such-dump.txt", error));
    EXPECT_EQ(error.what().rfind("no-such-dir/no-such-dump.txt: ", 0), 0u) << error.what();
}

TEST(DumpFormat, LinesInUpperCaseHexReplayToTheSameRecord) {
    EXPECT_EQ(format_dump_line(0x80000001u, {0x722, 0, 0, 0xC1C3F9FFu}),
              "CPUID 80000001: 00000722-00000000-00000000-C1C3F9FF");
    FakeCpuid sources[] = {extended("AuthenticAMD", 0x80000008u), intel(2, 0x673)};
    // Count byte 0 is printed once; the replay repeats it for all 256 scans.
    sources[1].answers[2] = {descriptor_bytes({0x00, 0x43})};
    for (FakeCpuid& source : sources) {
        RecordedCpuid replay;
        RecordedCpuid::ParseError error;
        ASSERT_TRUE(replay.parse(format_dump(source), "printed", error)) << error.what();
        const Probed direct = probe_source(source), replayed = probe_source(replay);
        EXPECT_EQ(std::memcmp(&direct.record, &replayed.record, sizeof direct.record), 0) << replayed.record.name;
        EXPECT_EQ(cache_sizes(replayed.record), cache_sizes(direct.record)) << replayed.record.name;
    }
}

}  // namespace
}  // namespace corelens
