// The clipboard, the failure message and the save-file dialog, in-process: windows of the
// test own the clipboard and the dialogs, and a CBT hook reads and closes what appears.
#include <gtest/gtest.h>

#include <windows.h>
#include <commdlg.h>
#include <dlgs.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "platform/win32/save_dialog.h"
#include "report/renderers.h"
#include "report/result_output.h"

namespace corelens {
namespace {

namespace fs = std::filesystem;

bool running_under_wine() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// A hidden top-level window to own clipboards and dialogs; destroyed with the object.
class TestWindow {
public:
    TestWindow() {
        WNDCLASSA window_class{};
        window_class.lpfnWndProc = DefWindowProcA;
        window_class.hInstance = GetModuleHandleA(nullptr);
        window_class.lpszClassName = "CorelensOutputTest";
        RegisterClassA(&window_class);  // a second registration fails harmlessly
        window_ = CreateWindowExA(0, "CorelensOutputTest", "owner", WS_OVERLAPPEDWINDOW, 0, 0,
                                  200, 100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    ~TestWindow() {
        if (window_ != nullptr) DestroyWindow(window_);
    }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    HWND get() const { return window_; }

private:
    HWND window_ = nullptr;
};

std::string window_text(HWND window) {
    if (window == nullptr) return {};
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string class_name(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

// Calls on_activate for every dialog this thread activates while the object lives.
class DialogWatcher {
public:
    explicit DialogWatcher(std::function<void(HWND)> on_activate) {
        on_activate_ = std::move(on_activate);
        hook_ = SetWindowsHookExA(WH_CBT, &DialogWatcher::hook, nullptr, GetCurrentThreadId());
    }
    ~DialogWatcher() {
        if (hook_ != nullptr) UnhookWindowsHookEx(hook_);
        on_activate_ = nullptr;
    }
    DialogWatcher(const DialogWatcher&) = delete;
    DialogWatcher& operator=(const DialogWatcher&) = delete;
    bool is_set() const { return hook_ != nullptr; }

private:
    static LRESULT CALLBACK hook(int code, WPARAM w_param, LPARAM l_param) {
        if (code == HCBT_ACTIVATE && on_activate_) {
            const HWND window = reinterpret_cast<HWND>(w_param);
            if (class_name(window) == "#32770") on_activate_(window);
        }
        return CallNextHookEx(nullptr, code, w_param, l_param);
    }
    static inline std::function<void(HWND)> on_activate_;
    HHOOK hook_ = nullptr;
};

struct SeenMessageBox {
    int count = 0;
    std::string caption;
    std::vector<std::string> texts;
    HWND owner = nullptr;
    bool warning_icon = false;
};

// Reads the message box and closes it.
void read_and_close_message_box(HWND box, SeenMessageBox& seen) {
    ++seen.count;
    seen.caption = window_text(box);
    seen.owner = GetWindow(box, GW_OWNER);
    const HICON warning = LoadIconA(nullptr, IDI_WARNING);
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (class_name(child) != "Static") continue;
        const LONG style = GetWindowLongA(child, GWL_STYLE);
        if ((style & SS_TYPEMASK) == SS_ICON) {
            const HICON icon =
                reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
            seen.warning_icon = seen.warning_icon || icon == warning;
        } else {
            seen.texts.push_back(window_text(child));
        }
    }
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}

std::string clipboard_text(HWND owner, SIZE_T* block_size = nullptr) {
    std::string text;
    if (!OpenClipboard(owner)) return "(clipboard could not be opened)";
    if (const HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* bytes = static_cast<const char*>(GlobalLock(data))) {
            text = bytes;
            if (block_size != nullptr) *block_size = GlobalSize(data);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

void put_on_clipboard(HWND owner, const std::string& text) {
    ASSERT_TRUE(OpenClipboard(owner));
    EmptyClipboard();
    const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, text.size() + 1);
    std::memcpy(GlobalLock(block), text.c_str(), text.size() + 1);
    GlobalUnlock(block);
    if (SetClipboardData(CF_TEXT, block) == nullptr) GlobalFree(block);
    CloseClipboard();
}

ProcessorRecord sample_record() {
    ProcessorRecord record{};
    std::strcpy(record.vendor_id, "AuthenticAMD");
    std::strcpy(record.name, "AMD Athlon");
    record.family = 6;
    record.model = 4;
    record.speed_mhz = 1200.3f;
    return record;
}

ReportContext sample_context() {
    ReportContext context;
    context.day = 6, context.month = 12, context.year = 2026;
    context.user_name = "tester";
    context.computer_name = "WS7";
    return context;
}

TEST(OutputClipboard, CopyPutsTheExactTextReportOnTheClipboard) {
    TestWindow owner;
    ASSERT_NE(nullptr, owner.get());
    const ProcessorRecord record = sample_record();
    const ReportContext context = sample_context();
    SeenMessageBox seen;
    DialogWatcher watcher([&](HWND box) { read_and_close_message_box(box, seen); });

    EXPECT_EQ(1, copy_report_to_clipboard(owner.get(), record, context));
    SIZE_T block_size = 0;
    EXPECT_EQ(render_text_report(record, context), clipboard_text(owner.get(), &block_size));
    if (!running_under_wine()) {
        // Wine hands out a copy sized to the text, not the block it was given.
        EXPECT_EQ(k_clipboard_block_size, block_size);
    }
    EXPECT_EQ(0, seen.count) << "a message box appeared: " << seen.caption;
}

TEST(OutputClipboard, BusyClipboardShowsTheFailureMessage) {
    TestWindow owner;
    ASSERT_NE(nullptr, owner.get());
    put_on_clipboard(owner.get(), "before");

    // Another window of the test, on a thread of its own, holds the clipboard open.
    const HANDLE opened = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    const HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread holder([&] {
        TestWindow other;
        const bool open = OpenClipboard(other.get()) != 0;
        SetEvent(opened);
        WaitForSingleObject(release, INFINITE);
        if (open) CloseClipboard();
    });
    WaitForSingleObject(opened, INFINITE);

    SeenMessageBox seen;
    int result = -1;
    {
        DialogWatcher watcher([&](HWND box) { read_and_close_message_box(box, seen); });
        ASSERT_TRUE(watcher.is_set());
        result = copy_report_to_clipboard(owner.get(), sample_record(), sample_context());
    }
    SetEvent(release);
    holder.join();
    CloseHandle(opened);
    CloseHandle(release);

    EXPECT_EQ(0, result);
    EXPECT_EQ(1, seen.count);
    EXPECT_EQ("Error", seen.caption);
    EXPECT_EQ(std::vector<std::string>{"Copy to clipboard failed!"}, seen.texts);
    EXPECT_EQ(owner.get(), seen.owner);
    EXPECT_TRUE(seen.warning_icon) << "the box shows no warning icon";
    EXPECT_EQ("before", clipboard_text(owner.get()));
}

TEST(OutputClipboard, ReportTooLongForTheBlockIsRefusedNotCut) {
    TestWindow owner;
    ASSERT_NE(nullptr, owner.get());
    put_on_clipboard(owner.get(), "before");
    ReportContext context = sample_context();
    context.user_name.assign(5000, 'u');  // no real user name is this long
    SeenMessageBox seen;
    DialogWatcher watcher([&](HWND box) { read_and_close_message_box(box, seen); });
    EXPECT_EQ(0, copy_report_to_clipboard(owner.get(), sample_record(), context));
    EXPECT_EQ(1, seen.count);
    EXPECT_EQ("Error", seen.caption);
    EXPECT_EQ("before", clipboard_text(owner.get()));
}

TEST(OutputSaveDialog, RecordFieldsFollowTheProposedName) {
    TestWindow owner;
    ASSERT_NE(nullptr, owner.get());
    struct Case {
        const char* proposed;
        DWORD filter_index;
        const char* default_extension;
    };
    const Case cases[] = {
        {"corelens_results.txt", 1, "txt"},
        {"corelens_results.html", 2, "html"},
        {"corelens_results", 2, "html"},
    };
    for (const Case& c : cases) {
        const platform::SaveDialogRequest request =
            save_dialog_request(owner.get(), "C:\\Tools", c.proposed);
        std::string filter_list = request.filter + '\0';
        char file[MAX_PATH] = {};
        std::strcpy(file, c.proposed);
        platform::save_dialog_file_title[0] = 'x';  // must be emptied
        OPENFILENAMEA record;
        platform::fill_save_dialog_record(record, request, filter_list, file);

        EXPECT_EQ(76u, record.lStructSize);
        EXPECT_EQ(owner.get(), record.hwndOwner);
        EXPECT_EQ(GetModuleHandleA(nullptr), record.hInstance);
        const char expected_filter[] = "(*.txt)\0*.txt\0(*.html)\0*.html\0";  // and one more NUL
        EXPECT_EQ(0, std::memcmp(expected_filter, record.lpstrFilter, sizeof expected_filter))
            << c.proposed;
        EXPECT_EQ(nullptr, record.lpstrCustomFilter);
        EXPECT_EQ(c.filter_index, record.nFilterIndex) << c.proposed;
        EXPECT_STREQ(c.default_extension, record.lpstrDefExt) << c.proposed;
        EXPECT_EQ(file, record.lpstrFile);
        EXPECT_EQ(260u, record.nMaxFile);
        EXPECT_EQ(platform::save_dialog_file_title, record.lpstrFileTitle);
        EXPECT_EQ(256u, record.nMaxFileTitle);
        EXPECT_STREQ("", record.lpstrFileTitle);
        EXPECT_STREQ("C:\\Tools", record.lpstrInitialDir);
        EXPECT_STREQ("Save Corelens-results", record.lpstrTitle);
        EXPECT_EQ(0x81Eu, record.Flags);
        EXPECT_EQ(nullptr, record.lpfnHook);
        EXPECT_EQ(nullptr, record.lpTemplateName);
        EXPECT_EQ(0, record.lCustData);
    }
}

struct SeenSaveDialog {
    int count = 0;
    std::string title;
    std::string file_name;
    std::vector<std::string> filters;
    int selected_filter = -1;
    bool help_visible = false;
    bool read_only_visible = true;
};

void read_save_dialog(HWND dialog, SeenSaveDialog& seen) {
    ++seen.count;
    seen.title = window_text(dialog);
    char file_spec[MAX_PATH] = {};  // the file-name box, whichever control holds it
    SendMessageA(dialog, CDM_GETSPEC, sizeof file_spec, reinterpret_cast<LPARAM>(file_spec));
    seen.file_name = file_spec;
    const HWND filters = GetDlgItem(dialog, cmb1);
    const int count = static_cast<int>(SendMessageA(filters, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[64] = {};
        if (SendMessageA(filters, CB_GETLBTEXTLEN, i, 0) < static_cast<LRESULT>(sizeof text)) {
            SendMessageA(filters, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        }
        seen.filters.push_back(text);
    }
    seen.selected_filter = static_cast<int>(SendMessageA(filters, CB_GETCURSEL, 0, 0));
    seen.help_visible = IsWindowVisible(GetDlgItem(dialog, pshHelp)) != 0;
    seen.read_only_visible = IsWindowVisible(GetDlgItem(dialog, chx1)) != 0;
}

// Runs action on dialog once its initialisation is over: activation comes before the
// dialog has filled its controls, so the action waits for a timer of the dialog's loop.
class AfterInit {
public:
    static void schedule(HWND dialog, std::function<void(HWND)> action) {
        dialog_ = dialog;
        action_ = std::move(action);
        SetTimer(nullptr, 0, 100, &AfterInit::fire);
    }

private:
    static void CALLBACK fire(HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        auto action = std::move(action_);
        action_ = nullptr;
        if (action) action(dialog_);
    }
    static inline HWND dialog_ = nullptr;
    static inline std::function<void(HWND)> action_;
};

class OutputSaveDialogLive : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device random;
        directory_ = (fs::temp_directory_path() / ("corelens-dialog-" + std::to_string(random())))
                         .string();
        fs::create_directories(directory_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(directory_, ignored);
    }
    std::string directory_;
};

TEST_F(OutputSaveDialogLive, CancelReturnsZeroAndKeepsTheName) {
    TestWindow owner;
    ASSERT_NE(nullptr, owner.get());
    SeenSaveDialog seen;
    DialogWatcher watcher([&](HWND dialog) {
        AfterInit::schedule(dialog, [&](HWND initialised) {
            if (seen.count == 0) read_save_dialog(initialised, seen);
            PostMessageA(initialised, WM_COMMAND, IDCANCEL, 0);
        });
    });
    std::string path = "corelens_results.html";
    EXPECT_EQ(0, choose_save_file(owner.get(), directory_, path));
    EXPECT_EQ("corelens_results.html", path);
    EXPECT_EQ(1, seen.count);
    EXPECT_EQ("Save Corelens-results", seen.title);
    EXPECT_EQ("corelens_results.html", seen.file_name);
    EXPECT_EQ((std::vector<std::string>{"(*.txt)", "(*.html)"}), seen.filters);
    EXPECT_EQ(1, seen.selected_filter);
    EXPECT_TRUE(seen.help_visible);
    EXPECT_FALSE(seen.read_only_visible);
}

TEST_F(OutputSaveDialogLive, ConfirmReturnsTheChosenPathInTheInitialDirectory) {
    TestWindow owner;
    ASSERT_NE(nullptr, owner.get());
    SeenSaveDialog seen;
    DialogWatcher watcher([&](HWND dialog) {
        AfterInit::schedule(dialog, [&](HWND initialised) {
            // A second dialog (an overwrite prompt, an error) would be a fault: close it.
            PostMessageA(initialised, WM_COMMAND, seen.count++ == 0 ? IDOK : IDCANCEL, 0);
        });
    });
    std::string path = "corelens_results.txt";
    EXPECT_EQ(1, choose_save_file(owner.get(), directory_, path));
    EXPECT_EQ(1, seen.count);
    EXPECT_EQ(fs::path(directory_ + "\\corelens_results.txt").lexically_normal().string(),
              fs::path(path).lexically_normal().string());
    EXPECT_STREQ("corelens_results.txt", platform::save_dialog_file_title);
    EXPECT_FALSE(fs::exists(path)) << "choosing a name must not create the file";
}

}  // namespace
}  // namespace corelens
