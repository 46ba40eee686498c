// Window logic without a window system: field texts, feature rows, sorting, tiles, centring.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "tables/reference_tables.h"
#include "ui/feature_list.h"
#include "ui/layout.h"
#include "ui/view_model.h"

namespace corelens {
namespace {

ProcessorRecord intel_record() {
    ProcessorRecord record{};
    std::strcpy(record.vendor_id, "GenuineIntel");
    record.family = 6;
    record.max_level = 2;
    return record;
}

// Each field's "text", with " [grey]" when it is disabled; "missing" when it is absent.
std::vector<std::string> texts(const std::vector<FieldText>& fields, std::initializer_list<Field> names) {
    std::vector<std::string> result;
    for (Field name : names) {
        result.push_back("missing");
        for (const FieldText& f : fields) {
            if (f.field == name) result.back() = f.text + (f.enabled ? "" : " [grey]");
        }
    }
    return result;
}

class UiLogic : public ::testing::Test {
protected:
    void SetUp() override { build_reference_tables(); }
};

TEST_F(UiLogic, MainFieldCases) {
    struct Case {
        const char* what;
        float speed;
        const char* brand;
        int ext_family, max_ext_level;
        std::vector<std::string> expected;  // speed, description, family, level
    };
    const char* p6 = "6 (Pentium Pro/II/III/Celeron)";
    const Case cases[] = {
        {"measured, branded", 1999.95f, "Brand", 0, 0, {"1999.9 MHz", "Brand", p6, "2"}},
        {"no clock", 0.0f, "B", 0, 0, {"(unable to determine speed) [grey]", "B", p6, "2"}},
        {"no brand", 451.0f, "", 0, 0, {"451.0 MHz", "(not supported by this cpu) [grey]", p6, "2"}},
        {"ext family equal", 451.0f, "B", 6, 4, {"451.0 MHz", "B", p6, "2 {4}"}},
        {"ext family shown", 451.0f, "B", 7, 8,
         {"451.0 MHz", "B", "6 {7} (Pentium Pro/II/III/Celeron)", "2 {8}"}},
    };
    for (const Case& c : cases) {
        ProcessorRecord record = intel_record();
        record.speed_mhz = c.speed;
        std::strcpy(record.brand_string, c.brand);
        record.ext_family = static_cast<std::int8_t>(c.ext_family);
        record.max_ext_level = static_cast<std::int8_t>(c.max_ext_level);
        EXPECT_EQ(texts(main_field_texts(record),
                        {Field::speed, Field::description, Field::family, Field::level}),
                  c.expected)
            << c.what;
    }
}

TEST_F(UiLogic, FeaturesFieldsEveryBranch) {
    struct Case {
        int l1_data, l1_code, l2;
        std::uint32_t features, ext_features;
        std::vector<std::string> expected;  // MMX, 3DNow, SIMD, L1 data, L1 code, L2
    };
    const char* unknown = "(unable to detect) [grey]";
    // 128 KB pins the unsigned level-1 size.
    const Case cases[] = {
        {16, 16, 256, 1u << 23 | 1u << 31, 1u << 31, {"yes", "yes", "no", "16 KB", "16 KB", "256 KB"}},
        {0, 12, 0, 1u << 25, 0, {"no", "no", "yes", unknown, "12 KB", "none"}},
        {128, 0, -1, 0, 0, {"no", "no", "no", "128 KB", unknown, unknown}},
    };
    for (const Case& c : cases) {
        ProcessorRecord record = intel_record();
        record.l1_data_kb = static_cast<std::uint8_t>(c.l1_data);
        record.l1_code_kb = static_cast<std::uint8_t>(c.l1_code);
        record.l2_kb = static_cast<std::int16_t>(c.l2);
        record.features = c.features;
        record.ext_features = c.ext_features;
        EXPECT_EQ(texts(features_field_texts(record), {Field::mmx, Field::three_dnow, Field::simd,
                                                       Field::l1_data, Field::l1_code, Field::l2}),
                  c.expected)
            << "l1 " << c.l1_data << "/" << c.l1_code << " l2 " << c.l2;
    }
}

TEST_F(UiLogic, FeatureRows) {
    ProcessorRecord record = intel_record();
    record.features = 0xFFFFFFFF;  // bits without a name stay out even when set
    std::string positions;
    for (const FeatureRow& row : feature_rows(record)) positions += row.position_text + " ";
    EXPECT_EQ(positions, "0 1 2 3 4 5 6 7 8 9 11 12 13 14 15 16 17 18 23 24 25 26 30 ");

    // features holds the OR of both words; the standard rows read the leaf-1 word alone.
    record.ext_features = 1u << 30;
    record.standard_features = 1u;
    record.features = 1u | record.ext_features;
    std::string tail;
    const std::vector<FeatureRow> rows = feature_rows(record);
    for (std::size_t i = 22; i < rows.size(); ++i) {
        const FeatureRow& row = rows[i];
        tail += std::to_string(row.row_position) + " " + row.short_name + " " + row.long_name + " " +
                row.position_text + " " + row.enabled_text + "; ";
    }
    EXPECT_EQ(tail, "30 IA-64 IA-64 instructions 30 no; 62 3DNow+ Extended AMD 3DNow e30 yes; "
                    "63 3DNow AMD 3DNow e31 no; ");
}

// Each row clicks from the initial flags; the order after the last click is checked.
TEST_F(UiLogic, ColumnClickOrders) {
    ProcessorRecord record = intel_record();
    record.ext_features = (1u << 30) | (1u << 31);
    record.standard_features = (1u << 0) | (1u << 4) | (1u << 23);
    record.features = record.standard_features | record.ext_features;
    std::vector<std::int32_t> positions;
    for (const FeatureRow& row : feature_rows(record)) positions.push_back(row.row_position);
    const struct {
        const char* what;
        std::vector<int> clicks;
        const char* first;  // the first rows' short names
    } cases[] = {
        {"feature first, byte order", {0}, "3DNow 3DNow+ APIC "},
        {"feature second", {0, 0}, "VME TSC SSE-2 SSE "},
        {"name first", {1}, "PSE-36 3DNow CX8 "},
        {"pos first is descending", {2}, "3DNow 3DNow+ IA-64 "},
        {"pos second", {2, 2}, "FPU VME DE "},
        {"enabled first, stable", {3}, "FPU TSC MMX 3DNow+ 3DNow VME DE "},
        {"enabled second", {3, 3}, "VME DE PSE "},
        {"feature, name, feature", {0, 1, 0}, "3DNow 3DNow+ APIC "},
    };
    for (const auto& c : cases) {
        SortFlags flags = k_initial_sort_flags;
        std::optional<SortOrder> request;
        for (int column : c.clicks) request = click_column(flags, column);
        ASSERT_TRUE(request.has_value()) << c.what;
        std::string order;
        for (std::int32_t position : sorted_positions(positions, *request, record)) {
            const auto& table = position < 32 ? feature_table : ext_feature_table;
            order += std::string(table.text_at(position % 32)) + " ";
        }
        EXPECT_EQ(order.substr(0, std::strlen(c.first)), c.first) << c.what << ": " << order;
    }
}

TEST_F(UiLogic, SortFlagsSurviveAReopen) {
    const SortFlags saved = sort_flags;
    sort_flags = k_initial_sort_flags;
    click_column(sort_flags, 0);
    // A reopened window rebuilds its rows but the next click continues: descending now.
    EXPECT_TRUE(click_column(sort_flags, 0)->descending);
    sort_flags = saved;
}

// Every prompt of the Save button as one line, the file written or not at the end.
TEST(SaveFlow, QuestionNameFolderAndFailure) {
    const struct {
        const char* what;
        bool yes;
        const char* chosen;  // nullptr: the dialog is cancelled
        int written;
        SaveOutcome outcome;
        const char* expected;
    } cases[] = {
        {"no, then an html name", false, "/d/x.html", 1, SaveOutcome::saved,
         "ask Type of output|dialog /d corelens_results.txt 1 txt|save /d/x.html"},
        {"yes", true, "/d/y.txt", 1, SaveOutcome::saved,
         "ask Type of output|dialog /d corelens_results.html 2 html|save /d/y.txt"},
        {"cancelled", true, nullptr, 1, SaveOutcome::cancelled,
         "ask Type of output|dialog /d corelens_results.html 2 html"},
        {"failed", false, "/d/z.txt", 0, SaveOutcome::failed,
         "ask Type of output|dialog /d corelens_results.txt 1 txt|save /d/z.txt|"
         "tell Saving the results failed!|Error"},
    };
    struct Recorder final : SavePrompts {
        bool yes = false;
        const char* chosen = nullptr;
        int written = 0;
        std::string log;
        bool ask_yes_no(const Message& m) override {
            log += std::string("ask ") + m.caption;
            return yes;
        }
        bool choose_file(const platform::SaveDialogRequest& r, std::string& path) override {
            log += "|dialog " + r.initial_directory + " " + path + " " + std::to_string(r.filter_index) + " " +
                   r.default_extension;
            if (chosen != nullptr) path = chosen;
            return chosen != nullptr;
        }
        int save(const std::string& path) override {
            log += "|save " + path;
            return written;
        }
        void tell(const Message& m) override { log += std::string("|tell ") + m.text + "|" + m.caption; }
    };
    for (const auto& c : cases) {
        Recorder prompts;
        prompts.yes = c.yes;
        prompts.chosen = c.chosen;
        prompts.written = c.written;
        EXPECT_EQ(run_save_flow(prompts, "/d"), c.outcome) << c.what;
        EXPECT_EQ(prompts.log, c.expected) << c.what;
    }
}

TEST(TileGrid, OneTileInTheMiddleAndEdgeToEdge) {
    struct Case { int width, height, tile_width, tile_height; };
    // The last is narrower than a tile: (47 - 48) / 2 truncates to 0.
    const Case cases[] = {{556, 512, 48, 19}, {301, 40, 48, 19}, {47, 18, 48, 19}};
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
}

TEST(Centring, HalvesTruncated) {
    struct Case { int sw, sh, w, h, x, y; };
    const Case cases[] = {
        {1024, 768, 274, 333, 512 - 137, 384 - 166},
        {640, 480, 1001, 701, 320 - 500, 240 - 350},
    };
    for (const Case& c : cases) {
        const Position p = centred_origin(c.sw, c.sh, c.w, c.h);
        EXPECT_EQ(std::to_string(p.x) + "," + std::to_string(p.y),
                  std::to_string(c.x) + "," + std::to_string(c.y))
            << c.sw << "x" << c.sh << " window " << c.w << "x" << c.h;
    }
}

}  // namespace
}  // namespace corelens
