// The clipboard, the failure message and the save-file dialog, in-process: windows of the
// test own the clipboard and the dialogs, and a hook reads and closes what appears.
#include <gtest/gtest.h>

#include <windows.h>
#include <commdlg.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/save_dialog.h"
#include "report/renderers.h"
#include "report/result_output.h"
#include "tests/support/app_support.h"
#include "tests/win32/dialog_helpers.h"
#include "ui/win32/handles.h"

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

const ReportContext k_context{6, 12, 2026, 0, 0, 0, "tester", "WS7"};

TEST(OutputClipboard, BusyOrTooLongShowsTheFailureMessage) {
    TestWindow owner;
    ReportContext too_long = k_context;
    too_long.user_name.assign(5000, 'u');  // longer than the clipboard block
    std::vector<std::string> seen;
    {
        testing::DialogDriver driver([&](HWND box) { read_and_close(box, owner.window, seen); });
        ASSERT_TRUE(driver.installed());
        EXPECT_EQ(0, copy_report_to_clipboard(owner.window, testing::sample_record(), too_long));

        // Another window, on a thread of its own, holds the clipboard open.
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
        EXPECT_EQ(0, copy_report_to_clipboard(owner.window, testing::sample_record(), k_context));
        SetEvent(release);
        holder.join();
        CloseHandle(opened);
        CloseHandle(release);
    }
    const std::string expected = "Error|Copy to clipboard failed!|owner|warning";
    EXPECT_EQ((std::vector<std::string>{expected, expected}), seen) << "too long, then busy";
}

TEST(OutputSaveDialog, RecordFieldsFollowTheProposedName) {
    TestWindow owner;
    const struct { const char* proposed; DWORD filter_index; const char* default_extension; } cases[] = {
        {"corelens_results.txt", 1, "txt"}, {"corelens_results.html", 2, "html"}, {"corelens_results", 2, "html"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.proposed);
        const platform::SaveDialogRequest request = save_dialog_request(owner.window, "C:\\Tools", c.proposed);
        std::string filter_list = request.filter + '\0';
        char file[MAX_PATH] = {};
        std::strcpy(file, c.proposed);
        OPENFILENAMEA record;
        platform::fill_save_dialog_record(record, request, filter_list, file);

        const char expected_filter[] = "(*.txt)\0*.txt\0(*.html)\0*.html\0";  // and one more NUL
        EXPECT_EQ(0, std::memcmp(expected_filter, record.lpstrFilter, sizeof expected_filter));
        EXPECT_EQ(c.filter_index, record.nFilterIndex);
        EXPECT_STREQ(c.default_extension, record.lpstrDefExt);
        EXPECT_EQ(sizeof(void*) == 4 ? 76u : 136u, record.lStructSize) << "the size Windows 95 and NT 4.0 accept";
        EXPECT_STREQ("C:\\Tools", record.lpstrInitialDir);
        EXPECT_STREQ("Save Corelens-results", record.lpstrTitle);
        EXPECT_EQ(0x81Eu, record.Flags);
    }
}

// The live dialog, cancelled: what it showed, and the proposed name kept.
TEST(OutputSaveDialog, CancelReturnsZeroAndKeepsTheName) {
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
    EXPECT_EQ(0, choose_save_file(owner.window, directory.path(), path));
    EXPECT_EQ("corelens_results.html", path);
    EXPECT_EQ("Save Corelens-results|corelens_results.html;", shown);
}

}  // namespace
}  // namespace corelens
