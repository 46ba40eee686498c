#include <gtest/gtest.h>

#include "tables/keyed_string_list.h"

namespace corelens {
namespace {

TEST(KeyedStringList, EmptyLookupsGiveSharedEmptyText) {
    KeyedStringList list;
    EXPECT_EQ(list.text_at(0), shared_empty_text);
    EXPECT_EQ(list.key_at(3), shared_empty_text);
    EXPECT_EQ(list.value_at(0), 0);
    EXPECT_EQ(list.text_for_value(0), shared_empty_text);
}

}  // namespace
}  // namespace corelens
