// The features window in-process: what initialisation writes, the flag list and its sorting
// by notification and by real header clicks, the help message, painting and the ways it ends.
// The template's controls are checked by templates_test.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "tests/win32/dialog_helpers.h"
#include "ui/feature_list.h"
#include "ui/win32/dressing.h"
#include "ui/win32/features_window.h"
#include "ui/win32/main_window.h"
#include "ui/win32/prompts.h"

namespace corelens {
namespace {

using testing::field_state;
using testing::text_of;

class FeaturesWindow : public ::testing::Test {
protected:
    void SetUp() override { open(testing::sample_record()); }
    void TearDown() override { close(); }

    void open(const ProcessorRecord& record) {
        testing::use_record(record);
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&controls);
        const HINSTANCE instance = GetModuleHandleA(nullptr);
        // The main window owns the background every window paints from.
        main_ = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, main_dialog_proc, 0);
        ASSERT_NE(main_, nullptr);
        window_ = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_FEATURES), main_, features_dialog_proc, 0);
        ASSERT_NE(window_, nullptr) << "error " << GetLastError();
        list_ = GetDlgItem(window_, IDC_FEAT_LIST);
    }
    void close() {
        user_prompts() = UserPrompts{};
        if (window_ != nullptr) DestroyWindow(window_);
        if (main_ != nullptr) DestroyWindow(main_);
        window_ = main_ = nullptr;
        release_background();
        testing::pump_messages();
    }

    HWND item(int id) const { return GetDlgItem(window_, id); }
    int row_count() const { return static_cast<int>(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0)); }

    std::string cell(int row, int column) const {
        char text[128] = {};
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(list_, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
        return text;
    }

    // One column's cells, blank-separated.
    std::string column_text(int column) const {
        std::string text;
        for (int row = 0; row < row_count(); ++row) text += cell(row, column) + " ";
        return text;
    }

    // A mouse click on the column's header, as the user makes it.
    void click_header(int column) {
        const HWND header = reinterpret_cast<HWND>(SendMessageA(list_, LVM_GETHEADER, 0, 0));
        RECT area{};
        SendMessageA(header, HDM_GETITEMRECT, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&area));
        const LPARAM at = MAKELPARAM((area.left + area.right) / 2, (area.top + area.bottom) / 2);
        SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(header, WM_LBUTTONUP, 0, at);
    }

    HWND main_ = nullptr;
    HWND window_ = nullptr;
    HWND list_ = nullptr;
};

TEST_F(FeaturesWindow, FieldsAndRowsPerRecord) {
    struct Case {
        const char* what;
        int l1_data, l2;
        std::uint32_t ext_features;
        std::vector<std::string> fields;  // MMX, 3DNow, SIMD, L1 data, L1 code, L2
        int rows;
        const char* last_row;  // its four cells
    };
    const char* unknown = "(unable to detect) [grey]";
    const Case cases[] = {
        {"extended word", 64, 512, 3u << 30, {"yes", "yes", "no", "64 KB", "64 KB", "512 KB"}, 25,
         "3DNow AMD 3DNow e31 yes"},
        {"no extended word", 0, -1, 0, {"yes", "no", "no", unknown, "64 KB", unknown}, 23,
         "IA-64 IA-64 instructions 30 no"},
        {"no level 2", 64, 0, 0, {"yes", "no", "no", "64 KB", "64 KB", "none"}, 23,
         "IA-64 IA-64 instructions 30 no"},
    };
    for (const Case& c : cases) {
        close();
        ProcessorRecord record = testing::sample_record();
        record.l1_data_kb = static_cast<std::uint8_t>(c.l1_data);
        record.l2_kb = static_cast<std::int16_t>(c.l2);
        record.ext_features = c.ext_features;
        record.features = 0x0183F9FF | c.ext_features;
        open(record);
        std::vector<std::string> fields;
        for (int id : {IDC_FEAT_MMX, IDC_FEAT_3DNOW, IDC_FEAT_SIMD, IDC_FEAT_L1_DATA, IDC_FEAT_L1_CODE, IDC_FEAT_L2})
            fields.push_back(field_state(item(id)));
        EXPECT_EQ(fields, c.fields) << c.what;
        ASSERT_EQ(row_count(), c.rows) << c.what;
        const int last = c.rows - 1;
        EXPECT_EQ(cell(last, 0) + " " + cell(last, 1) + " " + cell(last, 2) + " " + cell(last, 3), c.last_row)
            << c.what;
    }
    EXPECT_EQ(text_of(window_), "CPU Features");
    EXPECT_EQ(GetFocus(), item(IDOK)) << "initialisation leaves the focus on the first tab stop";
}

TEST_F(FeaturesWindow, ColumnsAndRowsInPositionOrder) {
    std::string headers;
    for (int index = 0; index < 4; ++index) {
        char header[64] = {};
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = header;
        column.cchTextMax = sizeof header;
        SendMessageA(list_, LVM_GETCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
        headers += std::string(header) + " " + std::to_string(column.cx) + " ";
    }
    EXPECT_EQ(headers, "Feature 60 Name 200 Pos 32 Enabled 56 ");
    EXPECT_EQ(column_text(2), "0 1 2 3 4 5 6 7 8 9 11 12 13 14 15 16 17 18 23 24 25 26 30 e30 e31 ");
    EXPECT_EQ(cell(0, 0) + " " + cell(0, 1) + " " + cell(0, 3), "FPU Floating Point Unit yes");
    EXPECT_EQ(cell(22, 3), "yes") << "IA-64 reads yes through the merged word";
}

// Each row starts from a fresh window and the initial flags; k_reopen closes and reopens
// the window between clicks, k_header makes the next click a real one on the header.
constexpr int k_reopen = -1;
constexpr int k_header = 10;

TEST_F(FeaturesWindow, ClicksSort) {
    struct Case {
        const char* what;
        std::vector<int> clicks;
        int column;          // the column read afterwards
        const char* first;   // its first cells
        const char* last;    // its last cell
    };
    const Case cases[] = {
        {"feature first, byte order", {0}, 0, "3DNow 3DNow+ APIC ", "VME"},
        {"feature second", {0, 0}, 0, "VME TSC SSE-2 SSE ", "3DNow"},
        {"feature after name", {0, 1, 0}, 0, "3DNow 3DNow+ APIC ", "VME"},
        {"enabled first", {3}, 3, "yes yes ", "no"},
        {"enabled second", {3, 3}, 3, "no no ", "yes"},
        {"pos first is descending", {2}, 2, "e31 e30 30 ", "0"},
        {"pos after feature", {0, 2}, 2, "0 1 2 ", "e31"},
        {"name by header", {k_header + 1}, 1, "36-Bit Page Size Extension AMD 3DNow ", "Virtual Mode Extension"},
        {"name twice by header", {k_header + 1, k_header + 1}, 1, "Virtual Mode Extension ",
         "36-Bit Page Size Extension"},
        {"reopened: position order", {0, k_reopen}, 2, "0 1 2 ", "e31"},
        {"reopened: flags go on", {0, k_reopen, 0}, 0, "VME TSC ", "3DNow"},
    };
    for (const Case& c : cases) {
        close();
        open(testing::sample_record());
        sort_flags = k_initial_sort_flags;
        for (int click : c.clicks) {
            if (click == k_reopen) {
                close();
                open(testing::sample_record());
            } else if (click >= k_header) {
                click_header(click - k_header);
            } else {
                testing::notify_column_click(window_, IDC_FEAT_LIST, click);
            }
        }
        const std::string order = column_text(c.column);
        EXPECT_EQ(order.substr(0, std::strlen(c.first)), c.first) << c.what << ": " << order;
        EXPECT_EQ(cell(row_count() - 1, c.column), c.last) << c.what << ": " << order;
    }
}

TEST_F(FeaturesWindow, CacheHelpMessage) {
    std::vector<std::string> seen;
    user_prompts().message_box = [&](HWND owner, const char* text, const char* caption, UINT type) {
        seen = {text, caption, std::to_string(type), owner == window_ ? "owned" : "not owned"};
        return IDOK;
    };
    SendMessageA(window_, WM_COMMAND, IDC_FEAT_CACHE_HELP, 0);
    EXPECT_EQ(seen, (std::vector<std::string>{
                        "If the detection fails, this can have a\nwhole bunch of reasons. If you got an older\n"
                        "CPU, it may not support reading its cache\ninformation. If you got a CPU not manufactured\n"
                        "by AMD or INTEL, the vendor may not use the\nsame method to get the cache information!",
                        "Information about the cache", std::to_string(MB_ICONINFORMATION), "owned"}));
}

TEST_F(FeaturesWindow, PaintsTilesAndHiddenLabelsNavyHeadings) {
    ShowWindow(window_, SW_SHOW);
    UpdateWindow(window_);
    testing::PixelReader pixels(window_);
    // Left of the frames and below the OK button only the background shows.
    RECT client{};
    GetClientRect(window_, &client);
    for (const POINT& point : {POINT{1, 1}, POINT{1, client.bottom - 2}, POINT{client.right - 2, client.bottom - 2}}) {
        EXPECT_EQ(pixels.at(point.x, point.y), GetPixel(background_dc(), point.x, point.y))
            << "at " << point.x << "," << point.y;
    }
    const struct {
        int id;
        COLORREF colour;
    } labels[] = {{IDC_FEAT_CACHE_HEADING, RGB(0, 0, 128)}, {IDC_FEAT_EXT_HEADING, RGB(0, 0, 128)},
                  {IDC_FEAT_FLAGS_HEADING, RGB(0, 0, 128)}, {IDC_FEAT_L2_LABEL, RGB(0, 0, 0)},
                  {IDC_FEAT_MMX_LABEL, RGB(0, 0, 0)}, {IDC_FEAT_SIMD_LABEL, RGB(0, 0, 0)}};
    for (const auto& label : labels) {
        const RECT area = testing::client_rect_of(window_, item(label.id));
        EXPECT_TRUE(pixels.any(area, label.colour)) << "label " << label.id << " lacks " << std::hex << label.colour;
        EXPECT_FALSE(IsWindowVisible(item(label.id))) << label.id;
    }
}

TEST_F(FeaturesWindow, CentredOnTheScreen) {
    EXPECT_EQ(testing::origin_of(window_), testing::centred_origin_of(window_));
}

class FeaturesWindowEnds : public ::testing::TestWithParam<const char*> {};

TEST_P(FeaturesWindowEnds, WithOne) {
    testing::use_record(testing::sample_record());
    testing::DialogDriver driver([&](HWND dialog) { testing::post_ending(dialog, GetParam()); });
    ASSERT_TRUE(driver.installed());
    EXPECT_EQ(DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_FEATURES), nullptr,
                              features_dialog_proc, 0),
              1)
        << GetParam();
}

INSTANTIATE_TEST_SUITE_P(Keys, FeaturesWindowEnds, ::testing::Values("enter", "escape", "close box", "ok"));

}  // namespace
}  // namespace corelens
