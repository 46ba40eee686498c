// The about window in-process: its painting and link, the cursor, the mail request, closing,
// the animation's drawing thread, and what a hundred openings leave behind.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/processor_record.h"
#include "resources/resource.h"
#include "ui/about_logic.h"
#include "ui/win32/about_window.h"
#include "ui/win32/dressing.h"
#include "ui/win32/handles.h"
#include "ui/win32/logo_animation.h"
#include "ui/win32/memory_bitmap.h"

namespace corelens {
namespace {

HINSTANCE this_module() { return GetModuleHandleA(nullptr); }

bool running_under_wine() {
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

// Without a window manager (Xvfb) Wine waits two seconds for every hidden window to be
// acknowledged as withdrawn; a hundred closings would take minutes. Windows that the
// window manager does not manage are hidden at once. Read by Wine's X11 driver when it
// loads, so this runs before the first window; under Windows it does nothing.
const bool unmanaged_under_wine = [] {
    if (!running_under_wine()) return false;
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER,
                        "Software\\Wine\\AppDefaults\\about_window_test.exe\\X11 Driver", 0,
                        nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const LONG result = RegSetValueExA(key, "Managed", 0, REG_SZ,
                                       reinterpret_cast<const BYTE*>("N"), 2);
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}();

// Message boxes and about windows seen by the CBT hook. Boxes are closed at once; an about
// window is closed at once only when asked.
struct CaughtBox {
    std::string caption;
    std::string text;
    HWND owner;
};
std::vector<CaughtBox> caught_boxes;
HWND opened_about = nullptr;
bool close_about_at_once = false;
WPARAM closing_command = IDOK;

BOOL CALLBACK collect_static_text(HWND child, LPARAM text_param) {
    char class_name[32] = {};
    GetClassNameA(child, class_name, sizeof class_name);
    char text[512] = {};
    GetWindowTextA(child, text, sizeof text);
    if (lstrcmpiA(class_name, "Static") == 0 && text[0] != '\0') {
        *reinterpret_cast<std::string*>(text_param) += text;
    }
    return TRUE;
}

LRESULT CALLBACK catch_dialogs(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HCBT_ACTIVATE) {
        const HWND window = reinterpret_cast<HWND>(wparam);
        char caption[64] = {};
        GetWindowTextA(window, caption, sizeof caption);
        if (std::strcmp(caption, "About") == 0) {
            opened_about = window;
            if (close_about_at_once) PostMessageA(window, WM_COMMAND, closing_command, 0);
        } else if (std::strcmp(caption, k_cursor_error_caption) == 0 ||
                   std::strcmp(caption, k_email_error_caption) == 0) {
            CaughtBox box{caption, {}, GetWindow(window, GW_OWNER)};
            EnumChildWindows(window, collect_static_text, reinterpret_cast<LPARAM>(&box.text));
            caught_boxes.push_back(box);
            PostMessageA(window, WM_COMMAND, IDOK, 0);
        }
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

// Closes the open about window from inside its modal loop.
void CALLBACK close_opened_about(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    if (closing_command == WM_CLOSE) {
        PostMessageA(opened_about, WM_CLOSE, 0, 0);
    } else {
        PostMessageA(opened_about, WM_COMMAND, closing_command, 0);
    }
}

void pump_messages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

INT_PTR CALLBACK host_dialog_proc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

int thread_count() {
    int count = 0;
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
    }
    CloseHandle(snapshot);
    return count;
}

// Wine keeps every live GDI object in one table that a bare index reaches; this counts them
// where GetGuiResources reports nothing.
int live_gdi_objects_by_index() {
    int count = 0;
    for (std::uintptr_t index = 1; index < 0x10000; ++index) {
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0) ++count;
    }
    return count;
}

struct Census {
    int threads;
    DWORD gdi_objects;
    DWORD user_objects;
    int gdi_by_index;  // Wine only
};

Census take_census() {
    return Census{thread_count(), GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS),
                  GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS),
                  running_under_wine() ? live_gdi_objects_by_index() : 0};
}

// The client area of a window as 24-bit pixels, rows top to bottom.
struct Capture {
    int width = 0;
    int height = 0;
    int row = 0;
    std::vector<std::uint8_t> bits;

    COLORREF at(int x, int y) const {
        const std::uint8_t* p = &bits[static_cast<std::size_t>(y * row + 3 * x)];
        return RGB(p[2], p[1], p[0]);
    }
};

Capture capture_client(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    Capture capture;
    capture.width = client.right;
    capture.height = client.bottom;
    capture.row = 4 * ((3 * capture.width + 3) / 4);
    WindowDc window_dc(window);
    MemoryDc memory(window_dc.get());
    BITMAPINFO header{};
    header.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    header.bmiHeader.biWidth = capture.width;
    header.bmiHeader.biHeight = -capture.height;
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 24;
    header.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    Bitmap image(CreateDIBSection(memory.get(), &header, DIB_RGB_COLORS, &pixels, nullptr, 0));
    if (!image || pixels == nullptr) return capture;
    SelectedObject selected(memory.get(), image.get());
    BitBlt(memory.get(), 0, 0, capture.width, capture.height, window_dc.get(), 0, 0, SRCCOPY);
    GdiFlush();
    const auto* first = static_cast<const std::uint8_t*>(pixels);
    capture.bits.assign(first, first + static_cast<std::size_t>(capture.row) * capture.height);
    return capture;
}

class AboutWindow : public ::testing::Test {
protected:
    // The background the about window copies from belongs to the main window.
    static void SetUpTestSuite() {
        host_ = CreateDialogParamA(this_module(), MAKEINTRESOURCEA(IDD_MAIN), nullptr,
                                   host_dialog_proc, 0);
        dress_main_window(host_);
        // Out of the pointer's way: no real mouse message may reach the windows under test.
        SetWindowPos(host_, nullptr, -3000, -3000, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        SetCursorPos(0, 0);
    }
    static void TearDownTestSuite() {
        release_background();
        DestroyWindow(host_);
    }

    void SetUp() override {
        hook_ = SetWindowsHookExA(WH_CBT, catch_dialogs, nullptr, GetCurrentThreadId());
        caught_boxes.clear();
        opened_about = nullptr;
        close_about_at_once = false;
        closing_command = IDOK;
        processor_record.speed_mhz = 2400.0f;
        SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)));  // IDC_ARROW
    }
    void TearDown() override {
        UnhookWindowsHookEx(hook_);
        set_mail_launcher(nullptr);
        processor_record.speed_mhz = 0.0f;
    }

    // Modeless, so the test can talk to it by message; painted once.
    HWND open_modeless() {
        const HWND about = CreateDialogParamA(this_module(), MAKEINTRESOURCEA(IDD_ABOUT), host_,
                                              about_dialog_proc, 0);
        UpdateWindow(about);
        pump_messages();
        return about;
    }

    static void move_to(HWND about, int x, int y) {
        SendMessageA(about, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    }

    static HWND host_;
    HHOOK hook_ = nullptr;
};

HWND AboutWindow::host_ = nullptr;

TEST_F(AboutWindow, PaintsBackgroundCreditsAndBlueAddress) {
    const HWND about = open_modeless();
    ASSERT_NE(nullptr, about);

    // The extent is the address measured in the label font.
    SIZE expected{};
    {
        WindowDc screen(nullptr);
        Font font = create_label_font();
        SelectedObject selected(screen.get(), font.get());
        GetTextExtentPoint32A(screen.get(), k_contact_address,
                              static_cast<int>(std::strlen(k_contact_address)), &expected);
    }
    const LinkExtent extent = about_link_extent();
    EXPECT_EQ(expected.cx, extent.cx);
    EXPECT_EQ(expected.cy, extent.cy);

    const Capture client = capture_client(about);
    ASSERT_FALSE(client.bits.empty());
    int blue_in_link = 0;
    int blue_elsewhere = 0;
    for (int y = 0; y < client.height; ++y) {
        for (int x = 0; x < client.width; ++x) {
            if (client.at(x, y) != RGB(0, 0, 255)) continue;
            const bool in_address = x >= k_credits_x && x <= k_credits_x + extent.cx &&
                                    y >= k_link_y && y <= k_link_y + extent.cy;
            ++(in_address ? blue_in_link : blue_elsewhere);
        }
    }
    EXPECT_GT(blue_in_link, 0) << "no pixel of the address is drawn in blue";
    EXPECT_EQ(0, blue_elsewhere) << "blue pixels outside the address";
    // Left of the credits and below the frame the window shows the main window's background.
    EXPECT_EQ(GetPixel(background_dc(), 3, client.height - 3), client.at(3, client.height - 3));
    DestroyWindow(about);
}

TEST_F(AboutWindow, FramePixelsChangeWhileOpen) {
    const HWND about = open_modeless();
    const HWND frame = GetDlgItem(about, IDC_ABOUT_FRAME);
    ASSERT_NE(nullptr, frame);
    const Capture first = capture_client(frame);
    ASSERT_FALSE(first.bits.empty());
    bool changed = false;
    // Polled, not timed: the thread redraws every 10 ms; give up only after many rounds.
    for (int round = 0; round < 500 && !changed; ++round) {
        Sleep(10);
        pump_messages();
        changed = capture_client(frame).bits != first.bits;
    }
    EXPECT_TRUE(changed) << "the frame control never changed";
    DestroyWindow(about);
}

TEST_F(AboutWindow, CursorSetOnceOnEnteringAndOnceOnLeaving) {
    const HWND about = open_modeless();
    const HCURSOR normal = GetCursor();
    const HCURSOR hand = LoadCursorA(this_module(), MAKEINTRESOURCEA(IDR_HAND));
    const HCURSOR marker = LoadCursorA(nullptr, MAKEINTRESOURCEA(32515));  // IDC_CROSS
    ASSERT_NE(nullptr, hand);
    const LinkExtent extent = about_link_extent();
    ASSERT_GT(extent.cx, 0);

    move_to(about, k_credits_x, k_link_y + 1);  // the left edge is outside
    EXPECT_EQ(normal, GetCursor());
    EXPECT_EQ(FALSE, about_dialog_proc(about, WM_SETCURSOR, 0, 0));

    move_to(about, k_credits_x + 1, k_link_y + 1);
    EXPECT_EQ(hand, GetCursor()) << "entering the address shows the hand";
    EXPECT_EQ(TRUE, about_dialog_proc(about, WM_SETCURSOR, 0, 0));

    // A cursor set by someone else stays: moving within the address sets nothing.
    SetCursor(marker);
    move_to(about, k_credits_x + extent.cx, k_link_y + extent.cy);
    EXPECT_EQ(marker, GetCursor()) << "moving within the address set the cursor again";

    move_to(about, k_credits_x + extent.cx + 1, k_link_y + extent.cy);
    EXPECT_EQ(normal, GetCursor()) << "leaving puts back the cursor current at opening";
    EXPECT_EQ(FALSE, about_dialog_proc(about, WM_SETCURSOR, 0, 0));

    SetCursor(marker);
    move_to(about, 5, 5);
    EXPECT_EQ(marker, GetCursor()) << "moving outside set the cursor again";
    DestroyWindow(about);
}

struct LaunchCall {
    bool window_null, verb_null, parameters_null, directory_null;
    std::string file;
    INT show;
};
std::vector<LaunchCall> launches;
INT_PTR launch_result = 42;

HINSTANCE WINAPI fake_launcher(HWND window, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                               LPCSTR directory, INT show) {
    launches.push_back(LaunchCall{window == nullptr, verb == nullptr, parameters == nullptr,
                                  directory == nullptr, file != nullptr ? file : "", show});
    return reinterpret_cast<HINSTANCE>(launch_result);
}

TEST_F(AboutWindow, ClickOnAddressHandsMailRequestToLauncher) {
    set_mail_launcher(fake_launcher);
    launches.clear();
    launch_result = 42;
    const HWND about = open_modeless();
    const LPARAM on_address = MAKELPARAM(k_credits_x + 5, k_link_y + 5);

    // Without the hand shown, a click starts nothing, wherever it lands.
    SendMessageA(about, WM_LBUTTONDOWN, MK_LBUTTON, on_address);
    move_to(about, 20, 60);
    SendMessageA(about, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 60));
    EXPECT_EQ(0u, launches.size());

    move_to(about, k_credits_x + 5, k_link_y + 5);
    SendMessageA(about, WM_LBUTTONDOWN, MK_LBUTTON, on_address);
    ASSERT_EQ(1u, launches.size());
    EXPECT_EQ("mailto: " + std::string(k_contact_address), launches[0].file);
    EXPECT_TRUE(launches[0].window_null && launches[0].verb_null && launches[0].parameters_null &&
                launches[0].directory_null);
    EXPECT_EQ(SW_SHOWNORMAL, launches[0].show);
    EXPECT_EQ(0u, caught_boxes.size()) << "a launch that worked showed a message";
    DestroyWindow(about);
}

TEST_F(AboutWindow, FailingLauncherShowsEmailError) {
    set_mail_launcher(fake_launcher);
    launches.clear();
    launch_result = 32;  // the last failing value
    const HWND about = open_modeless();
    move_to(about, k_credits_x + 5, k_link_y + 5);
    SendMessageA(about, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(k_credits_x + 5, k_link_y + 5));
    pump_messages();
    ASSERT_EQ(1u, launches.size());
    ASSERT_EQ(1u, caught_boxes.size());
    EXPECT_EQ(k_email_error_caption, caught_boxes[0].caption);
    EXPECT_EQ(k_email_error_text, caught_boxes[0].text);
    EXPECT_EQ(nullptr, caught_boxes[0].owner) << "the message has no owner window";
    EXPECT_TRUE(IsWindow(about)) << "the window stays open";
    DestroyWindow(about);
}

TEST_F(AboutWindow, MissingCursorIsReportedAndWindowStillOpens) {
    SetCursor(nullptr);  // nothing current: the cursor to restore can't be had
    const HWND about = open_modeless();
    ASSERT_EQ(1u, caught_boxes.size());
    EXPECT_EQ(k_cursor_error_caption, caught_boxes[0].caption);
    EXPECT_EQ(k_cursor_error_text, caught_boxes[0].text);
    EXPECT_EQ(about, caught_boxes[0].owner);
    EXPECT_TRUE(IsWindow(about));
    DestroyWindow(about);
}

TEST_F(AboutWindow, OkEscAndCloseBoxAllReturnOne) {
    struct Case {
        const char* name;
        WPARAM command;
    };
    const Case cases[] = {{"OK", IDOK}, {"Esc", IDCANCEL}, {"close box", WM_CLOSE}};
    for (const Case& c : cases) {
        closing_command = c.command;
        SetTimer(nullptr, 0, 100, close_opened_about);
        EXPECT_EQ(1, run_about_window(this_module(), host_)) << c.name;
        EXPECT_FALSE(IsWindow(opened_about)) << c.name;
    }
}

TEST_F(AboutWindow, HundredOpeningsLeaveNothingBehind) {
    // One opening first, so that whatever the system starts once is not counted.
    close_about_at_once = true;
    run_about_window(this_module(), host_);
    pump_messages();
    const Census before = take_census();

    for (int opening = 0; opening < 100; ++opening) {
        // Every other window is closed at once, the rest after a few frames.
        close_about_at_once = opening % 2 == 0;
        processor_record.speed_mhz = opening % 4 < 2 ? 2400.0f : 0.0f;
        if (!close_about_at_once) SetTimer(nullptr, 0, 60, close_opened_about);
        ASSERT_EQ(1, run_about_window(this_module(), host_)) << "opening " << opening;
    }
    pump_messages();
    const Census after = take_census();

    EXPECT_EQ(before.threads, after.threads) << "threads";
    EXPECT_EQ(before.gdi_objects, after.gdi_objects) << "GDI objects";
    EXPECT_EQ(before.user_objects, after.user_objects) << "USER objects";
    if (running_under_wine()) {
        // Known Wine deviation: GetGuiResources is a stub that reports 0 for both counts,
        // so the GDI table is counted by index as well.
        EXPECT_EQ(before.gdi_by_index, after.gdi_by_index) << "live GDI objects (Wine table)";
        // The count by index must see one more object while one more exists.
        Brush probe(CreateSolidBrush(RGB(1, 2, 3)));
        EXPECT_EQ(after.gdi_by_index + 1, live_gdi_objects_by_index()) << "index count is blind";
        std::printf("Wine: GetGuiResources %lu GDI / %lu USER; GDI table %d -> %d; threads %d\n",
                    static_cast<unsigned long>(after.gdi_objects),
                    static_cast<unsigned long>(after.user_objects), before.gdi_by_index,
                    after.gdi_by_index, after.threads);
    }
}

// The animation on its own, drawing into a plain child window.
class LogoAnimationTest : public ::testing::Test {
protected:
    void SetUp() override {
        parent_ = CreateWindowExA(0, "Static", "", WS_POPUP, -500, -500, 200, 200, nullptr,
                                  nullptr, this_module(), nullptr);
        frame_ = CreateWindowExA(0, "Static", "", WS_CHILD | WS_VISIBLE, 0, 0, 76, 56, parent_,
                                 nullptr, this_module(), nullptr);
        empty_ = CreateWindowExA(0, "Static", "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent_,
                                 nullptr, this_module(), nullptr);
    }
    void TearDown() override { DestroyWindow(parent_); }

    HWND parent_ = nullptr;
    HWND frame_ = nullptr;
    HWND empty_ = nullptr;
    const AnimationPace fast_ = animation_pace(2400.0f);
};

TEST_F(LogoAnimationTest, InertWithoutPictureOrSize) {
    const MemoryBitmap logo(this_module(), IDB_LOGO);
    const MemoryBitmap missing(this_module(), 9999);
    struct Case {
        const char* name;
        HWND target;
        const MemoryBitmap* picture;
    };
    const Case cases[] = {{"no picture", frame_, nullptr},
                          {"missing resource", frame_, &missing},
                          {"zero-size target", empty_, &logo}};
    for (const Case& c : cases) {
        const LogoAnimation animation(c.target, c.picture, fast_);
        EXPECT_FALSE(animation.running()) << c.name;
    }
}

TEST_F(LogoAnimationTest, DestroyingRightAfterCreationIsSafe) {
    const MemoryBitmap logo(this_module(), IDB_LOGO);
    const int threads = thread_count();
    for (int round = 0; round < 50; ++round) {
        LogoAnimation animation(frame_, &logo, fast_);
        ASSERT_TRUE(animation.running()) << "round " << round;
        if (round % 2 == 1) animation.target_shown();  // half of them get as far as drawing
    }
    EXPECT_EQ(threads, thread_count());
}

TEST_F(LogoAnimationTest, DrawsNothingBeforeTargetIsShown) {
    const MemoryBitmap logo(this_module(), IDB_LOGO);
    const LogoAnimation animation(frame_, &logo, fast_);
    Sleep(50);  // several frame pauses: none of them may draw
    EXPECT_EQ(0u, animation.frames_drawn());
}

TEST_F(LogoAnimationTest, DrawsFramesUntilDestroyed) {
    const MemoryBitmap logo(this_module(), IDB_LOGO);
    const int threads = thread_count();
    std::uint32_t drawn = 0;
    {
        LogoAnimation animation(frame_, &logo, fast_);
        animation.target_shown();
        EXPECT_EQ(threads + 1, thread_count()) << "the drawing thread is not counted";
        for (int round = 0; round < 500 && animation.frames_drawn() < 3; ++round) Sleep(10);
        drawn = animation.frames_drawn();
    }
    EXPECT_GE(drawn, 3u);
    EXPECT_EQ(threads, thread_count()) << "the drawing thread outlived its animation";
}

}  // namespace
}  // namespace corelens
