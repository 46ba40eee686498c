// The features window in-process: the view model mapped onto its controls, the flag list and
// its sorting by notification and by a real header click, the help message, painting and
// the ways it ends. What the texts say and the sort orders are ui_test's.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "core/cpuid_source.h"
#include "resources/resource.h"
#include "tests/support/core_probe.h"
#include "tests/win32/dialog_helpers.h"
#include "ui/feature_list.h"
#include "ui/win32/features_window.h"
#include "ui/win32/main_window.h"

namespace corelens {
namespace {

class FeaturesWindow : public ::testing::Test {
protected:
    void SetUp() override {
        testing::use_record(testing::sample_record());
        sort_flags = k_initial_sort_flags;
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&controls);
        // The main window owns the background every window paints from.
        main_ = testing::open_dialog(IDD_MAIN, main_dialog_proc);
        window_ = testing::open_dialog(IDD_FEATURES, features_dialog_proc, main_);
        ASSERT_NE(window_, nullptr) << "error " << GetLastError();
        list_ = GetDlgItem(window_, IDC_FEAT_LIST);
    }
    void TearDown() override { testing::close_dialogs({window_, main_}); }

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
        const int rows = static_cast<int>(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0));
        for (int row = 0; row < rows; ++row) text += cell(row, column) + " ";
        return text;
    }

    HWND main_ = nullptr;
    HWND window_ = nullptr;
    HWND list_ = nullptr;
};

TEST_F(FeaturesWindow, ViewModelColumnsAndRows) {
    EXPECT_EQ(testing::mapping_faults(window_, features_window_texts(), features_field_texts(processor_record)),
              "");
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
    EXPECT_EQ(cell(24, 0) + " " + cell(24, 1) + " " + cell(24, 3), "3DNow AMD 3DNow yes");
    EXPECT_EQ(testing::centring_fault(window_), "");
}

TEST_F(FeaturesWindow, NotifiedAndRealHeaderClicksSort) {
    testing::notify_column_click(window_, IDC_FEAT_LIST, 0);
    EXPECT_EQ(column_text(0).substr(0, 18), "3DNow 3DNow+ APIC ");
    // A mouse click on the Name header, as the user makes it.
    const HWND header = reinterpret_cast<HWND>(SendMessageA(list_, LVM_GETHEADER, 0, 0));
    RECT area{};
    SendMessageA(header, HDM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&area));
    const LPARAM at = MAKELPARAM((area.left + area.right) / 2, (area.top + area.bottom) / 2);
    SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(header, WM_LBUTTONUP, 0, at);
    EXPECT_EQ(column_text(1).substr(0, 37), "36-Bit Page Size Extension AMD 3DNow ");
}

// An Athlon's 3DNow+ (e30) must not show as IA-64 (bit 30 of the standard word).
TEST_F(FeaturesWindow, AthlonShowsNoIa64) {
    RecordedCpuid dump;
    RecordedCpuid::ParseError error;
    if (!dump.load_file(CORELENS_DUMPS_DIR "/AuthenticAMD/athlon-thunderbird-644.txt", error)) GTEST_SKIP() << error.what();
    testing::close_dialogs({window_});
    testing::use_record(probe_source(dump).record);
    window_ = testing::open_dialog(IDD_FEATURES, features_dialog_proc, main_);
    list_ = GetDlgItem(window_, IDC_FEAT_LIST);
    EXPECT_EQ(cell(22, 0) + " " + cell(22, 2) + " " + cell(22, 3) + ", " + cell(23, 2) + " " + cell(23, 3),
              "IA-64 30 no, e30 yes");
}

TEST_F(FeaturesWindow, CacheHelpMessage) {
    std::string seen;
    user_prompts().message_box = [&](HWND owner, const char*, const char* caption, UINT type) {
        seen = caption + (" " + std::to_string(type)) + (owner == window_ ? " owned" : " not owned");
        return IDOK;
    };
    SendMessageA(window_, WM_COMMAND, IDC_FEAT_CACHE_HELP, 0);
    EXPECT_EQ(seen, "Information about the cache " + std::to_string(MB_ICONINFORMATION) + " owned");
}

TEST_F(FeaturesWindow, PaintsBackgroundHiddenLabelsAndNavyHeadings) {
    RECT client{};
    GetClientRect(window_, &client);
    // Left of the frames and below the OK button only the background shows.
    const POINT corners[] = {{1, 1}, {client.right - 2, client.bottom - 2}};
    EXPECT_EQ(testing::paint_faults(window_, {corners[0], corners[1]},
                                    {{IDC_FEAT_CACHE_HEADING, RGB(0, 0, 128)},
                                     {IDC_FEAT_L2_LABEL, RGB(0, 0, 0)}}),
              "");
}

TEST(FeaturesWindowEnds, WithOne) {
    testing::use_record(testing::sample_record());
    for (const char* way : {"enter", "escape", "close box"}) {
        EXPECT_EQ(testing::run_ended_by(way, [] {
                      return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_FEATURES), nullptr,
                                             features_dialog_proc, 0);
                  }),
                  1)
            << way;
    }
}

}  // namespace
}  // namespace corelens
