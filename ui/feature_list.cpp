#include "ui/feature_list.h"

#include <algorithm>
#include <cstring>

#include "platform/format.h"
#include "tables/reference_tables.h"

namespace corelens {

const std::array<FeatureColumn, 4> feature_columns{{
    {"Feature", 60},
    {"Name", 200},
    {"Pos", 32},
    {"Enabled", 56},
}};

SortFlags sort_flags = k_initial_sort_flags;

namespace {

constexpr std::int32_t k_bits_per_word = 32;

const KeyedStringList& table_of(std::int32_t row_position) {
    return row_position < k_bits_per_word ? feature_table : ext_feature_table;
}

bool bit_set(std::uint32_t word, std::int32_t bit) { return ((word >> (bit & 31)) & 1u) != 0; }

// A standard row reads the leaf-1 word alone: features also holds the extended bits, and an
// Athlon's 3DNow+ (e30) would show as IA-64.
int bit_value(std::int32_t row_position, const ProcessorRecord& record) {
    if (row_position < k_bits_per_word) return bit_set(record.standard_features, row_position) ? 1 : 0;
    return bit_set(record.ext_features, row_position - k_bits_per_word) ? 1 : 0;
}

void append_rows(std::vector<FeatureRow>& rows, const KeyedStringList& table, std::uint32_t word,
                 std::int32_t first_position, const char* position_prefix) {
    for (std::int32_t bit = 0; bit < k_bits_per_word; ++bit) {
        const char* short_name = table.text_at(bit);
        // Only the exact mark is left out; a position without any entry still gets a row.
        if (std::strcmp(short_name, no_feature_mark) == 0) continue;
        rows.push_back({first_position + bit, short_name, table.key_at(bit),
                        position_prefix + platform::unsigned_decimal(static_cast<unsigned>(bit)),
                        bit_set(word, bit) ? "yes" : "no"});
    }
}

}  // namespace

std::vector<FeatureRow> feature_rows(const ProcessorRecord& record) {
    std::vector<FeatureRow> rows;
    append_rows(rows, feature_table, record.standard_features, 0, "");
    if (record.ext_features != 0) {
        append_rows(rows, ext_feature_table, record.ext_features, k_bits_per_word, "e");
    }
    return rows;
}

std::optional<SortOrder> click_column(SortFlags& flags, int column) {
    if (column < 0 || column >= static_cast<int>(flags.size())) return std::nullopt;
    const int toggled = flags[column] == 0 ? 1 : 0;
    flags.fill(1);
    flags[column] = toggled;
    return SortOrder{column, toggled == 1};
}

std::int32_t sort_parameter(const SortOrder& order) {
    const std::int32_t descending = order.descending ? 1 : 0;
    switch (order.column) {
        case 0: return 2 * descending;
        case 1: return 2 * descending + 1;
        case 2: return descending;
        default: return 1 - descending;
    }
}

int compare_by_name(std::int32_t a, std::int32_t b, std::int32_t parameter) {
    const std::int32_t position_a = a % k_bits_per_word;
    const std::int32_t position_b = b % k_bits_per_word;
    const bool long_names = (parameter & 1) != 0;
    const char* name_a = long_names ? table_of(a).key_at(position_a) : table_of(a).text_at(position_a);
    const char* name_b = long_names ? table_of(b).key_at(position_b) : table_of(b).text_at(position_b);
    const int result = std::strcmp(name_a, name_b);
    return parameter > 1 ? -result : result;
}

int compare_by_position(std::int32_t a, std::int32_t b, std::int32_t parameter) {
    const int result = a > b ? 1 : (a < b ? -1 : 0);
    return parameter != 0 ? -result : result;
}

int compare_by_enabled(std::int32_t a, std::int32_t b, std::int32_t parameter,
                       const ProcessorRecord& record) {
    const int result = bit_value(a, record) - bit_value(b, record);
    return parameter > 0 ? -result : result;
}

int compare_rows(const SortOrder& order, std::int32_t a, std::int32_t b,
                 const ProcessorRecord& record) {
    const std::int32_t parameter = sort_parameter(order);
    switch (order.column) {
        case 0:
        case 1: return compare_by_name(a, b, parameter);
        case 2: return compare_by_position(a, b, parameter);
        default: return compare_by_enabled(a, b, parameter, record);
    }
}

std::vector<std::int32_t> sorted_positions(std::vector<std::int32_t> positions,
                                           const SortOrder& order,
                                           const ProcessorRecord& record) {
    std::stable_sort(positions.begin(), positions.end(), [&](std::int32_t a, std::int32_t b) {
        return compare_rows(order, a, b, record) < 0;
    });
    return positions;
}

}  // namespace corelens
