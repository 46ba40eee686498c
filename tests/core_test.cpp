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
            {"4500 MHz: more than 2^32 ticks in the window", 5000, 0, 4500, 1000, 4500.0},
            {"millisecond counter wraps", 0xFFFFFE00u, 0, 733, 1000, 733.0},
            {"low 32 bits of the time-stamp counter wrap", 77, 0xFFFFFFFFull - 100000000ull, 733, 1000, 733.0},
        };
    for (const auto& c : cases) {
        std::uint64_t now_us = 0;
        const double got = measure_clock_mhz(
            [&] { return static_cast<std::uint32_t>(c.start_ms + (now_us += c.step_us) / 1000); },
            [&] { return c.start_ticks + now_us * c.mhz; });
        EXPECT_DOUBLE_EQ(c.mhz_read, got) << c.name;
    }
}

// Answers from a table, the last answer of a leaf repeating, and counts the queries.
class FakeCpuid final : public CpuidSource {
public:
    std::map<std::uint32_t, std::vector<CpuidRegisters>> answers;
    std::map<std::uint32_t, int> queried;

    int has_cpuid() override { return 1; }
    CpuidRegisters query(std::uint32_t leaf) override {
        const std::vector<CpuidRegisters>& list = answers[leaf];
        const auto seen = static_cast<std::size_t>(queried[leaf]++);
        return list.empty() ? CpuidRegisters{} : list[std::min(seen, list.size() - 1)];
    }
};

// Registers from their bytes, lowest byte of EAX first (x86 hosts are little-endian).
CpuidRegisters register_bytes(const void* bytes, std::size_t size = 16) {
    CpuidRegisters regs;
    std::memcpy(&regs, bytes, std::min<std::size_t>(size, sizeof regs));
    return regs;
}
CpuidRegisters vendor_leaf(std::uint32_t max_level, const char* vendor) {
    const CpuidRegisters text = register_bytes(vendor, 12);  // EBX, EDX, ECX order
    return {max_level, text.eax, text.ecx, text.ebx};
}

TEST(Probe, LeafTwoDescriptors) {
    // Sizes: level-1 data, level-1 code, level 2.
    const struct { const char* name; std::vector<std::vector<std::uint8_t>> scans; std::vector<int> sizes; int queries; }
        cases[] = {
        {"0x40 then 0x7B names 512 KB; trace cache in the code field", {{0x01, 0x50, 0x40, 0x70, 0x7B, 0x66}},
         {8, 12, 512}, 1},
        {"0x40 alone is no level-2 cache", {{0x01, 0x40, 0x08, 0x0C}}, {16, 16, 0}, 1},
        {"0x40 beside an untabled level-2 descriptor", {{0x01, 0x40, 0x39, 0x66}}, {8, 0, -1}, 1},
        {"level 2: the first sized descriptor wins", {{0x01, 0x41, 0x43, 0x40}}, {0, 0, 128}, 1},
        {"level 2: an untabled first descriptor decides", {{0x01, 0x40, 0x7D, 0x41}}, {0, 0, -1}, 1},
        {"two scans: level 1 from the last, level 2 from the first", {{0x02, 0x06, 0x0A, 0x41}, {0x02, 0x08, 0x0C, 0x43}},
         {16, 16, 128}, 2},
        {"count byte 0 scans 256 times", {{0x00, 0x43}}, {0, 0, 512}, 256},
        {"the top bit of a register is not tested", {{0x01, 0, 0, 0, 0x43, 0, 0, 0x80}}, {0, 0, 512}, 1},
    };
    for (const auto& c : cases) {
        FakeCpuid source;
        source.answers[0] = {vendor_leaf(2, "GenuineIntel")};
        source.answers[1] = {{0xF24, 0, 0, 1u << 4}};
        for (const auto& scan : c.scans) source.answers[2].push_back(register_bytes(scan.data(), scan.size()));
        EXPECT_EQ(c.sizes, cache_sizes(probe_source(source).record)) << c.name;
        EXPECT_EQ(c.queries, source.queried[2]) << c.name;
    }
}

// Extended leaves of other vendors; their features are leaf 1's and 0x80000001's merged.
TEST(Probe, ExtendedLeavesOfOtherVendors) {
    const struct { const char* vendor; std::uint32_t ecx5, edx5, ecx6; std::vector<int> sizes; int index, flag; } cases[] = {
        {"AuthenticAMD", 0x40020140u, 0x40020140u, 0x00010000u, {64, 64, 64}, 1, 1},  // Duron: 1 reads 64
        {"GenuineTMx86", 0x40080120u, 0x80040140u, 0x04004180u, {64, 128, 1024}, 0, 1},
    };
    for (const auto& c : cases) {
        FakeCpuid source;
        source.answers[0] = {vendor_leaf(1, c.vendor)};
        source.answers[1] = {{0x662, 0, 0, 0x00800001u}};
        source.answers[0x80000000u] = {{0x80000006u, 0, 0, 0}};
        source.answers[0x80000001u] = {{0x761, 0, 0, 0xC0000010u}};
        source.answers[0x80000005u] = {{0, 0, c.ecx5, c.edx5}};
        source.answers[0x80000006u] = {{0, 0, c.ecx6, 0}};
        const Probed p = probe_source(source);
        EXPECT_EQ(c.sizes, cache_sizes(p.record)) << c.vendor;
        EXPECT_EQ(c.index, p.record.vendor_index) << c.vendor;
        EXPECT_EQ(c.flag, p.flag) << c.vendor;
        EXPECT_EQ(0xC0800011u, p.record.features) << c.vendor;
    }
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
        // Vendors outside vendor_table (matched exactly) are named by their own string, trimmed.
        {"  Shanghai  ", 6, 8, 0, 256, 0x683, 0x068003, "Shanghai" + none},
        {"            ", 6, 8, 0, 256, 0x683, 0x068003, "Unknown" + none},
    };
    for (const auto& c : cases) {
        ProcessorRecord r{};
        std::snprintf(r.vendor_id, sizeof r.vendor_id, "%s", c.vendor);
        find_vendor_index(r);
        r.family = static_cast<std::int8_t>(c.family);
        r.model = static_cast<std::int8_t>(c.model);
        r.type = static_cast<std::int8_t>(c.type);
        r.l2_kb = static_cast<std::int16_t>(c.l2_kb);
        r.signature = c.signature;
        EXPECT_EQ(c.key, processor_name_key(r)) << c.vendor << " 0x" << std::hex << c.signature;
        compose_processor_name(r);
        EXPECT_EQ(c.name, r.name) << c.vendor << " 0x" << std::hex << c.signature;
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
    EXPECT_EQ((std::vector<std::uint32_t>{0x0C040843u, 0xC1C3F9FFu, 0xC1C3F9FFu, 0}), edx);
    EXPECT_FALSE(dump.parse("\nnote\nCPUID 00000000: 0000000G-756E6547-6C65746E-49656E69", "bad.txt", error));
    EXPECT_EQ(0u, error.what().rfind("bad.txt:3: ", 0)) << error.what();
    EXPECT_FALSE(dump.load_file("no-such-dir/no-such-dump.txt", error));
    EXPECT_EQ(0u, error.what().rfind("no-such-dir/no-such-dump.txt: ", 0)) << error.what();
}

}  // namespace
}  // namespace corelens
