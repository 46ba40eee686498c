#include "ui/win32/main_window.h"

#include "core/processor_record.h"
#include "report/result_output.h"
#include "resources/resource.h"
#include "ui/field_texts.h"
#include "ui/win32/about_window.h"
#include "ui/win32/dressing.h"
#include "ui/win32/features_window.h"
#include "ui/win32/prompts.h"

namespace corelens {

const char* const k_save_question =
    "Do you want to save the results in\nHTML-format?\n\n('YES' for HTML, 'NO' for text)";
const char* const k_save_failed_message = "Saving the results failed!";

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

void save_results_as(HWND window) {
    const int answer = ask_message_box(window, k_save_question, "Type of output", MB_YESNO);
    std::string path = answer == IDYES ? "corelens_results.html" : "corelens_results.txt";
    if (ask_save_file(window, save_directory, path) == 0) return;
    // The format follows the name finally chosen, not the answer above.
    if (save_results(path, k_create_always) == 0) {
        ask_message_box(window, k_save_failed_message, "Error", MB_ICONWARNING);
    }
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
        case IDC_MAIN_COPY:
            copy_results_to_clipboard(window);
            break;
        case IDC_MAIN_SAVE:
            save_results_as(window);
            break;
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
        case WM_PAINT: paint_dialog(window); break;
        case WM_COMMAND: on_command(window, wparam); break;
        default: break;
    }
    return FALSE;
}

void fill_main_fields(HWND window) {
    for (const FieldText& field : main_field_texts(processor_record)) {
        if (!field.enabled) EnableWindow(GetDlgItem(window, field.id), FALSE);
        SetDlgItemTextA(window, field.id, field.text.c_str());
    }
}

}  // namespace corelens
