#include "ui/win32/about_window.h"

#include <shellapi.h>

#include <cstring>
#include <memory>
#include <string>

#include "core/processor_record.h"
#include "resources/resource.h"
#include "ui/animation.h"
#include "ui/win32/dressing.h"
#include "ui/win32/handles.h"
#include "ui/win32/logo_animation.h"
#include "ui/win32/memory_bitmap.h"
#include "ui/win32/user_dialogs.h"

namespace corelens {

namespace {

// The window is modal, so one set of state serves every opening. Cursors from LoadCursorA
// are shared by the system and never destroyed.
struct AboutState {
    HCURSOR link_cursor = nullptr;
    HCURSOR normal_cursor = nullptr;
    bool over_link = false;
    LinkExtent link_extent;  // survives closing: measured only while painting
    HWND frame_window = nullptr;
    std::unique_ptr<MemoryBitmap> logo_picture;
    std::unique_ptr<LogoAnimation> logo_animation;
};

AboutState about;

// The thread draws into the frame control: it ends before the picture and the control go.
void release_logo() {
    about.logo_animation.reset();
    about.logo_picture.reset();
}

BOOL on_init_dialog(HWND window) {
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
    about.link_cursor = LoadCursorA(instance, MAKEINTRESOURCEA(IDR_HAND));
    about.normal_cursor = GetCursor();
    about.over_link = false;
    if (about.link_cursor == nullptr || about.normal_cursor == nullptr) {
        WindowsDialogs(window).tell(k_cursor_error_message);
    }
    center_on_screen(window);
    about.frame_window = GetDlgItem(window, IDC_ABOUT_FRAME);
    release_logo();
    about.logo_picture = std::make_unique<MemoryBitmap>(instance, IDB_LOGO);
    about.logo_animation = std::make_unique<LogoAnimation>(
        about.frame_window, about.logo_picture.get(), animation_pace(processor_record.speed_mhz));
    return TRUE;
}

void text_out(HDC dc, std::int32_t x, std::int32_t y, const char* text) {
    TextOutA(dc, x, y, text, static_cast<int>(std::strlen(text)));
}

void on_paint(HWND window) {
    RECT update{};
    if (!GetUpdateRect(window, &update, FALSE)) return;
    PaintDc paint(window);
    const HDC dc = paint.get();
    Font font = create_label_font();
    SelectedObject font_selected(dc, font.get());
    SetBkMode(dc, TRANSPARENT);
    const COLORREF previous_colour = SetTextColor(dc, colour_ref(k_credits_colour));

    BitBlt(dc, update.left, update.top, update.right - update.left, update.bottom - update.top,
           background_dc(), update.left, update.top, SRCCOPY);
    for (const CreditLine& line : k_credit_lines) text_out(dc, k_credits_x, line.y, line.text);

    SetTextColor(dc, colour_ref(k_link_colour));
    SIZE extent{};
    GetTextExtentPoint32A(dc, k_contact_address,
                          static_cast<int>(std::strlen(k_contact_address)), &extent);
    about.link_extent = LinkExtent{extent.cx, extent.cy};
    text_out(dc, k_credits_x, k_link_y, k_contact_address);

    SetTextColor(dc, previous_colour);
    if (about.logo_animation) about.logo_animation->target_shown();
    // font_selected, font and paint end in that order: font back, font deleted, EndPaint.
}

void on_mouse_move(LPARAM lparam) {
    const auto x = static_cast<std::int32_t>(LOWORD(lparam));
    const auto y = static_cast<std::int32_t>(HIWORD(lparam));
    switch (track_pointer(about.over_link, x, y, about.link_extent)) {
        case CursorChange::show_link: SetCursor(about.link_cursor); break;
        case CursorChange::show_normal: SetCursor(about.normal_cursor); break;
        case CursorChange::none: break;
    }
}

void on_left_button_down() {
    if (!about.over_link) return;
    const std::string request = mail_request(k_contact_address);
    const HINSTANCE result =
        ShellExecuteA(nullptr, nullptr, request.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    if (reinterpret_cast<INT_PTR>(result) <= 32) {
        WindowsDialogs(nullptr).tell(k_email_error_message);
    }
}

BOOL on_command(HWND window, WPARAM wparam) {
    if (wparam != IDOK && wparam != IDCANCEL) return FALSE;
    release_logo();
    EndDialog(window, 1);
    return TRUE;
}

}  // namespace

INT_PTR CALLBACK about_dialog_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_INITDIALOG: return on_init_dialog(window);
        case WM_PAINT: on_paint(window); return FALSE;
        case WM_MOUSEMOVE: on_mouse_move(lparam); return FALSE;
        case WM_LBUTTONDOWN: on_left_button_down(); return FALSE;
        // While the hand is shown the class cursor must not come back.
        case WM_SETCURSOR: return about.over_link ? TRUE : FALSE;
        case WM_COMMAND: return on_command(window, wparam);
        // A window destroyed without being closed still stops the thread before its frame goes.
        case WM_DESTROY: release_logo(); return FALSE;
        default: return FALSE;
    }
}

INT_PTR run_about_window(HINSTANCE instance, HWND owner) {
    return DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_ABOUT), owner, about_dialog_proc, 0);
}

}  // namespace corelens
