// Opening and closing the features window and painting both windows a hundred times leaves the process's GDI objects, USER
// objects and threads where they were.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <tlhelp32.h>

#include <cstdio>

#include "resources/resource.h"
#include "tests/win32/dialog_helpers.h"
#include "ui/win32/dressing.h"
#include "ui/win32/features_window.h"
#include "ui/win32/main_window.h"

namespace corelens {
namespace {

using testing::DialogDriver;

struct Counts {
    unsigned long gdi = 0;
    unsigned long user = 0;
    int threads = 0;
    const char* how = "";
};

int thread_count() {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
    }
    CloseHandle(snapshot);
    return count;
}

// Wine keeps no per-process GUI counts (GetGuiResources answers 0), but its handle
// lookups accept a bare table index, so the live objects can be counted by index.
template <typename Live>
unsigned long count_by_index(Live live) {
    unsigned long count = 0;
    for (ULONG_PTR index = 1; index < 0x10000; ++index) count += live(index) ? 1 : 0;
    return count;
}

Counts measure() {
    Counts counts;
    counts.gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    counts.user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    counts.how = "GetGuiResources";
    if (counts.gdi == 0 && counts.user == 0 && testing::running_under_wine()) {
        // Known Wine deviation: GetGuiResources is a stub there.
        counts.gdi = count_by_index([](ULONG_PTR i) { return GetObjectType(reinterpret_cast<HGDIOBJ>(i)) != 0; });
        counts.user = count_by_index([](ULONG_PTR i) { return IsWindow(reinterpret_cast<HWND>(i)) != 0; });
        counts.how = "live handles by table index (Wine)";
    }
    counts.threads = thread_count();
    return counts;
}

void expect_unchanged(const Counts& before, const Counts& after, const char* what) {
    std::printf("%s, measured by %s: GDI %lu -> %lu, USER %lu -> %lu, threads %d -> %d\n", what, before.how,
                before.gdi, after.gdi, before.user, after.user, before.threads, after.threads);
    EXPECT_GT(before.gdi, 0u) << "nothing to compare: no GDI count";
    EXPECT_GT(before.threads, 0) << "no thread count";
    EXPECT_EQ(after.gdi, before.gdi) << what;
    EXPECT_EQ(after.user, before.user) << what;
    EXPECT_EQ(after.threads, before.threads) << what;
}

constexpr int k_openings = 100;

class WindowLeaks : public ::testing::Test {
protected:
    void SetUp() override {
        testing::use_record(testing::sample_record());
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&controls);
    }
};

// Sorts the list once, then closes the dialog before it is shown: under Wine without a
// window manager, hiding a shown top-level window waits for the X server. Painting is
// measured on its own below.
void sort_and_close(HWND dialog) {
    testing::notify_column_click(dialog, IDC_FEAT_LIST, 0);
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
}

TEST_F(WindowLeaks, FeaturesWindowHundredTimes) {
    const HWND main = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN), nullptr,
                                         main_dialog_proc, 0);
    ASSERT_NE(main, nullptr);
    int opened = 0;
    {
        DialogDriver driver([&](HWND dialog) {
            ++opened;
            sort_and_close(dialog);
        });
        ASSERT_TRUE(driver.installed());
        SendMessageA(main, WM_COMMAND, IDC_MAIN_FEATURES, 0);  // first opening loads what stays loaded
        testing::pump_messages();
        const Counts before = measure();
        for (int i = 0; i < k_openings; ++i) SendMessageA(main, WM_COMMAND, IDC_MAIN_FEATURES, 0);
        testing::pump_messages();
        expect_unchanged(before, measure(), "features window opened and closed 100 times");
    }
    EXPECT_EQ(opened, k_openings + 1);
    DestroyWindow(main);
    release_background();
}

TEST_F(WindowLeaks, HundredPaints) {
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    const HWND main = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, main_dialog_proc, 0);
    ASSERT_NE(main, nullptr);
    const HWND features = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_FEATURES), main, features_dialog_proc, 0);
    ASSERT_NE(features, nullptr);
    for (HWND window : {main, features}) ShowWindow(window, SW_SHOW);
    testing::pump_messages();
    const Counts before = measure();
    for (int i = 0; i < k_openings; ++i) {
        for (HWND window : {main, features}) {
            InvalidateRect(window, nullptr, FALSE);
            UpdateWindow(window);
        }
    }
    testing::pump_messages();
    expect_unchanged(before, measure(), "main and features windows painted 100 times");
    DestroyWindow(features);
    DestroyWindow(main);
    release_background();
}

}  // namespace
}  // namespace corelens
