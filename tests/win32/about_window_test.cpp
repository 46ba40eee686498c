// The about window in-process: the animated frame, the link's cursor, the mail request, the
// drawing thread, and what a hundred openings leave behind.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "core/processor_record.h"
#include "resources/resource.h"
#include "tests/win32/dialog_helpers.h"
#include "ui/win32/about_window.h"
#include "ui/win32/logo_animation.h"

namespace corelens {
namespace {

const HINSTANCE module = GetModuleHandleA(nullptr);

// What the CBT hook saw: message boxes as "caption|text" (closed at once) and the about window.
std::vector<std::string> caught_boxes;
HWND opened_about = nullptr;

LRESULT CALLBACK catch_dialogs(int code, WPARAM wparam, LPARAM lparam) {
    const HWND window = reinterpret_cast<HWND>(wparam);
    char caption[64] = {}, text[512] = {};
    if (code == HCBT_ACTIVATE && GetWindowTextA(window, caption, sizeof caption) > 0) {
        if (std::strcmp(caption, "About") == 0) {
            opened_about = window;
        } else {
            GetDlgItemTextA(window, 0xFFFF, text, sizeof text);  // a message box's text control
            caught_boxes.push_back(std::string(caption) + "|" + text);
            PostMessageA(window, WM_COMMAND, IDOK, 0);
        }
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

INT_PTR CALLBACK host_proc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

// The main window, whose dressing the about window copies, made once with the hook; away from
// the pointer, so that no real mouse message reaches the windows under test.
HWND host() {
    static const HWND window = [] {
        const HWND made = CreateDialogParamA(module, MAKEINTRESOURCEA(IDD_MAIN), nullptr, host_proc, 0);
        dress_main_window(made);
        SetWindowPos(made, nullptr, -3000, -3000, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        SetCursorPos(0, 0);
        SetWindowsHookExA(WH_CBT, catch_dialogs, nullptr, GetCurrentThreadId());
        return made;
    }();
    return window;
}

// Painted once, the arrow current.
HWND open_modeless() {
    SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)));  // IDC_ARROW
    caught_boxes.clear();
    const HWND about = testing::open_dialog(IDD_ABOUT, about_dialog_proc, host());
    UpdateWindow(about);
    testing::pump_messages();
    return about;
}

int thread_count() {
    int count = 0;
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        count += entry.th32OwnerProcessID == GetCurrentProcessId() ? 1 : 0;
    CloseHandle(snapshot);
    return count;
}

// Wine keeps live GDI objects in one table that a bare index reaches: a count where
// GetGuiResources reports nothing.
int live_gdi_objects_by_index() {
    int count = 0;
    for (std::uintptr_t index = 1; index < 0x10000; ++index)
        count += GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0 ? 1 : 0;
    return count;
}

TEST(AboutWindow, FramePixelsChangeWhileOpen) {
    const HWND about = open_modeless();
    const WindowDc dc(GetDlgItem(about, IDC_ABOUT_FRAME));
    const auto capture = [&dc] {
        std::vector<COLORREF> pixels;
        for (int at = 0; at < 76 * 56; ++at) pixels.push_back(GetPixel(dc.get(), at % 76, at / 76));
        return pixels;
    };
    const std::vector<COLORREF> first = capture();
    bool changed = false;
    // Polled until it changes, not timed: the thread redraws every 10 ms.
    for (int round = 0; round < 500 && !changed; ++round) {
        Sleep(10);
        testing::pump_messages();
        changed = capture() != first;
    }
    EXPECT_TRUE(changed) << "the frame control never changed";
    DestroyWindow(about);
}

// The link area is open on the left and top; someone else's cursor (the marker, set after
// every move) stays while no edge is crossed. Over the link the window keeps the hand when the
// system asks for a cursor.
TEST(AboutWindow, CursorSetOnceOnEnteringAndOnceOnLeaving) {
    const HWND about = open_modeless();
    const HCURSOR normal = GetCursor();
    const HCURSOR hand = LoadCursorA(module, MAKEINTRESOURCEA(IDR_HAND));
    const HCURSOR marker = LoadCursorA(nullptr, MAKEINTRESOURCEA(32515));  // IDC_CROSS
    const LinkExtent extent = about_link_extent();
    const struct { const char* what; int x, y; HCURSOR expected; BOOL over; } moves[] = {
        {"onto the left edge", k_credits_x, k_link_y + 1, normal, FALSE},
        {"entering", k_credits_x + 1, k_link_y + 1, hand, TRUE},
        {"within, to the bottom right corner", k_credits_x + extent.cx, k_link_y + extent.cy, marker, TRUE},
        {"leaving", k_credits_x + extent.cx + 1, k_link_y + extent.cy, normal, FALSE},
    };
    for (const auto& m : moves) {
        SendMessageA(about, WM_MOUSEMOVE, 0, MAKELPARAM(m.x, m.y));
        EXPECT_EQ(m.expected, GetCursor()) << m.what;
        EXPECT_EQ(m.over, about_dialog_proc(about, WM_SETCURSOR, 0, 0)) << m.what;
        SetCursor(marker);
    }
    DestroyWindow(about);
}

std::vector<std::string> launches;
INT_PTR launch_result = 0;

HINSTANCE WINAPI fake_launcher(HWND window, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                               INT show) {
    const bool plain = !window && !verb && !parameters && !directory && show == SW_SHOWNORMAL;
    launches.push_back(plain ? file : "unexpected arguments");
    return reinterpret_cast<HINSTANCE>(launch_result);
}

TEST(AboutWindow, ClickOnAddressHandsMailRequestToLauncher) {
    set_mail_launcher(fake_launcher);
    launch_result = 33;  // the first success
    const HWND about = open_modeless();
    const auto click = [about] {
        SendMessageA(about, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(k_credits_x + 5, k_link_y + 5));
    };
    SendMessageA(about, WM_MOUSEMOVE, 0, MAKELPARAM(k_credits_x + 5, k_link_y + 5));
    click();
    EXPECT_EQ(std::vector<std::string>{"mailto: " + std::string(k_contact_address)}, launches);
    EXPECT_TRUE(caught_boxes.empty()) << "a launch that worked showed a message";

    launch_result = 32;  // the last failure
    click();
    testing::pump_messages();
    EXPECT_EQ(std::vector<std::string>{std::string(k_email_error_caption) + "|" + k_email_error_text},
              caught_boxes);
    DestroyWindow(about);
    set_mail_launcher(nullptr);
}

// OK, Esc and the close box, at once or after some frames, a hundred times: every opening
// returns 1 and nothing is left behind.
std::pair<UINT, WPARAM> closing;
void CALLBACK close_opened_about(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    PostMessageA(opened_about, closing.first, closing.second, 0);
}

TEST(AboutWindow, HundredOpeningsLeaveNothingBehind) {
    const std::pair<UINT, WPARAM> closings[] = {{WM_COMMAND, IDOK}, {WM_COMMAND, IDCANCEL}, {WM_CLOSE, 0}};
    closing = closings[0];
    SetTimer(nullptr, 0, 1, close_opened_about);
    run_about_window(module, host());  // whatever the system starts once is not counted
    const int threads = thread_count();
    const DWORD gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    const DWORD user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    const int gdi_by_index = live_gdi_objects_by_index();
    for (int opening = 0; opening < 100; ++opening) {
        closing = closings[opening % 3];
        SetTimer(nullptr, 0, opening % 2 == 0 ? 1 : 60, close_opened_about);
        ASSERT_EQ(1, run_about_window(module, host())) << "opening " << opening;
        ASSERT_FALSE(IsWindow(opened_about)) << "opening " << opening;
    }
    testing::pump_messages();
    EXPECT_EQ(threads, thread_count()) << "threads";
    EXPECT_EQ(gdi, GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) << "GDI objects";
    EXPECT_EQ(user, GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS)) << "USER objects";
    if (testing::running_under_wine()) {
        // Known Wine deviation: GetGuiResources always reports 0, so the GDI table is counted.
        EXPECT_EQ(gdi_by_index, live_gdi_objects_by_index()) << "live GDI objects";
    }
}

TEST(LogoAnimation, StopsWhenDestroyedAtOnce) {
    const HWND frame =
        CreateWindowExA(0, "Static", "", WS_POPUP, -500, -500, 76, 56, nullptr, nullptr, module, nullptr);
    const MemoryBitmap logo(module, IDB_LOGO);
    const int threads = thread_count();
    for (int round = 0; round < 50; ++round) {  // destroyed right after creation, shown or not
        LogoAnimation animation(frame, &logo, animation_pace(2400.0f));
        ASSERT_TRUE(animation.running()) << "round " << round;
        if (round % 2 == 1) animation.target_shown();
    }
    EXPECT_EQ(threads, thread_count()) << "a drawing thread outlived its animation";
    DestroyWindow(frame);
}

}  // namespace
}  // namespace corelens
