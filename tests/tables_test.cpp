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
    EXPECT_EQ(1, list.value_at(5)) << "the first match wins";
    EXPECT_EQ(1, list.remove_first());
    EXPECT_EQ(2, list.value_at(5)) << "the second entry answers once the first is gone";
    list.clear();
    EXPECT_FALSE(list.has_position(5));
    list.append("k", "t");
    EXPECT_STREQ("t", list.text_at(2));
}  // destroying a filled list: the sanitizer build checks for leaks

// A second build changes nothing; the name keys are distinct; every descriptor of the probe's
// classes has a row, and no other.
TEST(ReferenceTables, RowsKeysAndDescriptors) {
    build_reference_tables();
    build_reference_tables();
    const struct { const char* name; const KeyedStringList& list; int rows; } cases[] = {
        {"vendor", vendor_table, 7}, {"feature", feature_table, 32}, {"intel_model 3", intel_model_tables[3], 10},
        {"amd_model 2", amd_model_tables[2], 16}, {"processor_name", processor_name_table, 65},
        {"cache_descriptor", cache_descriptor_table, 25},
    };
    for (const auto& c : cases) EXPECT_EQ(c.rows, c.list.count()) << c.name;
    std::set<std::int32_t> keys;
    for (const KeyedStringList::Entry& entry : processor_name_table.entries()) {
        EXPECT_TRUE(keys.insert(entry.value).second) << "duplicate key 0x" << std::hex << entry.value;
    }
    for (int byte = 0; byte < 256; ++byte) {
        const DescriptorClass kind = classify_descriptor(static_cast<std::uint8_t>(byte));
        EXPECT_EQ(kind != DescriptorClass::other, cache_descriptor_table.has_position(byte)) << std::hex << byte;
    }
}

}  // namespace
}  // namespace corelens
