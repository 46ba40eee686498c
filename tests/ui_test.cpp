// Window logic without a window system: field texts, feature rows, sorting, tiles, centring.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
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

// "text", with " [grey]" when the field is disabled; "missing" when the id is absent.
std::string field(const std::vector<FieldText>& fields, int id) {
    for (const FieldText& f : fields) {
        if (f.id == id) return f.text + (f.enabled ? "" : " [grey]");
    }
    return "missing";
}

class UiLogic : public ::testing::Test {
protected:
    void SetUp() override { build_reference_tables(); }
};

TEST_F(UiLogic, MainFieldsInFillOrder) {
    const auto fields = main_field_texts(intel_record());
    std::vector<std::string> actual;
    for (const FieldText& f : fields) actual.push_back(std::to_string(f.id) + " " + field(fields, f.id));
    EXPECT_EQ(actual, (std::vector<std::string>{
                          "1028 Intel Pentium III", "1004 GenuineIntel", "1011 Intel(R) Pentium(R) III CPU",
                          "1005 8 (Pentium III/Xeon (0.18\xB5m))", "1007 6 (Pentium Pro/II/III/Celeron)",
                          "1013 451.0 MHz", "1006 3", "1009 0 (Original OEM processor)", "1025 2"}));
}

TEST_F(UiLogic, MainFieldCases) {
    struct Case {
        const char* what;
        float speed;
        const char* brand;
        int family, ext_family, max_ext_level, stepping;
        const char *speed_text, *description_text, *family_text, *level_text, *stepping_text;
    };
    const char* no_speed = "(unable to determine speed) [grey]";
    const char* no_brand = "(not supported by this cpu) [grey]";
    const char* p6 = "6 (Pentium Pro/II/III/Celeron)";
    const Case cases[] = {
        {"measured, branded", 1999.95f, "Brand", 6, 0, 0, 3, "1999.9 MHz", "Brand", p6, "2", "3"},
        {"no clock", 0.0f, "Brand", 6, 0, 0, 3, no_speed, "Brand", p6, "2", "3"},
        {"no brand", 451.0f, "", 6, 0, 0, 3, "451.0 MHz", no_brand, p6, "2", "3"},
        {"ext family equal", 451.0f, "B", 6, 6, 4, 3, "451.0 MHz", "B", p6, "2 {4}", "3"},
        {"ext family shown", 451.0f, "B", 6, 7, 8, 3, "451.0 MHz", "B", "6 {7} (Pentium Pro/II/III/Celeron)",
         "2 {8}", "3"},
        {"unnamed family", 451.0f, "B", 3, 9, 0, 3, "451.0 MHz", "B", "3 {9}", "2", "3"},
        {"signed byte", 451.0f, "B", 6, 0, 0, -1, "451.0 MHz", "B", p6, "2", "-1"},
    };
    for (const Case& c : cases) {
        ProcessorRecord record = intel_record();
        record.speed_mhz = c.speed;
        std::strcpy(record.brand_string, c.brand);
        record.family = static_cast<std::int8_t>(c.family);
        record.ext_family = static_cast<std::int8_t>(c.ext_family);
        record.max_ext_level = static_cast<std::int8_t>(c.max_ext_level);
        record.stepping = static_cast<std::int8_t>(c.stepping);
        const auto fields = main_field_texts(record);
        EXPECT_EQ(field(fields, IDC_MAIN_SPEED), c.speed_text) << c.what;
        EXPECT_EQ(field(fields, IDC_MAIN_DESCRIPTION), c.description_text) << c.what;
        EXPECT_EQ(field(fields, IDC_MAIN_FAMILY), c.family_text) << c.what;
        EXPECT_EQ(field(fields, IDC_MAIN_LEVEL), c.level_text) << c.what;
        EXPECT_EQ(field(fields, IDC_MAIN_STEPPING), c.stepping_text) << c.what;
    }
}

TEST_F(UiLogic, FeaturesFieldsEveryBranch) {
    struct Case {
        int l1_data, l1_code, l2;
        std::uint32_t features, ext_features;
        std::vector<std::string> expected;  // MMX, 3DNow, SIMD, L1 data, L1 code, L2
    };
    const char* unknown = "(unable to detect) [grey]";
    const Case cases[] = {
        {16, 16, 256, 1u << 23 | 1u << 31, 1u << 31, {"yes", "yes", "no", "16 KB", "16 KB", "256 KB"}},
        {0, 12, 0, 1u << 25, 0, {"no", "no", "yes", unknown, "12 KB", "none"}},
        {128, 0, -1, 0, 0, {"no", "no", "no", "128 KB", unknown, unknown}},
    };
    const int ids[] = {IDC_FEAT_MMX,     IDC_FEAT_3DNOW,   IDC_FEAT_SIMD,
                       IDC_FEAT_L1_DATA, IDC_FEAT_L1_CODE, IDC_FEAT_L2};
    for (const Case& c : cases) {
        ProcessorRecord record = intel_record();
        record.l1_data_kb = static_cast<std::uint8_t>(c.l1_data);
        record.l1_code_kb = static_cast<std::uint8_t>(c.l1_code);
        record.l2_kb = static_cast<std::int16_t>(c.l2);
        record.features = c.features;
        record.ext_features = c.ext_features;
        const auto fields = features_field_texts(record);
        std::vector<std::string> actual;
        for (int id : ids) actual.push_back(field(fields, id));
        EXPECT_EQ(actual, c.expected) << "l1 " << c.l1_data << "/" << c.l1_code << " l2 " << c.l2;
    }
}

TEST_F(UiLogic, FeatureRows) {
    ProcessorRecord record = intel_record();
    record.features = 0xFFFFFFFF;  // bits without a name stay out even when set
    std::vector<std::string> rows;
    for (const FeatureRow& row : feature_rows(record)) rows.push_back(row.position_text);
    std::string positions;
    for (const std::string& row : rows) positions += row + " ";
    EXPECT_EQ(positions, "0 1 2 3 4 5 6 7 8 9 11 12 13 14 15 16 17 18 23 24 25 26 30 ");

    // The probe ORs the extended word into features, so bit 30 ("IA-64") reads yes too.
    record.ext_features = 1u << 30;
    record.features = 1u | record.ext_features;
    rows.clear();
    for (const FeatureRow& row : feature_rows(record)) {
        rows.push_back(std::to_string(row.row_position) + " " + row.short_name + " " + row.long_name + " " +
                       row.position_text + " " + row.enabled_text);
    }
    ASSERT_EQ(rows.size(), 25u);
    EXPECT_EQ(rows[0], "0 FPU Floating Point Unit 0 yes");
    EXPECT_EQ(rows[22], "30 IA-64 IA-64 instructions 30 yes");
    EXPECT_EQ(rows[23], "62 3DNow+ Extended AMD 3DNow e30 yes");
    EXPECT_EQ(rows[24], "63 3DNow AMD 3DNow e31 no");
}

// Each row clicks from the initial flags; the order after the last click is checked.
TEST_F(UiLogic, ColumnClickOrders) {
    ProcessorRecord record = intel_record();
    record.ext_features = (1u << 30) | (1u << 31);
    record.features = (1u << 0) | (1u << 4) | (1u << 23) | record.ext_features;
    std::vector<std::int32_t> positions;
    for (const FeatureRow& row : feature_rows(record)) positions.push_back(row.row_position);
    struct Case {
        const char* what;
        std::vector<int> clicks;
        const char* first;  // the first rows' short names
        const char* last;   // the last row's
    };
    const Case cases[] = {
        {"feature first, byte order", {0}, "3DNow 3DNow+ APIC ", "VME"},
        {"feature second", {0, 0}, "VME TSC SSE-2 SSE ", "3DNow"},
        {"name first", {1}, "PSE-36 3DNow CX8 ", "VME"},
        {"name second", {1, 1}, "VME TSC SSE SSE-2 ", "PSE-36"},
        {"pos first is descending", {2}, "3DNow 3DNow+ IA-64 ", "FPU"},
        {"pos second", {2, 2}, "FPU VME DE ", "3DNow"},
        {"enabled first, stable", {3}, "FPU TSC MMX IA-64 3DNow+ 3DNow VME ", "SSE-2"},
        {"enabled second", {3, 3}, "VME DE PSE ", "3DNow"},
        {"feature, name, feature", {0, 1, 0}, "3DNow 3DNow+ APIC ", "VME"},
        {"feature then pos", {0, 2}, "FPU VME DE ", "3DNow"},
    };
    for (const Case& c : cases) {
        SortFlags flags = k_initial_sort_flags;
        std::optional<SortRequest> request;
        for (int column : c.clicks) request = click_column(flags, column);
        ASSERT_TRUE(request.has_value()) << c.what;
        const SortFlags flags_before = flags;
        EXPECT_FALSE(click_column(flags, 4) || click_column(flags, -1)) << c.what;
        EXPECT_EQ(flags, flags_before) << c.what << ": a click outside the columns changed the flags";
        std::string order;
        std::string last;
        for (std::int32_t position : sorted_positions(positions, *request, record)) {
            last = (position < 32 ? feature_table : ext_feature_table).text_at(position % 32);
            order += last + " ";
        }
        EXPECT_EQ(order.substr(0, std::strlen(c.first)), c.first) << c.what << ": " << order;
        EXPECT_EQ(last, c.last) << c.what << ": " << order;
    }
}

TEST_F(UiLogic, SortFlagsSurviveAReopen) {
    const SortFlags saved = sort_flags;
    sort_flags = k_initial_sort_flags;
    click_column(sort_flags, 0);
    EXPECT_EQ(sort_flags, (SortFlags{0, 1, 1, 1}));
    // A reopened window rebuilds its rows but the next click continues: descending now.
    EXPECT_EQ(click_column(sort_flags, 0)->parameter, 2);
    sort_flags = saved;
}

TEST(TileGrid, OneTileInTheMiddleAndEdgeToEdge) {
    struct Case { int width, height, tile_width, tile_height; };
    // The last is narrower than a tile: (47 - 48) / 2 truncates to 0.
    const Case cases[] = {{556, 512, 48, 19}, {100, 100, 10, 10}, {301, 40, 48, 19}, {47, 18, 48, 19}};
    for (const Case& c : cases) {
        const TileGrid grid = tile_grid(c.width, c.height, c.tile_width, c.tile_height);
        const int middle_x = (c.width - c.tile_width) / 2;
        const int middle_y = (c.height - c.tile_height) / 2;
        bool found = false;
        for (int i = 0; i < grid.columns * grid.rows; ++i) {
            const Position tile = grid.tile(i % grid.columns, i / grid.columns);
            found = found || (tile.x == middle_x && tile.y == middle_y);
        }
        const std::string what = std::to_string(c.width) + "x" + std::to_string(c.height);
        EXPECT_TRUE(found) << what << ": no tile at " << middle_x << "," << middle_y;
        EXPECT_LT(grid.first_x, 0) << what;
        EXPECT_LE(grid.first_y, 0) << what;
        EXPECT_GE(grid.tile(grid.columns - 1, 0).x + c.tile_width, c.width) << what;
        EXPECT_GE(grid.tile(0, grid.rows - 1).y + c.tile_height, c.height) << what;
    }
    EXPECT_EQ(tile_grid(100, 100, 0, 19).columns, 0);
    EXPECT_EQ(tile_grid(100, 100, 48, 0).rows, 0);
}

TEST(Centring, HalvesTruncated) {
    struct Case { int sw, sh, w, h, x, y; };
    const Case cases[] = {
        {1024, 768, 274, 333, 512 - 137, 384 - 166},
        {1025, 769, 275, 335, 512 - 137, 384 - 167},
        {640, 480, 1001, 701, 320 - 500, 240 - 350},
    };
    for (const Case& c : cases) {
        const Position p = centred_origin(c.sw, c.sh, c.w, c.h);
        EXPECT_EQ(std::to_string(p.x) + "," + std::to_string(p.y), std::to_string(c.x) + "," + std::to_string(c.y))
            << c.sw << "x" << c.sh << " window " << c.w << "x" << c.h;
    }
}

}  // namespace
}  // namespace corelens
