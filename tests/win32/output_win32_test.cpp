// The Win32 dialogs: the clipboard, the failure message and the save-file dialog, in-process:
// windows of the test own the clipboard and the dialogs, and a hook reads and closes what
// appears.
#include <gtest/gtest.h>

#include <windows.h>
#include <commdlg.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/support/app_support.h"
#include "tests/win32/dialog_helpers.h"
#include "ui/win32/handles.h"
#include "ui/win32/user_dialogs.h"

namespace corelens {
namespace {

using testing::text_of;

// A hidden top-level window to own clipboards and dialogs.
struct TestWindow {
    TestWindow() {
        WNDCLASSA window_class{};
        window_class.lpfnWndProc = DefWindowProcA;
        window_class.hInstance = GetModuleHandleA(nullptr);
        window_class.lpszClassName = "CorelensOutputTest";
        RegisterClassA(&window_class);  // a second registration fails harmlessly
        window = CreateWindowExA(0, "CorelensOutputTest", "owner", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    ~TestWindow() { DestroyWindow(window); }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    HWND window = nullptr;
};

// What a message box showed: "caption|text|owner ok|warning icon".
void read_and_close(HWND box, HWND owner, std::vector<std::string>& seen) {
    const HWND icon = FindWindowExA(box, nullptr, "Static", nullptr);  // the icon comes first
    const HWND text = FindWindowExA(box, icon, "Static", nullptr);
    const auto shown_icon = reinterpret_cast<HICON>(SendMessageA(icon, STM_GETICON, 0, 0));
    const bool warning = shown_icon == LoadIconA(nullptr, IDI_WARNING);
    seen.push_back(text_of(box) + "|" + text_of(text) + (GetWindow(box, GW_OWNER) == owner ? "|owner" : "|other") +
                   (warning ? "|warning" : "|no warning"));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}

// Another window, on a thread of its own, holds the clipboard open: the copy fails and says so
// in a warning box owned by the window.
TEST(WindowsDialogs, BusyClipboardShowsTheFailureMessage) {
    TestWindow owner;
    std::vector<std::string> seen;
    {
        testing::DialogDriver driver([&](HWND box) { read_and_close(box, owner.window, seen); });
        ASSERT_TRUE(driver.installed());
        const HANDLE opened = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        const HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        JoinedThread holder([&] {
            TestWindow other;
            const bool open = OpenClipboard(other.window) != 0;
            SetEvent(opened);
            WaitForSingleObject(release, INFINITE);
            if (open) CloseClipboard();
        });
        WaitForSingleObject(opened, INFINITE);
        WindowsDialogs dialogs(owner.window);
        EXPECT_FALSE(run_copy_flow(dialogs, "report"));
        SetEvent(release);
        holder.join();
        CloseHandle(opened);
        CloseHandle(release);
    }
    EXPECT_EQ(std::vector<std::string>{"Error|Copy to clipboard failed!|owner|warning"}, seen);
}

TEST(WindowsDialogs, SaveDialogRecordTakesTheRequestAsItIs) {
    TestWindow owner;
    const SaveDialogRequest request = save_dialog_request("C:\\Tools", "corelens_results.html");
    const std::string filter = save_dialog_filter(request);
    char file[MAX_PATH] = "corelens_results.html";
    OPENFILENAMEA record;
    fill_save_dialog_record(record, owner.window, request, filter, file);
    const char expected_filter[] = "(*.txt)\0*.txt\0(*.html)\0*.html\0";  // and one more NUL
    EXPECT_EQ(0, std::memcmp(expected_filter, record.lpstrFilter, sizeof expected_filter));
    EXPECT_EQ(std::string("2 html C:\\Tools Save Corelens-results"),
              std::to_string(record.nFilterIndex) + " " + record.lpstrDefExt + " " + record.lpstrInitialDir + " " +
                  record.lpstrTitle);
    EXPECT_EQ(0x81Eu, record.Flags);
}

// The live dialog, cancelled: what it showed, and the proposed name kept.
TEST(WindowsDialogs, CancelledSaveDialogKeepsTheName) {
    TestWindow owner;
    app_test::ScratchDirectory directory;
    std::string shown;
    testing::DialogDriver driver([&](HWND dialog) {
        char file_spec[MAX_PATH] = {};  // the file-name box, whichever control holds it
        SendMessageA(dialog, CDM_GETSPEC, sizeof file_spec, reinterpret_cast<LPARAM>(file_spec));
        shown += text_of(dialog) + "|" + file_spec + ";";
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    std::string path = "corelens_results.html";
    WindowsDialogs dialogs(owner.window);
    EXPECT_FALSE(dialogs.choose_file(save_dialog_request(directory.path(), path), path));
    EXPECT_EQ("corelens_results.html", path);
    EXPECT_EQ("Save Corelens-results|corelens_results.html;", shown);
}

}  // namespace
}  // namespace corelens
