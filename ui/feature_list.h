#pragma once
// The features window's flag list: its rows, its columns and the click-to-sort rules.
// Free of any window system; a list control only shows what this decides.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/processor_record.h"

namespace corelens {

struct FeatureColumn {
    const char* header;
    int width;  // pixels
};
extern const std::array<FeatureColumn, 4> feature_columns;  // Feature, Name, Pos, Enabled

struct FeatureRow {
    std::int32_t row_position;  // bit 0-31 of standard_features, or 32 + bit of ext_features
    std::string short_name;     // the table entry's text, e.g. "FPU"
    std::string long_name;      // the table entry's key
    std::string position_text;  // the bit number, "e" in front for an extended bit
    std::string enabled_text;   // "yes" or "no"
};

// Every named bit of feature_table, then (only when ext_features is not 0) of
// ext_feature_table, by increasing bit; rows marked "x" are left out.
std::vector<FeatureRow> feature_rows(const ProcessorRecord& record);

// Last sort direction per column: 0 ascending, 1 descending.
using SortFlags = std::array<int, 4>;
constexpr SortFlags k_initial_sort_flags{1, 1, 0, 1};
// One set for the whole process: reopening the window continues from it.
extern SortFlags sort_flags;

// How the list is to be sorted: by a column, ascending or descending ("Enabled" ascending:
// set bits first).
struct SortOrder {
    int column;  // 0-3
    bool descending;
};

// A click on column 0-3: toggles that column's flag, sets the others to 1 and says how to
// sort. Nothing happens (and nothing is returned) for any other column.
std::optional<SortOrder> click_column(SortFlags& flags, int column);

// The comparisons on two rows' positions, with the sort parameter that sort_parameter
// gives; negative when a goes first.
int compare_by_name(std::int32_t a, std::int32_t b, std::int32_t parameter);
int compare_by_position(std::int32_t a, std::int32_t b, std::int32_t parameter);
int compare_by_enabled(std::int32_t a, std::int32_t b, std::int32_t parameter,
                       const ProcessorRecord& record);
// Names: 2 x descending, plus 1 for the long names; position: descending; enabled: 1 for
// set bits first.
std::int32_t sort_parameter(const SortOrder& order);
int compare_rows(const SortOrder& order, std::int32_t a, std::int32_t b,
                 const ProcessorRecord& record);

// The row positions in the order a stable sort leaves them.
std::vector<std::int32_t> sorted_positions(std::vector<std::int32_t> positions,
                                           const SortOrder& order,
                                           const ProcessorRecord& record);

}  // namespace corelens
