#pragma once
// Shared by the window tests: a known record, a control's text and a hook that drives a modal
// dialog from its WM_INITDIALOG.
#include <windows.h>

#include <cstring>
#include <functional>
#include <string>
#include <utility>

#include "core/processor_record.h"

namespace corelens::testing {

inline ProcessorRecord sample_record() {
    ProcessorRecord record{};
    std::strcpy(record.vendor_id, "AuthenticAMD");
    std::strcpy(record.brand_string, "AMD Athlon(tm) Processor");
    record.family = 6;
    return record;
}

inline std::string text_of(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
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

}  // namespace corelens::testing
