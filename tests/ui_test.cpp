// Window logic without a window system: field texts, feature rows, sorting, tiles, centring.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "tables/reference_tables.h"
#include "ui/feature_list.h"
#include "ui/field_texts.h"
#include "ui/layout.h"

namespace corelens {
namespace {

ProcessorRecord intel_record() {
    ProcessorRecord record{};
    std::strcpy(record.vendor_id, "GenuineIntel");
    std::strcpy(record.name, "Intel Pentium III");
    std::strcpy(record.brand_string, "Intel(R) Pentium(R) III CPU");
    std::strcpy(record.type_name, "Original OEM processor");
    record.family = 6;
    record.model = 8;
    record.stepping = 3;
    record.max_level = 2;
    record.speed_mhz = 451.0f;
    record.features = 0x0383F9FF;
    record.l1_data_kb = 16;
    record.l1_code_kb = 16;
    record.l2_kb = 256;
    return record;
}

std::map<int, FieldText> by_id(const std::vector<FieldText>& fields) {
    std::map<int, FieldText> map;
    for (const FieldText& field : fields) map.emplace(field.id, field);
    return map;
}

class UiLogic : public ::testing::Test {
protected:
    void SetUp() override { build_reference_tables(); }
};

TEST_F(UiLogic, MainFieldsInFillOrder) {
    std::vector<int> ids;
    for (const FieldText& field : main_field_texts(intel_record())) ids.push_back(field.id);
    EXPECT_EQ(ids, (std::vector<int>{1028, 1004, 1011, 1005, 1007, 1013, 1006, 1009, 1025}));
}

TEST_F(UiLogic, MainFieldTexts) {
    const auto fields = by_id(main_field_texts(intel_record()));
    const std::map<int, std::string> expected{
        {IDC_MAIN_NAME, "Intel Pentium III"},
        {IDC_MAIN_VENDOR, "GenuineIntel"},
        {IDC_MAIN_DESCRIPTION, "Intel(R) Pentium(R) III CPU"},
        {IDC_MAIN_MODEL, "8 (Pentium III/Xeon (0.18\xB5m))"},
        {IDC_MAIN_FAMILY, "6 (Pentium Pro/II/III/Celeron)"},
        {IDC_MAIN_SPEED, "451.0 MHz"},
        {IDC_MAIN_STEPPING, "3"},
        {IDC_MAIN_TYPE, "0 (Original OEM processor)"},
        {IDC_MAIN_LEVEL, "2"},
    };
    for (const auto& [id, text] : expected) {
        ASSERT_EQ(fields.count(id), 1u) << "field " << id;
        EXPECT_EQ(fields.at(id).text, text) << "field " << id;
        EXPECT_TRUE(fields.at(id).enabled) << "field " << id;
    }
}

TEST_F(UiLogic, MainFieldGreying) {
    struct Case {
        const char* what;
        float speed;
        const char* brand;
        std::string speed_text;
        bool speed_enabled;
        std::string description_text;
        bool description_enabled;
    };
    const Case cases[] = {
        {"measured, branded", 1999.95f, "Brand", "1999.9 MHz", true, "Brand", true},
        {"no clock", 0.0f, "Brand", "(unable to determine speed)", false, "Brand", true},
        {"no brand", 451.0f, "", "451.0 MHz", true, "(not supported by this cpu)", false},
        {"neither", 0.0f, "", "(unable to determine speed)", false, "(not supported by this cpu)", false},
    };
    for (const Case& c : cases) {
        ProcessorRecord record = intel_record();
        record.speed_mhz = c.speed;
        std::strcpy(record.brand_string, c.brand);
        const auto fields = by_id(main_field_texts(record));
        EXPECT_EQ(fields.at(IDC_MAIN_SPEED).text, c.speed_text) << c.what;
        EXPECT_EQ(fields.at(IDC_MAIN_SPEED).enabled, c.speed_enabled) << c.what;
        EXPECT_EQ(fields.at(IDC_MAIN_DESCRIPTION).text, c.description_text) << c.what;
        EXPECT_EQ(fields.at(IDC_MAIN_DESCRIPTION).enabled, c.description_enabled) << c.what;
    }
}

TEST_F(UiLogic, MainFieldFamilyAndLevel) {
    struct Case {
        int family, ext_family, max_level, max_ext_level;
        std::string family_text, level_text;
    };
    const Case cases[] = {
        {6, 0, 2, 0, "6 (Pentium Pro/II/III/Celeron)", "2"},
        {6, 6, 1, 4, "6 (Pentium Pro/II/III/Celeron)", "1 {4}"},
        {6, 7, 2, 8, "6 {7} (Pentium Pro/II/III/Celeron)", "2 {8}"},
        {15, 15, 2, 4, "15 (Pentium IV)", "2 {4}"},
        {3, 0, 1, 0, "3", "1"},
        {3, 9, 1, 0, "3 {9}", "1"},
    };
    for (const Case& c : cases) {
        ProcessorRecord record = intel_record();
        record.family = static_cast<std::int8_t>(c.family);
        record.ext_family = static_cast<std::int8_t>(c.ext_family);
        record.max_level = static_cast<std::int8_t>(c.max_level);
        record.max_ext_level = static_cast<std::int8_t>(c.max_ext_level);
        const auto fields = by_id(main_field_texts(record));
        EXPECT_EQ(fields.at(IDC_MAIN_FAMILY).text, c.family_text) << "family " << c.family;
        EXPECT_EQ(fields.at(IDC_MAIN_LEVEL).text, c.level_text) << "family " << c.family;
    }
}

TEST_F(UiLogic, MainFieldsPrintBytesSigned) {
    ProcessorRecord record = intel_record();
    record.stepping = -1;
    record.type = 2;
    record.type_name[0] = '\0';
    const auto fields = by_id(main_field_texts(record));
    EXPECT_EQ(fields.at(IDC_MAIN_STEPPING).text, "-1");
    EXPECT_EQ(fields.at(IDC_MAIN_TYPE).text, "2 ()");
}

TEST_F(UiLogic, FeaturesFieldsEveryCacheBranch) {
    struct Case {
        int l1_data, l1_code, l2;
        std::string l1_data_text, l1_code_text, l2_text;
        bool l1_data_enabled, l1_code_enabled, l2_enabled;
    };
    const Case cases[] = {
        {16, 16, 256, "16 KB", "16 KB", "256 KB", true, true, true},
        {0, 12, 0, "(unable to detect)", "12 KB", "none", false, true, true},
        {128, 0, -1, "128 KB", "(unable to detect)", "(unable to detect)", true, false, false},
    };
    for (const Case& c : cases) {
        ProcessorRecord record = intel_record();
        record.l1_data_kb = static_cast<std::uint8_t>(c.l1_data);
        record.l1_code_kb = static_cast<std::uint8_t>(c.l1_code);
        record.l2_kb = static_cast<std::int16_t>(c.l2);
        const auto fields = by_id(features_field_texts(record));
        const std::string what = "l1 " + std::to_string(c.l1_data) + "/" + std::to_string(c.l1_code) +
                                 " l2 " + std::to_string(c.l2);
        EXPECT_EQ(fields.at(IDC_FEAT_L1_DATA).text, c.l1_data_text) << what;
        EXPECT_EQ(fields.at(IDC_FEAT_L1_CODE).text, c.l1_code_text) << what;
        EXPECT_EQ(fields.at(IDC_FEAT_L2).text, c.l2_text) << what;
        EXPECT_EQ(fields.at(IDC_FEAT_L1_DATA).enabled, c.l1_data_enabled) << what;
        EXPECT_EQ(fields.at(IDC_FEAT_L1_CODE).enabled, c.l1_code_enabled) << what;
        EXPECT_EQ(fields.at(IDC_FEAT_L2).enabled, c.l2_enabled) << what;
    }
}

TEST_F(UiLogic, FeaturesFieldsExtensions) {
    ProcessorRecord record = intel_record();
    record.features = (1u << 23);
    record.ext_features = (1u << 31);
    auto fields = by_id(features_field_texts(record));
    EXPECT_EQ(fields.at(IDC_FEAT_MMX).text, "yes");
    EXPECT_EQ(fields.at(IDC_FEAT_3DNOW).text, "yes");
    EXPECT_EQ(fields.at(IDC_FEAT_SIMD).text, "no");
    record.features = (1u << 25);
    record.ext_features = 0;
    fields = by_id(features_field_texts(record));
    EXPECT_EQ(fields.at(IDC_FEAT_MMX).text, "no");
    EXPECT_EQ(fields.at(IDC_FEAT_3DNOW).text, "no");
    EXPECT_EQ(fields.at(IDC_FEAT_SIMD).text, "yes");
}

TEST_F(UiLogic, FeatureRowsStandardOnly) {
    ProcessorRecord record = intel_record();
    record.features = 0xFFFFFFFF;  // bits without a name stay out even when set
    const auto rows = feature_rows(record);
    std::vector<std::int32_t> positions;
    for (const FeatureRow& row : rows) positions.push_back(row.row_position);
    EXPECT_EQ(positions, (std::vector<std::int32_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13, 14, 15,
                                                     16, 17, 18, 23, 24, 25, 26, 30}));
    ASSERT_EQ(rows.size(), 23u);
    EXPECT_EQ(rows[0].short_name, "FPU");
    EXPECT_EQ(rows[0].long_name, "Floating Point Unit");
    EXPECT_EQ(rows[0].position_text, "0");
    EXPECT_EQ(rows[22].position_text, "30");
}

TEST_F(UiLogic, FeatureRowsExtendedOnlyWithExtendedWord) {
    ProcessorRecord record = intel_record();
    record.features = 1u;
    record.ext_features = 0;
    EXPECT_EQ(feature_rows(record).size(), 23u);

    // The probe ORs the extended word into features, so bit 30 ("IA-64") reads yes too.
    record.ext_features = 1u << 30;
    record.features = 1u | record.ext_features;
    const auto rows = feature_rows(record);
    ASSERT_EQ(rows.size(), 25u);
    const FeatureRow& ia64 = rows[22];
    EXPECT_EQ(ia64.short_name, "IA-64");
    EXPECT_EQ(ia64.enabled_text, "yes");
    const FeatureRow& plus = rows[23];
    EXPECT_EQ(plus.row_position, 62);
    EXPECT_EQ(plus.short_name, "3DNow+");
    EXPECT_EQ(plus.long_name, "Extended AMD 3DNow");
    EXPECT_EQ(plus.position_text, "e30");
    EXPECT_EQ(plus.enabled_text, "yes");
    const FeatureRow& now = rows[24];
    EXPECT_EQ(now.row_position, 63);
    EXPECT_EQ(now.short_name, "3DNow");
    EXPECT_EQ(now.position_text, "e31");
    EXPECT_EQ(now.enabled_text, "no");
    EXPECT_EQ(rows[1].enabled_text, "no");
    EXPECT_EQ(rows[0].enabled_text, "yes");
}

TEST_F(UiLogic, FeatureColumns) {
    const char* headers[] = {"Feature", "Name", "Pos", "Enabled"};
    const int widths[] = {60, 200, 32, 56};
    for (int i = 0; i < 4; ++i) {
        EXPECT_STREQ(feature_columns[i].header, headers[i]) << "column " << i;
        EXPECT_EQ(feature_columns[i].width, widths[i]) << "column " << i;
    }
}

TEST_F(UiLogic, ColumnClickToggles) {
    struct Step {
        int column;
        SortFlags flags_after;
        SortComparison comparison;
        std::int32_t parameter;
    };
    // From a fresh start: each column's first click, then repeats and switches.
    const Step steps[] = {
        {0, {0, 1, 1, 1}, SortComparison::name, 0},
        {0, {1, 1, 1, 1}, SortComparison::name, 2},
        {0, {0, 1, 1, 1}, SortComparison::name, 0},
        {1, {1, 0, 1, 1}, SortComparison::name, 1},
        {1, {1, 1, 1, 1}, SortComparison::name, 3},
        {2, {1, 1, 0, 1}, SortComparison::position, 0},
        {3, {1, 1, 1, 0}, SortComparison::enabled, 1},
        {3, {1, 1, 1, 1}, SortComparison::enabled, 0},
    };
    SortFlags flags = k_initial_sort_flags;
    for (const Step& step : steps) {
        const auto request = click_column(flags, step.column);
        ASSERT_TRUE(request.has_value());
        EXPECT_EQ(flags, step.flags_after) << "column " << step.column;
        EXPECT_EQ(request->comparison, step.comparison) << "column " << step.column;
        EXPECT_EQ(request->parameter, step.parameter) << "column " << step.column;
    }
    EXPECT_FALSE(click_column(flags, 4).has_value());
    EXPECT_FALSE(click_column(flags, -1).has_value());
    EXPECT_EQ(flags, (SortFlags{1, 1, 1, 1}));
}

TEST_F(UiLogic, FirstPositionClickInFreshRunIsDescending) {
    SortFlags flags = k_initial_sort_flags;
    const auto request = click_column(flags, 2);
    EXPECT_EQ(request->parameter, 1);
}

class FeatureSort : public UiLogic {
protected:
    void SetUp() override {
        UiLogic::SetUp();
        record_ = intel_record();
        record_.ext_features = (1u << 30) | (1u << 31);
        record_.features = (1u << 0) | (1u << 4) | (1u << 23) | record_.ext_features;
        for (const FeatureRow& row : feature_rows(record_)) positions_.push_back(row.row_position);
    }

    std::vector<std::string> names_after(const SortRequest& request, bool long_names = false) {
        std::vector<std::string> names;
        for (std::int32_t position : sorted_positions(positions_, request, record_)) {
            const KeyedStringList& table = position < 32 ? feature_table : ext_feature_table;
            names.push_back(long_names ? table.key_at(position % 32) : table.text_at(position % 32));
        }
        return names;
    }

    ProcessorRecord record_{};
    std::vector<std::int32_t> positions_;
};

TEST_F(FeatureSort, ShortNamesByteOrder) {
    SortFlags flags = k_initial_sort_flags;
    const auto ascending = names_after(*click_column(flags, 0));
    ASSERT_EQ(ascending.size(), 25u);
    EXPECT_EQ(ascending[0], "3DNow");
    EXPECT_EQ(ascending[1], "3DNow+");
    EXPECT_EQ(ascending[2], "APIC");
    EXPECT_EQ(ascending.back(), "VME");
    const auto descending = names_after(*click_column(flags, 0));
    EXPECT_EQ(descending.front(), "VME");
    EXPECT_EQ(descending.back(), "3DNow");
    click_column(flags, 1);
    EXPECT_EQ(names_after(*click_column(flags, 0)), ascending);
}

TEST_F(FeatureSort, LongNames) {
    SortFlags flags = k_initial_sort_flags;
    const auto ascending = names_after(*click_column(flags, 1), true);
    EXPECT_EQ(ascending.front(), "36-Bit Page Size Extension");
    EXPECT_EQ(ascending[1], "AMD 3DNow");
    EXPECT_EQ(ascending.back(), "Virtual Mode Extension");
    const auto descending = names_after(*click_column(flags, 1), true);
    EXPECT_EQ(descending.front(), "Virtual Mode Extension");
}

TEST_F(FeatureSort, PositionsPutExtendedRowsLast) {
    SortFlags flags = k_initial_sort_flags;
    const auto descending = sorted_positions(positions_, *click_column(flags, 2), record_);
    EXPECT_EQ(descending.front(), 63);
    EXPECT_EQ(descending[1], 62);
    EXPECT_EQ(descending[2], 30);
    EXPECT_EQ(descending.back(), 0);
    const auto ascending = sorted_positions(positions_, *click_column(flags, 2), record_);
    EXPECT_EQ(ascending, positions_);
}

TEST_F(FeatureSort, EnabledRowsFirstThenLast) {
    SortFlags flags = k_initial_sort_flags;
    auto enabled_of = [&](std::int32_t position) {
        return position < 32 ? (record_.features >> position) & 1u
                             : (record_.ext_features >> (position - 32)) & 1u;
    };
    const auto first = sorted_positions(positions_, *click_column(flags, 3), record_);
    // FPU, TSC, MMX, IA-64 (through the merged word), 3DNow+, 3DNow
    for (std::size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(enabled_of(first[i]), i < 6 ? 1u : 0u) << "row " << i << " position " << first[i];
    }
    const auto second = sorted_positions(positions_, *click_column(flags, 3), record_);
    for (std::size_t i = 0; i < second.size(); ++i) {
        EXPECT_EQ(enabled_of(second[i]), i < second.size() - 6 ? 0u : 1u)
            << "row " << i << " position " << second[i];
    }
}

TEST_F(FeatureSort, ComparisonSigns) {
    struct Case {
        const char* what;
        int actual;
        int sign;
    };
    const Case cases[] = {
        {"name FPU<VME", compare_by_name(0, 1, 0), -1},
        {"name FPU<VME desc", compare_by_name(0, 1, 2), 1},
        {"name 3DNow<3DNow+", compare_by_name(63, 62, 0), -1},
        {"key Floating<Virtual", compare_by_name(0, 1, 1), -1},
        {"key desc", compare_by_name(0, 1, 3), 1},
        {"name equal", compare_by_name(4, 4, 2), 0},
        {"pos 0<32", compare_by_position(31, 32, 0), -1},
        {"pos desc", compare_by_position(31, 32, 1), 1},
        {"pos equal", compare_by_position(5, 5, 1), 0},
        {"enabled set-clear asc", compare_by_enabled(0, 1, 0, record_), 1},
        {"enabled set-clear desc", compare_by_enabled(0, 1, 1, record_), -1},
        {"enabled ext", compare_by_enabled(63, 33, 0, record_), 1},
    };
    for (const Case& c : cases) {
        const int sign = c.actual > 0 ? 1 : (c.actual < 0 ? -1 : 0);
        EXPECT_EQ(sign, c.sign) << c.what << " returned " << c.actual;
    }
}

TEST_F(UiLogic, SortFlagsLiveForTheProcess) {
    // The shared flags start at the initial values and keep what a click left.
    const SortFlags saved = sort_flags;
    sort_flags = k_initial_sort_flags;
    click_column(sort_flags, 0);
    const SortFlags after_first_opening = sort_flags;
    EXPECT_EQ(after_first_opening, (SortFlags{0, 1, 1, 1}));
    // A reopened window rebuilds its rows but the next click continues: descending now.
    EXPECT_EQ(click_column(sort_flags, 0)->parameter, 2);
    sort_flags = saved;
}

TEST(TileGrid, OneTileInTheMiddle) {
    struct Case {
        int width, height, tile_width, tile_height;
    };
    const Case cases[] = {{556, 512, 48, 19}, {100, 100, 10, 10}, {301, 40, 48, 19}, {47, 18, 48, 19}};
    for (const Case& c : cases) {
        const TileGrid grid = tile_grid(c.width, c.height, c.tile_width, c.tile_height);
        const int middle_x = (c.width - c.tile_width) / 2;
        const int middle_y = (c.height - c.tile_height) / 2;
        bool found = false;
        for (int i = 0; i < grid.columns && !found; ++i) {
            for (int j = 0; j < grid.rows && !found; ++j) {
                const Position p = grid.tile(i, j);
                found = p.x == middle_x && p.y == middle_y;
            }
        }
        EXPECT_TRUE(found) << c.width << "x" << c.height << " tile " << c.tile_width << "x" << c.tile_height;
        // Starts before the image and covers it to the far edges.
        EXPECT_LE(grid.first_x, 0) << c.width;
        EXPECT_LE(grid.first_y, 0) << c.height;
        EXPECT_GE(grid.tile(grid.columns - 1, 0).x + c.tile_width, c.width) << c.width;
        EXPECT_GE(grid.tile(0, grid.rows - 1).y + c.tile_height, c.height) << c.height;
    }
}

TEST(TileGrid, FormulaValues) {
    // W 556: (556/2)/48 = 5, so column 0 is at (0-5-1)*48 + (556-48)/2 = -288 + 254.
    const TileGrid grid = tile_grid(556, 512, 48, 19);
    EXPECT_EQ(grid.first_x, -34);
    EXPECT_EQ(grid.columns, 24);  // 23 * 48 = 1104 < 1112, 24 * 48 = 1152
    // H 512: (512/2)/19 = 13, (0-13-1)*19 + (512-19)/2 = -266 + 246.
    EXPECT_EQ(grid.first_y, -20);
    EXPECT_EQ(grid.rows, 54);  // 53 * 19 = 1007 < 1024, 54 * 19 = 1026
    EXPECT_EQ(grid.tile(1, 1).x, 14);
    EXPECT_EQ(grid.tile(1, 1).y, -1);
}

TEST(TileGrid, TruncatesTowardZero) {
    // Tile wider than the image: (47 - 48) / 2 is 0, not -1.
    const TileGrid grid = tile_grid(47, 19, 48, 19);
    EXPECT_EQ(grid.first_x, -48);
    EXPECT_EQ(grid.columns, 2);
    EXPECT_EQ(grid.first_y, -19);
    EXPECT_EQ(grid.rows, 2);
}

TEST(TileGrid, EmptyTileLaysNothing) {
    EXPECT_EQ(tile_grid(100, 100, 0, 19).columns, 0);
    EXPECT_EQ(tile_grid(100, 100, 48, 0).rows, 0);
}

TEST(Centring, HalvesTruncated) {
    struct Case {
        int sw, sh, w, h, x, y;
    };
    const Case cases[] = {
        {1024, 768, 274, 333, 512 - 137, 384 - 166},
        {1025, 769, 275, 335, 512 - 137, 384 - 167},
        {800, 600, 800, 600, 0, 0},
        {640, 480, 1001, 701, 320 - 500, 240 - 350},
    };
    for (const Case& c : cases) {
        const Position p = centred_origin(c.sw, c.sh, c.w, c.h);
        EXPECT_EQ(p.x, c.x) << c.sw << "x" << c.sh << " window " << c.w << "x" << c.h;
        EXPECT_EQ(p.y, c.y) << c.sw << "x" << c.sh << " window " << c.w << "x" << c.h;
    }
}

}  // namespace
}  // namespace corelens
