#include "ui/win32/main_window.h"

#include "core/processor_record.h"
#include "resources/resource.h"
#include "ui/view_model.h"
#include "ui/win32/about_window.h"
#include "ui/win32/dressing.h"
#include "ui/win32/features_window.h"
#include "ui/win32/user_dialogs.h"

namespace corelens {

std::string save_directory;

namespace {

HINSTANCE instance_of(HWND window) {
    return reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
}

void on_init_dialog(HWND window) {
    dress_main_window(window);
    fill_main_fields(window);
    center_on_screen(window);
}

void on_command(HWND window, WPARAM wparam) {
    switch (LOWORD(wparam)) {
        case IDOK:
        case IDCANCEL:
            release_background();
            EndDialog(window, 1);
            break;
        case IDC_MAIN_FEATURES:
            DialogBoxParamA(instance_of(window), MAKEINTRESOURCEA(IDD_FEATURES), window,
                            features_dialog_proc, 0);
            break;
        case IDC_MAIN_ABOUT:
            run_about_window(instance_of(window), window);
            break;
        case IDC_MAIN_COPY: {
            WindowsDialogs dialogs(window);
            run_copy_flow(dialogs);
            break;
        }
        case IDC_MAIN_SAVE: {
            WindowsDialogs dialogs(window);
            run_save_flow(dialogs, save_directory, k_windows_save);
            break;
        }
        default:
            break;
    }
}

}  // namespace

INT_PTR run_main_window(HINSTANCE instance, const std::string& program_directory) {
    save_directory = program_directory;
    return DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, main_dialog_proc, 0);
}

// Returns FALSE throughout: after WM_INITDIALOG the dialog manager then sets no focus.
INT_PTR CALLBACK main_dialog_proc(HWND window, UINT message, WPARAM wparam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG: on_init_dialog(window); break;
        case WM_PAINT: paint_dialog(window, main_dialog()); break;
        case WM_COMMAND: on_command(window, wparam); break;
        default: break;
    }
    return FALSE;
}

void fill_main_fields(HWND window) {
    apply_field_texts(window, main_dialog(), main_field_texts(processor_record));
}

}  // namespace corelens
