// Opening and closing the main and features windows a hundred times leaves the process's GDI
// objects, USER objects and threads where they were.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <tlhelp32.h>

#include "resources/resource.h"
#include "tests/win32/dialog_helpers.h"
#include "ui/win32/main_window.h"

namespace corelens {
namespace {

using testing::DialogDriver;

struct Counts {
    unsigned long gdi = 0;
    unsigned long user = 0;
    int threads = 0;
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
    if (counts.gdi == 0 && counts.user == 0 && testing::running_under_wine()) {
        // Known Wine deviation: GetGuiResources is a stub there.
        counts.gdi = count_by_index([](ULONG_PTR i) { return GetObjectType(reinterpret_cast<HGDIOBJ>(i)) != 0; });
        counts.user = count_by_index([](ULONG_PTR i) { return IsWindow(reinterpret_cast<HWND>(i)) != 0; });
    }
    counts.threads = thread_count();
    return counts;
}

void expect_same(const Counts& before, const Counts& after) {
    ASSERT_TRUE(before.gdi > 0 && before.threads > 0) << "nothing to compare";
    EXPECT_EQ(before.gdi, after.gdi) << "GDI objects";
    EXPECT_EQ(before.user, after.user) << "USER objects";
    EXPECT_EQ(before.threads, after.threads) << "threads";
}

TEST(WindowLeaks, MainWindowHundredTimes) {
    testing::use_record(testing::sample_record());
    // Quit releases the background the window dressed itself with; nothing else does here.
    const auto open_and_quit = [] {
        const HWND main = testing::open_dialog(IDD_MAIN, main_dialog_proc);
        SendMessageA(main, WM_COMMAND, IDOK, 0);
        DestroyWindow(main);
    };
    open_and_quit();  // the first opening loads what stays loaded
    const Counts before = measure();
    for (int i = 0; i < 100; ++i) open_and_quit();
    testing::pump_messages();
    expect_same(before, measure());
}

TEST(WindowLeaks, FeaturesWindowHundredTimes) {
    testing::use_record(testing::sample_record());
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    const HWND main = testing::open_dialog(IDD_MAIN, main_dialog_proc);
    ASSERT_NE(main, nullptr);
    int opened = 0;
    {
        // Sorts once and closes before the dialog is shown: under Wine without a window
        // manager, hiding a shown top-level window waits for the X server.
        DialogDriver driver([&](HWND dialog) {
            ++opened;
            testing::notify_column_click(dialog, IDC_FEAT_LIST, 0);
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        });
        ASSERT_TRUE(driver.installed());
        SendMessageA(main, WM_COMMAND, IDC_MAIN_FEATURES, 0);  // first opening loads what stays loaded
        testing::pump_messages();
        const Counts before = measure();
        for (int i = 0; i < 100; ++i) SendMessageA(main, WM_COMMAND, IDC_MAIN_FEATURES, 0);
        testing::pump_messages();
        expect_same(before, measure());
    }
    EXPECT_EQ(101, opened);
    testing::close_dialogs({main});
}

}  // namespace
}  // namespace corelens
