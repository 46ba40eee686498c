// The features window in-process: fields, the flag list, sorting by notification and by
// real header clicks, the help message, painting and the ways it ends.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "tests/win32/dialog_helpers.h"
#include "ui/feature_list.h"
#include "ui/field_texts.h"
#include "ui/layout.h"
#include "ui/win32/dressing.h"
#include "ui/win32/features_window.h"
#include "ui/win32/main_window.h"
#include "ui/win32/prompts.h"

namespace corelens {
namespace {

using testing::class_of;
using testing::DialogDriver;
using testing::PixelReader;
using testing::style_of;
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
        ASSERT_NE(list_, nullptr);
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

    std::vector<std::string> column_texts(int column) const {
        std::vector<std::string> texts;
        for (int row = 0; row < row_count(); ++row) texts.push_back(cell(row, column));
        return texts;
    }

    std::vector<std::int32_t> row_positions() const {
        std::vector<std::int32_t> positions;
        for (int row = 0; row < row_count(); ++row) {
            LVITEMA item{};
            item.mask = LVIF_PARAM;
            item.iItem = row;
            SendMessageA(list_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
            positions.push_back(static_cast<std::int32_t>(item.lParam));
        }
        return positions;
    }

    void notify_column_click(int column) {
        NMLISTVIEW click{};
        click.hdr.hwndFrom = list_;
        click.hdr.idFrom = IDC_FEAT_LIST;
        click.hdr.code = LVN_COLUMNCLICK;
        click.iItem = -1;
        click.iSubItem = column;
        SendMessageA(window_, WM_NOTIFY, IDC_FEAT_LIST, reinterpret_cast<LPARAM>(&click));
    }

    // A mouse click on the column's header, as the user makes it.
    void click_header(int column) {
        const HWND header = reinterpret_cast<HWND>(SendMessageA(list_, LVM_GETHEADER, 0, 0));
        ASSERT_NE(header, nullptr);
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

TEST_F(FeaturesWindow, LabelsAndHeadingsHidden) {
    struct Label {
        int id;
        const char* text;
        bool heading;
    };
    const Label labels[] = {
        {1024, "L2 (unif.):", false},
        {1018, "L1 Data:", false},
        {1019, "L1 Instr.:", false},
        {1010, "MMX:", false},
        {1011, "3DNow:", false},
        {1022, "SIMD (ISSE):", false},
        {1027, "Cache information:", true},
        {1028, "Instruction set extensions:", true},
        {1026, "Processor Flags (almost complete list):", true},
    };
    for (const Label& label : labels) {
        const HWND control = item(label.id);
        ASSERT_NE(control, nullptr) << label.id;
        EXPECT_STRCASEEQ(class_of(control).c_str(), "Static") << label.id;
        EXPECT_EQ(text_of(control), label.text) << label.id;
        EXPECT_EQ(style_of(control) & WS_VISIBLE, 0) << label.id;
        EXPECT_EQ((style_of(control) & 0x0B) == 0, label.heading) << label.id;
    }
}

TEST_F(FeaturesWindow, FieldsAndButtons) {
    for (const FieldText& field : features_field_texts(processor_record)) {
        const HWND control = item(field.id);
        ASSERT_NE(control, nullptr) << field.id;
        EXPECT_EQ(text_of(control), field.text) << field.id;
        EXPECT_TRUE(IsWindowEnabled(control)) << field.id;
        EXPECT_EQ(style_of(control) & (WS_VISIBLE | SS_SUNKEN), WS_VISIBLE | SS_SUNKEN) << field.id;
    }
    EXPECT_EQ(text_of(item(IDC_FEAT_L2)), "512 KB");
    EXPECT_EQ(text_of(item(IDC_FEAT_3DNOW)), "yes");
    EXPECT_EQ(text_of(item(IDOK)), "OK");
    EXPECT_EQ(style_of(item(IDOK)) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_EQ(text_of(item(IDC_FEAT_CACHE_HELP)), "&?");
    EXPECT_NE(style_of(item(IDC_FEAT_CACHE_HELP)) & WS_TABSTOP, 0);
    EXPECT_EQ(text_of(window_), "CPU Features");
    EXPECT_EQ(GetFocus(), item(IDOK)) << "initialisation leaves the focus on the first tab stop";
}

TEST_F(FeaturesWindow, GreysUnknownCaches) {
    close();
    ProcessorRecord record = testing::sample_record();
    record.l1_data_kb = 0;
    record.l2_kb = -1;
    open(record);
    EXPECT_FALSE(IsWindowEnabled(item(IDC_FEAT_L1_DATA)));
    EXPECT_EQ(text_of(item(IDC_FEAT_L1_DATA)), "(unable to detect)");
    EXPECT_FALSE(IsWindowEnabled(item(IDC_FEAT_L2)));
    EXPECT_EQ(text_of(item(IDC_FEAT_L2)), "(unable to detect)");
    EXPECT_TRUE(IsWindowEnabled(item(IDC_FEAT_L1_CODE)));

    close();
    record.l2_kb = 0;
    open(record);
    EXPECT_TRUE(IsWindowEnabled(item(IDC_FEAT_L2)));
    EXPECT_EQ(text_of(item(IDC_FEAT_L2)), "none");
}

TEST_F(FeaturesWindow, ListViewColumns) {
    EXPECT_STRCASEEQ(class_of(list_).c_str(), "SysListView32");
    const LONG style = style_of(list_);
    EXPECT_EQ(style & LVS_TYPEMASK, LVS_REPORT);
    EXPECT_NE(style & LVS_SINGLESEL, 0);
    EXPECT_EQ(style & (LVS_SORTASCENDING | LVS_SORTDESCENDING), 0);
    for (int index = 0; index < 4; ++index) {
        char header[64] = {};
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.pszText = header;
        column.cchTextMax = sizeof header;
        ASSERT_TRUE(SendMessageA(list_, LVM_GETCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column)))
            << "column " << index;
        EXPECT_STREQ(header, feature_columns[index].header) << "column " << index;
        EXPECT_EQ(column.cx, feature_columns[index].width) << "column " << index;
        EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT) << "column " << index;
    }
}

TEST_F(FeaturesWindow, RowsInPositionOrder) {
    const std::vector<FeatureRow> rows = feature_rows(processor_record);
    ASSERT_EQ(row_count(), 25);
    ASSERT_EQ(rows.size(), 25u);
    for (int row = 0; row < row_count(); ++row) {
        EXPECT_EQ(cell(row, 0), rows[row].short_name) << "row " << row;
        EXPECT_EQ(cell(row, 1), rows[row].long_name) << "row " << row;
        EXPECT_EQ(cell(row, 2), rows[row].position_text) << "row " << row;
        EXPECT_EQ(cell(row, 3), rows[row].enabled_text) << "row " << row;
        EXPECT_EQ(row_positions()[row], rows[row].row_position) << "row " << row;
    }
    EXPECT_EQ(cell(23, 2), "e30");
    EXPECT_EQ(cell(24, 0), "3DNow");
    EXPECT_EQ(cell(22, 3), "yes") << "IA-64 reads yes through the merged word";
}

TEST_F(FeaturesWindow, NoExtendedRowsWithoutExtendedWord) {
    close();
    ProcessorRecord record = testing::sample_record();
    record.ext_features = 0;
    record.features = 0x0183F9FF;
    open(record);
    EXPECT_EQ(row_count(), 23);
    EXPECT_EQ(cell(22, 2), "30");
    EXPECT_EQ(text_of(item(IDC_FEAT_3DNOW)), "no");
}

TEST_F(FeaturesWindow, ColumnClickNotificationsSort) {
    sort_flags = k_initial_sort_flags;
    const std::vector<std::int32_t> initial = row_positions();

    notify_column_click(0);
    std::vector<std::string> names = column_texts(0);
    ASSERT_GE(names.size(), 3u);
    EXPECT_EQ(names[0], "3DNow");
    EXPECT_EQ(names[1], "3DNow+");
    EXPECT_EQ(names[2], "APIC");
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));

    notify_column_click(0);
    names = column_texts(0);
    EXPECT_TRUE(std::is_sorted(names.rbegin(), names.rend())) << names.front() << " .. " << names.back();

    notify_column_click(1);
    notify_column_click(0);
    names = column_texts(0);
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end())) << "a new column starts ascending";

    notify_column_click(3);
    const std::vector<std::string> enabled = column_texts(3);
    EXPECT_TRUE(std::is_sorted(enabled.rbegin(), enabled.rend())) << "yes rows first";
    EXPECT_EQ(enabled.front(), "yes");
    notify_column_click(3);
    EXPECT_EQ(column_texts(3).front(), "no");

    notify_column_click(2);
    EXPECT_EQ(row_positions(), initial) << "Pos after other columns: ascending";
    notify_column_click(2);
    const std::vector<std::int32_t> descending = row_positions();
    EXPECT_TRUE(std::equal(descending.begin(), descending.end(), initial.rbegin()));
    EXPECT_EQ(cell(0, 2), "e31");
    EXPECT_EQ(cell(row_count() - 1, 2), "0");
}

TEST_F(FeaturesWindow, FirstPositionClickInFreshRunIsDescending) {
    sort_flags = k_initial_sort_flags;
    notify_column_click(2);
    EXPECT_EQ(cell(0, 2), "e31");
    EXPECT_EQ(sort_flags, (SortFlags{1, 1, 1, 1}));
}

TEST_F(FeaturesWindow, HeaderClicksSortLikeNotifications) {
    sort_flags = k_initial_sort_flags;
    click_header(1);
    std::vector<std::string> long_names = column_texts(1);
    EXPECT_EQ(sort_flags, (SortFlags{1, 0, 1, 1}));
    EXPECT_TRUE(std::is_sorted(long_names.begin(), long_names.end()))
        << long_names.front() << " .. " << long_names.back();
    click_header(1);
    long_names = column_texts(1);
    EXPECT_TRUE(std::is_sorted(long_names.rbegin(), long_names.rend()));
}

TEST_F(FeaturesWindow, SortFlagsSurviveReopening) {
    sort_flags = k_initial_sort_flags;
    notify_column_click(0);  // ascending by short name
    close();
    open(testing::sample_record());
    EXPECT_EQ(cell(0, 2), "0") << "a reopened window starts in position order";
    notify_column_click(0);  // continues: descending
    std::vector<std::string> names = column_texts(0);
    EXPECT_TRUE(std::is_sorted(names.rbegin(), names.rend())) << names.front();
}

TEST_F(FeaturesWindow, CacheHelpMessage) {
    std::vector<std::string> seen;
    UINT type = 0;
    user_prompts().message_box = [&](HWND owner, const char* text, const char* caption, UINT box_type) {
        EXPECT_EQ(owner, window_);
        seen = {text, caption};
        type = box_type;
        return IDOK;
    };
    SendMessageA(window_, WM_COMMAND, IDC_FEAT_CACHE_HELP, 0);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0],
              "If the detection fails, this can have a\nwhole bunch of reasons. If you got an older\n"
              "CPU, it may not support reading its cache\ninformation. If you got a CPU not manufactured\n"
              "by AMD or INTEL, the vendor may not use the\nsame method to get the cache information!");
    EXPECT_EQ(seen[1], "Information about the cache");
    EXPECT_EQ(type, static_cast<UINT>(MB_ICONINFORMATION));
}

TEST_F(FeaturesWindow, PaintsSameTilesAndNavyHeadings) {
    ShowWindow(window_, SW_SHOW);
    UpdateWindow(window_);
    PixelReader pixels(window_);
    // Left of the frames and below the OK button only the background shows.
    RECT client{};
    GetClientRect(window_, &client);
    const POINT points[] = {{1, 1}, {1, client.bottom / 2}, {1, client.bottom - 2}, {client.right - 2, client.bottom - 2}};
    for (const POINT& point : points) {
        EXPECT_EQ(pixels.at(point.x, point.y), GetPixel(background_dc(), point.x, point.y))
            << "at " << point.x << "," << point.y;
    }
    const std::map<int, COLORREF> colours{
        {1027, RGB(0, 0, 128)}, {1028, RGB(0, 0, 128)}, {1026, RGB(0, 0, 128)},
        {1024, RGB(0, 0, 0)},   {1010, RGB(0, 0, 0)},   {1022, RGB(0, 0, 0)},
    };
    for (const auto& [id, colour] : colours) {
        const RECT area = testing::client_rect_of(window_, item(id));
        EXPECT_TRUE(pixels.any(area, colour)) << "label " << id << " lacks colour " << std::hex << colour;
        EXPECT_FALSE(IsWindowVisible(item(id))) << id;
    }
}

TEST_F(FeaturesWindow, CentredOnTheScreen) {
    RECT frame{};
    GetWindowRect(window_, &frame);
    HDC screen = GetDC(nullptr);
    const Position expected = centred_origin(GetDeviceCaps(screen, HORZRES), GetDeviceCaps(screen, VERTRES),
                                             frame.right - frame.left, frame.bottom - frame.top);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(frame.left, expected.x);
    EXPECT_EQ(frame.top, expected.y);
}

class FeaturesWindowEnds : public ::testing::TestWithParam<const char*> {};

TEST_P(FeaturesWindowEnds, WithOne) {
    testing::use_record(testing::sample_record());
    const std::string way = GetParam();
    DialogDriver driver([&](HWND dialog) {
        if (way == "enter") PostMessageA(dialog, WM_KEYDOWN, VK_RETURN, 0);
        if (way == "escape") PostMessageA(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
        if (way == "close box") PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        if (way == "ok") PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    ASSERT_TRUE(driver.installed());
    EXPECT_EQ(DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_FEATURES), nullptr,
                              features_dialog_proc, 0),
              1)
        << way;
}

INSTANTIATE_TEST_SUITE_P(Keys, FeaturesWindowEnds, ::testing::Values("enter", "escape", "close box", "ok"));

}  // namespace
}  // namespace corelens
