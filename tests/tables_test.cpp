#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "core/probe.h"
#include "tables/keyed_string_list.h"
#include "tables/reference_tables.h"

namespace corelens {
namespace {

// --- The list itself ---------------------------------------------------------------------

TEST(KeyedStringList, EmptyLookupsGiveSharedEmptyText) {
    KeyedStringList list;
    EXPECT_EQ(list.text_at(0), shared_empty_text);
    EXPECT_EQ(list.key_at(3), shared_empty_text);
    EXPECT_EQ(list.value_at(0), 0);
    EXPECT_EQ(list.text_for_value(0), shared_empty_text);
    EXPECT_EQ(list.count(), 0);
    list.append("key", "text");
    list.append_value(7, "seven");
    EXPECT_EQ(list.text_at(5), shared_empty_text) << "a miss in a filled list is the same empty text";
    EXPECT_EQ(list.key_at(-1), shared_empty_text);
    EXPECT_EQ(list.text_for_value(8), shared_empty_text);
}

TEST(KeyedStringList, AppendsNumberPositionsByCount) {
    KeyedStringList list;
    list.append("k0", "t0");
    list.append_value(42, "t1");
    list.append("k2", "t2");
    EXPECT_EQ(list.count(), 3);
    EXPECT_STREQ(list.key_at(0), "k0");
    EXPECT_STREQ(list.text_at(0), "t0");
    EXPECT_EQ(list.value_at(0), 0);
    EXPECT_EQ(list.key_at(1), shared_empty_text) << "append_value has no key";
    EXPECT_EQ(list.value_at(1), 42);
    EXPECT_STREQ(list.text_for_value(42), "t1");
    EXPECT_STREQ(list.text_at(2), "t2");
}

TEST(KeyedStringList, AppendAtKeepsGivenPositionWhateverTheCount) {
    KeyedStringList list;
    list.append_at(0x43, 512);
    list.append_at(0x06, 8);
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(list.value_at(0x43), 512);
    EXPECT_EQ(list.value_at(0x06), 8);
    EXPECT_EQ(list.value_at(0), 0) << "position 0 was never given";
    EXPECT_EQ(list.value_at(1), 0);
    EXPECT_EQ(list.text_at(0x43), shared_empty_text);
    EXPECT_EQ(list.key_at(0x43), shared_empty_text);
    // An append after append_at numbers by count, not by the highest position.
    list.append("k", "t");
    EXPECT_STREQ(list.text_at(2), "t");
}

TEST(KeyedStringList, FirstMatchWins) {
    KeyedStringList list;
    list.append_at(5, 1);
    list.append_at(5, 2);
    EXPECT_EQ(list.value_at(5), 1);

    KeyedStringList values;
    values.append_value(9, "first");
    values.append_value(9, "second");
    EXPECT_STREQ(values.text_for_value(9), "first");
    // The first entry with value 0 answers text_for_value(0), even an append() row.
    values.append("k", "zero");
    EXPECT_STREQ(values.text_for_value(0), "zero");
}

TEST(KeyedStringList, RemoveFirstAndClear) {
    KeyedStringList list;
    EXPECT_EQ(list.remove_first(), 0);
    list.append_at(5, 1);
    list.append_at(5, 2);
    list.append_at(6, 3);
    EXPECT_EQ(list.remove_first(), 1);
    EXPECT_EQ(list.value_at(5), 2) << "the second entry answers once the first is gone";
    list.clear();
    EXPECT_EQ(list.remove_first(), 0);
    EXPECT_EQ(list.value_at(6), 0);
    EXPECT_FALSE(list.has_position(5));
    // count is the number of appends so far; clearing does not lower it.
    EXPECT_EQ(list.count(), 3);
    list.append("k", "t");
    EXPECT_STREQ(list.text_at(3), "t");
    EXPECT_EQ(list.text_at(0), shared_empty_text);
}

// --- The program's tables ----------------------------------------------------------------

class ReferenceTables : public ::testing::Test {
protected:
    void SetUp() override { build_reference_tables(); }
};

TEST_F(ReferenceTables, SecondBuildChangesNothing) {
    const int before = processor_name_table.count() + cache_descriptor_table.count() + vendor_table.count();
    build_reference_tables();
    EXPECT_EQ(processor_name_table.count() + cache_descriptor_table.count() + vendor_table.count(), before);
}

TEST_F(ReferenceTables, RowCounts) {
    struct Case {
        const char* name;
        const KeyedStringList& list;
        int rows;
    };
    const Case cases[] = {
        {"vendor_table", vendor_table, 7},
        {"feature_table", feature_table, 32},
        {"ext_feature_table", ext_feature_table, 32},
        {"intel_family_table", intel_family_table, 4},
        {"amd_family_table", amd_family_table, 3},
        {"intel_model_tables[0]", intel_model_tables[0], 10},
        {"intel_model_tables[1]", intel_model_tables[1], 10},
        {"intel_model_tables[2]", intel_model_tables[2], 10},
        {"intel_model_tables[3]", intel_model_tables[3], 10},
        {"amd_model_tables[0]", amd_model_tables[0], 16},
        {"amd_model_tables[1]", amd_model_tables[1], 16},
        {"amd_model_tables[2]", amd_model_tables[2], 16},
        {"processor_name_table", processor_name_table, 65},
        {"cache_descriptor_table", cache_descriptor_table, 25},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.list.count(), c.rows) << c.name;
        EXPECT_EQ(static_cast<int>(c.list.entries().size()), c.rows) << c.name;
    }
}

TEST_F(ReferenceTables, VendorRows) {
    const char* const expected[][2] = {
        {"GenuineIntel", "Intel"},  {"AuthenticAMD", "AMD"},   {"CyrixInstead", "VIA/Cyrix"},
        {"CentaurHauls", "IDT/Centaur"}, {"UMC UMC UMC ", "UMC"}, {"NexGenDriven", "NexGen"},
        {"RiseRiseRise", "Rise"},
    };
    for (int row = 0; row < k_vendor_rows; ++row) {
        EXPECT_STREQ(vendor_table.key_at(row), expected[row][0]) << "row " << row;
        EXPECT_STREQ(vendor_table.text_at(row), expected[row][1]) << "row " << row;
    }
    EXPECT_EQ(std::strlen(vendor_table.key_at(4)), 12u) << "row 4 keeps its trailing blank";
    EXPECT_EQ(vendor_table.key_at(4)[11], ' ');
}

TEST_F(ReferenceTables, FeatureRowsAndNoFeatureMarks) {
    EXPECT_STREQ(no_feature_mark, "x");
    const std::set<int> unnamed = {10, 19, 20, 21, 22, 27, 28, 29, 31};
    for (int bit = 0; bit < 32; ++bit) {
        const bool marked = std::strcmp(feature_table.text_at(bit), "x") == 0;
        EXPECT_EQ(marked, unnamed.count(bit) == 1) << "feature bit " << bit << ": " << feature_table.text_at(bit);
        EXPECT_EQ(std::strcmp(feature_table.key_at(bit), "x") == 0, marked) << "feature bit " << bit;
        const bool ext_marked = std::strcmp(ext_feature_table.text_at(bit), "x") == 0;
        EXPECT_EQ(ext_marked, bit < 30) << "extended bit " << bit;
        EXPECT_EQ(std::strcmp(ext_feature_table.key_at(bit), "x") == 0, ext_marked) << "extended bit " << bit;
    }
    struct Row {
        int bit;
        const char* long_name;
        const char* short_name;
    };
    const Row samples[] = {
        {0, "Floating Point Unit", "FPU"},
        {4, "Time Stamp Counter", "TSC"},
        {8, "CMPXCHG8 Instruction Supported", "CX8"},
        {17, "36-Bit Page Size Extension", "PSE-36"},
        {24, "Fast Floating Point Save And Restore", "FXSR"},
        {26, "SSE-2 instructions", "SSE-2"},
        {30, "IA-64 instructions", "IA-64"},
    };
    for (const Row& row : samples) {
        EXPECT_STREQ(feature_table.key_at(row.bit), row.long_name) << "bit " << row.bit;
        EXPECT_STREQ(feature_table.text_at(row.bit), row.short_name) << "bit " << row.bit;
    }
    EXPECT_STREQ(ext_feature_table.key_at(30), "Extended AMD 3DNow");
    EXPECT_STREQ(ext_feature_table.text_at(30), "3DNow+");
    EXPECT_STREQ(ext_feature_table.key_at(31), "AMD 3DNow");
    EXPECT_STREQ(ext_feature_table.text_at(31), "3DNow");
}

TEST_F(ReferenceTables, FamilyRows) {
    EXPECT_STREQ(intel_family_table.text_at(0), "486");
    EXPECT_STREQ(intel_family_table.text_at(2), "Pentium Pro/II/III/Celeron");
    EXPECT_STREQ(intel_family_table.text_at(3), "Pentium IV");
    EXPECT_STREQ(amd_family_table.text_at(0), "Am486/Am5x86");
    EXPECT_STREQ(amd_family_table.text_at(1), "K5/K6-series");
    EXPECT_STREQ(amd_family_table.text_at(2), "Athlon");
    EXPECT_EQ(amd_family_table.text_at(3), shared_empty_text) << "no AMD family 7 or 15";
    EXPECT_EQ(intel_family_table.key_at(0), shared_empty_text);
}

TEST_F(ReferenceTables, ModelRowsKeysAndMicroSign) {
    for (int model = 0; model < 10; ++model) {
        const std::string key = "M" + std::to_string(model);
        for (int list = 0; list < k_intel_model_lists; ++list) {
            EXPECT_EQ(intel_model_tables[list].key_at(model), key) << "intel list " << list;
        }
    }
    for (int model = 0; model < 16; ++model) {
        const std::string key = model < 10 ? "M " + std::to_string(model) : "M" + std::to_string(model);
        for (int list = 0; list < k_amd_model_lists; ++list) {
            EXPECT_EQ(amd_model_tables[list].key_at(model), key) << "amd list " << list;
        }
    }
    // The micro sign is the one Windows-1252 byte 0xB5.
    EXPECT_STREQ(intel_model_tables[2].text_at(3), "Pentium II (0.28\xB5" "m)");
    EXPECT_EQ(std::strlen(intel_model_tables[2].text_at(7)), std::strlen("Pentium III/Xeon (0.25?m)"));
    EXPECT_EQ(static_cast<unsigned char>(intel_model_tables[2].text_at(8)[22]), 0xB5u);
    EXPECT_STREQ(intel_model_tables[2].text_at(8), "Pentium III/Xeon (0.18\xB5" "m)");
    EXPECT_STREQ(amd_model_tables[2].text_at(1), "Athlon (0.25\xB5" "m)");
    EXPECT_STREQ(amd_model_tables[1].text_at(6), "K6 (0.3\xB5" "m)");
    EXPECT_STREQ(amd_model_tables[1].text_at(13), "K6-II+/III+ (0.18\xB5" "m)");
    EXPECT_STREQ(intel_model_tables[0].text_at(7), "DX2 (WB-enhanced)");
    EXPECT_STREQ(intel_model_tables[1].text_at(1), "60 - 66 MHz");
    EXPECT_STREQ(intel_model_tables[3].text_at(9), "Pentium IV");
    EXPECT_STREQ(amd_model_tables[2].text_at(15), "Athlon");
    // Empty rows hand out the shared empty text; so do positions past the last row.
    EXPECT_EQ(intel_model_tables[1].text_at(0), shared_empty_text);
    EXPECT_EQ(intel_model_tables[2].text_at(9), shared_empty_text);
    EXPECT_EQ(intel_model_tables[2].text_at(10), shared_empty_text) << "Intel lists stop at model 9";
    EXPECT_EQ(amd_model_tables[0].text_at(10), shared_empty_text);
}

TEST_F(ReferenceTables, ProcessorNameKeysAreDistinctAndWellFormed) {
    std::set<std::int32_t> keys;
    for (const KeyedStringList::Entry& entry : processor_name_table.entries()) {
        EXPECT_TRUE(keys.insert(entry.value).second) << "duplicate key 0x" << std::hex << entry.value;
        const int vendor = entry.value >> 20;
        EXPECT_TRUE(vendor == 0 || vendor == 1) << "key 0x" << std::hex << entry.value;
        EXPECT_EQ(entry.value & 0xF00, 0) << "digit 3 is always zero in 0x" << std::hex << entry.value;
        EXPECT_LE(entry.value & 0xF, 6) << "level-2 code of 0x" << std::hex << entry.value;
        EXPECT_NE(entry.text[0], '\0');
    }
    struct Row {
        std::int32_t key;
        const char* text;
    };
    const Row samples[] = {
        {0x040000, "486 DX"},        {0x043000, "487 / DX2 / DX2 OverDrive"},
        {0x047000, "DX2 (Write-Back Enhanced)"}, {0x054010, "Pentium MMX OverDrive for Pentium"},
        {0x066002, "Celeron (128K L2-Cache)"},   {0x068000, "Pentium III / Xeon / Celeron"},
        {0x068003, "Pentium III / Xeon"},        {0x070005, "Pentium IV (Xeon)"},
        {0x140000, "Am486 / Am5x86"},            {0x15D002, "K6-II+"},
        {0x160004, "K7 ES"},                     {0x163001, "Duron"},
        {0x164003, "Athlon"},
    };
    for (const Row& row : samples) {
        EXPECT_STREQ(processor_name_table.text_for_value(row.key), row.text) << "key 0x" << std::hex << row.key;
    }
    EXPECT_EQ(processor_name_table.text_for_value(0x068006), shared_empty_text);
}

TEST_F(ReferenceTables, DescriptorRowsMatchTheProbeClasses) {
    for (int byte = 0; byte < 256; ++byte) {
        const DescriptorClass kind = classify_descriptor(static_cast<std::uint8_t>(byte));
        EXPECT_EQ(cache_descriptor_table.has_position(byte), kind != DescriptorClass::other)
            << "descriptor 0x" << std::hex << byte;
        if (names_untabled_level2_size(static_cast<std::uint8_t>(byte))) {
            EXPECT_EQ(kind, DescriptorClass::other) << "descriptor 0x" << std::hex << byte;
        }
    }
    struct Row {
        int descriptor;
        int size;
    };
    const Row samples[] = {
        {0x06, 8},    {0x08, 16},   {0x0A, 8},   {0x0C, 16},   {0x40, 0},    {0x45, 2048},
        {0x68, 32},   {0x70, 12},   {0x72, 32},  {0x79, 128},  {0x7A, 256},  {0x7B, 512},
        {0x7C, 1024}, {0x81, 128},  {0x85, 2048}, {0x01, 0},   {0x50, 0},
    };
    for (const Row& row : samples) {
        EXPECT_EQ(cache_descriptor_table.value_at(row.descriptor), row.size)
            << "descriptor 0x" << std::hex << row.descriptor;
    }
}

}  // namespace
}  // namespace corelens
