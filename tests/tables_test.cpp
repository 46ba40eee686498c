#include <gtest/gtest.h>

#include <set>

#include "core/probe.h"
#include "tables/keyed_string_list.h"
#include "tables/reference_tables.h"

namespace corelens {
namespace {

// The first match answers until it is removed; clearing does not lower the count, so a
// later row is numbered after every row ever appended.
TEST(KeyedStringList, RemoveFirstAndClearKeepTheCount) {
    KeyedStringList list;
    list.append_at(5, 1);
    list.append_at(5, 2);
    EXPECT_EQ(list.value_at(5), 1) << "the first match wins";
    EXPECT_EQ(list.remove_first(), 1);
    EXPECT_EQ(list.value_at(5), 2) << "the second entry answers once the first is gone";
    list.clear();
    EXPECT_FALSE(list.has_position(5));
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

TEST_F(ReferenceTables, ProcessorNameKeysAreDistinct) {
    std::set<std::int32_t> keys;
    for (const KeyedStringList::Entry& entry : processor_name_table.entries()) {
        EXPECT_TRUE(keys.insert(entry.value).second) << "duplicate key 0x" << std::hex << entry.value;
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
