#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "core/clock.h"
#include "core/cpuid_source.h"
#include "core/naming.h"
#include "tables/keyed_string_list.h"
#include "tests/support/core_probe.h"

namespace corelens {
namespace {

TEST(Clock, CountsTicksBetweenCleanEdgesOfTheMillisecondCounter) {
    // Simulated time in ns, 250 ns per counter read. The millisecond counter shows the whole
    // milliseconds of its last update (one each period). From `at` on, for `span`: the thread
    // loses the processor before its next time-stamp read (pause), the counter stands still
    // (hold), or every update holds up the read that sees it (interrupts).
    enum Event { none, pause, hold, interrupts };
    const struct { const char* name; std::uint32_t start_ms; std::uint64_t start_ticks, mhz, period; Event event; std::uint64_t at, span; double ppm; }
        cases[] = {
            {"4500 MHz: 2^32 ticks and more, both counters wrap", 0xFFFFFE00u, ~0ull - 400000000, 4500, 1000000, none, 0, 0, 1},
            {"preempted right after the first edge", 77, 0, 733, 1000000, pause, 1000000, 5000000, 1},
            {"preempted right after the last edge", 77, 0, 733, 1000000, pause, 1001000000, 5000000, 1},
            {"counter reaches the last edge late, two steps at once", 77, 0, 733, 1000000, hold, 1001000000, 1500000, 1},
            {"every edge held up: the allowance grows until one passes", 77, 0, 733, 1000000, interrupts, 0, 600000, 1},
            {"15.6001 ms steps: Windows NT without 1 ms granted", 77, 0, 733, 15600100, none, 0, 0, 1000},
            {"10.0144 ms steps: Windows NT 4.0 on one processor", 77, 0, 733, 10014400, none, 0, 0, 1000},
        };
    for (const auto& c : cases) {
        std::uint64_t now = 0;
        bool paused = false;
        const double got = measure_clock_mhz(
            [&] {
                if (now > 1100000000u) throw std::runtime_error(std::string(c.name) + ": still measuring after 1.1 s");
                const std::uint64_t seen = c.event == hold && now >= c.at && now < c.at + c.span ? c.at - 1 : now;
                now += 250 + (c.event == interrupts && seen % c.period < 500 ? c.span : 0);
                return static_cast<std::uint32_t>(c.start_ms + seen / c.period * c.period / 1000000);
            },
            [&] {
                if (c.event == pause && now >= c.at && !std::exchange(paused, true)) now += c.span;
                return c.start_ticks + (now += 250) * c.mhz / 1000;
            });
        EXPECT_NEAR(static_cast<double>(c.mhz), got, c.mhz * c.ppm * 1e-6) << c.name;
        EXPECT_GE(now, 1000000000u) << c.name << ": a window of one second";
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

CpuidRegisters vendor_leaf(std::uint32_t max_level, const char* vendor) {
    std::uint32_t text[3];  // EBX, EDX, ECX order
    std::memcpy(text, vendor, sizeof text);
    return {max_level, text[0], text[2], text[1]};
}

// Intel's caches come from the leaf-2 descriptor bytes (each register's bytes from the low
// one up; the low byte of the first EAX counts the scans), other vendors' from the extended
// leaves 0x80000005 (ECX, EDX) and 0x80000006 (ECX). Sizes: level-1 data, level-1 code, level 2.
TEST(Probe, CacheSizesAndScans) {
    using Answers = std::vector<CpuidRegisters>;
    const struct { const char* name; const char* vendor; Answers leaf; std::vector<int> sizes; int scans; } cases[] = {
        {"0x40 then 0x7B names 512 KB; trace cache in the code field", "GenuineIntel",
         {{0x70405001u, 0x0000667Bu, 0, 0}}, {8, 12, 512}, 1},
        {"0x40 alone is no level-2 cache", "GenuineIntel", {{0x0C084001u, 0, 0, 0}}, {16, 16, 0}, 1},
        {"0x40 beside an untabled level-2 descriptor", "GenuineIntel", {{0x66394001u, 0, 0, 0}}, {8, 0, -1}, 1},
        {"level 2: the first sized descriptor wins", "GenuineIntel", {{0x40434101u, 0, 0, 0}}, {0, 0, 128}, 1},
        {"level 2: an untabled first descriptor decides", "GenuineIntel", {{0x417D4001u, 0, 0, 0}}, {0, 0, -1}, 1},
        {"two scans: level 1 from the last, level 2 from the first", "GenuineIntel",
         {{0x410A0602u, 0, 0, 0}, {0x430C0802u, 0, 0, 0}}, {16, 16, 128}, 2},
        {"count byte 0 scans 256 times", "GenuineIntel", {{0x00004300u, 0, 0, 0}}, {0, 0, 512}, 256},
        {"the top bit of a register is not tested", "GenuineIntel", {{0x00000001u, 0x80000043u, 0, 0}}, {0, 0, 512}, 1},
        {"Duron: a level-2 size of 1 reads 64", "AuthenticAMD", {{0, 0, 0x40020140u, 0x40020140u}, {0, 0, 0x00010000u, 0}},
         {64, 64, 64}, 0},
        {"128 KB instruction cache", "GenuineTMx86", {{0, 0, 0x40080120u, 0x80040140u}, {0, 0, 0x04004180u, 0}},
         {64, 128, 1024}, 0},
    };
    for (const auto& c : cases) {
        const bool intel = std::string(c.vendor) == "GenuineIntel";
        FakeCpuid source;
        source.answers[0] = {vendor_leaf(2, c.vendor)};
        source.answers[1] = {{0xF24, 0, 0, 0x00800001u}};
        source.answers[0x80000000u] = {{0x80000006u, 0, 0, 0}};
        source.answers[0x80000001u] = {{0x761, 0, 0, 0xC0000010u}};
        if (intel) source.answers[2] = c.leaf;
        if (!intel) source.answers[0x80000005u] = {c.leaf[0]};
        if (!intel) source.answers[0x80000006u] = {c.leaf[1]};
        const Probed p = probe_source(source);
        EXPECT_EQ(c.sizes, cache_sizes(p.record)) << c.name;
        EXPECT_EQ(c.scans, source.queried[2]) << c.name;
        EXPECT_EQ(intel ? 0 : 1, p.flag) << c.name << ": the non-Intel flag";
    }
}

// Name keys, names, and the family name from the vendor's list (a Pentium 4's at position 3).
TEST(Naming, KeysAndNames) {
    build_reference_tables();
    const std::string none = " processor (name not in database)", p6 = "Pentium Pro/II/III/Celeron";
    const struct { const char* vendor; int family, model, type, l2_kb; std::uint32_t signature; std::int32_t key;
                   std::string name, family_name; } cases[] = {
        {"GenuineIntel", 6, 8, 0, 256, 0x683, 0x068003, "Intel Pentium III / Xeon", p6},
        {"GenuineIntel", 6, 8, 0, 128, 0x683, 0x068002, "Intel Celeron", p6},
        {"GenuineIntel", 15, 0, 0, 0, 0xF0A, 0x070000, "Intel Pentium IV", "Pentium IV"},
        {"GenuineIntel", 6, 3, 2, 512, 0x2633, 0x063024, "Intel" + none, p6},
        {"AuthenticAMD", 6, 3, 0, 64, 0x630, 0x163001, "AMD Duron", "Athlon"},
        // Extended family or model bits: newer than every table.
        {"GenuineIntel", 6, 7, 0, 256, 0x90672, 0x067003, "Intel" + none, ""},
        // Vendors outside vendor_table (matched exactly) are named by their own string, trimmed.
        {"  Shanghai  ", 6, 8, 0, 256, 0x683, 0x068003, "Shanghai" + none, ""},
        {"            ", 6, 8, 0, 256, 0x683, 0x068003, "Unknown" + none, ""},
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
        const KeyedStringList* families = name_lists_for(r).family_list;
        EXPECT_EQ(c.family_name, families ? families->text_at(family_index(c.family)) : "") << c.name;
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
}

// The first match answers until it is removed; clearing does not lower the count, so a
// later row is numbered after every row ever appended. Destroying a filled list: the
// sanitizer build checks for leaks.
TEST(KeyedStringList, RemoveFirstClearAndTheReferenceTables) {
    KeyedStringList list;
    list.append_at(5, 1);
    list.append_at(5, 2);
    EXPECT_EQ(1, list.value_at(5)) << "the first match wins";
    EXPECT_EQ(1, list.remove_first());
    EXPECT_EQ(2, list.value_at(5)) << "the second entry answers once the first is gone";
    list.clear();
    EXPECT_FALSE(list.has_position(5));
    list.append("k", "t");
    EXPECT_STREQ("t", list.text_at(2));
    // The reference tables: a second build changes nothing; the name keys are distinct.
    build_reference_tables();
    const std::int32_t rows = processor_name_table.count();
    build_reference_tables();
    EXPECT_EQ(rows, processor_name_table.count()) << "a second build appended again";
    std::set<std::int32_t> keys;
    for (const KeyedStringList::Entry& entry : processor_name_table.entries()) {
        EXPECT_TRUE(keys.insert(entry.value).second) << "duplicate key 0x" << std::hex << entry.value;
    }
}

}  // namespace
}  // namespace corelens
