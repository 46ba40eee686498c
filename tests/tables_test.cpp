#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "core/probe.h"
#include "tables/keyed_string_list.h"
#include "tables/reference_tables.h"

namespace corelens {
namespace {

TEST(KeyedStringList, EmptyLookupsGiveSharedEmptyText) {
    KeyedStringList list;
    EXPECT_EQ(list.text_for_value(0), shared_empty_text);
    list.append_value(7, "seven");
    // A miss in a filled list, and a row without a key, hand out the same pointer.
    EXPECT_EQ(list.text_at(5), shared_empty_text);
    EXPECT_EQ(list.key_at(0), shared_empty_text);
    EXPECT_EQ(list.text_for_value(8), shared_empty_text);
}

TEST(KeyedStringList, PositionsAndFirstMatch) {
    KeyedStringList list;
    list.append_at(0x43, 512);
    list.append_at(0x43, 1);
    list.append_value(9, "first");
    list.append_value(9, "second");
    list.append("k", "t");
    EXPECT_EQ(list.count(), 5);
    EXPECT_EQ(list.value_at(0x43), 512) << "the first match wins";
    EXPECT_STREQ(list.text_for_value(9), "first");
    EXPECT_EQ(list.value_at(0), 0) << "append_at does not number by count";
    EXPECT_STREQ(list.text_at(2), "first") << "append numbers by count, not by the highest position";
    EXPECT_STREQ(list.text_for_value(0), "t") << "an append() row has value 0";
}

TEST(KeyedStringList, RemoveFirstClearAndDestruction) {
    KeyedStringList list;
    list.append_at(5, 1);
    list.append_at(5, 2);
    EXPECT_EQ(list.remove_first(), 1);
    EXPECT_EQ(list.value_at(5), 2) << "the second entry answers once the first is gone";
    list.clear();
    EXPECT_FALSE(list.has_position(5));
    EXPECT_EQ(list.count(), 2) << "clearing does not lower the count";
    list.append("k", "t");
    EXPECT_STREQ(list.text_at(2), "t");
}  // destroying a filled list: the sanitizer build checks for leaks

class ReferenceTables : public ::testing::Test {
protected:
    void SetUp() override { build_reference_tables(); }
};

TEST_F(ReferenceTables, RowCountsAfterASecondBuild) {
    build_reference_tables();  // the second build must change nothing
    const struct { const char* name; const KeyedStringList& list; int rows; } cases[] = {
        {"vendor", vendor_table, 7},           {"feature", feature_table, 32},
        {"ext_feature", ext_feature_table, 32}, {"intel_family", intel_family_table, 4},
        {"amd_family", amd_family_table, 3},   {"intel_model 0", intel_model_tables[0], 10},
        {"intel_model 1", intel_model_tables[1], 10}, {"intel_model 2", intel_model_tables[2], 10},
        {"intel_model 3", intel_model_tables[3], 10}, {"amd_model 0", amd_model_tables[0], 16},
        {"amd_model 1", amd_model_tables[1], 16}, {"amd_model 2", amd_model_tables[2], 16}, {"processor_name", processor_name_table, 65},
        {"cache_descriptor", cache_descriptor_table, 25},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(static_cast<int>(c.list.entries().size()), c.rows) << c.name;
        EXPECT_EQ(c.list.count(), c.rows) << c.name;
    }
}

TEST_F(ReferenceTables, SampleRows) {
    // key nullptr: the row has no key.
    const struct { const KeyedStringList& list; int position; const char* key; const char* text; } rows[] = {
        {vendor_table, 4, "UMC UMC UMC ", "UMC"},  // the trailing blank is part of the key
        {feature_table, 30, "IA-64 instructions", "IA-64"},
        {ext_feature_table, 30, "Extended AMD 3DNow", "3DNow+"},
        {intel_family_table, 3, nullptr, "Pentium IV"},
        {intel_model_tables[2], 8, "M8", "Pentium III/Xeon (0.18\xB5" "m)"},  // micro sign: byte 0xB5
        {amd_model_tables[1], 6, "M 6", "K6 (0.3\xB5" "m)"},
    };
    for (const auto& row : rows) {
        EXPECT_STREQ(row.list.key_at(row.position), row.key ? row.key : "") << "row " << row.position;
        EXPECT_STREQ(row.list.text_at(row.position), row.text) << "row " << row.position;
    }
    EXPECT_EQ(amd_family_table.text_at(3), shared_empty_text) << "no AMD family 7 or 15";
    EXPECT_EQ(intel_model_tables[2].text_at(10), shared_empty_text) << "Intel lists stop at model 9";
}

TEST_F(ReferenceTables, FeatureBitsWithoutANameCarryTheMark) {
    EXPECT_STREQ(no_feature_mark, "x");
    const std::set<int> unnamed = {10, 19, 20, 21, 22, 27, 28, 29, 31};
    for (int bit = 0; bit < 32; ++bit) {
        for (const KeyedStringList* list : {&feature_table, &ext_feature_table}) {
            const bool expected = list == &feature_table ? unnamed.count(bit) == 1 : bit < 30;
            EXPECT_EQ(std::strcmp(list->text_at(bit), "x") == 0, expected) << "bit " << bit;
            EXPECT_EQ(std::strcmp(list->key_at(bit), "x") == 0, expected) << "bit " << bit;
        }
    }
}

TEST_F(ReferenceTables, ProcessorNameKeysAreDistinct) {
    std::set<std::int32_t> keys;
    for (const KeyedStringList::Entry& entry : processor_name_table.entries()) {
        EXPECT_TRUE(keys.insert(entry.value).second) << "duplicate key 0x" << std::hex << entry.value;
    }
    const struct { std::int32_t key; const char* text; } rows[] = {
        {0x043000, "487 / DX2 / DX2 OverDrive"}, {0x070005, "Pentium IV (Xeon)"}, {0x068006, ""},
    };
    for (const auto& row : rows) {
        EXPECT_STREQ(processor_name_table.text_for_value(row.key), row.text) << "key 0x" << std::hex << row.key;
    }
}

TEST_F(ReferenceTables, EveryDescriptorOfTheProbeClassesHasARowAndNoOther) {
    for (int byte = 0; byte < 256; ++byte) {
        const auto descriptor = static_cast<std::uint8_t>(byte);
        const DescriptorClass kind = classify_descriptor(descriptor);
        EXPECT_EQ(cache_descriptor_table.has_position(byte), kind != DescriptorClass::other) << std::hex << byte;
        EXPECT_FALSE(names_untabled_level2_size(descriptor) && kind != DescriptorClass::other) << std::hex << byte;
    }
    const int sizes[][2] = {{0x06, 8}, {0x0C, 16}, {0x40, 0}, {0x45, 2048}, {0x70, 12}, {0x7A, 256}, {0x85, 2048}};
    for (const auto& row : sizes) EXPECT_EQ(cache_descriptor_table.value_at(row[0]), row[1]) << std::hex << row[0];
}

}  // namespace
}  // namespace corelens
