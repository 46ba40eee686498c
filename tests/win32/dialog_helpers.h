#pragma once
// Shared by the window tests: a known record, control inspection, pixel reads and a hook
// that drives a modal dialog from its WM_INITDIALOG.
#include <windows.h>

#include <commctrl.h>

#include <cstring>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "core/processor_record.h"
#include "tables/reference_tables.h"
#include "ui/layout.h"
#include "ui/win32/control_ids.h"
#include "ui/win32/dressing.h"
#include "ui/win32/prompts.h"

namespace corelens::testing {

inline ProcessorRecord sample_record() {
    ProcessorRecord record{};
    std::strcpy(record.vendor_id, "AuthenticAMD");
    std::strcpy(record.name, "AMD Athlon");
    std::strcpy(record.brand_string, "AMD Athlon(tm) Processor");
    std::strcpy(record.type_name, "Original OEM processor");
    record.family = 6;
    record.model = 2;
    record.stepping = 1;
    record.max_level = 1;
    record.max_ext_level = 4;
    record.speed_mhz = 451.0f;
    record.ext_features = (1u << 30) | (1u << 31);
    record.features = 0x0183F9FF | record.ext_features;
    record.l1_data_kb = 64;
    record.l1_code_kb = 64;
    record.l2_kb = 512;
    return record;
}

// Sets the program's record the windows read.
inline void use_record(const ProcessorRecord& record) {
    build_reference_tables();
    processor_record = record;
    non_intel = 1;
}

inline std::string text_of(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// "text", with " [grey]" when the control is disabled.
inline std::string field_state(HWND control) {
    return text_of(control) + (IsWindowEnabled(control) ? "" : " [grey]");
}

// Each view-model text the window does not show where its control id says, one per line.
inline std::string mapping_faults(HWND window, const WindowTexts& texts, const std::vector<FieldText>& fields) {
    std::string faults;
    const auto check = [&](int id, const std::string& expected) {
        const std::string shown = field_state(GetDlgItem(window, id));
        if (shown != expected) faults += std::to_string(id) + ": \"" + shown + "\" not \"" + expected + "\"\n";
    };
    if (text_of(window) != texts.title) faults += "title " + text_of(window) + "\n";
    for (const ControlText& control : texts.controls) check(control_id(control.control), control.text);
    for (const FieldText& field : fields) check(control_id(field.field), field.text + (field.enabled ? "" : " [grey]"));
    return faults;
}

inline void pump_messages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// A child's rectangle in its parent's client coordinates.
inline RECT client_rect_of(HWND parent, HWND child) {
    RECT frame{};
    GetWindowRect(child, &frame);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&frame), 2);
    return frame;
}

// Calls on_init for each dialog of this thread right after its WM_INITDIALOG, while the
// hook is installed. The callback may inspect the dialog and post what closes it.
class DialogDriver {
public:
    explicit DialogDriver(std::function<void(HWND)> on_init) {
        on_init_ = std::move(on_init);
        hook_ = SetWindowsHookExA(WH_CALLWNDPROCRET, &DialogDriver::hook, nullptr, GetCurrentThreadId());
    }
    ~DialogDriver() {
        UnhookWindowsHookEx(hook_);
        on_init_ = nullptr;
    }
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;
    bool installed() const { return hook_ != nullptr; }

private:
    static LRESULT CALLBACK hook(int code, WPARAM wparam, LPARAM lparam) {
        if (code == HC_ACTION) {
            const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lparam);
            if (call->message == WM_INITDIALOG && on_init_) on_init_(call->hwnd);
        }
        return CallNextHookEx(nullptr, code, wparam, lparam);
    }

    static inline std::function<void(HWND)> on_init_;
    HHOOK hook_ = nullptr;
};

// Runs a modal dialog that the user ends by "enter", "escape" or "close box"; its result.
inline INT_PTR run_ended_by(const std::string& way, const std::function<INT_PTR()>& run) {
    DialogDriver driver([&way](HWND dialog) {
        if (way == "enter") PostMessageA(dialog, WM_KEYDOWN, VK_RETURN, 0);
        if (way == "escape") PostMessageA(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
        if (way == "close box") PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    return driver.installed() ? run() : -2;
}

// A modeless dialog from the program's templates, so a test can talk to it by message.
inline HWND open_dialog(int template_id, DLGPROC proc, HWND owner = nullptr) {
    return CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(template_id), owner, proc, 0);
}

// Destroys the windows (owned ones first) and what they leave for the next test.
inline void close_dialogs(std::initializer_list<HWND> windows) {
    user_prompts() = UserPrompts{};
    for (HWND window : windows) {
        if (window != nullptr) DestroyWindow(window);
    }
    release_background();
    pump_messages();
}

// True when some pixel of the rectangle has the colour.
inline bool any_pixel(HDC dc, const RECT& area, COLORREF colour) {
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            if (GetPixel(dc, x, y) == colour) return true;
        }
    }
    return false;
}

// Shows the window; one line for each point that differs from the background image and each
// label that shows no pixel of its colour or whose control is visible. Empty when all is well.
inline std::string paint_faults(HWND window, std::initializer_list<POINT> background_points,
                                std::initializer_list<std::pair<int, COLORREF>> labels) {
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    const HDC dc = GetDC(window);
    std::string faults;
    for (const POINT& p : background_points) {
        if (GetPixel(dc, p.x, p.y) != GetPixel(background_dc(), p.x, p.y))
            faults += "background differs at " + std::to_string(p.x) + "," + std::to_string(p.y) + "\n";
    }
    for (const auto& [id, colour] : labels) {
        const HWND label = GetDlgItem(window, id);
        if (!any_pixel(dc, client_rect_of(window, label), colour))
            faults += "label " + std::to_string(id) + " lacks colour " + std::to_string(colour) + "\n";
        if (IsWindowVisible(label)) faults += "label " + std::to_string(id) + " visible\n";
    }
    ReleaseDC(window, dc);
    return faults;
}

// The list view's column-click notification, as the control sends it to its dialog.
inline void notify_column_click(HWND dialog, int list_id, int column) {
    NMLISTVIEW click{};
    click.hdr.hwndFrom = GetDlgItem(dialog, list_id);
    click.hdr.idFrom = static_cast<UINT_PTR>(list_id);
    click.hdr.code = LVN_COLUMNCLICK;
    click.iItem = -1;
    click.iSubItem = column;
    SendMessageA(dialog, WM_NOTIFY, static_cast<WPARAM>(list_id), reinterpret_cast<LPARAM>(&click));
}

// Empty when the window is centred on the screen, else where it is and where it should be.
inline std::string centring_fault(HWND window) {
    RECT frame{};
    GetWindowRect(window, &frame);
    HDC screen = GetDC(nullptr);
    const Position p = centred_origin(GetDeviceCaps(screen, HORZRES), GetDeviceCaps(screen, VERTRES),
                                      frame.right - frame.left, frame.bottom - frame.top);
    ReleaseDC(nullptr, screen);
    if (p.x == frame.left && p.y == frame.top) return "";
    return "at " + std::to_string(frame.left) + "," + std::to_string(frame.top) + ", centred at " +
           std::to_string(p.x) + "," + std::to_string(p.y);
}

// True under Wine, where some counters are not kept.
inline bool running_under_wine() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace corelens::testing
